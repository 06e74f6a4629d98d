#include "app/MDITamvel.h"

#include "access/Access.h"
#include "access/AccessWindows.h"
#include "app/AccessImport.h"
#include "app/FrmAbout.h"
#include "app/FrmNastDoc.h"
#include "app/HelpWindow.h"
#include "app/Session.h"
#include "app/Settings.h"
#include "codelists/RequirementWindows.h"
#include "codelists/SystemWindows.h"
#include "codelists/WorkerImport.h"
#include "conversions/Conversions.h"
#include "core/FileDialogs.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"
#include "db/Version.h"
#include "export/FrmAnimCopy.h"
#include "export/FrmExportOOP.h"
#include "export/FrmExportXls.h"
#include "legacy/FileFormat.h"
#include "risks/FrmDilci.h"
#include "risks/FrmRizikaGrd.h"
#include "risks/FrmRiziko.h"
#include "risks/FrmVypocet.h"
#include "risks/RiskValue.h"
#include "risks/StarterValues.h"
#include "ui/BusyCursor.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace tamvel {

namespace {

// A menu item as the tables give it.
struct ItemDef
{
    const char *name;
    const char *caption;            // nullptr: a separator
    std::function<void()> run = {}; // none for popup items: the browser acts on its choice
};

struct Item
{
    QString name;
    QString caption; // empty: a separator
    std::function<void()> run;
};

struct MenuDef
{
    QString name;
    QString caption;
    QVector<Item> items;
};

MenuDef menuDef(const char *name, const char *caption, std::initializer_list<ItemDef> items,
                const char *itemPrefix = "")
{
    MenuDef def{QString::fromUtf8(name), QString::fromUtf8(caption), {}};
    for (const ItemDef &item : items)
        def.items.append({QString::fromUtf8(itemPrefix) + QString::fromUtf8(item.name),
                          item.caption ? QString::fromUtf8(item.caption) : QString(), item.run});
    return def;
}

// The popups of the browsers; never in the menu bar. An item's name is the popup's name
// followed by the item.
QVector<MenuDef> popupMenus()
{
    const auto edit = [](const char *name, const char *caption,
                         std::initializer_list<ItemDef> extra = {}) {
        MenuDef def = menuDef(name, caption,
                              {{"Novy", "&Nový"},
                               {"Bar1", nullptr},
                               {"Upravit", "&Upravit"},
                               {"Vymazat", "&Vymazat"},
                               {"Zobrazit", "&Zobrazit"}},
                              name);
        def.items += menuDef(name, caption, extra, name).items;
        return def;
    };
    return {
        edit("mnuPracGrd", "PracGrd", {{"Bar2", nullptr}, {"Import", "&Import"}}),
        menuDef("mnuSystTrv", "SystTrv",
                {{"Novy", "&Nový"},
                 {"Bar1", nullptr},
                 {"Upravit", "&Upravit"},
                 {"Vymazat", "&Vymazat"}},
                "mnuSystTrv"),
        edit("mnuKateGrd", "KateGrd"),
        edit("mnuDruhGrd", "DruhGrd"),
        edit("mnuPoskGrd", "PoskGrd"),
        edit("mnuZavaGrd", "ZavaGrd"),
        edit("mnuPravGrd", "PravGrd"),
        edit("mnuFrekGrd", "FrekGrd"),
        edit("mnuUrovGrd", "UrovGrd"),
        edit("mnuOopGrd", "OopGrd", {{"Bar2", nullptr}, {"Export", "&Export"}}),
        edit("mnuTypGrd", "TypGrd"),
        edit("mnuPredpisGrd", "PredpisGrd"),
        menuDef("mnuPredpisPozadavekGrd", "PredpisPozadavekGrd", {{"Pridat", "&Přidat"}},
                "mnuPredpisPozadavekGrd"),
        edit("mnuRizikaGrd", "RizikaGrd", {{"Bar2", nullptr}, {"Kopie", "&Kopie"}}),
        menuDef("mnuRiziPoza", "RizikoPozadavek", {{"Vybrat", "&Vybrat"}, {"Vymazat", "&Vymazat"}},
                "mnuRiziPoza"),
        edit("mnuUkolyGrd", "UkolyGrd"),
        menuDef("mnuDUgrd", "DUgrd", {{"Detail", "&Detail"}}, "mnuDUgrd"),
    };
}

int twipsToPixels(int twips, int dpi)
{
    return twips * dpi / 1440;
}

int pixelsToTwips(int pixels, int dpi)
{
    return pixels * 1440 / dpi;
}

} // namespace

MDITamvel::MDITamvel(Session &session, Interaction interaction, QWidget *parent)
    : QMainWindow(parent), m_session(session), m_interaction(interaction),
      m_mdi(new QMdiArea(this)), m_userPanel(new QLabel(this)), m_databasePanel(new QLabel(this)),
      m_rightsTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("MDITamvel"));
    setCentralWidget(m_mdi);
    // A child larger than the area is reached by scrolling.
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_userPanel->setObjectName(QStringLiteral("stbUzivatel"));
    m_databasePanel->setObjectName(QStringLiteral("stbDatabaze"));
    statusBar()->addWidget(m_userPanel, 1);
    statusBar()->addWidget(m_databasePanel, 3);
    buildMenus();
    applyWindowSize(WindowSize());
    refresh();

    // Rights changed by an administrator elsewhere reach this copy within ten seconds.
    m_rightsTimer->setObjectName(QStringLiteral("tmrPrava"));
    m_rightsTimer->setInterval(10000);
    connect(m_rightsTimer, &QTimer::timeout, this, &MDITamvel::applyRights);
    m_rightsTimer->start();

    // Windows that show the database as it is now refill when they come to the front.
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow *sub) {
        if (sub && sub->widget() && sub->widget()->metaObject()->indexOfSlot("activated()") >= 0)
            QMetaObject::invokeMethod(sub->widget(), "activated");
    });
}

MDITamvel::~MDITamvel()
{
    // The area outlives the members: its last activation signals must not reach them.
    disconnect(m_mdi, nullptr, this, nullptr);
}

QString MDITamvel::title()
{
    return QStringLiteral("Tamvel      verze : %1.%2.%3  testovací beta")
        .arg(VersionMajor)
        .arg(VersionMinor)
        .arg(VersionRevision);
}

void MDITamvel::buildMenus()
{
    const auto codeList = [this](const char *browser) {
        return [this, name = QString::fromUtf8(browser)] { openCodeList(name); };
    };
    // The menu bar, left to right; each item says what choosing it does.
    const QVector<MenuDef> bar = {
        menuDef("mnuRizi", "&Rizika",
                {{"mnuRiziPreh", "Přehled rizik", [this] { openRiskOverview(); }},
                 {"mnuRiziDilc", "Dílčí úkoly", [this] { openSubTasks(); }},
                 {"mnuRiziKone", "Konec", [this] { close(); }}}),
        menuDef("mnuHodn", "&Hodnocení",
                {{"mnuHodnZava", "Závažnost", codeList("frmZavaznostGrd")},
                 {"mnuHodnPrav", "Pravděpodobnost", codeList("frmPravdepodobnostGrd")},
                 {"mnuHodnFrek", "Frekvence", codeList("frmFrekvenceGrd")},
                 {"mnuHodnBar1", nullptr},
                 {"mnuHodnVypo", "Výpočet rizika", [this] { openFormulaEditor(); }},
                 {"mnuHodnUrov", "Úrovně rizika", codeList("frmUrovneGrd")},
                 {"mnuHodnBar2", nullptr},
                 {"mnuHodnVych", "Výchozí hodnoty Fine–Kinney", [this] { fillStarterValues(); }}}),
        menuDef("mnuCise", "Čí&selníky",
                {{"mnuCisePrac", "Pracovník/činnost", codeList("frmPracGrid")},
                 {"mnuCiseSyst", "Systémy", [this] { openSystems(); }},
                 {"mnuCiseBar1", nullptr},
                 {"mnuCiseKate", "Kategorie nebezpečí", codeList("frmNebezpeciKateGrd")},
                 {"mnuCiseDruh", "Druh nebezpečí", codeList("frmNebezpeciDruhGrd")},
                 {"mnuCisePosk", "Předmět poškození", codeList("frmPoskozeniGrd")},
                 {"mnuCiseBar2", nullptr},
                 {"mnuCiseTyp", "Typ předpisu", codeList("frmTypGrd")},
                 {"mnuCisePred", "Předpisy", codeList("frmPredpisGrd")},
                 {"mnuCisePoza", "Požadavky", [this] { openRequirements(); }},
                 {"mnuCiseBar3", nullptr},
                 {"mnuCiseOchr", "Ochranné prostředky (OOPP)", codeList("frmOOPGrd")}}),
        menuDef("mnuNast", "&Nastavení",
                {{"mnuNastVybe", "Výběr databáze", [this] { selectDatabase(); }},
                 {"mnuNastVytv", "Vytvoření databáze", [this] { createDatabase(); }},
                 {"mnuNastKopi", "Kopie databáze", [this] { copyDatabase(); }},
                 {"mnuNastPrih", "Přihlášení",
                  [this] {
                      logIn();
                      refresh();
                  }},
                 {"mnuNastDoku", "Dokumenty", [this] { chooseDocumentsFolder(); }},
                 {"mnuNastKone", "Konec", [this] { close(); }}}),
        menuDef("mnuAdmi", "&Administrace",
                {{"mnuAdmiUziv", "Uživatelé", [this] { openUsers(); }},
                 {"mnuSkup", "Skupiny", [this] { openGroups(); }},
                 {"mnuZmen", "Změna hesla", [this] { changePassword(); }},
                 {"mnuAdmiVymaz", "Vymazání záznamů rizik", [this] { clearRisks(); }}}),
        menuDef("mnuKonverze", "&Konverze",
                {{"mnuKonverze01", " x.0.x na x.1.x", [this] { convertStructure(0); }},
                 {"mnuKonverze12", " x.1.x na x.2.x", [this] { convertStructure(1); }},
                 {"mnuKonverze23", " x.2.x na x.3.x", [this] { convertStructure(2); }}}),
        menuDef("mnuNapo", "Nápo&věda",
                {{"mnuNapoKont", "Kontext", [this] { openHelp(); }},
                 {"mnuNapoOapl", "O aplikaci Tamvel", [this] { showAbout(); }}}),
    };

    const auto fill = [this](QMenu *menu, const MenuDef &def) {
        menu->setObjectName(def.name);
        m_menus.insert(def.name, menu);
        for (const Item &item : def.items) {
            QAction *action =
                item.caption.isEmpty() ? menu->addSeparator() : menu->addAction(item.caption);
            action->setObjectName(item.name);
            m_actions.insert(item.name, action);
            if (item.run)
                connect(action, &QAction::triggered, this, item.run);
        }
    };
    for (const MenuDef &def : bar)
        fill(menuBar()->addMenu(def.caption), def);
    for (const MenuDef &def : popupMenus())
        fill(new QMenu(def.caption, this), def);
    // The scales may have been filled or emptied since the rights were last applied.
    connect(menu(QStringLiteral("mnuHodn")), &QMenu::aboutToShow, this,
            &MDITamvel::updateStarterItem);

    // The databases logged into lately, listed afresh each time the menu opens.
    auto *recent = new QMenu(QStringLiteral("Poslední databáze"), this);
    recent->setObjectName(QStringLiteral("mnuNastPosl"));
    recent->menuAction()->setObjectName(QStringLiteral("mnuNastPosl"));
    m_menus.insert(recent->objectName(), recent);
    m_actions.insert(recent->objectName(), recent->menuAction());
    menu(QStringLiteral("mnuNast"))->insertMenu(action(QStringLiteral("mnuNastVytv")), recent);
    connect(recent, &QMenu::aboutToShow, this, &MDITamvel::listRecentDatabases);
    listRecentDatabases();

    // Keys of the whole window, acting on the child window in front.
    const auto key = [this](const char *name, const QKeySequence &sequence,
                            std::function<void()> run) {
        auto *a = new QAction(this);
        a->setObjectName(QString::fromUtf8(name));
        a->setShortcut(sequence);
        connect(a, &QAction::triggered, this, std::move(run));
        addAction(a);
        m_actions.insert(a->objectName(), a);
    };
    key("actNapovedaOkna", QKeySequence::HelpContents, [this] {
        const QMdiSubWindow *sub = m_mdi->activeSubWindow();
        openHelp(HelpWindow::pageOfWindow(sub && sub->widget() ? sub->widget()->objectName()
                                                               : QString()));
    });
    key("actUlozit", QKeySequence::Save, [this] { clickInActiveChild("cmdUlozit"); });
    key("actStorno", QKeySequence(Qt::Key_Escape), [this] { clickInActiveChild("cmdStorno"); });
    // Esc is left to the window in front unless it has a Storno to press.
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &MDITamvel::updateChildKeys);
    updateChildKeys();
}

QPushButton *MDITamvel::activeChildButton(const char *name) const
{
    const QMdiSubWindow *sub = m_mdi->activeSubWindow();
    if (!sub || !sub->widget())
        return nullptr;
    auto *button = sub->widget()->findChild<QPushButton *>(QString::fromUtf8(name));
    return button && button->isVisible() && button->isEnabled() ? button : nullptr;
}

void MDITamvel::clickInActiveChild(const char *buttonName)
{
    if (QPushButton *button = activeChildButton(buttonName))
        button->click();
}

void MDITamvel::updateChildKeys()
{
    action(QStringLiteral("actStorno"))->setEnabled(activeChildButton("cmdStorno") != nullptr);
}

void MDITamvel::listRecentDatabases()
{
    QMenu *recent = menu(QStringLiteral("mnuNastPosl"));
    recent->clear();
    const QStringList paths = settings::recentDatabases();
    for (int i = 0; i < paths.size(); ++i) {
        QAction *item = recent->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(paths[i])));
        item->setObjectName(QStringLiteral("mnuNastPosl%1").arg(i + 1));
        connect(item, &QAction::triggered, this, [this, path = paths[i]] { openRecent(path); });
    }
    recent->menuAction()->setEnabled(!paths.isEmpty());
}

void MDITamvel::openRecent(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        m_interaction.messages.warn(
            QStringLiteral("Poslední databáze"),
            QStringLiteral("Databáze %1 už neexistuje, ze seznamu posledních databází byla "
                           "odebrána.")
                .arg(QDir::toNativeSeparators(path)));
        settings::forgetDatabase(path);
        listRecentDatabases();
        return;
    }
    openChosenDatabase(path);
}

void MDITamvel::updateStarterItem()
{
    // It writes what the three scales, the formula editor and the levels hold: it needs the
    // right to every one of them.
    bool allowed = true;
    for (const char *name :
         {"mnuHodnZava", "mnuHodnPrav", "mnuHodnFrek", "mnuHodnVypo", "mnuHodnUrov"})
        allowed = allowed && action(QString::fromUtf8(name))->isEnabled();
    Database *db = m_session.database();
    if (allowed && m_session.loggedIn && db) {
        try {
            allowed = risks::scalesEmpty(*db);
        } catch (const DbError &) {
            allowed = false; // busy for a moment: offered again at the next look
        }
    } else {
        allowed = false;
    }
    action(QStringLiteral("mnuHodnVych"))->setEnabled(allowed);
}

void MDITamvel::fillStarterValues()
{
    Database *db = m_session.database();
    if (!db)
        return;
    if (risks::fillStarterValues(*db, m_interaction.messages))
        loadActiveFormula();
    updateStarterItem();
}

void MDITamvel::openSubTasks()
{
    if (Database *db = m_session.database())
        showChild(QStringLiteral("frmDilci"),
                  [&] { return new FrmDilci(*db, m_interaction.messages, *this); });
}

void MDITamvel::openFormulaEditor()
{
    Database *db = m_session.database();
    if (!db)
        return;
    showChild(QStringLiteral("frmVypocet"), [&] {
        auto *editor = new FrmVypocet(*db, m_interaction.messages);
        connect(editor, &FrmVypocet::saved, this, &MDITamvel::loadActiveFormula);
        return editor;
    });
}

void MDITamvel::openSystems()
{
    if (Database *db = m_session.database())
        showChild(QStringLiteral("frmSystemy"),
                  [&] { return new codelists::FrmSystemy(*db, m_interaction.messages, *this); });
}

void MDITamvel::openRequirements()
{
    if (Database *db = m_session.database())
        showChild(QStringLiteral("frmPozadavky"),
                  [&] { return new codelists::FrmPozadavky(*db, m_interaction.messages, *this); });
}

void MDITamvel::openUsers()
{
    if (Database *db = m_session.database())
        showChild(QStringLiteral("frmUzivatele"), [&] {
            return new FrmUzivatele(*db, m_session.userName, m_interaction.messages);
        });
}

void MDITamvel::openGroups()
{
    if (Database *db = m_session.database())
        showChild(QStringLiteral("frmSkupina"),
                  [&] { return new FrmSkupina(*db, m_interaction.messages); });
}

void MDITamvel::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        queueActivation();
}

void MDITamvel::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // Some desktops never activate a new window by themselves; being shown the first
    // time counts as the first activation.
    if (!m_shown) {
        m_shown = true;
        queueActivation();
    }
}

void MDITamvel::queueActivation()
{
    // The login is a modal dialog: run it after the event has been delivered.
    if (m_activationQueued)
        return;
    m_activationQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_activationQueued = false;
        activate();
    });
}

void MDITamvel::activate()
{
    refresh();
    const Session &s = m_session;
    if (!s.databasePath.isEmpty() && QFileInfo(s.databasePath).isFile() && !s.loggedIn &&
        !s.loginCancelled && !s.autoLoginDone) {
        m_session.autoLoginDone = true;
        logIn();
        refresh();
    }
    loadActiveFormula();
    applyRights();
}

void MDITamvel::loadActiveFormula()
{
    Database *db = m_session.database();
    if (!m_session.loggedIn || !db)
        return;
    try {
        m_session.activeFormula = tamvel::loadActiveFormula(*db);
    } catch (const DbError &) {
        // Busy for a moment: the copy is refreshed at the next activation.
    }
}

bool MDITamvel::logIn()
{
    // A register of the old program cannot be logged into; it can be brought over.
    if (legacy::detectFormat(m_session.databasePath) == legacy::FileFormat::Access) {
        const QString converted = importAccessFile(m_session.databasePath, QString());
        if (converted.isEmpty())
            return false;
        switchToDatabase(converted);
        return m_session.loggedIn;
    }
    WindowSize size;
    if (!tamvel::logIn(m_session, m_interaction.login, m_interaction.messages, &size))
        return false;
    if (m_session.hasRetiredDatabase()) {
        // The windows of the earlier login worked on the database just replaced.
        closeDatabaseWindows();
        m_session.releaseRetiredDatabase();
    }
    applyWindowSize(size);
    applyRights();
    show();
    return true;
}

void MDITamvel::applyRights()
{
    Database *db = m_session.database();
    if (!m_session.loggedIn || !db)
        return;
    access::Rights rights;
    try {
        rights = access::rightsOf(*db, m_session.userName);
    } catch (const DbError &) {
        // Busy or unreadable for a moment: keep the menus as they are until the next tick.
        return;
    }
    for (const access::MenuRight &item : access::menuRights()) {
        QAction *a = action(item.action);
        if (item.governsVisibility)
            a->setVisible(rights.granted(item.position));
        else
            a->setEnabled(rights.granted(item.position));
    }
    m_session.printRight = rights.print();
    if (auto *overview = qobject_cast<risks::FrmRizikaGrd *>(child(QStringLiteral("frmRizikaGrd"))))
        overview->setPrintRight(m_session.printRight);
    updateStarterItem();
}

void MDITamvel::refresh()
{
    setWindowTitle(title());
    m_userPanel->setText(QStringLiteral("Uživatel : ") + m_session.userName);
    m_databasePanel->setText(QStringLiteral("Aktuální databáze : ") + m_session.databasePath);

    const bool in = m_session.loggedIn;
    for (const char *name : {"mnuRizi", "mnuHodn", "mnuCise", "mnuAdmi", "mnuKonverze"})
        menu(QString::fromUtf8(name))->menuAction()->setVisible(in);
    action(QStringLiteral("mnuNastDoku"))->setVisible(in);
    // A copy needs an open database; once logged in, the administrator right decides.
    if (!in)
        action(QStringLiteral("mnuNastKopi"))->setVisible(false);
    action(QStringLiteral("mnuNastKone"))->setVisible(!in);
    action(QStringLiteral("mnuNastPrih"))->setVisible(!m_session.databasePath.isEmpty());
}

QMdiSubWindow *MDITamvel::showChild(const QString &name, const std::function<QWidget *()> &create)
{
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        if (sub->widget() && sub->widget()->objectName() == name) {
            if (sub->isMinimized())
                sub->showNormal();
            m_mdi->setActiveSubWindow(sub);
            return sub;
        }
    }
    QWidget *widget = create();
    widget->setObjectName(name);
    widget->setAttribute(Qt::WA_DeleteOnClose);
    // A window that set its own size keeps it inside the frame.
    const QSize wanted = widget->testAttribute(Qt::WA_Resized) ? widget->size() : QSize();
    QMdiSubWindow *sub = m_mdi->addSubWindow(widget);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // A window that closes itself takes its frame along.
    connect(widget, &QObject::destroyed, sub, &QMdiSubWindow::close);
    sub->show();
    if (wanted.isValid())
        sub->resize(sub->size() - widget->size() + wanted);
    // The frame keeps the window's own minimum however it is resized.
    sub->setMinimumSize(sub->minimumSizeHint());
    fitIntoArea(sub);
    m_mdi->setActiveSubWindow(sub);
    return sub;
}

void MDITamvel::fitIntoArea(QMdiSubWindow *sub) const
{
    // Before the main window is laid out the area has no size of its own yet.
    if (!m_mdi->isVisible())
        return;
    // No larger than the area and wholly inside it; a window whose minimum is larger than
    // the area starts at its top left corner and the area scrolls.
    const QSize area = m_mdi->viewport()->size();
    const QSize size = sub->size().boundedTo(area).expandedTo(sub->minimumSize());
    sub->resize(size);
    sub->move(std::max(0, std::min(sub->x(), area.width() - size.width())),
              std::max(0, std::min(sub->y(), area.height() - size.height())));
}

QWidget *MDITamvel::child(const QString &name) const
{
    for (QMdiSubWindow *sub : m_mdi->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == name)
            return sub->widget();
    return nullptr;
}

QAction *MDITamvel::showPopup(const QString &name, const QPoint &globalPos, bool gridEmpty)
{
    QMenu *popup = menu(name);
    if (!popup)
        return nullptr;
    QList<QPair<QAction *, bool>> saved;
    if (gridEmpty) {
        for (const char *item : {"Upravit", "Vymazat", "Zobrazit"}) {
            if (QAction *a = action(name + QString::fromUtf8(item))) {
                saved.append({a, a->isEnabled()});
                a->setEnabled(false);
            }
        }
    }
    QAction *chosen = popup->exec(globalPos);
    for (const auto &s : saved)
        s.first->setEnabled(s.second);
    return chosen;
}

void MDITamvel::openCodeList(const QString &browserName)
{
    Database *db = m_session.database();
    const codelists::CodeList *list = codelists::memberByBrowser(browserName);
    if (!db || !list)
        return;
    showChild(browserName, [&] {
        return new codelists::FrmCodeListGrid(*list, *db, m_interaction.messages, *this);
    });
}

void MDITamvel::openRiskOverview()
{
    Database *db = m_session.database();
    if (!db)
        return;
    bool created = false;
    QMdiSubWindow *sub = showChild(QStringLiteral("frmRizikaGrd"), [this, db, &created] {
        created = true;
        const auto openEditor = [this, db](EditMode mode, qint64 id) -> QWidget * {
            if (!riskEditorsGiveWay())
                return nullptr;
            auto *editor = new risks::FrmRiziko(*db, m_interaction.messages, *this, mode, id,
                                                m_session.activeFormula);
            // The overview selects the risk just written, a new one included.
            connect(editor, &risks::FrmRiziko::saved, this,
                    [this](qint64 saved) { m_session.overview.selectedId = saved; });
            showEditor(editor);
            return editor;
        };
        const auto openExport = [this, db](const QVector<qint64> &ids) {
            // A dialog of the overview, modal towards it, over its middle.
            QWidget *overview = child(QStringLiteral("frmRizikaGrd"));
            auto *exporter = new FrmExportXls(*db, m_interaction.messages, m_interaction.files,
                                              m_session.userName, ids, overview);
            if (overview)
                exporter->move(overview->mapToGlobal(overview->rect().center()) -
                               exporter->rect().center());
            exporter->show();
        };
        return new risks::FrmRizikaGrd(*db, m_interaction.messages, *this, m_session.overview,
                                       m_session.userName, m_session.printRight, openEditor,
                                       openExport);
    });
    // Without a size of the user's own the overview first fills the area.
    const auto *overview = qobject_cast<risks::FrmRizikaGrd *>(sub->widget());
    if (created && overview && !overview->hasStoredSize() && m_mdi->isVisible()) {
        sub->resize(m_mdi->viewport()->size().expandedTo(sub->minimumSize()));
        sub->move(0, 0);
    }
}

bool MDITamvel::popupItemEnabled(const QString &actionName) const
{
    const QAction *item = m_actions.value(actionName);
    return item && item->isEnabled() && item->isVisible();
}

QString MDITamvel::documentsFolder() const
{
    return m_session.documentsFolder;
}

void MDITamvel::setMode(EditMode mode)
{
    m_session.mode = modeWord(mode);
}

void MDITamvel::showEditor(QWidget *editor)
{
    // One editor of a kind at a time: the new request replaces an open one.
    for (QMdiSubWindow *sub : m_mdi->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == editor->objectName())
            sub->close();
    showChild(editor->objectName(), [editor] { return editor; });
}

void MDITamvel::extraAction(const QString &actionName)
{
    Database *db = m_session.database();
    if (actionName == QStringLiteral("mnuOopGrdExport") && db)
        showEditor(
            new FrmExportOOP(*db, m_interaction.messages, m_interaction.files, m_session.userName));
    else if (actionName == QStringLiteral("mnuPracGrdImport") && db)
        codelists::importWorkersFromFile(*db, m_interaction.messages, m_interaction.files,
                                         databaseFolder());
}

void MDITamvel::openHelp(const QString &page)
{
    if (!QFile::exists(QStringLiteral(":/help/index.html"))) {
        m_interaction.messages.inform(windowTitle(),
                                      QStringLiteral("Unable to display Help Contents. There is "
                                                     "no Help associated with this project."));
        return;
    }
    QMdiSubWindow *sub = showChild(QStringLiteral("frmNapoveda"), [] { return new HelpWindow(); });
    if (auto *help = qobject_cast<HelpWindow *>(sub->widget()))
        help->showPage(page);
}

bool MDITamvel::riskEditorsGiveWay()
{
    // An open editor with typed work is asked about first, not closed unseen.
    for (QMdiSubWindow *sub : m_mdi->subWindowList()) {
        auto *open = qobject_cast<risks::FrmRiziko *>(sub->widget());
        if (open && open->isVisible() && !open->giveWay()) {
            m_mdi->setActiveSubWindow(sub);
            return false;
        }
    }
    return true;
}

void MDITamvel::closeEvent(QCloseEvent *event)
{
    if (!riskEditorsGiveWay()) {
        event->ignore();
        return;
    }
    saveWindowSize();
    m_mdi->closeAllSubWindows();
    event->accept();
}

void MDITamvel::closeDatabaseWindows()
{
    // The systems window refuses to close over a too long path; its database is going away.
    if (auto *systems = qobject_cast<codelists::FrmSystemy *>(child(QStringLiteral("frmSystemy"))))
        systems->closeUnchecked();
    m_mdi->closeAllSubWindows();
}

void MDITamvel::saveWindowSize()
{
    if (m_session.loggedIn && m_session.database())
        tamvel::saveWindowSize(*m_session.database(), m_session.userName, currentWindowSize());
}

void MDITamvel::applyWindowSize(const WindowSize &size)
{
    const int dpi = logicalDpiY();
    resize(twipsToPixels(size.width, dpi), twipsToPixels(size.height, dpi));
}

WindowSize MDITamvel::currentWindowSize() const
{
    const int dpi = logicalDpiY();
    WindowSize size;
    size.height = pixelsToTwips(height(), dpi);
    size.width = pixelsToTwips(width(), dpi);
    return size;
}

QString MDITamvel::databaseFolder() const
{
    const QFileInfo current(m_session.databasePath);
    return !m_session.databasePath.isEmpty() && current.exists() ? current.absolutePath()
                                                                 : QDir::homePath();
}

void MDITamvel::selectDatabase()
{
    if (!QFileInfo(m_session.databasePath).isFile())
        m_session.databasePath.clear();
    const QString chosen = m_interaction.files.openFile(
        QStringLiteral("Aktuální databáze : ") + m_session.databasePath, databaseFolder(),
        QStringLiteral("mdb databáze (*.mdb)"));
    if (chosen.isEmpty())
        return;
    openChosenDatabase(files::withMdbExtension(chosen));
}

void MDITamvel::openChosenDatabase(QString path)
{
    if (legacy::detectFormat(path) == legacy::FileFormat::Access) {
        path = importAccessFile(path, m_session.databasePath);
        if (path.isEmpty())
            return;
    }
    switchToDatabase(path);
}

QString MDITamvel::importAccessFile(const QString &source, const QString &currentPath)
{
    const QString target =
        chooseImportTarget(source, currentPath, m_interaction.messages, m_interaction.files);
    if (target.isEmpty())
        return {};
    BusyCursor messages(m_interaction.messages);
    QString report;
    {
        ProgressRun progress(this, QStringLiteral("Převod databáze z formátu Access ..."),
                             importTitle());
        report = importRegister(source, target, messages, progress.callback());
    }
    if (report.isEmpty())
        return {};
    messages.inform(importTitle(), report);
    return target;
}

void MDITamvel::switchToDatabase(const QString &path)
{
    // As if the program started again on the chosen file.
    saveWindowSize();
    closeDatabaseWindows();
    tamvel::selectDatabase(m_session, path);
    m_session.startUp();
    applyWindowSize(WindowSize());
    refresh();
    activate();
}

void MDITamvel::createDatabase()
{
    if (!QFileInfo(m_session.databasePath).isFile())
        m_session.databasePath.clear();
    const QString chosen =
        m_interaction.files.saveFile(QStringLiteral("Vytvoření nové databáze"), databaseFolder(),
                                     QString(), QStringLiteral("mdb databáze (*.mdb)"));
    if (chosen.isEmpty())
        return;
    const QString created =
        files::createDatabase(chosen, m_session.databasePath, m_interaction.messages);
    if (created.isEmpty() ||
        !m_interaction.messages.ask(QStringLiteral("Vytvoření nové databáze"),
                                    QStringLiteral("Naplnit novou databázi výchozími hodnotami "
                                                   "Fine–Kinney?")))
        return;
    // The new file is not the current database: opened only for the filling.
    try {
        const std::unique_ptr<Database> fresh = Database::open(created);
        risks::fillStarterValues(*fresh, m_interaction.messages);
    } catch (const DbError &e) {
        showEngineError(m_interaction.messages, e);
    }
}

void MDITamvel::copyDatabase()
{
    Database *db = m_session.database();
    if (!db)
        return;
    const QString chosen = m_interaction.files.saveFile(
        QStringLiteral("Kopie databáze do :"), databaseFolder(),
        QFileInfo(files::proposedCopyName(m_session.databasePath)).fileName(),
        QStringLiteral("MS Access (*.mdb)"));
    if (chosen.isEmpty())
        return;
    files::copyDatabase(*db, chosen, m_interaction.messages);
}

void MDITamvel::clearRisks()
{
    if (Database *db = m_session.database())
        files::clearRisks(*db, m_interaction.messages);
}

void MDITamvel::convertStructure(int source)
{
    Database *db = m_session.database();
    if (!db)
        return;
    bool converted = false;
    {
        BusyCursor messages(m_interaction.messages);
        converted = conversions::runStep(*db, source, messages);
    }
    if (converted)
        // Open windows show the register as it was before the rebuild.
        closeDatabaseWindows();
}

void MDITamvel::chooseDocumentsFolder()
{
    FrmNastDoc dialog(m_session.documentsFolder, this);
    if (dialog.exec() == QDialog::Accepted)
        setDocumentsFolder(m_session, dialog.folder());
}

void MDITamvel::changePassword()
{
    if (Database *db = m_session.database()) {
        FrmChPassw dialog(*db, m_session.userName, m_session.password, m_interaction.messages,
                          this);
        dialog.exec();
    }
}

void MDITamvel::showAbout()
{
    FrmAbout about(m_session.databasePath, m_interaction.messages, this);
    about.exec();
}

} // namespace tamvel
