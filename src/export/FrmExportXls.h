#pragma once

#include "export/RiskExport.h"

#include <QUrl>
#include <QVector>
#include <QWidget>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tamvel {

class Database;
class FileDialogs;
class Messages;

// "Export do MS Excel": a two-step wizard that writes the overview's risks, in the
// overview's order, into a workbook, formatted as a form or as plain sheets.
class FrmExportXls : public QWidget
{
    Q_OBJECT

public:
    FrmExportXls(Database &db, Messages &messages, FileDialogs &files, const QString &user,
                 QVector<qint64> exportList, QWidget *parent = nullptr);
    ~FrmExportXls() override;

    // Opens the finished workbook; the desktop's association unless a test replaces it.
    void setOpener(std::function<bool(const QUrl &)> opener) { m_opener = std::move(opener); }

    // The choices of page 2 as the export takes them.
    exports::RiskExportOptions options() const;
    // The path of the last workbook written; empty before.
    const QString &writtenPath() const { return m_written; }

private:
    void storno();
    void next();
    void showPage(int page);
    void toggleAll();
    void runExport();

    Database &m_db;
    Messages &m_messages;
    FileDialogs &m_files;
    QString m_user;
    QVector<qint64> m_ids;
    std::function<bool(const QUrl &)> m_opener;
    QString m_written;

    QGroupBox *m_fraExport;
    QGroupBox *m_fraFormatovana;
    QGroupBox *m_fraNeformatovana;
    QRadioButton *m_optFormatovany;
    QRadioButton *m_optNeformatovany;
    QRadioButton *m_optOOPP;
    QLineEdit *m_txtNadpis;
    QVector<QCheckBox *> m_items; // the form's fields, then its sub-tables
    QStringList m_itemFields;     // the column of each field's box
    QCheckBox *m_chkRizikaN;
    QCheckBox *m_chkDilciN;
    QCheckBox *m_chkOOPPN;
    QCheckBox *m_chkPredpisyN;
    QPushButton *m_cmdVse;
    QPushButton *m_cmdStorno;
    QPushButton *m_cmdExport;
};

} // namespace tamvel
