#pragma once

#include "app/Login.h"
#include "codelists/CodeListWindows.h"

#include <QHash>
#include <QMainWindow>

#include <functional>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPushButton;
class QTimer;

namespace tamvel {

class FileDialogs;
class Messages;
class Session;

// What the main window asks the user through: message boxes, file dialogs, the login
// dialog. Tests hand in scripted ones.
struct Interaction
{
    Messages &messages;
    FileDialogs &files;
    LoginPrompt &login;
};

// The main window: the menus, an MDI area for every child window, the status bar with the
// user and the current database, and the popup menus the browsers show.
class MDITamvel : public QMainWindow, public codelists::BrowserHost
{
    Q_OBJECT

public:
    MDITamvel(Session &session, Interaction interaction, QWidget *parent = nullptr);
    ~MDITamvel() override;

    static QString title();

    QMdiArea *mdiArea() const { return m_mdi; }
    // A menu item or popup item by its object name (nullptr when there is none).
    QAction *action(const QString &name) const { return m_actions.value(name); }
    QMenu *menu(const QString &name) const { return m_menus.value(name); }

    // What every activation of the window does: title, status bar and menus refreshed,
    // and on the first activation with a database the login.
    void activate();
    // Title, status bar and menus by the login state.
    void refresh();
    // The login of "Přihlášení" and of the first activation.
    bool logIn();
    // The logged-in user's rights applied to the menus (every activation and every 10 s).
    void applyRights();
    // The in-memory copy of the active risk formula (every activation and after saving).
    void loadActiveFormula();
    // "Výchozí hodnoty Fine–Kinney" is offered while the scales are empty, to a user who may
    // open every item of its menu.
    void updateStarterItem();

    // Shows the child window of that object name, creating it when it is not open yet;
    // an open one is brought to the front with its current content.
    QMdiSubWindow *showChild(const QString &name, const std::function<QWidget *()> &create);
    QWidget *child(const QString &name) const;

    // Shows a popup of the main window for a browser; with an empty grid its edit, delete
    // and view items are disabled while it is shown. Returns the chosen item.
    QAction *showPopup(const QString &name, const QPoint &globalPos, bool gridEmpty);

    // Opens the risk overview, from which the risk editor opens.
    void openRiskOverview();
    // Opens the browser of a code list (by the browser's window name).
    void openCodeList(const QString &browserName);

    // What the code-list browsers ask of the main window.
    QAction *popup(const QString &name, const QPoint &globalPos, bool gridEmpty) override
    {
        return showPopup(name, globalPos, gridEmpty);
    }
    void setMode(EditMode mode) override;
    void showEditor(QWidget *editor) override;
    void extraAction(const QString &actionName) override;
    QString documentsFolder() const override;
    bool popupItemEnabled(const QString &actionName) const override;

    void openHelp(const QString &page = QStringLiteral("index.html"));

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // False when an open risk editor with changes is to stay (the user chose Storno, or its
    // save was refused); that editor is brought to the front.
    bool riskEditorsGiveWay();
    void queueActivation();
    // The menu bar, whose items are connected as they are made, and the browsers' popups.
    void buildMenus();
    // A new child window inside the area at a size that fits it.
    void fitIntoArea(QMdiSubWindow *sub) const;
    void applyWindowSize(const WindowSize &size);
    WindowSize currentWindowSize() const;
    void saveWindowSize();
    void closeDatabaseWindows();
    QString databaseFolder() const;

    void selectDatabase();
    // As a file chosen in "Výběr databáze": a file of the old program is brought over first.
    void openChosenDatabase(QString path);
    void listRecentDatabases();
    void openRecent(const QString &path);
    // A visible, enabled button of that name in the child window in front.
    QPushButton *activeChildButton(const char *name) const;
    void clickInActiveChild(const char *buttonName);
    void updateChildKeys();
    void createDatabase();
    void fillStarterValues();
    void copyDatabase();
    void clearRisks();
    void convertStructure(int source);
    void switchToDatabase(const QString &path);
    // The new database an Access file was brought into; empty when it was not.
    QString importAccessFile(const QString &source, const QString &currentPath);
    void chooseDocumentsFolder();
    void showAbout();
    void changePassword();
    void openSubTasks();
    void openFormulaEditor();
    void openSystems();
    void openRequirements();
    void openUsers();
    void openGroups();

    Session &m_session;
    Interaction m_interaction;
    QMdiArea *m_mdi;
    QLabel *m_userPanel;
    QLabel *m_databasePanel;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
    QTimer *m_rightsTimer;
    bool m_activationQueued = false;
    bool m_shown = false;
};

} // namespace tamvel
