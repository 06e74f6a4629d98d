#pragma once

#include "codelists/CodeList.h"
#include "codelists/Systems.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QListWidget;
class QMdiArea;
class QMdiSubWindow;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tamvel {

class Database;
class Messages;

namespace codelists {

class BrowserHost;

// The systems tree, edited in place: the tree on the left, the chosen system's name, parent
// and workers on the right, written by one save button whose caption tells the mode.
class FrmSystemy : public QWidget
{
    Q_OBJECT

public:
    FrmSystemy(Database &db, Messages &messages, BrowserHost &host, QWidget *parent = nullptr);

    // EditMode::View while the shown system is only viewed.
    EditMode mode() const { return m_mode; }
    // The system whose values are shown ("" for the "nezařazené" node or an empty tree).
    QString shownSystem() const { return m_loaded.name; }
    bool hasUnsavedChanges() const { return m_unsaved; }

    // Makes the system the current node, as a click on it does.
    void selectSystem(const QString &name);
    // What the popup item of that object name does ("mnuSystTrvNovy", "mnuSystTrvUpravit",
    // "mnuSystTrvVymazat").
    void popupItem(const QString &actionName);
    // The save button.
    void save();
    // The staffing dialog on the shown worker list.
    void editWorkers();
    // "Zavřít": closes the window with its MDI frame, unless a path is too long.
    void closeWindow();
    QStringList workers() const;
    void setWorkers(const QStringList &workers);
    // Closes without the path check, for when the main window must close every child
    // (another database, a new login); the user's closing is refused while a path is too long.
    void closeUnchecked();

public slots:
    // The main window calls this whenever the window comes to the front.
    void activated();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void rebuild(const QString &select);
    void showSystem(const QString &name);
    void fillParents(const QStringList &excluded, const QString &current);
    QString currentParent() const;
    void currentChanged(QTreeWidgetItem *current, QTreeWidgetItem *previous);
    void showPopup(const QPoint &pos);
    void setViewing();
    void unlock();
    void trackChanges();
    void watchActivation();
    void subWindowActivated(QMdiSubWindow *now);
    bool pathsFit();
    QTreeWidgetItem *itemOf(const QString &name) const;

    Database &m_db;
    Messages &m_messages;
    BrowserHost &m_host;
    QTreeWidget *m_tree;
    QLineEdit *m_name;
    QComboBox *m_parent;
    QListWidget *m_workers;
    QPushButton *m_staff;
    QPushButton *m_save;
    QPushButton *m_close;

    EditMode m_mode = EditMode::View;
    systems::SystemData m_loaded; // the shown system as stored
    QStringList m_systems;        // every system, Czech order
    bool m_unsaved = false;
    bool m_filling = false;
    bool m_revertPending = false;
    bool m_checking = false;
    bool m_closeUnchecked = false;
    bool m_active = false;
    QPointer<QMdiArea> m_area;
};

// The staffing of one system: "V systému" on the left, the other workers/activities on the
// right. Nothing is written here; the systems window takes the left list and saves it.
class FrmSystemPracovnici : public QDialog
{
    Q_OBJECT

public:
    // `system` is the name the system's risks carry, for the removal check.
    FrmSystemPracovnici(Database &db, Messages &messages, const QString &system,
                        const QStringList &workers, QWidget *parent = nullptr);

    // "V systému" as it is now.
    QStringList workers() const;
    QStringList possible() const;

    // The arrow buttons: the selected lines, or all.
    void moveLeft(bool all);
    void moveRight(bool all);

private:
    Database &m_db;
    Messages &m_messages;
    QString m_system;
    QListWidget *m_inSystem;
    QListWidget *m_possible;
};

} // namespace codelists
} // namespace tamvel
