#include "risks/FrmRiziko.h"
#include "ui/Widgets.h"

#include "codelists/CodeListWindows.h"
#include "codelists/RequirementWindows.h"
#include "codelists/Requirements.h"
#include "codelists/Systems.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "risks/FrmDilciUkol.h"
#include "risks/FrmRizikaAddOOPP.h"
#include "risks/SubTask.h"
#include "ui/DateField.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace tamvel::ui;

namespace tamvel::risks {

namespace {

QComboBox *combo(QWidget *parent, const char *name)
{
    // Only a choice from the list: the box takes no typing.
    auto *box = named(new QComboBox(parent), name);
    box->setEditable(false);
    box->setMinimumContentsLength(24);
    return box;
}

QTableWidget *table(QWidget *parent, const char *name, const QStringList &headers)
{
    auto *grid = named(new QTableWidget(0, int(headers.size()), parent), name);
    grid->setHorizontalHeaderLabels(headers);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

void fillCombo(QComboBox *box, const QStringList &items)
{
    const QString current = box->currentText();
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(box->findText(current));
}

// Shows a stored value even when the code list no longer offers it.
void choose(QComboBox *box, const QString &value)
{
    if (!value.isEmpty() && box->findText(value) < 0)
        box->addItem(value);
    box->setCurrentIndex(box->findText(value));
}

QStringList column(Database &db, const QString &sql, const Values &values = {})
{
    QStringList items;
    db.forEach(sql, values,
               [&](const RowView &row) { items << row.value(0).toString().trimmed(); });
    return items;
}

// "frmRizikoSystemy": the systems tree; a click chooses the system, the picker stays open.
class FrmRizikoSystemy : public QDialog
{
public:
    FrmRizikoSystemy(Database &db, FrmRiziko *editor) : QDialog(editor)
    {
        setObjectName(QStringLiteral("frmRizikoSystemy"));
        setWindowTitle(QStringLiteral("Systémy"));
        auto *tree = named(new QTreeWidget(this), "trvSystemy");
        tree->setHeaderHidden(true);
        const std::function<void(QTreeWidgetItem *, const systems::TreeNode &)> add =
            [&](QTreeWidgetItem *parent, const systems::TreeNode &node) {
                auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
                item->setText(0, node.name);
                item->setData(0, Qt::UserRole, !node.unassigned);
                for (const systems::TreeNode &child : node.children)
                    add(item, child);
            };
        for (const systems::TreeNode &root : systems::loadTree(db))
            add(nullptr, root);
        tree->expandAll();
        connect(tree, &QTreeWidget::itemClicked, this, [editor](QTreeWidgetItem *item) {
            if (item->data(0, Qt::UserRole).toBool())
                editor->setSystem(item->text(0));
        });
        auto *close = named(new QPushButton(QStringLiteral("Zavřít"), this), "cmdZavrit");
        connect(close, &QPushButton::clicked, this, &QDialog::accept);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(tree);
        layout->addWidget(close, 0, Qt::AlignRight);
        resize(420, 460);
    }
};

} // namespace

FrmRiziko::FrmRiziko(Database &db, Messages &messages, codelists::BrowserHost &host, EditMode mode,
                     qint64 id, const QString &activeFormula, QWidget *parent)
    : QWidget(parent), m_db(db), m_messages(messages), m_host(host), m_activeFormula(activeFormula),
      m_pages(named(new QTabWidget(this), "tbsRiziko"))
{
    setObjectName(QStringLiteral("frmRiziko"));
    // A copy is edited like the risk it copies and saved as a new one.
    m_copy = mode == EditMode::Copy;
    m_mode = m_copy ? EditMode::Edit : mode;
    buildPages();
    fillChoices();

    switch (m_mode) {
    case EditMode::New:
        setWindowTitle(QStringLiteral("Riziko"));
        break;
    case EditMode::Edit:
    case EditMode::Copy:
        setWindowTitle(m_copy ? QStringLiteral("Riziko (Kopie záznamu)")
                              : QStringLiteral("Riziko (Upravit záznam)"));
        break;
    case EditMode::Delete:
        setWindowTitle(QStringLiteral("Riziko (Vymazat záznam)"));
        m_save->setText(QStringLiteral("Vymazat"));
        break;
    case EditMode::View:
    case EditMode::ViewFromOverview:
        setWindowTitle(QStringLiteral("Riziko (Zobrazit záznam)"));
        m_save->hide();
        break;
    }

    if (m_mode != EditMode::New)
        load(id);
    else
        showOpened();
}

bool FrmRiziko::load(qint64 id)
{
    std::optional<RiskRecord> loaded;
    try {
        loaded = loadRisk(m_db, id);
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
    if (loaded)
        m_opened = *loaded;
    showOpened();
    return loaded.has_value();
}

void FrmRiziko::showOpened()
{
    showRecord(m_opened);
    const bool closed = m_opened.closed();
    lock(m_mode == EditMode::Delete || m_mode == EditMode::View || closed);
    // A closed risk can be neither changed nor deleted here.
    m_save->setVisible(!closed && m_mode != EditMode::View);
    m_shownState = inputState();
}

QStringList FrmRiziko::inputState() const
{
    const RiskRecord r = record();
    QStringList state = r.fields();
    // A half-typed date is a change too, though it is no date yet.
    for (const DateField *f : {m_correctiveDue, m_correctiveDone, m_programmeDue, m_programmeDone})
        state << f->edit()->displayText();
    for (const EquipmentLine &line : r.equipment)
        state << line.name + QLatin1Char('\t') + line.flag;
    for (const SubTask &t : r.subTasks)
        state << t.task + QLatin1Char('\t') + t.deadline.toString(Qt::ISODate) + QLatin1Char('\t') +
                     t.responsible;
    return state;
}

bool FrmRiziko::giveWay()
{
    // Values are compared: a character typed and deleted again is no change.
    if (inputState() == m_shownState)
        return true;
    switch (m_messages.askYesNoCancel(QStringLiteral("Riziko"),
                                      QStringLiteral("Uložit změny rozpracovaného rizika?"))) {
    case Messages::Choice::Yes:
        // Through the normal save with all its checks; a refused or failed save stays here.
        save();
        return !isVisible();
    case Messages::Choice::No:
        return true;
    case Messages::Choice::Cancel:
        break;
    }
    return false;
}

QGroupBox *FrmRiziko::addPage(const char *caption, const char *frame)
{
    auto *box = named(new QGroupBox(this), frame);
    m_pages->addTab(box, QString::fromUtf8(caption));
    return box;
}

void FrmRiziko::buildPages()
{
    buildRiskPage();
    buildMeasuresPage();
    buildRatingPage();
    buildCorrectivePage();
    buildRequirementPage();
    buildProgrammePage();
    buildSubTaskPage();
    buildNotesPage();

    const SaveCancelRow buttons = saveCancelRow(this);
    m_save = buttons.save;
    m_save->setDefault(true);
    connect(m_save, &QPushButton::clicked, this, &FrmRiziko::save);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons.layout);
    resize(820, 470);
}

// The risk itself: system, worker, hazard and what it damages.
void FrmRiziko::buildRiskPage()
{
    QGroupBox *risk = addPage("Riziko", "fraRiziko");
    m_system = lineEdit(risk, "txtSystem", 50);
    m_system->setReadOnly(true);
    m_systemButton = named(new QPushButton(QStringLiteral("..."), risk), "cmdPracovnici");
    m_systemButton->setToolTip(QStringLiteral("Výběr systému"));
    auto *systemRow = new QHBoxLayout;
    systemRow->addWidget(m_system);
    systemRow->addWidget(m_systemButton);
    m_worker = combo(risk, "cmbPracovnik");
    m_category = combo(risk, "cmbNebezpeciKategorie");
    m_kind = combo(risk, "cmbNebezpeciDruh");
    m_source = lineEdit(risk, "txtZdroj", 150);
    m_damaged = combo(risk, "cmbPoskozeniCastTela");
    m_character = lineEdit(risk, "txtPoskozeniCharakter", 200);
    auto *riskForm = new QFormLayout(risk);
    riskForm->addRow(QStringLiteral("Systém :"), systemRow);
    riskForm->addRow(QStringLiteral("Pracovník/činnost :"), m_worker);
    riskForm->addRow(QStringLiteral("Kategorie nebezpečí :"), m_category);
    riskForm->addRow(QStringLiteral("Druh nebezpečí :"), m_kind);
    riskForm->addRow(QStringLiteral("Zdroj nebezpečí :"), m_source);
    riskForm->addRow(QStringLiteral("Předmět poškození :"), m_damaged);
    riskForm->addRow(QStringLiteral("Charakter poškození :"), m_character);
    connect(m_systemButton, &QPushButton::clicked, this, [this] {
        FrmRizikoSystemy picker(m_db, this);
        picker.exec();
    });
    connect(m_category, &QComboBox::currentTextChanged, this, [this] {
        if (!m_filling)
            fillKinds();
    });
}

// Measures taken and the equipment provided.
void FrmRiziko::buildMeasuresPage()
{
    QGroupBox *taken = addPage("Přijatá opatření", "fraPrijata");
    m_measures = lineEdit(taken, "txtBezpecnostniOpatreni", 200);
    m_provided = named(new QListWidget(taken), "lstPoskytnuteOOPP");
    auto *addProvided = named(new QPushButton(QStringLiteral("Přidat"), taken), "cmdPridat");
    auto *removeProvided = named(new QPushButton(QStringLiteral("Odebrat"), taken), "cmdOdebrat");
    auto *providedButtons = new QVBoxLayout;
    providedButtons->addWidget(addProvided);
    providedButtons->addWidget(removeProvided);
    providedButtons->addStretch();
    auto *providedRow = new QHBoxLayout;
    providedRow->addWidget(m_provided);
    providedRow->addLayout(providedButtons);
    auto *takenForm = new QFormLayout(taken);
    takenForm->addRow(QStringLiteral("Bezpečnostní opatření :"), m_measures);
    takenForm->addRow(QStringLiteral("Poskytnuté OOPP :"), providedRow);
    connect(addProvided, &QPushButton::clicked, this, [this] { addEquipment(Provided); });
    connect(removeProvided, &QPushButton::clicked, this, [this] { removeEquipment(Provided); });
}

// The ratings, the formula and the computed value.
void FrmRiziko::buildRatingPage()
{
    QGroupBox *rating = addPage("Hodnocení", "fraHodnoceni");
    m_severity = combo(rating, "cmbZavaznost");
    m_probability = combo(rating, "cmbPravdepodobnost");
    m_frequency = combo(rating, "cmbFrekvence");
    m_formula = lineEdit(rating, "txtAlgoritmus", 150);
    m_formula->setReadOnly(true);
    auto *computeButton =
        named(new QPushButton(QStringLiteral("Vypočítat"), rating), "cmdVypocitat");
    m_value = lineEdit(rating, "txtRiziko", 30);
    m_value->setReadOnly(true);
    m_level = named(new QLabel(rating), "lblUroven");
    m_level->setMinimumWidth(160);
    m_level->setMargin(3);
    auto *valueRow = new QHBoxLayout;
    valueRow->addWidget(m_value);
    valueRow->addWidget(m_level);
    valueRow->addWidget(computeButton);
    m_levels =
        table(rating, "grdUrov", {QStringLiteral("Riziko od"), QStringLiteral("Úroveň rizika")});
    m_breach = named(new QCheckBox(QStringLiteral("Porušení požadavků"), rating), "chkLegislativa");
    auto *ratingForm = new QFormLayout(rating);
    ratingForm->addRow(QStringLiteral("Závažnost :"), m_severity);
    ratingForm->addRow(QStringLiteral("Pravděpodobnost :"), m_probability);
    ratingForm->addRow(QStringLiteral("Frekvence :"), m_frequency);
    ratingForm->addRow(QStringLiteral("Algoritmus :"), m_formula);
    ratingForm->addRow(QStringLiteral("Riziko :"), valueRow);
    ratingForm->addRow(QStringLiteral("Úrovně rizika :"), m_levels);
    ratingForm->addRow(QString(), m_breach);
    connect(computeButton, &QPushButton::clicked, this, &FrmRiziko::compute);
    // Whatever sets the value (a load, "Vypočítat", a save) shows its level too.
    connect(m_value, &QLineEdit::textChanged, this, &FrmRiziko::showLevel);
}

// Corrective measures and the equipment missing.
void FrmRiziko::buildCorrectivePage()
{
    QGroupBox *corrective = addPage("Nápravná opatření", "fraNapravna");
    m_corrective = lineEdit(corrective, "txtNapravnaOpatreni", 250);
    m_correctiveResponsible = lineEdit(corrective, "txtNapravnaOpatreniZodpovida", 15);
    m_correctiveDue =
        new DateField(QStringLiteral("medNapravnaOpatreniTermin"),
                      QStringLiteral("cmdNapravnaOpatreniTerminKalendar"), &m_messages, corrective);
    m_correctiveDone = new DateField(QStringLiteral("medNapravnaOpatreniSplneno"),
                                     QStringLiteral("cmdNapravnaOpatreniSplnenoKalendar"),
                                     &m_messages, corrective);
    m_missing = named(new QListWidget(corrective), "lstChybejiciOOPP");
    auto *addMissing =
        named(new QPushButton(QStringLiteral("Přidat"), corrective), "cmdPridatChybejici");
    auto *removeMissing =
        named(new QPushButton(QStringLiteral("Odebrat"), corrective), "cmdOdebratChybejici");
    auto *missingButtons = new QVBoxLayout;
    missingButtons->addWidget(addMissing);
    missingButtons->addWidget(removeMissing);
    missingButtons->addStretch();
    auto *missingRow = new QHBoxLayout;
    missingRow->addWidget(m_missing);
    missingRow->addLayout(missingButtons);
    auto *correctiveForm = new QFormLayout(corrective);
    correctiveForm->addRow(QStringLiteral("Nápravná opatření :"), m_corrective);
    correctiveForm->addRow(QStringLiteral("Zodpovídá :"), m_correctiveResponsible);
    correctiveForm->addRow(QStringLiteral("Termín :"), m_correctiveDue);
    correctiveForm->addRow(QStringLiteral("Splněno :"), m_correctiveDone);
    correctiveForm->addRow(QStringLiteral("Chybějící OOPP :"), missingRow);
    connect(addMissing, &QPushButton::clicked, this, [this] { addEquipment(Missing); });
    connect(removeMissing, &QPushButton::clicked, this, [this] { removeEquipment(Missing); });
}

// The requirement with its regulations.
void FrmRiziko::buildRequirementPage()
{
    QGroupBox *requirement = addPage("Požadavky ", "fraPozadavky");
    m_requirementText = lineEdit(requirement, "txtPozadavek", 1000);
    m_requirementText->setReadOnly(true);
    m_requirementText->setContextMenuPolicy(Qt::CustomContextMenu);
    auto *pick =
        named(new QPushButton(QStringLiteral("Vybrat"), requirement), "cmdvybratPozadavek");
    auto *clear =
        named(new QPushButton(QStringLiteral("Vymazat"), requirement), "cmdVymazatPozadavek");
    m_regulations = table(requirement, "grdPredpis",
                          {QStringLiteral("Číslo"), QStringLiteral("Typ"), QStringLiteral("Název"),
                           QStringLiteral("Vydáno"), QStringLiteral("Poznámka")});
    auto *requirementRow = new QHBoxLayout;
    requirementRow->addWidget(m_requirementText);
    requirementRow->addWidget(pick);
    requirementRow->addWidget(clear);
    auto *requirementLayout = new QVBoxLayout(requirement);
    requirementLayout->addLayout(requirementRow);
    requirementLayout->addWidget(m_regulations);
    const auto pickRequirement = [this] {
        QDialog dialog(this);
        dialog.setObjectName(QStringLiteral("frmRizikoPozadavek"));
        dialog.setWindowTitle(QStringLiteral("Výběr požadavku"));
        auto *catalogue = new codelists::FrmPozadavky(m_db, m_messages, m_host, true, &dialog);
        connect(catalogue, &codelists::FrmPozadavky::requirementChosen, &dialog,
                [this, &dialog](qint64 id) {
                    setRequirement(id);
                    dialog.accept();
                });
        (new QVBoxLayout(&dialog))->addWidget(catalogue);
        dialog.resize(catalogue->size());
        dialog.exec();
    };
    connect(pick, &QPushButton::clicked, this, pickRequirement);
    connect(clear, &QPushButton::clicked, this, [this] { setRequirement(0); });
    connect(m_requirementText, &QWidget::customContextMenuRequested, this,
            [this, pickRequirement](const QPoint &pos) {
                if (!m_requirementText->isEnabled())
                    return;
                QAction *chosen = m_host.popup(QStringLiteral("mnuRiziPoza"),
                                               m_requirementText->mapToGlobal(pos), false);
                if (!chosen)
                    return;
                if (chosen->objectName() == QStringLiteral("mnuRiziPozaVybrat"))
                    pickRequirement();
                else if (chosen->objectName() == QStringLiteral("mnuRiziPozaVymazat"))
                    setRequirement(0);
            });
}

// The improvement programme.
void FrmRiziko::buildProgrammePage()
{
    QGroupBox *programme = addPage("Programy", "fraProgram");
    m_goal = lineEdit(programme, "txtCil", 250);
    m_target = lineEdit(programme, "txtCilovaHodnota", 200);
    m_resources = lineEdit(programme, "txtZdroje", 50);
    m_programmeResponsible = lineEdit(programme, "txtZodpovida", 15);
    m_programmeDue =
        new DateField(QStringLiteral("medProgramTermin"),
                      QStringLiteral("cmdProgramTerminKalendar"), &m_messages, programme);
    m_programmeDone =
        new DateField(QStringLiteral("medProgramSplneno"),
                      QStringLiteral("cmdProgramSplnenoKalendar"), &m_messages, programme);
    auto *programmeForm = new QFormLayout(programme);
    programmeForm->addRow(QStringLiteral("Cíl :"), m_goal);
    programmeForm->addRow(QStringLiteral("Cílová hodnota :"), m_target);
    programmeForm->addRow(QStringLiteral("Zdroje :"), m_resources);
    programmeForm->addRow(QStringLiteral("Zodpovídá :"), m_programmeResponsible);
    programmeForm->addRow(QStringLiteral("Termín :"), m_programmeDue);
    programmeForm->addRow(QStringLiteral("Splněno :"), m_programmeDone);
}

// The sub-tasks.
void FrmRiziko::buildSubTaskPage()
{
    QGroupBox *tasks = addPage("Dílčí úkoly", "fraUkoly");
    m_subTaskGrid = table(
        tasks, "grdUkoly",
        {QStringLiteral("Dílčí úkol"), QStringLiteral("Termín"), QStringLiteral("Zodpovídá")});
    m_subTaskGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    (new QVBoxLayout(tasks))->addWidget(m_subTaskGrid);
    connect(m_subTaskGrid, &QWidget::customContextMenuRequested, this, &FrmRiziko::subTaskPopup);
}

// The notes.
void FrmRiziko::buildNotesPage()
{
    QGroupBox *notes = addPage("Poznámky", "fraPoznamky");
    m_notes = lineEdit(notes, "txtPoznamky", 50);
    auto *notesForm = new QFormLayout(notes);
    notesForm->addRow(QStringLiteral("Poznámky :"), m_notes);
}

void FrmRiziko::fillChoices()
{
    m_filling = true;
    try {
        fillCombo(m_category, column(m_db, QStringLiteral("SELECT nebezpeci_kategorie FROM "
                                                          "nebezpeci_kategorie ORDER BY "
                                                          "nebezpeci_kategorie COLLATE CS")));
        fillCombo(m_damaged, column(m_db, QStringLiteral("SELECT cast_tela FROM poskozeni ORDER "
                                                         "BY cast_tela COLLATE CS")));
        fillCombo(m_severity, column(m_db, QStringLiteral("SELECT zavaznost_popis FROM zavaznost "
                                                          "ORDER BY zavaznost")));
        fillCombo(m_probability,
                  column(m_db, QStringLiteral("SELECT pravdepodobnost_popis FROM pravdepodobnost "
                                              "ORDER BY pravdepodobnost")));
        QStringList frequencies{QString()}; // frequency is optional
        frequencies += column(m_db, QStringLiteral("SELECT frekvence_popis FROM frekvence ORDER "
                                                   "BY frekvence"));
        fillCombo(m_frequency, frequencies);
        const Rows levels = m_db.query(QStringLiteral(
            "SELECT riziko_od, limitni_uroven_rizika FROM urovne_rizika ORDER BY riziko_od"));
        m_levels->setRowCount(levels.size());
        QVector<RiskLevels::Band> bands;
        for (int i = 0; i < levels.size(); ++i) {
            bands.append({levels.at(i, 0).toDouble(), levels.at(i, 1).toString().trimmed()});
            m_levels->setItem(
                i, 0, new QTableWidgetItem(QString::number(qRound64(levels.at(i, 0).toDouble()))));
            m_levels->setItem(i, 1, new QTableWidgetItem(levels.at(i, 1).toString().trimmed()));
        }
        m_bands = RiskLevels(std::move(bands));
        // The bands in their colours: the legend of the level beside the value.
        const bool dark = m_levels->palette().color(QPalette::Base).lightness() < 128;
        for (int i = 0; i < m_levels->rowCount(); ++i) {
            const Rgb c = m_bands.colour(i, dark);
            m_levels->item(i, 1)->setBackground(QColor(c.red, c.green, c.blue));
        }
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
    m_filling = false;
}

void FrmRiziko::fillWorkers()
{
    m_filling = true;
    try {
        fillCombo(m_worker, column(m_db,
                                   QStringLiteral("SELECT pracovnik FROM system_pracovnik WHERE "
                                                  "system = ? ORDER BY pracovnik COLLATE CS"),
                                   {m_system->text().trimmed()}));
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
    m_filling = false;
}

void FrmRiziko::fillKinds()
{
    m_filling = true;
    try {
        fillCombo(m_kind, column(m_db,
                                 QStringLiteral("SELECT nebezpeci_druh FROM "
                                                "nebezpeci_kategorie_druh WHERE "
                                                "nebezpeci_kategorie = ? ORDER BY "
                                                "nebezpeci_druh COLLATE CS"),
                                 {m_category->currentText()}));
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
    m_filling = false;
}

void FrmRiziko::showRecord(const RiskRecord &r)
{
    m_system->setText(r.system);
    fillWorkers();
    choose(m_worker, r.worker);
    choose(m_category, r.category);
    fillKinds();
    choose(m_kind, r.kind);
    m_source->setText(r.source);
    choose(m_damaged, r.damaged);
    m_character->setText(r.character);
    m_measures->setText(r.measures);
    choose(m_severity, r.severity);
    choose(m_probability, r.probability);
    choose(m_frequency, r.frequency);
    m_value->setText(r.value);
    m_breach->setChecked(r.breach);
    m_corrective->setText(r.corrective);
    m_correctiveResponsible->setText(r.correctiveResponsible);
    m_correctiveDue->setDate(r.correctiveDue);
    m_correctiveDone->setDate(r.correctiveDone);
    m_goal->setText(r.goal);
    m_target->setText(r.target);
    m_resources->setText(r.resources);
    m_programmeResponsible->setText(r.programmeResponsible);
    m_programmeDue->setDate(r.programmeDue);
    m_programmeDone->setDate(r.programmeDone);
    m_notes->setText(r.notes);
    m_equipment = r.equipment;
    m_subTasks = r.subTasks;
    showEquipment();
    showSubTasks();
    setRequirement(r.requirementId);
    // An open risk shows the active formula, a closed one the formula it was closed with.
    QString formula = m_activeFormula;
    if (r.closed()) {
        try {
            formula = closingFormula(m_db, r.id);
        } catch (const DbError &e) {
            showEngineError(m_messages, e);
        }
    }
    m_formula->setText(formula);
}

void FrmRiziko::showEquipment()
{
    m_provided->clear();
    m_missing->clear();
    for (const EquipmentLine &line : std::as_const(m_equipment))
        (line.flag == Provided ? m_provided : m_missing)->addItem(line.name);
}

void FrmRiziko::showSubTasks()
{
    m_subTaskGrid->setRowCount(int(m_subTasks.size()));
    for (int i = 0; i < m_subTasks.size(); ++i) {
        const SubTask &t = m_subTasks[i];
        m_subTaskGrid->setItem(i, 0, new QTableWidgetItem(t.task));
        m_subTaskGrid->setItem(
            i, 1, new QTableWidgetItem(t.deadline.toString(QStringLiteral("dd.MM.yyyy"))));
        m_subTaskGrid->setItem(i, 2, new QTableWidgetItem(t.responsible));
    }
}

void FrmRiziko::setRequirement(qint64 id)
{
    m_requirement = id;
    QString text;
    QVector<codelists::LinkedRegulation> regulations;
    try {
        if (id != 0) {
            if (const auto requirement = codelists::loadRequirement(m_db, id)) {
                text = codelists::requirementText(requirement->parts);
                regulations = codelists::linkedRegulations(m_db, requirement->regulations);
            }
        }
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
    m_requirementText->setText(text);
    m_regulations->setRowCount(int(regulations.size()));
    for (int i = 0; i < regulations.size(); ++i) {
        const codelists::LinkedRegulation &r = regulations[i];
        const QStringList cells = {r.number, r.type, r.title, r.issued, r.note};
        for (int c = 0; c < cells.size(); ++c)
            m_regulations->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
}

void FrmRiziko::setSystem(const QString &system)
{
    m_system->setText(system);
    fillWorkers();
}

void FrmRiziko::lock(bool locked)
{
    for (int i = 0; i < m_pages->count(); ++i)
        m_pages->widget(i)->setEnabled(!locked);
}

RiskRecord FrmRiziko::record() const
{
    RiskRecord r;
    r.id = m_opened.id;
    r.system = m_system->text();
    r.worker = m_worker->currentText();
    r.category = m_category->currentText();
    r.kind = m_kind->currentText();
    r.source = m_source->text();
    r.damaged = m_damaged->currentText();
    r.character = m_character->text();
    r.measures = m_measures->text();
    r.severity = m_severity->currentText();
    r.probability = m_probability->currentText();
    r.frequency = m_frequency->currentText();
    r.value = m_value->text();
    r.breach = m_breach->isChecked();
    r.corrective = m_corrective->text();
    r.correctiveResponsible = m_correctiveResponsible->text();
    r.correctiveDue = m_correctiveDue->date().value_or(QDate());
    r.correctiveDone = m_correctiveDone->date().value_or(QDate());
    r.requirementId = m_requirement;
    r.goal = m_goal->text();
    r.target = m_target->text();
    r.resources = m_resources->text();
    r.programmeResponsible = m_programmeResponsible->text();
    r.programmeDue = m_programmeDue->date().value_or(QDate());
    r.programmeDone = m_programmeDone->date().value_or(QDate());
    r.notes = m_notes->text();
    r.equipment = m_equipment;
    r.subTasks = m_subTasks;
    return r;
}

void FrmRiziko::compute()
{
    try {
        const ComputedValue computed = computeValue(m_db, record());
        showPrompts(m_messages, computed.notices);
        m_value->setText(computed.value);
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
        return;
    }
    if (m_severity->currentText().isEmpty())
        m_severity->setFocus();
    else if (m_probability->currentText().isEmpty())
        m_probability->setFocus();
}

void FrmRiziko::showLevel()
{
    // The value as shown: the program's decimal comma, nothing when it could not be computed.
    QString text = m_value->text().trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    const int index = m_bands.indexOf(isNumber ? std::optional<double>(number) : std::nullopt);
    // Only the background is the level's; everything else follows the window's palette.
    QPalette own;
    if (index >= 0) {
        // Deep shades under the light text of a dark palette, light tints otherwise.
        const bool dark = palette().color(QPalette::Window).lightness() < 128;
        const Rgb c = m_bands.colour(index, dark);
        own.setColor(QPalette::Window, QColor(c.red, c.green, c.blue));
    }
    m_level->setPalette(own);
    m_level->setAutoFillBackground(index >= 0);
    m_level->setText(index >= 0 ? m_bands.bands()[index].name : QString());
}

void FrmRiziko::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        showLevel();
}

void FrmRiziko::focusField(const QString &column)
{
    // The system is chosen through its button; the other required fields have their input.
    const QHash<QString, QWidget *> inputs = {
        {QStringLiteral("system"), m_systemButton},
        {QStringLiteral("pracovnik"), m_worker},
        {QStringLiteral("nebezpeci_kategorie"), m_category},
        {QStringLiteral("nebezpeci_druh"), m_kind},
        {QStringLiteral("nebezpeci_zdroj"), m_source},
        {QStringLiteral("poskozeni_cast_tela"), m_damaged},
        {QStringLiteral("zavaznost_popis"), m_severity},
        {QStringLiteral("pravdepodobnost_popis"), m_probability},
    };
    QWidget *target = inputs.value(column);
    if (!target)
        return;
    for (QWidget *w = target; w; w = w->parentWidget()) {
        const int index = m_pages->indexOf(w);
        if (index >= 0) {
            m_pages->setCurrentIndex(index);
            break;
        }
    }
    target->setFocus();
}

void FrmRiziko::save()
{
    if (m_mode == EditMode::View)
        return;
    // Every date field must hold a real date before anything is saved.
    for (DateField *field : {m_correctiveDue, m_correctiveDone, m_programmeDue, m_programmeDone}) {
        if (!field->date()) {
            m_messages.warn(QStringLiteral("Datum"),
                            QStringLiteral("Zadejte datum ve tvaru DD.MM.RRRR !"));
            for (QWidget *w = field; w; w = w->parentWidget())
                if (m_pages->indexOf(w) >= 0)
                    m_pages->setCurrentIndex(m_pages->indexOf(w));
            field->edit()->setFocus();
            return;
        }
    }
    if (m_copy) {
        m_mode = EditMode::New;
        m_copy = false;
    }
    RiskSaveCheck check;
    try {
        check = checkRiskSave(m_db, m_mode, m_opened, record());
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
        return;
    }
    if (m_mode == EditMode::New || m_mode == EditMode::Edit)
        m_value->setText(check.risk.value);
    const PromptResult answered = showPrompts(m_messages, check.prompts);
    if (answered == PromptResult::Declined)
        return;
    if (answered == PromptResult::Refused) {
        focusField(check.focus);
        if (check.focus == QStringLiteral("system") && !m_system->text().isEmpty()) {
            m_pages->setCurrentIndex(0);
            m_system->setFocus();
            m_system->selectAll();
        }
        return;
    }
    if (check.unchanged) {
        close();
        return;
    }
    RiskCommit result;
    try {
        result = commitRiskSave(m_db, m_mode, m_opened, check.risk);
    } catch (const ChangedMeanwhile &) {
        // The typed values go only when the user says so; a deleted risk has nothing to show.
        if (askReloadAfterConflict(m_messages) && !load(m_opened.id))
            close();
        return;
    } catch (const DbError &e) {
        m_messages.fail(QStringLiteral("Riziko"),
                        QStringLiteral("Riziko nebylo uloženo, nic se nezměnilo.\n") +
                            e.describe());
        return;
    }
    if (!result.skippedEquipment.isEmpty())
        showPrompts(m_messages, {skippedEquipmentNotice(result.skippedEquipment)});
    emit saved(result.id);
    if (result.closedNow &&
        m_messages.ask(QStringLiteral("Kopie uzavřeného rizika"),
                       QStringLiteral("Riziko bylo uzavřeno! Chcete vytvořit neuzavřenou kopii "
                                      "rizika?"))) {
        // The editor stays open on an open copy that the next save stores as a new risk.
        m_correctiveDone->setDate(QDate());
        m_programmeDone->setDate(QDate());
        m_mode = EditMode::New;
        m_opened = RiskRecord();
        return;
    }
    close();
}

void FrmRiziko::addEquipment(const QString &flag)
{
    FrmRizikaAddOOPP chooser(m_db, m_messages, m_equipment, flag, this);
    chooser.exec();
    showEquipment();
}

void FrmRiziko::removeEquipment(const QString &flag)
{
    const QListWidget *list = flag == Provided ? m_provided : m_missing;
    const QListWidgetItem *item = list->currentItem();
    if (!item)
        return;
    for (int i = 0; i < m_equipment.size(); ++i) {
        if (m_equipment[i].flag == flag && m_equipment[i].name == item->text()) {
            m_equipment.removeAt(i);
            break;
        }
    }
    showEquipment();
}

void FrmRiziko::subTaskPopup(const QPoint &pos)
{
    if (!m_subTaskGrid->isEnabled())
        return;
    const QModelIndex under = m_subTaskGrid->indexAt(pos);
    if (under.isValid())
        m_subTaskGrid->selectRow(under.row());
    QAction *chosen =
        m_host.popup(QStringLiteral("mnuUkolyGrd"), m_subTaskGrid->viewport()->mapToGlobal(pos),
                     m_subTasks.isEmpty());
    if (!chosen)
        return;
    const QString item = chosen->objectName().mid(QStringLiteral("mnuUkolyGrd").size());
    const std::optional<EditMode> mode = modeOfPopupItem(item);
    const int row = m_subTaskGrid->currentRow();
    if (!mode || (*mode != EditMode::New && row < 0))
        return;
    m_host.setMode(*mode);
    FrmDilciUkol dialog(*mode, m_subTasks, row, m_messages, this);
    if (dialog.exec() == QDialog::Accepted) {
        // After the first change the grid shows the dialog's own column names.
        m_subTaskGrid->setHorizontalHeaderLabels(
            {QStringLiteral("Úkol"), QStringLiteral("Termín"), QStringLiteral("Zodpovídá")});
        showSubTasks();
    }
}

} // namespace tamvel::risks
