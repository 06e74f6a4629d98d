#pragma once

#include "codelists/CodeList.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace tamvel {

namespace ui {
struct GridCommands;
}

class Database;
class Messages;

namespace codelists {

class FrmCodeListGrid;

// What a browser needs from the main window: its popup menus, the program-wide mode word
// and a place for the editor.
class BrowserHost
{
public:
    virtual ~BrowserHost() = default;
    // Shows the named popup; with an empty grid only "&Nový" is usable. Returns the chosen
    // item, or nullptr.
    virtual QAction *popup(const QString &name, const QPoint &globalPos, bool gridEmpty) = 0;
    // Records the mode an editor is opened in, as the program-wide mode word.
    virtual void setMode(EditMode mode) = 0;
    // Shows an editor as a window of the main window.
    virtual void showEditor(QWidget *editor) = 0;
    // A popup item the browser does not handle itself (e.g. "&Export").
    virtual void extraAction(const QString &actionName) = 0;
    // The folder of the regulations' documents.
    virtual QString documentsFolder() const { return QString(); }
    // Whether a popup item (the popup's name followed by the item) may be chosen now; the
    // grids' keys and double-click do only what their popup would.
    virtual bool popupItemEnabled(const QString &actionName) const
    {
        Q_UNUSED(actionName);
        return true;
    }
};

// The browser of one code list: a grid sorted by a header click, the popup, the editor.
class FrmCodeListGrid : public QWidget
{
    Q_OBJECT

public:
    FrmCodeListGrid(const CodeList &codeList, Database &db, Messages &messages, BrowserHost &host,
                    QWidget *parent = nullptr);

    const CodeList &codeList() const { return m_list; }
    QTableView *grid() const { return m_grid; }
    int sortColumn() const { return m_sortColumn; }
    bool ascending() const { return m_ascending; }
    QStringList activeEntry() const { return m_active; }
    void setActiveEntry(const QStringList &key) { m_active = key; }
    bool isEmpty() const { return m_keys.isEmpty(); }

    // Opens the editor in a mode on the active entry.
    QWidget *openEditor(EditMode mode);
    // As a click on the header of a column.
    void sortBy(int column);

public slots:
    // Every activation shows the list as it is now, the active entry selected.
    void activated();

signals:
    // A popup item that opens no editor (e.g. "&Přidat" of the regulation picker).
    void popupItemChosen(const QString &actionName);

private:
    void showPopup(const QPoint &pos);
    // A popup item by its full name, as if chosen from the popup.
    void choose(const QString &actionName);
    ui::GridCommands gridCommands();
    void rowChanged();

    const CodeList &m_list;
    Database &m_db;
    Messages &m_messages;
    BrowserHost &m_host;
    QTableView *m_grid;
    QStandardItemModel *m_model;
    QVector<QStringList> m_keys;
    QStringList m_active;
    int m_sortColumn = 0;
    bool m_ascending = true;
    bool m_filling = false;
};

// The editor of one code list in one mode.
class CodeListEditor : public QWidget
{
    Q_OBJECT

public:
    CodeListEditor(const CodeList &codeList, EditMode mode, const QStringList &key, Database &db,
                   Messages &messages, FrmCodeListGrid *browser, QWidget *parent = nullptr);

    EditMode mode() const { return m_mode; }
    QWidget *input(int index) const { return m_inputs.value(index); }
    QStringList values() const;
    void save();

public slots:
    void activated();

private:
    void setValues(const QStringList &values);
    // The entry as stored now, in place of the typed values; false when it is gone.
    bool reload();

    const CodeList &m_list;
    EditMode m_mode;
    Database &m_db;
    Messages &m_messages;
    QPointer<FrmCodeListGrid> m_browser;
    QStringList m_key;
    QStringList m_old;
    QVector<QWidget *> m_inputs;
    QPushButton *m_save;
};

// Writes an accepted plan for an editor and selects the written entry in the browser. True
// when the editor closes: written, nothing to write, or the write failed and was reported;
// false after an engine error, which leaves the editor as it was. When the record changed
// meanwhile the user chooses: reload() shows it as stored now (false when it is gone, and the
// editor closes), or the editor stays with the typed values.
bool commitPlan(Database &db, Messages &messages, const SavePlan &plan, FrmCodeListGrid *browser,
                const std::function<bool()> &reload);

} // namespace codelists
} // namespace tamvel
