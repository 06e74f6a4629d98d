#include "app/FrmAbout.h"

#include "core/Messages.h"
#include "db/Version.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

#include <sqlite3.h>

namespace tamvel {

FrmAbout::FrmAbout(const QString &databasePath, Messages &messages, QWidget *parent)
    : QDialog(parent), m_databasePath(databasePath), m_messages(messages)
{
    setObjectName(QStringLiteral("frmAbout"));
    const QString appTitle = QStringLiteral("Tamvel");
    setWindowTitle(QStringLiteral("About ") + appTitle);

    const auto label = [this](const char *name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QString::fromUtf8(name));
        l->setWordWrap(true);
        return l;
    };
    QLabel *title = label("lblTitle", appTitle);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    title->setFont(big);
    QLabel *version = label("lblVersion", QStringLiteral("Verze : %1.%2.%3")
                                              .arg(VersionMajor)
                                              .arg(VersionMinor)
                                              .arg(VersionRevision));
    QLabel *description = label(
        "lblDescription",
        QStringLiteral("Aplikace Tamvel zajišťuje sledování, ohodnocování a reportování rizik."));
    QLabel *disclaimer = label(
        "lblDisclaimer",
        QStringLiteral("Upozornění: Tento program je chráněn autorským právem. Neoprávněné "
                       "kopírování, šíření nebo úpravy programu či jeho části jsou zakázány a "
                       "mohou být stíhány podle platných právních předpisů."));
    disclaimer->setEnabled(false);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *sysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(sysInfo, &QPushButton::clicked, this, &FrmAbout::showSystemInformation);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addWidget(description);
    layout->addSpacing(12);
    layout->addWidget(disclaimer);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);
    layout->addLayout(buttons);
    setMinimumWidth(420);
}

QStringList FrmAbout::systemInformation(const QString &databasePath)
{
    QStringList lines;
    const auto add = [&lines](const QString &label, const QString &value) {
        if (!value.trimmed().isEmpty())
            lines << label + QStringLiteral(": ") + value;
    };
    add(QStringLiteral("Operační systém"), QSysInfo::prettyProductName());
    add(QStringLiteral("Jádro"),
        QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion());
    add(QStringLiteral("Architektura procesoru"), QSysInfo::currentCpuArchitecture());
    add(QStringLiteral("Počítač"), QSysInfo::machineHostName());
    add(QStringLiteral("Verze Qt"), QString::fromLatin1(qVersion()));
    add(QStringLiteral("Verze SQLite"), QString::fromLatin1(sqlite3_libversion()));
    add(QStringLiteral("Databáze"), databasePath);
    return lines;
}

void FrmAbout::showSystemInformation()
{
    const QStringList lines = systemInformation(m_databasePath);
    if (lines.isEmpty()) {
        m_messages.inform(windowTitle(),
                          QStringLiteral("System Information Is Unavailable At This Time"));
        return;
    }
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("frmSysInfo"));
    dialog.setWindowTitle(QStringLiteral("Informace o systému"));
    auto *text = new QPlainTextEdit(lines.join(QLatin1Char('\n')), &dialog);
    text->setReadOnly(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(buttons);
    dialog.resize(520, 260);
    dialog.exec();
}

} // namespace tamvel
