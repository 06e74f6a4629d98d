#include "app/FrmLogin.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace tamvel {

FrmLogin::FrmLogin(const QString &lastLogin, const QString &databasePath, QWidget *parent)
    : QDialog(parent), m_user(new QLineEdit(this)), m_password(new QLineEdit(this))
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Přihlášení"));
    m_user->setObjectName(QStringLiteral("txtUserName"));
    m_user->setText(lastLogin);
    m_password->setObjectName(QStringLiteral("txtPassword"));
    m_password->setEchoMode(QLineEdit::Password);

    auto *nameLabel = new QLabel(QStringLiteral("&Jméno :"), this);
    auto *passwordLabel = new QLabel(QStringLiteral("&Heslo :"), this);
    nameLabel->setObjectName(QStringLiteral("lblLabels"));
    passwordLabel->setObjectName(QStringLiteral("lblLabels"));
    nameLabel->setBuddy(m_user);
    passwordLabel->setBuddy(m_password);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Storno"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout(this);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(m_user, 0, 1);
    grid->addWidget(passwordLabel, 1, 0);
    grid->addWidget(m_password, 1, 1);
    // Which register the name and password are for; a long path keeps its file name.
    const QString path = QDir::toNativeSeparators(databasePath);
    auto *database = new QLabel(this);
    database->setObjectName(QStringLiteral("lblDatabaze"));
    database->setToolTip(path);
    database->setForegroundRole(QPalette::PlaceholderText);
    const QFileInfo file(path);
    const QString folder =
        database->fontMetrics().elidedText(QDir::toNativeSeparators(file.path()), Qt::ElideMiddle,
                                           database->fontMetrics().averageCharWidth() * 24);
    database->setText(QStringLiteral("Databáze : ") + file.fileName() + QStringLiteral(" (") +
                      folder + QLatin1Char(')'));
    grid->addWidget(database, 2, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 3, 0, 1, 2);

    // 3080 x 2100 twips; the layout may need a little more for the fonts of this desktop.
    resize(3080 * logicalDpiX() / 1440, 2100 * logicalDpiY() / 1440);
}

void FrmLogin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A returning user only types the password; a new one starts with the name.
    QLineEdit *first = m_user->text().isEmpty() ? m_user : m_password;
    QTimer::singleShot(0, first, qOverload<>(&QWidget::setFocus));
}

LoginAnswer FrmLogin::answer() const
{
    return {result() == QDialog::Accepted, m_user->text(), m_password->text()};
}

LoginAnswer LoginDialogPrompt::ask(const QString &lastLogin, const QString &databasePath)
{
    FrmLogin dialog(lastLogin, databasePath, m_parent);
    dialog.exec();
    return dialog.answer();
}

} // namespace tamvel
