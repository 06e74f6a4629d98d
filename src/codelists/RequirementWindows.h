#pragma once

#include "codelists/Requirements.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTableWidget;

namespace tamvel {

class Database;
class Messages;

namespace codelists {

class BrowserHost;
class FrmCodeListGrid;

// The requirements catalogue "Požadavky": one requirement at a time, moved through with
// the scroll bar, its four text parts edited in place, and its related regulations.
class FrmPozadavky : public QWidget
{
    Q_OBJECT

public:
    enum class State { Browsing, New, Editing };

    // As a picker, the first button reads "Vybrat" while browsing and chooses the shown
    // requirement.
    FrmPozadavky(Database &db, Messages &messages, BrowserHost &host, bool picker = false,
                 QWidget *parent = nullptr);

    State state() const { return m_state; }
    qint64 currentId() const { return m_current; }
    int position() const; // 1-based, 0 when empty
    void moveTo(int position);

    // The buttons of the requirement and of its regulations.
    void newOrSave();    // "Nový" / "Uložit"
    void editOrCancel(); // "Upravit" / "Storno"
    void remove();       // "Vymazat"
    void addRegulation(qint64 id);
    void removeRegulation();
    void pickRegulation(); // "Přidat": the regulation picker

public slots:
    void activated();

signals:
    void requirementChosen(qint64 id);

private:
    void reload(qint64 select);
    void showRequirement();
    void showRegulations();
    void setState(State state);
    // After a colleague's change: whether to show the requirement as stored now.
    void conflict();

    Database &m_db;
    Messages &m_messages;
    BrowserHost &m_host;
    QVector<qint64> m_ids;
    qint64 m_current = 0;
    Requirement m_loaded; // the current requirement as stored when shown
    QVector<qint64> m_regulations;
    State m_state = State::Browsing;
    bool m_pickerMode;
    QVector<QLineEdit *> m_parts;
    QLabel *m_count;
    QScrollBar *m_scroll;
    QTableWidget *m_grid;
    QPushButton *m_first;
    QPushButton *m_second;
    QPushButton *m_delete;
    QPushButton *m_add;
    QPushButton *m_removeRegulation;
    QPointer<FrmCodeListGrid> m_picker;
};

} // namespace codelists
} // namespace tamvel
