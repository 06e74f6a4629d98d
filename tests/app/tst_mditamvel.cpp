#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"
#include "TestSettings.h"
#include "WindowCheck.h"

#include "access/Access.h"
#include "app/DemoDatabase.h"
#include "app/FrmAbout.h"
#include "app/FrmLogin.h"
#include "app/HelpWindow.h"
#include "app/MDITamvel.h"
#include "app/Session.h"
#include "app/Settings.h"
#include "conversions/Conversions.h"
#include "db/Version.h"
#include "risks/FrmRizikaGrd.h"
#include "risks/FrmRiziko.h"
#include "risks/RiskRecord.h"
#include "risks/RiskValue.h"
#include "risks/StarterValues.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

using namespace tamvel;

class TestMDITamvel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void menuTreeIsComplete();
    void menusFollowTheLoginState();
    void databaseCopyNeedsALogin();
    void openWindowIsBroughtToTheFront();
    void childWindowsOpenInsideTheArea();
    void overviewKeepsItsMinimumSize();
    void exportWizardsShowEveryPageWhole();
    void emptyGridLeavesOnlyNewInThePopup();
    void windowSizeIsRestoredAtTheNextLogin();
    void selectingADatabaseStartsAgain();
    void databaseFileItemsUseTheirDialogs();
    void starterValuesGoOnlyIntoEmptyScales();
    void aboutShowsVersionAndSystem();
    void conversionItemsRunTheStepsInOrder();
    void accessFileIsBroughtOverBeforeTheLogin();
    void anEditorWithChangesIsAskedAboutFirst_data();
    void anEditorWithChangesIsAskedAboutFirst();
    void keysActOnTheWindowInFront();
    void recentDatabasesOpenAsIfChosen();
    void loginDialogNamesItsDatabase();
    void workerImportReportsWhatItSkipped();

private:
    // The main window over a session of its own, with scripted dialogs.
    struct Fixture
    {
        Session session;
        ScriptedMessages messages;
        ScriptedFiles files;
        ScriptedLogin login;
        std::unique_ptr<MDITamvel> window;

        Fixture()
        {
            session.startUp();
            window = std::make_unique<MDITamvel>(session, Interaction{messages, files, login});
        }
        QStringList statusTexts() const
        {
            QStringList texts;
            for (const QLabel *label : window->statusBar()->findChildren<QLabel *>())
                texts << label->text();
            return texts;
        }
        void logIn()
        {
            login.add(QStringLiteral("Administrator"), QString());
            window->activate();
        }
        // Opens a menu of the menu bar with the mouse; the items it shows.
        QStringList openMenu(const char *name)
        {
            QMenu *menu = window->menu(QString::fromUtf8(name));
            QMenuBar *bar = window->menuBar();
            QTest::mouseClick(bar, Qt::LeftButton, {},
                              bar->actionGeometry(menu->menuAction()).center());
            QStringList items;
            if (QTest::qWaitFor([menu] { return menu->isVisible(); }))
                for (QAction *a : menu->actions())
                    if (!a->isSeparator() && !menu->actionGeometry(a).isEmpty())
                        items << a->text();
            return items;
        }
        // Chooses an item of the open menu with the mouse.
        void choose(const char *menuName, const char *item)
        {
            QMenu *menu = window->menu(QString::fromUtf8(menuName));
            QTest::mouseClick(
                menu, Qt::LeftButton, {},
                menu->actionGeometry(window->action(QString::fromUtf8(item))).center());
        }
        bool visible(const char *name) const
        {
            const QString n = QString::fromUtf8(name);
            if (QMenu *menu = window->menu(n))
                return menu->menuAction()->isVisible();
            return window->action(n)->isVisible();
        }
    };

    IsolatedSettings m_settings;
    QTemporaryDir m_dir;
    QString m_path;
};

void TestMDITamvel::init()
{
    m_path = m_dir.filePath(QStringLiteral("db-%1.mdb").arg(QDateTime::currentMSecsSinceEpoch()));
    files::writeNewDatabase(m_path);
    settings::setDatabasePath(m_path);
    settings::setLastLogin(QString());
}

void TestMDITamvel::menuTreeIsComplete()
{
    Fixture f;
    QStringList bar;
    for (QAction *top : f.window->menuBar()->actions()) {
        QStringList items;
        for (QAction *item : top->menu()->actions())
            items << (item->isSeparator() ? QStringLiteral("—") : item->text());
        bar << top->menu()->objectName() + QLatin1Char(' ') + top->text() + QStringLiteral(": ") +
                   items.join(QStringLiteral(" | "));
    }
    const QStringList expected = {
        QStringLiteral("mnuRizi &Rizika: Přehled rizik | Dílčí úkoly | Konec"),
        QStringLiteral("mnuHodn &Hodnocení: Závažnost | Pravděpodobnost | Frekvence | — | Výpočet "
                       "rizika | Úrovně rizika | — | Výchozí hodnoty Fine–Kinney"),
        QStringLiteral("mnuCise Čí&selníky: Pracovník/činnost | Systémy | — | Kategorie "
                       "nebezpečí | Druh nebezpečí | Předmět poškození | — | Typ předpisu | "
                       "Předpisy | Požadavky | — | Ochranné prostředky (OOPP)"),
        QStringLiteral("mnuNast &Nastavení: Výběr databáze | Poslední databáze | Vytvoření "
                       "databáze | Kopie databáze | "
                       "Přihlášení | Dokumenty | Konec"),
        QStringLiteral("mnuAdmi &Administrace: Uživatelé | Skupiny | Změna hesla | Vymazání "
                       "záznamů rizik"),
        QStringLiteral("mnuKonverze &Konverze:  x.0.x na x.1.x |  x.1.x na x.2.x |  x.2.x na "
                       "x.3.x"),
        QStringLiteral("mnuNapo Nápo&věda: Kontext | O aplikaci Tamvel"),
    };
    QCOMPARE(bar, expected);
    // Every title has an Alt letter of its own, and Alt+letter opens its menu.
    QSet<QString> letters;
    for (QAction *top : f.window->menuBar()->actions())
        letters << QKeySequence::mnemonic(top->text()).toString();
    QCOMPARE(letters.size(), f.window->menuBar()->actions().size());
    QVERIFY(!letters.contains(QString()));
    f.window->show();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    QTest::keyClick(f.window.get(), Qt::Key_N, Qt::AltModifier);
    QTRY_VERIFY(f.window->menu(QStringLiteral("mnuNast"))->isVisible());
    f.window->menu(QStringLiteral("mnuNast"))->close();
    // The rights reach the items by their names.
    for (const access::MenuRight &right : access::menuRights())
        QVERIFY2(f.window->action(right.action), qPrintable(right.action));

    // Popups belong to the main window but never show in its menu bar.
    QMenu *risks = f.window->menu(QStringLiteral("mnuRizikaGrd"));
    QVERIFY(risks);
    QCOMPARE(risks->title(), QStringLiteral("RizikaGrd"));
    QVERIFY(!f.window->menuBar()->actions().contains(risks->menuAction()));
    QStringList items;
    for (QAction *a : risks->actions())
        items << a->objectName() + QLatin1Char('=') + (a->isSeparator() ? QString() : a->text());
    QCOMPARE(items, (QStringList{QStringLiteral("mnuRizikaGrdNovy=&Nový"),
                                 QStringLiteral("mnuRizikaGrdBar1="),
                                 QStringLiteral("mnuRizikaGrdUpravit=&Upravit"),
                                 QStringLiteral("mnuRizikaGrdVymazat=&Vymazat"),
                                 QStringLiteral("mnuRizikaGrdZobrazit=&Zobrazit"),
                                 QStringLiteral("mnuRizikaGrdBar2="),
                                 QStringLiteral("mnuRizikaGrdKopie=&Kopie")}));
    for (const char *popup :
         {"mnuPracGrd", "mnuSystTrv", "mnuKateGrd", "mnuDruhGrd", "mnuPoskGrd", "mnuZavaGrd",
          "mnuPravGrd", "mnuFrekGrd", "mnuUrovGrd", "mnuOopGrd", "mnuTypGrd", "mnuPredpisGrd",
          "mnuPredpisPozadavekGrd", "mnuRiziPoza", "mnuUkolyGrd", "mnuDUgrd"})
        QVERIFY2(f.window->menu(QString::fromUtf8(popup)), popup);
    QVERIFY(f.window->action(QStringLiteral("mnuPracGrdImport")));
    QVERIFY(f.window->action(QStringLiteral("mnuOopGrdExport")));
    QVERIFY(!f.window->action(QStringLiteral("mnuSystTrvZobrazit")));
    QCOMPARE(f.window->action(QStringLiteral("mnuDUgrdDetail"))->text(), QStringLiteral("&Detail"));
}

void TestMDITamvel::menusFollowTheLoginState()
{
    Fixture f;
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Tamvel      verze : 1.3.4  testovací beta"));
    QCOMPARE(f.statusTexts(), (QStringList{QStringLiteral("Uživatel : "),
                                           QStringLiteral("Aktuální databáze : ") + m_path}));
    for (const char *hidden : {"mnuRizi", "mnuHodn", "mnuCise", "mnuAdmi", "mnuNastDoku"})
        QVERIFY2(!f.visible(hidden), hidden);
    QVERIFY(f.visible("mnuNastKone"));
    QVERIFY(f.visible("mnuNastPrih"));

    // The first activation logs in; later ones do not ask again.
    f.logIn();
    f.window->activate();
    QCOMPARE(f.login.prefilled.size(), 1);
    QVERIFY(f.session.loggedIn);
    QVERIFY(f.messages.shown.isEmpty());
    QCOMPARE(f.statusTexts().value(0), QStringLiteral("Uživatel : Administrator"));
    for (const char *shown : {"mnuRizi", "mnuHodn", "mnuCise", "mnuAdmi", "mnuNastDoku"})
        QVERIFY2(f.visible(shown), shown);
    QVERIFY(!f.visible("mnuNastKone"));
    const QStringList misplaced = misplacedControls(*f.window, QStringLiteral("mditamvel"));
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(QLatin1Char('\n'))));

    // Every activation refreshes the in-memory copy of the active formula.
    QCOMPARE(f.session.activeFormula, QString());
    f.session.database()->execute(
        QStringLiteral("INSERT INTO algoritmy (algoritmus, aktivni) VALUES ('Z*P', 1)"));
    f.window->activate();
    QCOMPARE(f.session.activeFormula, QStringLiteral("Z*P"));

    // "Přihlášení" logs in again through a fresh dialog.
    f.login.add(QStringLiteral("Administrator"), QString());
    f.window->action(QStringLiteral("mnuNastPrih"))->trigger();
    QCOMPARE(f.login.prefilled, (QStringList{QString(), QStringLiteral("Administrator")}));

    // A cancelled first login is not asked again.
    Fixture cancelled;
    cancelled.window->activate(); // the script has no answer: Storno
    cancelled.window->activate();
    QCOMPARE(cancelled.login.prefilled.size(), 1);
    QVERIFY(cancelled.session.loginCancelled);
    QVERIFY(!cancelled.visible("mnuRizi"));

    // Without a database the login item is hidden and no login is tried.
    settings::setDatabasePath(QString());
    Fixture none;
    QVERIFY(!none.visible("mnuNastPrih"));
    none.window->activate();
    QVERIFY(none.login.prefilled.isEmpty());
}

void TestMDITamvel::databaseCopyNeedsALogin()
{
    Fixture f;
    f.window->show();
    QTRY_VERIFY(f.session.loginCancelled); // the first login has no answer: Storno
    QCOMPARE(f.openMenu("mnuNast"),
             (QStringList{QStringLiteral("Výběr databáze"), QStringLiteral("Poslední databáze"),
                          QStringLiteral("Vytvoření databáze"), QStringLiteral("Přihlášení"),
                          QStringLiteral("Konec")}));

    f.login.add(QStringLiteral("Administrator"), QString());
    f.choose("mnuNast", "mnuNastPrih");
    QVERIFY(f.session.loggedIn);
    QCOMPARE(f.openMenu("mnuNast"),
             (QStringList{QStringLiteral("Výběr databáze"), QStringLiteral("Poslední databáze"),
                          QStringLiteral("Vytvoření databáze"), QStringLiteral("Kopie databáze"),
                          QStringLiteral("Přihlášení"), QStringLiteral("Dokumenty")}));
    f.choose("mnuNast", "mnuNastKopi");
    QCOMPARE(f.files.titles, QStringList{QStringLiteral("Kopie databáze do :")});

    // Without the administrator right the item stays hidden after the login too.
    f.session.database()->execute(QStringLiteral("UPDATE skupiny SET prava = ' '"));
    f.window->applyRights();
    QVERIFY(!f.openMenu("mnuNast").contains(QStringLiteral("Kopie databáze")));
}

void TestMDITamvel::openWindowIsBroughtToTheFront()
{
    Fixture f;
    QAction *help = f.window->action(QStringLiteral("mnuNapoKont"));
    help->trigger();
    QWidget *first = f.window->child(QStringLiteral("frmNapoveda"));
    QVERIFY(first);
    QCOMPARE(qobject_cast<HelpWindow *>(first)->currentPage(), QStringLiteral("index.html"));

    f.window->showChild(QStringLiteral("frmJine"), [] { return new QWidget; });
    QCOMPARE(f.window->mdiArea()->activeSubWindow()->widget()->objectName(),
             QStringLiteral("frmJine"));

    help->trigger();
    QCOMPARE(f.window->mdiArea()->subWindowList().size(), 2);
    QCOMPARE(f.window->mdiArea()->activeSubWindow()->widget(), first);

    // A window that closes itself takes its frame along.
    f.window->child(QStringLiteral("frmJine"))->close();
    QTRY_COMPARE(f.window->mdiArea()->subWindowList().size(), 1);

    // The documents page of the help is reachable by its anchor.
    f.window->openHelp(QStringLiteral("predpisy.html#dokumenty"));
    QCOMPARE(qobject_cast<HelpWindow *>(first)->currentPage(), QStringLiteral("predpisy.html"));
    const auto *browser = first->findChild<QTextBrowser *>(QStringLiteral("txtNapoveda"));
    QVERIFY(browser->toPlainText().contains(QStringLiteral("Nastavení › Dokumenty")));
    QVERIFY(f.messages.shown.isEmpty());
}

void TestMDITamvel::childWindowsOpenInsideTheArea()
{
    Fixture f;
    f.logIn();
    f.window->resize(520, 400);
    QMdiArea *area = f.window->mdiArea();
    for (const char *item : {"mnuNapoKont", "mnuHodnZava", "mnuCiseSyst", "mnuRiziPreh"}) {
        f.window->action(QString::fromUtf8(item))->trigger();
        const QRect place = area->activeSubWindow()->geometry();
        QVERIFY2(area->viewport()->rect().contains(place), item);
    }
    const QStringList misplaced = misplacedControls(*f.window, QStringLiteral("mditamvel-small"));
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(QLatin1Char('\n'))));
    QVERIFY(!area->horizontalScrollBar()->isVisible() && !area->verticalScrollBar()->isVisible());

    // At the size a main window first opens, every window of the menus and the risk editor
    // open inside the area with all their controls shown.
    Fixture g;
    g.logIn();
    g.window->show();
    QMdiArea *whole = g.window->mdiArea();
    const auto inside = [&](const QString &name) {
        QMdiSubWindow *sub = whole->activeSubWindow();
        QVERIFY2(sub && whole->viewport()->rect().contains(sub->geometry()), qPrintable(name));
        const QStringList wrong = misplacedControls(*sub->widget(), name);
        QVERIFY2(wrong.isEmpty(), qPrintable(name + QLatin1Char(' ') + wrong.join(u'\n')));
    };
    for (QAction *top : g.window->menuBar()->actions())
        for (QAction *item : top->menu()->actions()) {
            const QString name = item->objectName();
            if (item->menu() || item->isSeparator() || !item->isVisible() ||
                !QRegularExpression(QStringLiteral("^mnu(Rizi|Hodn|Cise|AdmiUziv|Skup|NapoKont)"))
                     .match(name)
                     .hasMatch() ||
                name == QStringLiteral("mnuRiziKone"))
                continue;
            item->trigger();
            inside(name);
        }
    g.window->action(QStringLiteral("mnuRiziPreh"))->trigger();
    qobject_cast<risks::FrmRizikaGrd *>(whole->activeSubWindow()->widget())
        ->openEditor(EditMode::New);
    inside(QStringLiteral("frmRiziko"));

    // Children that no longer fit keep their minimum and the area scrolls to them.
    f.window->resize(200, 160);
    QTRY_VERIFY(area->horizontalScrollBar()->isVisible());
    QVERIFY(area->verticalScrollBar()->isVisible());
}

void TestMDITamvel::overviewKeepsItsMinimumSize()
{
    Fixture f;
    f.logIn();
    f.window->resize(900, 700);
    f.window->action(QStringLiteral("mnuRiziPreh"))->trigger();
    QWidget *overview = f.window->child(QStringLiteral("frmRizikaGrd"));
    QMdiSubWindow *sub = f.window->mdiArea()->activeSubWindow();
    // Without a stored size it first fills the area, not maximized.
    QCOMPARE(sub->geometry(), QRect(QPoint(0, 0), f.window->mdiArea()->viewport()->size()));
    QVERIFY(!sub->isMaximized());
    const QSize opened = overview->size();
    const QSize minimum(4010 * overview->logicalDpiX() / 1440,
                        2265 * overview->logicalDpiY() / 1440);
    const auto atLeastMinimum = [&] {
        return overview->width() >= minimum.width() && overview->height() >= minimum.height();
    };
    // Its lower right corner dragged far up and left with the mouse.
    QCoreApplication::processEvents(); // the frame settles before the mouse reaches it
    const QPoint corner(sub->width() - 2, sub->height() - 2);
    QTest::mouseMove(sub, corner);
    QTest::mousePress(sub, Qt::LeftButton, {}, corner);
    QTest::mouseMove(sub, QPoint(5, 5));
    QTest::mouseRelease(sub, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(overview->width() < opened.width());
    QVERIFY(atLeastMinimum());
    // Resized by the program, as tiling does.
    sub->resize(40, 40);
    QVERIFY(atLeastMinimum());
    const QStringList misplaced = misplacedControls(*overview, QStringLiteral("rizikagrd-minimum"));
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(QLatin1Char('\n'))));
    // Closed, it keeps that size for the next opening.
    const QSize kept = overview->size();
    sub->close();
    f.window->action(QStringLiteral("mnuRiziPreh"))->trigger();
    QCOMPARE(f.window->child(QStringLiteral("frmRizikaGrd"))->size(), kept);
}

void TestMDITamvel::exportWizardsShowEveryPageWhole()
{
    Fixture f;
    f.logIn();
    f.window->resize(900, 700);
    f.session.database()->execute(
        QStringLiteral("INSERT INTO rizika (id_riziko, system, pracovnik) VALUES (1, 'Dílna', "
                       "'Lakýrník'), (2, 'Sklad', 'Skladník')"));
    const auto click = [](QWidget *window, const char *name) {
        auto *button = window->findChild<QAbstractButton *>(QString::fromUtf8(name));
        QTest::mouseClick(button, Qt::LeftButton, {},
                          QPoint(std::min(8, button->width() / 2), button->height() / 2));
    };
    // The page as the window shows it at the size it opened with: every control inside,
    // no caption cut.
    QSize opened;
    const auto pageWhole = [&](QWidget *window, const char *picture) {
        QStringList wrong = misplacedControls(*window, QString::fromUtf8(picture));
        for (const QAbstractButton *b : window->findChildren<QAbstractButton *>())
            if (b->isVisibleTo(window) && b->width() < b->minimumSizeHint().width())
                wrong << b->objectName() + QStringLiteral(" cut");
        if (window->size() != opened)
            wrong << QStringLiteral("resized");
        return wrong.join(QLatin1Char('\n'));
    };

    // The risk export: a dialog of the overview, which waits for it.
    f.window->action(QStringLiteral("mnuRiziPreh"))->trigger();
    QWidget *overview = f.window->child(QStringLiteral("frmRizikaGrd"));
    click(overview, "cmdExport");
    QWidget *xls = QApplication::activeModalWidget();
    QVERIFY(xls);
    QCOMPARE(xls->objectName(), QStringLiteral("frmExportXls"));
    QVERIFY(xls->isWindow());
    QCOMPARE(xls->windowModality(), Qt::WindowModal);
    QCOMPARE(xls->parentWidget(), overview);
    opened = xls->size();
    QCOMPARE(pageWhole(xls, "exportxls-1"), QString());
    click(xls, "cmdExport");
    QCOMPARE(pageWhole(xls, "exportxls-formatovany"), QString());
    QVERIFY(xls->findChild<QLineEdit *>(QStringLiteral("txtNadpis"))->isVisible());
    int boxes = 0;
    for (const QCheckBox *box :
         xls->findChild<QWidget *>(QStringLiteral("fraFormatovana"))->findChildren<QCheckBox *>())
        boxes += box->isVisible() ? 1 : 0;
    QCOMPARE(boxes, 28);
    for (const char *option : {"optNeformatovany", "optOOPP"}) {
        click(xls, "cmdStorno");
        click(xls, option);
        click(xls, "cmdExport");
        QCOMPARE(pageWhole(xls, option), QString());
    }
    click(xls, "cmdStorno");
    click(xls, "cmdStorno");
    QTRY_VERIFY(!QApplication::activeModalWidget());

    // The equipment export from the equipment list's popup, a window of the main window.
    f.window->action(QStringLiteral("mnuCiseOchr"))->trigger();
    QWidget *list = f.window->child(QStringLiteral("frmOOPGrd"));
    QTimer::singleShot(0, this, [&] {
        QMenu *popup = f.window->menu(QStringLiteral("mnuOopGrd"));
        QTest::mouseClick(
            popup, Qt::LeftButton, {},
            popup->actionGeometry(f.window->action(QStringLiteral("mnuOopGrdExport"))).center());
    });
    emit list->findChild<QTableView *>()->customContextMenuRequested(QPoint(5, 5));
    QWidget *oop = f.window->child(QStringLiteral("frmExportOOP"));
    QVERIFY(oop);
    QVERIFY(!oop->isWindow());
    opened = oop->size();
    QCOMPARE(pageWhole(oop, "exportoop-1"), QString());
    click(oop, "cmdTam");
    QCOMPARE(pageWhole(oop, "exportoop-systemy"), QString());
    click(oop, "cmdTam");
    QCOMPARE(pageWhole(oop, "exportoop-systemy-pracovnici"), QString());
    click(oop, "cmdZpet");
    click(oop, "cmdZpet");
    click(oop, "optPracovnici");
    click(oop, "cmdTam");
    QCOMPARE(pageWhole(oop, "exportoop-pracovnici"), QString());
    QCOMPARE(oop->findChild<QPushButton *>(QStringLiteral("cmdVyber"))->text(),
             QStringLiteral("Vyber vše"));
}

void TestMDITamvel::emptyGridLeavesOnlyNewInThePopup()
{
    Fixture f;
    const QString popup = QStringLiteral("mnuZavaGrd");
    f.window->action(QStringLiteral("mnuZavaGrdZobrazit"))->setEnabled(false); // a state of its own
    // Novy, Upravit, Vymazat and Zobrazit: on or off.
    const auto states = [&] {
        QStringList states;
        for (const char *item : {"Novy", "Upravit", "Vymazat", "Zobrazit"})
            states << (f.window->action(popup + QString::fromUtf8(item))->isEnabled()
                           ? QStringLiteral("on")
                           : QStringLiteral("off"));
        return states.join(QLatin1Char(' '));
    };
    QString whileShown;
    QTimer::singleShot(50, this, [&] {
        whileShown = states();
        f.window->menu(popup)->close();
    });
    f.window->showPopup(popup, QPoint(10, 10), true);
    QCOMPARE(whileShown, QStringLiteral("on off off off"));
    // The earlier states come back when the popup closes.
    QCOMPARE(states(), QStringLiteral("on on on off"));
}

void TestMDITamvel::windowSizeIsRestoredAtTheNextLogin()
{
    QSize saved;
    for (int run = 0; run < 3; ++run) {
        Fixture f;
        f.logIn();
        if (run > 0)
            QCOMPARE(f.window->size(), saved);
        saved = QSize(700 + 10 * run, 500 + 10 * run);
        f.window->resize(saved);
        f.window->close();
    }
}

void TestMDITamvel::selectingADatabaseStartsAgain()
{
    const QString second = m_dir.filePath(QStringLiteral("druha.mdb"));
    files::writeNewDatabase(second);
    Fixture f;
    f.logIn();
    QVERIFY(f.session.loggedIn);

    // Chosen without the extension: ".mdb" is added, and the login runs for the new file.
    f.files.answers << m_dir.filePath(QStringLiteral("druha"));
    f.login.add(QStringLiteral("Administrator"), QString());
    f.window->action(QStringLiteral("mnuNastVybe"))->trigger();
    QCOMPARE(f.files.titles.value(0), QStringLiteral("Aktuální databáze : ") + m_path);
    QCOMPARE(settings::databasePath(), second);
    QCOMPARE(f.login.prefilled.size(), 2);
    QVERIFY(f.session.loggedIn);
    QCOMPARE(f.session.database()->path(), second);
    QCOMPARE(f.statusTexts().value(1), QStringLiteral("Aktuální databáze : ") + second);

    // Cancelling the dialog changes nothing.
    f.window->action(QStringLiteral("mnuNastVybe"))->trigger();
    QCOMPARE(settings::databasePath(), second);
    QVERIFY(f.session.loggedIn);
}

void TestMDITamvel::databaseFileItemsUseTheirDialogs()
{
    Fixture f;
    f.logIn();

    // Kopie databáze proposes "<name>_cp.mdb" and writes the copy.
    const QString copy = m_dir.filePath(QStringLiteral("kopie.mdb"));
    f.files.answers << copy;
    f.window->action(QStringLiteral("mnuNastKopi"))->trigger();
    QCOMPARE(f.files.titles.last(), QStringLiteral("Kopie databáze do :"));
    QCOMPARE(f.files.proposedNames.last(),
             QFileInfo(m_path).completeBaseName() + QStringLiteral("_cp.mdb"));
    QVERIFY(Database::open(copy) != nullptr);

    // Vytvoření databáze creates the file but keeps the current database.
    const QString created = m_dir.filePath(QStringLiteral("nova"));
    f.files.answers << created;
    f.window->action(QStringLiteral("mnuNastVytv"))->trigger();
    QCOMPARE(f.files.titles.last(), QStringLiteral("Vytvoření nové databáze"));
    QVERIFY(QFileInfo(created + QStringLiteral(".mdb")).isFile());
    QCOMPARE(f.statusTexts().value(1), QStringLiteral("Aktuální databáze : ") + m_path);
    // The offer to fill it is declined here and taken for the next one, which gets the
    // starter values; the current database stays as it was.
    QCOMPARE(f.messages.shown.last().kind, QStringLiteral("ask"));
    QCOMPARE(f.messages.lastText(),
             QStringLiteral("Naplnit novou databázi výchozími hodnotami Fine–Kinney?"));
    QVERIFY(risks::scalesEmpty(*Database::open(created + QStringLiteral(".mdb"))));
    const QString filled = m_dir.filePath(QStringLiteral("naplnena.mdb"));
    f.files.answers << filled;
    f.messages.answers = {true};
    f.window->action(QStringLiteral("mnuNastVytv"))->trigger();
    QCOMPARE(f.messages.shown.last().kind, QStringLiteral("inform"));
    QCOMPARE(loadActiveFormula(*Database::open(filled)), QStringLiteral("Z*P*F"));
    QVERIFY(!risks::scalesEmpty(*Database::open(filled)));
    QVERIFY(risks::scalesEmpty(*f.session.database()));
    f.messages.shown.clear();

    // "&Export" of the equipment list opens the equipment export.
    f.window->extraAction(QStringLiteral("mnuOopGrdExport"));
    QVERIFY(f.window->child(QStringLiteral("frmExportOOP")));

    // Vymazání záznamů rizik asks twice; No keeps everything.
    f.window->action(QStringLiteral("mnuAdmiVymaz"))->trigger();
    QCOMPARE(f.messages.kinds(), QStringList{QStringLiteral("ask")});
}

void TestMDITamvel::starterValuesGoOnlyIntoEmptyScales()
{
    Fixture f;
    f.window->show();
    f.logIn();
    QVERIFY(f.session.loggedIn);
    QAction *starter = f.window->action(QStringLiteral("mnuHodnVych"));
    const auto offered = [&] {
        const bool shown = f.openMenu("mnuHodn").contains(starter->text());
        f.window->menu(QStringLiteral("mnuHodn"))->close();
        return shown && starter->isEnabled();
    };
    // Without the right to the formula editor (and not an administrator) it is not offered.
    Database &db = *f.session.database();
    const QString rights = db.scalarText(QStringLiteral("SELECT prava FROM skupiny"));
    db.execute(QStringLiteral("UPDATE skupiny SET prava = ?"),
               {QString(rights).replace(0, 1, QLatin1Char('0')).replace(22, 1, QLatin1Char('0'))});
    f.window->applyRights();
    QVERIFY(!f.window->action(QStringLiteral("mnuHodnVypo"))->isEnabled());
    QVERIFY(!offered());
    db.execute(QStringLiteral("UPDATE skupiny SET prava = ?"), {rights});
    f.window->applyRights();
    QVERIFY(offered());

    // Chosen from the menu it fills the scales and the program computes with Z*P*F at once.
    f.openMenu("mnuHodn");
    f.choose("mnuHodn", "mnuHodnVych");
    QCOMPARE(f.messages.kinds(), QStringList{QStringLiteral("inform")});
    QCOMPARE(f.session.activeFormula, QStringLiteral("Z*P*F"));
    QVERIFY(!offered());

    // Emptied again by another copy: offered when the menu opens next.
    db.execute(QStringLiteral("DELETE FROM zavaznost"));
    db.execute(QStringLiteral("DELETE FROM pravdepodobnost"));
    db.execute(QStringLiteral("DELETE FROM frekvence"));
    QVERIFY(offered());
}

void TestMDITamvel::aboutShowsVersionAndSystem()
{
    ScriptedMessages messages;
    FrmAbout about(m_path, messages);
    QCOMPARE(about.windowTitle(), QStringLiteral("About Tamvel"));
    const auto text = [&](const char *name) {
        return about.findChild<QLabel *>(QString::fromUtf8(name))->text();
    };
    QCOMPARE(text("lblTitle"), QStringLiteral("Tamvel"));
    QCOMPARE(text("lblVersion"), QStringLiteral("Verze : 1.3.4"));
    QCOMPARE(text("lblDescription"),
             QStringLiteral("Aplikace Tamvel zajišťuje sledování, ohodnocování a reportování "
                            "rizik."));
    QVERIFY(about.findChild<QPushButton *>(QStringLiteral("cmdSysInfo")));
    const QString info = FrmAbout::systemInformation(m_path).join(QLatin1Char('\n'));
    QVERIFY(info.contains(QStringLiteral("Verze SQLite: 3.")));
    QVERIFY(info.contains(m_path));
}

void TestMDITamvel::conversionItemsRunTheStepsInOrder()
{
    files::writeNewDatabase(m_path, true, {}, 0);
    Fixture f;
    f.logIn();
    // The old file warns at login and the user is logged in all the same.
    QCOMPARE(f.messages.kinds(), QStringList{QStringLiteral("fail")});
    QVERIFY(f.visible("mnuKonverze"));
    Database &db = *f.session.database();

    // A step out of order is refused.
    f.messages.shown.clear();
    f.window->action(QStringLiteral("mnuKonverze12"))->trigger();
    QCOMPARE(f.messages.kinds(), QStringList{QStringLiteral("fail")});
    QCOMPARE(conversions::detectStructure(db), 0);

    f.window->action(QStringLiteral("mnuNapoKont"))->trigger();
    QCOMPARE(f.window->mdiArea()->subWindowList().size(), 1);
    for (const char *item : {"mnuKonverze01", "mnuKonverze12", "mnuKonverze23"}) {
        f.messages.shown.clear();
        f.messages.answers = {true};
        f.window->action(QString::fromUtf8(item))->trigger();
        QCOMPARE(f.messages.kinds(),
                 QStringList({QStringLiteral("ask"), QStringLiteral("inform")}));
    }
    QCOMPARE(conversions::detectStructure(db), StructureVersion);
    // Windows that showed the old register are closed.
    QTRY_COMPARE(f.window->mdiArea()->subWindowList().size(), 0);
}

void TestMDITamvel::accessFileIsBroughtOverBeforeTheLogin()
{
    const QString old = m_dir.filePath(QStringLiteral("stary.mdb"));
    QVERIFY(QFile::copy(QStringLiteral(TAMVEL_LEGACY_FIXTURES "/legacy-v2.mdb"), old));
    const QByteArray original = fileBytes(old);

    // The selected database is an Access file: declining leaves everything as it was.
    settings::setDatabasePath(old);
    Fixture f;
    f.window->activate();
    QCOMPARE(f.messages.kinds(), QStringList{QStringLiteral("ask")});
    QVERIFY(f.messages.lastText().contains(QStringLiteral("je databáze ve formátu Access")));
    QVERIFY(!f.session.loggedIn);
    QVERIFY(f.login.prefilled.isEmpty());

    // Přihlášení offers it again; the new file is proposed beside the old one, selected,
    // and logged into.
    const QString target = m_dir.filePath(QStringLiteral("prevedena.mdb"));
    f.messages.shown.clear();
    f.messages.answers = {true};
    f.files.answers << m_dir.filePath(QStringLiteral("prevedena"));
    f.login.add(QStringLiteral("Novák"), QStringLiteral("tajne1"));
    f.window->action(QStringLiteral("mnuNastPrih"))->trigger();
    QCOMPARE(f.files.titles, QStringList{QStringLiteral("Nová databáze Tamvel")});
    QCOMPARE(f.files.proposedNames, QStringList{QStringLiteral("stary_tamvel.mdb")});
    QCOMPARE(f.messages.kinds(), QStringList({QStringLiteral("ask"), QStringLiteral("inform")}));
    QVERIFY(f.messages.lastText().contains(QStringLiteral("Nalezená struktura: x.2.x.")));
    QCOMPARE(settings::databasePath(), target);
    QVERIFY(f.session.loggedIn);
    QCOMPARE(f.session.userName, QStringLiteral("Novák"));
    QCOMPARE(f.session.database()->path(), target);
    QCOMPARE(fileBytes(old), original);

    // Choosing an Access file in Výběr databáze offers the same; No keeps the current one.
    f.messages.shown.clear();
    f.files.answers << old;
    f.window->action(QStringLiteral("mnuNastVybe"))->trigger();
    QCOMPARE(f.messages.kinds(), QStringList{QStringLiteral("ask")});
    QCOMPARE(settings::databasePath(), target);
    QVERIFY(f.session.loggedIn);
}

void TestMDITamvel::keysActOnTheWindowInFront()
{
    Fixture f;
    f.logIn();
    f.window->show();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    QMdiArea *area = f.window->mdiArea();
    const auto front = [area] { return area->activeSubWindow()->widget(); };

    // F1: the help page of the window in front.
    f.window->action(QStringLiteral("mnuHodnZava"))->trigger();
    auto *browser = qobject_cast<codelists::FrmCodeListGrid *>(front());
    QVERIFY(browser);
    QTest::keyClick(browser->grid(), Qt::Key_F1);
    auto *help = qobject_cast<HelpWindow *>(front());
    QVERIFY(help);
    QCOMPARE(help->currentPage(), QStringLiteral("hodnoceni.html"));
    QCOMPARE(HelpWindow::pageOfWindow(QStringLiteral("frmRizikaGrd")),
             QStringLiteral("prehled.html"));
    QCOMPARE(HelpWindow::pageOfWindow(QStringLiteral("frmRiziko")), QStringLiteral("rizika.html"));
    QCOMPARE(HelpWindow::pageOfWindow(QString()), QStringLiteral("index.html"));

    // Ctrl+S saves the editor in front, typed by keys; Esc is its Storno.
    const auto newEntry = [&] {
        QWidget *opened = browser->openEditor(EditMode::New);
        return opened && opened == front() ? opened : nullptr;
    };
    QWidget *editor = newEntry();
    QVERIFY(editor);
    QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("txtZavaznostPopis")),
                     QStringLiteral("Smrt"));
    QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("txtZavaznostHodnota")),
                     QStringLiteral("100"));
    QPointer<QWidget> saved = editor;
    QTest::keyClick(editor->focusWidget(), Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY(!saved);
    QCOMPARE(f.session.database()->scalarText(QStringLiteral("SELECT zavaznost_popis FROM "
                                                             "zavaznost")),
             QStringLiteral("Smrt"));

    editor = newEntry();
    QVERIFY(editor);
    QTest::keyClicks(editor->findChild<QLineEdit *>(QStringLiteral("txtZavaznostPopis")),
                     QStringLiteral("Jina"));
    QPointer<QWidget> cancelled = editor;
    QTest::keyClick(editor->focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!cancelled);
    QCOMPARE(f.session.database()->scalarText(QStringLiteral("SELECT count(*) FROM zavaznost")),
             QStringLiteral("1"));
    // A window without Storno keeps Esc to itself.
    area->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(browser->parentWidget()));
    QVERIFY(!f.window->action(QStringLiteral("actStorno"))->isEnabled());
}

void TestMDITamvel::recentDatabasesOpenAsIfChosen()
{
    const QString second = m_dir.filePath(QStringLiteral("posledni.mdb"));
    files::writeNewDatabase(second);
    Fixture f;
    f.logIn();
    f.login.add(QStringLiteral("Administrator"), QString());
    f.files.answers << second;
    f.window->action(QStringLiteral("mnuNastVybe"))->trigger();
    QVERIFY(f.session.loggedIn);
    QCOMPARE(settings::recentDatabases().mid(0, 2), (QStringList{second, m_path}));

    // Chosen with the mouse from the submenu, the first database opens with its login.
    f.window->show();
    QStringList items = f.openMenu("mnuNast");
    QVERIFY(items.contains(QStringLiteral("Poslední databáze")));
    QMenu *nast = f.window->menu(QStringLiteral("mnuNast"));
    QMenu *recent = f.window->menu(QStringLiteral("mnuNastPosl"));
    QTest::mouseClick(nast, Qt::LeftButton, {},
                      nast->actionGeometry(recent->menuAction()).center());
    QTRY_VERIFY(recent->isVisible());
    QVERIFY(recent->actions().at(1)->text().endsWith(QDir::toNativeSeparators(m_path)));
    f.login.add(QStringLiteral("Administrator"), QString());
    QTest::mouseClick(recent, Qt::LeftButton, {},
                      recent->actionGeometry(recent->actions().at(1)).center());
    QTRY_COMPARE(settings::databasePath(), m_path);
    QVERIFY(f.session.loggedIn);
    QCOMPARE(f.login.databases.last(), m_path);
    QCOMPARE(settings::recentDatabases().mid(0, 2), (QStringList{m_path, second}));

    // Never more than five; a vanished file is said and dropped.
    for (int i = 0; i < 6; ++i)
        settings::rememberDatabase(m_dir.filePath(QStringLiteral("x%1.mdb").arg(i)));
    QCOMPARE(settings::recentDatabases().size(), settings::RecentCount);
    QCOMPARE(settings::recentDatabases().first(), m_dir.filePath(QStringLiteral("x5.mdb")));
    emit recent->aboutToShow(); // listed afresh each time it opens
    recent->actions().first()->trigger();
    QCOMPARE(f.messages.shown.size(), 1);
    QVERIFY(f.messages.shown.first().text.contains(QStringLiteral("už neexistuje")));
    QVERIFY(!settings::recentDatabases().contains(m_dir.filePath(QStringLiteral("x5.mdb"))));
    QCOMPARE(f.session.database()->path(), m_path);
}

void TestMDITamvel::loginDialogNamesItsDatabase()
{
    // A first login starts in the name; the dialog says which file it opens.
    FrmLogin first(QString(), m_path);
    const QStringList misplaced = misplacedControls(first, QStringLiteral("frmlogin"));
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(QLatin1Char('\n'))));
    QVERIFY(first.findChild<QLabel *>(QStringLiteral("lblDatabaze"))
                ->text()
                .startsWith(QStringLiteral("Databáze : ") + QFileInfo(m_path).fileName()));
    const auto focused = [](const QWidget &dialog) {
        return dialog.focusWidget() ? dialog.focusWidget()->objectName() : QString();
    };
    QTRY_COMPARE(focused(first), QStringLiteral("txtUserName"));
    QTest::keyClicks(first.focusWidget(), QStringLiteral("Novak"));
    QTest::keyClick(first.focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(first.focusWidget(), QStringLiteral("tajne"));
    QTest::keyClick(first.focusWidget(), Qt::Key_Return);
    QCOMPARE(first.answer().user, QStringLiteral("Novak"));
    QCOMPARE(first.answer().password, QStringLiteral("tajne"));
    QVERIFY(first.answer().confirmed);

    // A returning user types only the password.
    FrmLogin again(QStringLiteral("Novak"), m_path);
    again.show();
    QTRY_COMPARE(focused(again), QStringLiteral("txtPassword"));
}

QTEST_MAIN(TestMDITamvel)
void TestMDITamvel::anEditorWithChangesIsAskedAboutFirst_data()
{
    using Choice = Messages::Choice;
    QTest::addColumn<QString>("typed");         // into the open editor's notes
    QTest::addColumn<bool>("clearSource");      // a required field emptied: a save is refused
    QTest::addColumn<QList<Choice>>("choices"); // answers to the question
    QTest::addColumn<QStringList>("shown");     // titles of the messages shown
    QTest::addColumn<QString>("editor");        // the editor open afterwards
    QTest::addColumn<bool>("stored");           // the typed notes were saved
    const QString viewing = QStringLiteral("Riziko (Zobrazit záznam)");
    const QString editing = QStringLiteral("Riziko (Upravit záznam)");
    const QString riziko = QStringLiteral("Riziko");
    QTest::newRow("nothing changed")
        << QString() << false << QList<Choice>() << QStringList() << viewing << false;
    QTest::newRow("typed and deleted")
        << QStringLiteral("x\b") << false << QList<Choice>() << QStringList() << viewing << false;
    QTest::newRow("Ano") << QStringLiteral("ok") << false << QList<Choice>{Choice::Yes}
                         << QStringList{riziko} << viewing << true;
    QTest::newRow("Ne") << QStringLiteral("ok") << false << QList<Choice>{Choice::No}
                        << QStringList{riziko} << viewing << false;
    QTest::newRow("Storno") << QStringLiteral("ok") << false << QList<Choice>{Choice::Cancel}
                            << QStringList{riziko} << editing << false;
    QTest::newRow("Ano, save refused")
        << QStringLiteral("ok") << true << QList<Choice>{Choice::Yes}
        << QStringList{riziko, QStringLiteral("Zdroj")} << editing << false;
}

void TestMDITamvel::anEditorWithChangesIsAskedAboutFirst()
{
    QFETCH(QString, typed);
    QFETCH(bool, clearSource);
    QFETCH(QList<Messages::Choice>, choices);
    QFETCH(QStringList, shown);
    QFETCH(QString, editor);
    QFETCH(bool, stored);
    QFile::remove(m_path);
    demo::writeDemoDatabase(m_path, 5);
    Fixture f;
    f.window->show();
    f.logIn();
    f.window->action(QStringLiteral("mnuRiziPreh"))->trigger();
    auto *grid = f.window->child(QStringLiteral("frmRizikaGrd"))->findChild<QTableView *>();
    QVERIFY(grid && grid->model()->rowCount() > 0);
    // A right click on the first row and a popup item by its underlined letter.
    const auto popup = [&](Qt::Key key) {
        const QPoint at = grid->visualRect(grid->model()->index(0, 2)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTimer::singleShot(0, this, [key] {
            if (QWidget *menu = QApplication::activePopupWidget())
                QTest::keyClick(menu, key);
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &click);
    };
    const auto openEditor = [&] {
        return qobject_cast<risks::FrmRiziko *>(f.window->child(QStringLiteral("frmRiziko")));
    };
    popup(Qt::Key_U);
    risks::FrmRiziko *first = openEditor();
    QVERIFY(first);
    const qint64 id = first->record().id;
    const QString notesBefore = first->record().notes;
    auto *notes = first->findChild<QLineEdit *>(QStringLiteral("txtPoznamky"));
    notes->end(false);
    QTest::keyClicks(notes, typed);
    if (clearSource)
        first->findChild<QLineEdit *>(QStringLiteral("txtZdroj"))->clear();
    f.messages.shown.clear();
    f.messages.choices = choices;
    popup(Qt::Key_Z);
    QStringList titles;
    for (const ScriptedMessages::Shown &m : f.messages.shown)
        titles << m.title;
    QCOMPARE(titles, shown);
    if (!shown.isEmpty())
        QCOMPARE(f.messages.shown.first().text,
                 QStringLiteral("Uložit změny rozpracovaného rizika?"));
    QTRY_COMPARE(f.window->mdiArea()->subWindowList().size(), 2); // the overview and one editor
    QCOMPARE(openEditor()->windowTitle(), editor);
    QCOMPARE(f.window->mdiArea()->activeSubWindow()->widget(), openEditor());
    auto db = Database::open(m_path);
    QCOMPARE(risks::loadRisk(*db, id)->notes, stored ? notesBefore + typed : notesBefore);

    // Closing the program asks the same way; Storno keeps it open with the typed work.
    f.messages.shown.clear();
    const bool viewed = editor.endsWith(QStringLiteral("(Zobrazit záznam)"));
    f.messages.choices = {Messages::Choice::Cancel};
    QCOMPARE(f.window->close(), viewed);
    QCOMPARE(f.messages.shown.size(), viewed ? 0 : 1);
}

void TestMDITamvel::workerImportReportsWhatItSkipped()
{
    Database::open(m_path)->execute(QStringLiteral("INSERT INTO pracovnici VALUES ('Svářeč')"));
    const QString names = m_dir.filePath(QStringLiteral("pracovnici.csv"));
    QFile file(names);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\xEF\xBB\xBF"
               "Lakýrník;dílna\r\nSvářeč;svařovna\r\n\r\n"
               "Pracovník s velmi dlouhým názvem;x\r\n");
    file.close();
    Fixture f;
    f.window->show();
    f.logIn();
    f.window->action(QStringLiteral("mnuCisePrac"))->trigger();
    auto *grid = f.window->child(QStringLiteral("frmPracGrid"))->findChild<QTableView *>();
    QVERIFY(grid);

    // "&Import" of the browser's popup, chosen by its underlined letter.
    f.files.answers << names;
    f.messages.shown.clear();
    const QPoint at = grid->visualRect(grid->model()->index(0, 0)).center();
    QTimer::singleShot(0, this, [] {
        if (QWidget *menu = QApplication::activePopupWidget())
            QTest::keyClick(menu, Qt::Key_I);
    });
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &click);

    QCOMPARE(f.files.titles, QStringList{QStringLiteral("Import pracovníků/činností")});
    QCOMPARE(f.messages.kinds(), QStringList{QStringLiteral("inform")});
    QCOMPARE(f.messages.lastText(),
             QStringLiteral("Importováno pracovníků/činností: 1\nPřeskočeno: 2\nSvářeč – už "
                            "existuje\nPracovník s velmi dlouhým názvem – delší než 30 znaků"));
    // The browser shows the list as it is now.
    QStringList listed;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        listed << grid->model()->index(row, 0).data().toString();
    QCOMPARE(listed, (QStringList{QStringLiteral("Lakýrník"), QStringLiteral("Svářeč")}));
}

#include "tst_mditamvel.moc"
