#pragma once

#include "export/EquipmentExport.h"

#include <QUrl>
#include <QWidget>

#include <functional>

class QGroupBox;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tamvel {

class Database;
class FileDialogs;
class Messages;

// "Export OOPP": a wizard that chooses workers, directly or through the systems whose risks
// name them, and writes their provided and missing protective equipment into a workbook.
class FrmExportOOP : public QWidget
{
    Q_OBJECT

public:
    FrmExportOOP(Database &db, Messages &messages, FileDialogs &files, const QString &user,
                 QWidget *parent = nullptr);
    ~FrmExportOOP() override;

    // Opens the finished workbook; the desktop's association unless a test replaces it.
    void setOpener(std::function<bool(const QUrl &)> opener) { m_opener = std::move(opener); }

    // "System" or "Pracovnici" on the first page, "System1", "System2" or "Pracovnici1".
    const QString &state() const { return m_state; }
    // The checked systems of the tree, in tree order.
    QStringList checkedSystems() const;
    // What the export takes: the choice with the selected workers in list order.
    exports::EquipmentChoice choice() const;
    // The path of the last workbook written; empty before.
    const QString &writtenPath() const { return m_written; }

private:
    void back();
    void forward();
    void showFirstPage();
    void showSystems();
    void showWorkers(const QStringList &workers);
    void toggleAll();
    void carryCheck(QTreeWidgetItem *item, int column);
    void runExport();

    Database &m_db;
    Messages &m_messages;
    FileDialogs &m_files;
    QString m_user;
    std::function<bool(const QUrl &)> m_opener;
    QString m_state;
    QString m_written;
    exports::EquipmentChoice m_systemsChoice; // of the last ">>" on the systems page
    bool m_carrying = false;

    QGroupBox *m_frame1;
    QRadioButton *m_optSystem;
    QRadioButton *m_optPracovnici;
    QTreeWidget *m_trvSystemy;
    QListWidget *m_lstPracovnici;
    QPushButton *m_cmdVyber;
    QPushButton *m_cmdZpet;
    QPushButton *m_cmdTam;
};

} // namespace tamvel
