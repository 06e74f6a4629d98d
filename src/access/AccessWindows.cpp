#include "access/AccessWindows.h"
#include "ui/GridCommands.h"
#include "ui/Widgets.h"

#include "access/Access.h"
#include "core/Messages.h"
#include "db/Database.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace tamvel::ui;

namespace tamvel {

namespace {

QHBoxLayout *buttonRow(std::initializer_list<QPushButton *> buttons)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton *b : buttons)
        row->addWidget(b);
    return row;
}

// Runs a write; after a conflict the user may have the window show what is stored now
// (reload), else the window stays as it was.
template <class Write, class Reload>
void writeOrReload(Messages &messages, Write &&write, Reload &&reload)
{
    try {
        write();
    } catch (const ChangedMeanwhile &) {
        if (askReloadAfterConflict(messages))
            trapped(messages, reload);
    } catch (const DbError &e) {
        showEngineError(messages, e);
    }
}

} // namespace

FrmUzivatele::FrmUzivatele(Database &db, const QString &currentUser, Messages &messages,
                           QWidget *parent)
    : QWidget(parent), m_db(db), m_currentUser(currentUser), m_messages(messages),
      m_list(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Uživatelé"));
    m_list->setObjectName(QStringLiteral("lstUsers"));
    auto *frame = new QGroupBox(QStringLiteral("   Uživatel  (skupina)   "), this);
    (new QVBoxLayout(frame))->addWidget(m_list);
    QPushButton *add = button(this, "cmdPridat", QStringLiteral("&Přidat..."));
    QPushButton *remove = button(this, "cmdOdebrat", QStringLiteral("&Odebrat"));
    QPushButton *close = button(this, "cmdStorno", QStringLiteral("Zavřít "));
    connect(add, &QPushButton::clicked, this, &FrmUzivatele::add);
    connect(remove, &QPushButton::clicked, this, &FrmUzivatele::remove);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttonRow({add, remove, close}));
    resize(360, 320);
    activated();
    // The keys are the buttons; there is no edit button, so a double-click does nothing.
    installGridCommands(m_list, {{}, [this] { this->add(); }, [this] { this->remove(); }});
}

void FrmUzivatele::activated()
{
    trapped(m_messages, [&] {
        m_list->clear();
        m_users = access::loadUsers(m_db);
        for (const access::User &user : m_users)
            m_list->addItem(user.entry());
    });
}

void FrmUzivatele::add()
{
    FrmUzivateleAdd dialog(m_db, m_messages, this);
    dialog.exec();
    activated();
}

void FrmUzivatele::remove()
{
    const int row = m_list->currentRow();
    const access::User *user = row >= 0 && row < m_users.size() ? &m_users[row] : nullptr;
    writeOrReload(
        m_messages,
        [&] {
            if (access::removeUser(m_db, user, m_currentUser, m_messages))
                activated();
        },
        [&] { activated(); });
}

FrmUzivateleAdd::FrmUzivateleAdd(Database &db, Messages &messages, QWidget *parent)
    : QDialog(parent), m_db(db), m_messages(messages), m_login(lineEdit(this, "txtLogin", 15)),
      m_password(lineEdit(this, "txtPassword", 10)), m_group(new QComboBox(this))
{
    setObjectName(QStringLiteral("frmUzivateleAdd"));
    setWindowTitle(QStringLiteral("Přidání uživatele"));
    m_password->setEchoMode(QLineEdit::Password);
    m_group->setObjectName(QStringLiteral("cboSkupina"));
    trapped(m_messages, [&] { m_group->addItems(access::groups(m_db)); });
    m_group->setCurrentIndex(-1);

    auto *frame = new QGroupBox(QStringLiteral("Uživatel"), this);
    auto *form = new QFormLayout(frame);
    form->addRow(QStringLiteral("Jméno :"), m_login);
    form->addRow(QStringLiteral("Heslo :"), m_password);
    form->addRow(QStringLiteral("Skupina :"), m_group);
    QPushButton *save = button(this, "cmdUlozit", QStringLiteral("Uložit"));
    QPushButton *cancel = button(this, "cmdStorno", QStringLiteral("Storno"));
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, &FrmUzivateleAdd::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttonRow({save, cancel}));
}

void FrmUzivateleAdd::save()
{
    trapped(m_messages, [&] {
        access::UserField focus = access::UserField::None;
        if (access::addUser(m_db, m_login->text(), m_password->text(), m_group->currentText(),
                            m_messages, &focus)) {
            accept();
            return;
        }
        if (focus == access::UserField::Name)
            m_login->setFocus();
        else if (focus == access::UserField::Group)
            m_group->setFocus();
    });
}

FrmSkupina::FrmSkupina(Database &db, Messages &messages, QWidget *parent)
    : QWidget(parent), m_db(db), m_messages(messages), m_list(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Skupiny"));
    m_list->setObjectName(QStringLiteral("lstSkupiny"));
    auto *frame = new QGroupBox(QStringLiteral("Skupiny"), this);
    (new QVBoxLayout(frame))->addWidget(m_list);
    QPushButton *add = button(this, "cmdPridat", QStringLiteral("&Přidat..."));
    QPushButton *remove = button(this, "cmdOdebrat", QStringLiteral("&Odebrat"));
    QPushButton *rights = button(this, "cmdPrava", QStringLiteral("&Práva..."));
    QPushButton *close = button(this, "cmdStorno", QStringLiteral("Storno  "));
    connect(add, &QPushButton::clicked, this, &FrmSkupina::add);
    connect(remove, &QPushButton::clicked, this, &FrmSkupina::remove);
    connect(rights, &QPushButton::clicked, this, &FrmSkupina::editRights);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttonRow({add, remove, rights, close}));
    resize(380, 320);
    activated();
    // A group is edited through its rights.
    installGridCommands(
        m_list, {[this] { editRights(); }, [this] { this->add(); }, [this] { this->remove(); }});
}

void FrmSkupina::activated()
{
    trapped(m_messages, [&] {
        m_list->clear();
        m_groups = access::loadGroups(m_db);
        for (const access::Group &group : m_groups)
            m_list->addItem(group.name.trimmed());
    });
}

void FrmSkupina::add()
{
    FrmSkupinaAdd dialog(m_db, m_messages, this);
    dialog.exec();
    activated();
}

void FrmSkupina::remove()
{
    const int row = m_list->currentRow();
    const access::Group *group = row >= 0 && row < m_groups.size() ? &m_groups[row] : nullptr;
    writeOrReload(
        m_messages,
        [&] {
            if (access::removeGroup(m_db, group, m_messages))
                activated();
        },
        [&] { activated(); });
}

void FrmSkupina::editRights()
{
    const QListWidgetItem *item = m_list->currentItem();
    if (!item) {
        m_messages.warn(QStringLiteral("Skupina"), QStringLiteral("Nutno zvolit skupinu !"));
        return;
    }
    FrmPrava editor(m_db, item->text(), m_messages, this);
    editor.exec();
}

FrmSkupinaAdd::FrmSkupinaAdd(Database &db, Messages &messages, QWidget *parent)
    : QDialog(parent), m_db(db), m_messages(messages), m_name(lineEdit(this, "txtSkupina", 20))
{
    setObjectName(QStringLiteral("frmSkupinaAdd"));
    setWindowTitle(QStringLiteral("Přidat skupinu"));
    auto *frame = new QGroupBox(QStringLiteral("Skupina"), this);
    (new QFormLayout(frame))->addRow(QStringLiteral("Skupina :"), m_name);
    QPushButton *save = button(this, "cmdUlozit", QStringLiteral("Uložit"));
    QPushButton *cancel = button(this, "cmdStorno", QStringLiteral("Storno"));
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, &FrmSkupinaAdd::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttonRow({save, cancel}));
}

void FrmSkupinaAdd::save()
{
    trapped(m_messages, [&] {
        switch (access::addGroup(m_db, m_name->text(), m_messages)) {
        case access::GroupAdded::Nothing:
            return;
        case access::GroupAdded::Refused:
            m_name->setFocus();
            return;
        case access::GroupAdded::Added:
            break;
        }
        if (m_messages.ask(QStringLiteral("Práva"),
                           QStringLiteral("Chcete nastavit práva ke skupině nyní?"))) {
            FrmPrava editor(m_db, m_name->text().trimmed(), m_messages, this);
            editor.exec();
        }
        accept();
    });
}

FrmPrava::FrmPrava(Database &db, const QString &group, Messages &messages, QWidget *parent)
    : QDialog(parent), m_db(db), m_group(group.trimmed()), m_messages(messages)
{
    setObjectName(QStringLiteral("frmPrava"));
    setWindowTitle(QStringLiteral("Přístupová práva"));

    auto *groupFrame = new QGroupBox(QStringLiteral("Skupina"), this);
    QLineEdit *name = lineEdit(this, "txtSkupina", 20);
    name->setText(m_group);
    name->setReadOnly(true);
    (new QFormLayout(groupFrame))->addRow(QStringLiteral("Název skupiny :"), name);

    const auto check = [this](const char *objectName, const char *caption, int position) {
        auto *box = new QCheckBox(QString::fromUtf8(caption), this);
        box->setObjectName(QString::fromUtf8(objectName));
        m_boxes.insert(position, box);
        return box;
    };
    QCheckBox *administrator = check("chkAdministrator", "Administrátor", 1);

    auto *rightsFrame = new QGroupBox(QStringLiteral("Právo na volby"), this);
    auto *grid = new QGridLayout(rightsFrame);
    const QStringList headings = {QStringLiteral("Rizika"), QStringLiteral("Hodnocení"),
                                  QStringLiteral("Číselníky")};
    for (int column = 0; column < headings.size(); ++column) {
        auto *heading = new QLabel(QStringLiteral("<b>%1</b>").arg(headings[column]), this);
        grid->addWidget(heading, 0, column, Qt::AlignTop);
    }
    const struct
    {
        const char *name;
        const char *caption;
        int position;
        int column;
    } boxes[] = {
        {"chkRRizika", "Rizika-přehled", 10, 0},
        {"chkRDilci", "Dílčí úkoly", 11, 0},
        {"chkRTisk", "Tisk", 12, 0},
        {"chkHZavaznost", "Závažnost", 20, 1},
        {"chkHPravdepodobnost", "Pravděpodobnost", 21, 1},
        {"chkHFrekvence", "Frekvence", 22, 1},
        {"chkHVypocet", "Výpočet", 23, 1},
        {"chkHUrovneRizika", "Úrovně rizika", 24, 1},
        {"chkCPracovnici", "Pracovníci", 40, 2},
        {"chkCSystemy", "Systémy", 41, 2},
        {"chkCKategorie", "Kategorie nebezpečí", 42, 2},
        {"chkCDruhNebezpeci", "Druh nebezpečí", 43, 2},
        {"chkCPoskozeniTela", "Poškození těla", 44, 2},
        {"chkCTypPredpisu", "Typ předpisu", 45, 2},
        {"chkCPradpisy", "Předpisy", 46, 2},
        {"chkCPozadavky", "Požadavky", 47, 2},
        {"chkCOchranneProstredky", "Ochranné prostředky", 48, 2},
    };
    int rows[3] = {1, 1, 1};
    for (const auto &b : boxes)
        grid->addWidget(check(b.name, b.caption, b.position), rows[b.column]++, b.column);
    grid->setRowStretch(std::max({rows[0], rows[1], rows[2]}), 1);

    QPushButton *ok = button(this, "cmdOk", QStringLiteral("OK"));
    QPushButton *cancel = button(this, "cmdStorno", QStringLiteral("Storno"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &FrmPrava::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(groupFrame);
    layout->addWidget(administrator);
    layout->addWidget(rightsFrame);
    layout->addLayout(buttonRow({ok, cancel}));
    resize(twips(this, 6960), twips(this, 5220));

    load();
    connect(administrator, &QCheckBox::clicked, this, &FrmPrava::applyAdministratorRule);
}

void FrmPrava::load()
{
    trapped(m_messages, [&] {
        m_loaded = access::groupRights(m_db, m_group);
        const QString &text = m_loaded.text();
        for (auto it = m_boxes.cbegin(); it != m_boxes.cend(); ++it) {
            const int position = it.key();
            it.value()->setChecked(position <= text.size() &&
                                   text[position - 1] == QLatin1Char('1'));
            it.value()->setEnabled(true);
        }
        if (m_boxes.value(1)->isChecked())
            applyAdministratorRule();
    });
}

void FrmPrava::applyAdministratorRule()
{
    const bool all = m_boxes.value(1)->isChecked();
    for (auto it = m_boxes.cbegin(); it != m_boxes.cend(); ++it) {
        if (it.key() == 1)
            continue;
        it.value()->setChecked(all);
        it.value()->setEnabled(!all);
    }
}

QString FrmPrava::rightsText() const
{
    std::array<bool, access::Rights::LastPosition + 1> granted{};
    for (auto it = m_boxes.cbegin(); it != m_boxes.cend(); ++it)
        granted[size_t(it.key())] = it.value()->isChecked();
    return access::rightsString(granted);
}

void FrmPrava::save()
{
    writeOrReload(
        m_messages,
        [&] {
            access::saveGroupRights(m_db, m_group, m_loaded, rightsText());
            accept();
        },
        [&] {
            // A group removed meanwhile has nothing to show.
            if (access::groups(m_db).contains(m_group))
                load();
            else
                reject();
        });
}

FrmChPassw::FrmChPassw(Database &db, const QString &user, QString &loginPassword,
                       Messages &messages, QWidget *parent)
    : QDialog(parent), m_db(db), m_user(user), m_loginPassword(loginPassword), m_messages(messages),
      m_old(lineEdit(this, "txtOldPassw", 10)), m_new(lineEdit(this, "txtNewPassw", 10)),
      m_confirm(lineEdit(this, "txtNewPasswC", 10))
{
    setObjectName(QStringLiteral("frmChPassw"));
    setWindowTitle(QStringLiteral("Změna hesla"));
    auto *form = new QFormLayout;
    for (QLineEdit *edit : {m_old, m_new, m_confirm})
        edit->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("Původní heslo :"), m_old);
    form->addRow(QStringLiteral("Nové heslo :"), m_new);
    form->addRow(QStringLiteral("Nové heslo (potvrzení) :"), m_confirm);
    QPushButton *ok = button(this, "cmdOk", QStringLiteral("OK"));
    QPushButton *cancel = button(this, "cmdStorno", QStringLiteral("Storno"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &FrmChPassw::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({ok, cancel}));
}

void FrmChPassw::save()
{
    const access::PasswordChange result = access::changePassword(
        m_db, m_user, m_loginPassword, m_old->text(), m_new->text(), m_confirm->text(), m_messages);
    if (result == access::PasswordChange::Conflict) {
        // The password is not shown: starting again means empty boxes.
        if (askReloadAfterConflict(m_messages)) {
            for (QLineEdit *edit : {m_old, m_new, m_confirm})
                edit->clear();
            m_old->setFocus();
        }
        return;
    }
    if (result != access::PasswordChange::Refused)
        accept();
}

} // namespace tamvel
