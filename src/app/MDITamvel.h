#pragma once

#include <QMainWindow>

class QLabel;
class QMdiArea;

namespace tamvel {

// The main window: an MDI area for every child window, and a status bar with the user
// and the current database.
class MDITamvel : public QMainWindow
{
    Q_OBJECT

public:
    explicit MDITamvel(QWidget *parent = nullptr);

    QMdiArea *mdiArea() const { return m_mdi; }
    void showState(const QString &user, const QString &databasePath);

    static QString title();

private:
    QMdiArea *m_mdi;
    QLabel *m_userPanel;
    QLabel *m_databasePanel;
};

} // namespace tamvel
