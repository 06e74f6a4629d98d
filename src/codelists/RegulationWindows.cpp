#include "codelists/RegulationWindows.h"
#include "ui/Widgets.h"

#include "codelists/CodeListWindows.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "ui/DateField.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace tamvel::ui;

namespace tamvel::codelists {

FrmDokumentyAdd::FrmDokumentyAdd(const QString &folder, QWidget *parent)
    : QDialog(parent), m_folder(folder), m_files(new QListWidget(this))
{
    setObjectName(QStringLiteral("frmDokumentyAdd"));
    setWindowTitle(QStringLiteral("Přidání "));
    m_files->setObjectName(QStringLiteral("fltPridat"));
    m_files->addItems(QDir(folder).entryList(documentPatterns(), QDir::Files, QDir::Name));
    QPushButton *add = button(this, "cmdPridat", QStringLiteral("Přidat"));
    QPushButton *cancel = button(this, "cmdStorno", QStringLiteral("Storno"));
    const auto choose = [this] {
        if (const QListWidgetItem *item = m_files->currentItem())
            m_chosen = QDir(m_folder).filePath(item->text());
        accept();
    };
    connect(add, &QPushButton::clicked, this, choose);
    connect(m_files, &QListWidget::itemDoubleClicked, this, choose);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(add);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_files);
    layout->addLayout(buttons);
    resize(360, 300);
}

FrmPredpis::FrmPredpis(EditMode mode, qint64 id, Database &db, Messages &messages,
                       const QString &documentsFolder, FrmCodeListGrid *browser, QWidget *parent)
    : QWidget(parent), m_mode(mode), m_id(id), m_db(db), m_messages(messages),
      m_folder(documentsFolder), m_browser(browser), m_type(new QComboBox(this)),
      m_number(lineEdit(this, "txtCislo", 15)), m_title(lineEdit(this, "txtNazev", 250)),
      m_issued(new DateField(QStringLiteral("medVydano"), QStringLiteral("cdmKalendar"), &messages,
                             this)),
      m_note(lineEdit(this, "txtPoznamka", 250)), m_documents(new QListWidget(this))
{
    setObjectName(QStringLiteral("frmPredpis"));
    setWindowTitle(QStringLiteral("Předpisy") + captionSuffix(mode));
    m_type->setObjectName(QStringLiteral("cmbTyp"));
    m_documents->setObjectName(QStringLiteral("lstDokumenty"));
    m_documents->setSelectionMode(QAbstractItemView::ExtendedSelection);

    QPushButton *add = button(this, "cmdPridat", QStringLiteral("Přidat"));
    QPushButton *remove = button(this, "cmdOdebrat", QStringLiteral("Odebrat"));
    QPushButton *show = button(this, "cmdZobrazit", QStringLiteral("Zobrazit"));
    const SaveCancelRow buttons = saveCancelRow(
        this, mode == EditMode::Delete ? QStringLiteral("Vymazat") : QStringLiteral("Uložit"));
    buttons.save->setVisible(mode != EditMode::View);
    connect(add, &QPushButton::clicked, this, [this] {
        if (!requireDocumentsFolder(m_folder, m_messages))
            return;
        FrmDokumentyAdd picker(m_folder, this);
        if (picker.exec() == QDialog::Accepted)
            addDocument(picker.chosenPath());
    });
    connect(remove, &QPushButton::clicked, this, &FrmPredpis::removeDocuments);
    connect(show, &QPushButton::clicked, this, &FrmPredpis::showDocument);
    connect(buttons.save, &QPushButton::clicked, this, &FrmPredpis::save);

    auto *documentButtons = new QVBoxLayout;
    documentButtons->addWidget(add);
    documentButtons->addWidget(remove);
    documentButtons->addWidget(show);
    documentButtons->addStretch();
    auto *documents = new QHBoxLayout;
    documents->addWidget(m_documents);
    documents->addLayout(documentButtons);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Typ :"), m_type);
    form->addRow(QStringLiteral("Číslo :"), m_number);
    form->addRow(QStringLiteral("Název :"), m_title);
    form->addRow(QStringLiteral("Vydáno :"), m_issued);
    form->addRow(QStringLiteral("Poznámka :"), m_note);
    form->addRow(QStringLiteral("Dokumenty :"), documents);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons.layout);
    resize(560, 380);

    activated();
    if (mode != EditMode::New)
        load();
    const bool locked = mode == EditMode::Delete || mode == EditMode::View;
    m_type->setEnabled(!locked);
    for (QLineEdit *edit : {m_number, m_title, m_note})
        edit->setReadOnly(locked);
    m_issued->setLocked(locked);
    add->setEnabled(!locked);
    remove->setEnabled(!locked);
}

bool FrmPredpis::load()
{
    std::optional<Regulation> loaded;
    try {
        loaded = loadRegulation(m_db, m_id);
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
        return true; // unreadable now: the editor stays as it is
    }
    if (!loaded)
        return false;
    m_old = *loaded;
    if (m_type->findText(m_old.type) < 0 && !m_old.type.isEmpty())
        m_type->addItem(m_old.type);
    m_type->setCurrentIndex(m_type->findText(m_old.type));
    m_number->setText(m_old.number);
    m_title->setText(m_old.title);
    m_issued->setDate(m_old.issued);
    m_note->setText(m_old.note);
    m_documents->clear();
    m_documents->addItems(m_old.documents);
    return true;
}

void FrmPredpis::activated()
{
    const QString current = m_type->currentText();
    try {
        const Rows rows = m_db.query(QStringLiteral("SELECT typ FROM typ ORDER BY typ COLLATE CS"));
        m_type->clear();
        for (int i = 0; i < rows.size(); ++i)
            m_type->addItem(rows.at(i, 0).toString().trimmed());
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
    m_type->setCurrentIndex(m_type->findText(current));
}

Regulation FrmPredpis::regulation() const
{
    Regulation r;
    r.id = m_old.id;
    r.type = m_type->currentText();
    r.number = m_number->text();
    r.title = m_title->text();
    r.issued = m_issued->date().value_or(QDate());
    r.note = m_note->text();
    for (int i = 0; i < m_documents->count(); ++i)
        r.documents << m_documents->item(i)->text();
    return r;
}

void FrmPredpis::save()
{
    if (m_mode != EditMode::Delete && !m_issued->date()) {
        m_messages.warn(QStringLiteral("Datum"),
                        QStringLiteral("Zadejte datum ve tvaru DD.MM.RRRR !"));
        m_issued->edit()->setFocus();
        return;
    }
    SavePlan plan;
    try {
        plan = checkRegulation(m_db, m_mode, m_old, regulation());
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
        return;
    }
    switch (showPrompts(m_messages, plan.prompts)) {
    case PromptResult::Declined:
        return;
    case PromptResult::Refused: {
        QWidget *fields[] = {m_type, m_number, m_title, m_issued->edit(), m_note};
        if (plan.focus >= 0 && plan.focus < 5) {
            fields[plan.focus]->setFocus();
            if (auto *edit = qobject_cast<QLineEdit *>(fields[plan.focus]); edit && plan.selectAll)
                edit->selectAll();
        }
        return;
    }
    case PromptResult::Accepted:
        break;
    }
    if (commitPlan(m_db, m_messages, plan, m_browser, [this] { return load(); }))
        close();
}

void FrmPredpis::addDocument(const QString &pickedPath)
{
    QStringList listed;
    for (int i = 0; i < m_documents->count(); ++i)
        listed << m_documents->item(i)->text();
    const QString name = documentToAdd(pickedPath, m_folder, listed, m_messages);
    if (!name.isEmpty())
        m_documents->addItem(name);
}

void FrmPredpis::removeDocuments()
{
    if (!requireDocumentsFolder(m_folder, m_messages))
        return;
    qDeleteAll(m_documents->selectedItems());
}

void FrmPredpis::showDocument()
{
    if (!requireDocumentsFolder(m_folder, m_messages))
        return;
    const QListWidgetItem *item = m_documents->currentItem();
    if (!item)
        return;
    const QString path = documentToOpen(m_folder, item->text(), m_messages);
    if (!path.isEmpty() && !QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        m_messages.fail(QStringLiteral("Dokumenty"),
                        QStringLiteral("Nelze najít asociovaný program"));
}

} // namespace tamvel::codelists
