#pragma once

#include "codelists/CodeList.h"
#include "codelists/Regulations.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tamvel {

class DateField;
class Database;
class Messages;

namespace codelists {

class FrmCodeListGrid;

// "Přidání ": the documents of the documents folder to choose from.
class FrmDokumentyAdd : public QDialog
{
    Q_OBJECT

public:
    explicit FrmDokumentyAdd(const QString &folder, QWidget *parent = nullptr);
    // The chosen file's full path; empty after Storno.
    QString chosenPath() const { return m_chosen; }

private:
    QString m_folder;
    QListWidget *m_files;
    QString m_chosen;
};

// The regulation editor: type, number, title, issue date, note and its documents.
class FrmPredpis : public QWidget
{
    Q_OBJECT

public:
    FrmPredpis(EditMode mode, qint64 id, Database &db, Messages &messages,
               const QString &documentsFolder, FrmCodeListGrid *browser, QWidget *parent = nullptr);

    Regulation regulation() const;
    void save();
    void addDocument(const QString &pickedPath);
    void removeDocuments();
    void showDocument();

public slots:
    void activated();

private:
    // Shows the regulation as stored now; false when it is gone.
    bool load();

    EditMode m_mode;
    qint64 m_id;
    Database &m_db;
    Messages &m_messages;
    QString m_folder;
    QPointer<FrmCodeListGrid> m_browser;
    Regulation m_old;
    QComboBox *m_type;
    QLineEdit *m_number;
    QLineEdit *m_title;
    DateField *m_issued;
    QLineEdit *m_note;
    QListWidget *m_documents;
};

} // namespace codelists
} // namespace tamvel
