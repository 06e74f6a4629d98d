#include "export/FrmExportXls.h"

#include "core/FileDialogs.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "export/FrmAnimCopy.h"
#include "export/Workbook.h"
#include "risks/RiskFields.h"
#include "ui/Widgets.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tamvel {

namespace {

const QString Caption = QStringLiteral("Export do MS Excel");
const QString Back = QStringLiteral("< Zpět");
const QString BackToFirst = QStringLiteral("< Zpět "); // the trailing blank marks page 2
const QString Next = QStringLiteral("Dále >");
const QString ExportText = QStringLiteral("Export");
const QString SelectAll = QStringLiteral("Vybrat vše");
const QString ClearAll = QStringLiteral("Odebrat vše");

// The form's sub-tables come after its fields.
struct TableBox
{
    const char *name;
    const char *caption;
    bool exports::RiskExportOptions::*chosen;
};

const TableBox TableBoxes[] = {
    {"chkPredpisy", "Předpisy", &exports::RiskExportOptions::formRegulations},
    {"chkOopp", "OOPP", &exports::RiskExportOptions::formEquipment},
    {"chkDilciUkoly", "Dílčí úkoly", &exports::RiskExportOptions::formSubTasks},
};

template <class W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

FrmExportXls::FrmExportXls(Database &db, Messages &messages, FileDialogs &files,
                           const QString &user, QVector<qint64> exportList, QWidget *parent)
    : QWidget(parent, Qt::Dialog), m_db(db), m_messages(messages), m_files(files), m_user(user),
      m_ids(std::move(exportList)),
      m_opener([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("frmExportXls"));
    setWindowTitle(Caption);
    setAttribute(Qt::WA_DeleteOnClose);
    // A dialog of the overview that opened it, which waits until it closes.
    setWindowModality(Qt::WindowModal);
    // Esc cancels it as it does any dialog.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);

    m_fraExport = named(new QGroupBox(QStringLiteral("Export"), this), "fraExport");
    m_optFormatovany =
        named(new QRadioButton(QStringLiteral("Formátovaný - rizika")), "optFormatovany");
    m_optNeformatovany =
        named(new QRadioButton(QStringLiteral("Neformátovaný")), "optNeformatovany");
    m_optOOPP = named(new QRadioButton(QStringLiteral("Formátovaný - OOPP")), "optOOPP");
    m_optFormatovany->setChecked(true);
    auto *exportLayout = new QVBoxLayout(m_fraExport);
    exportLayout->addWidget(m_optFormatovany);
    exportLayout->addWidget(m_optNeformatovany);
    exportLayout->addWidget(m_optOOPP);

    m_fraFormatovana =
        named(new QGroupBox(QStringLiteral("Export formátovaných dat (formulář)"), this),
              "fraFormatovana");
    auto *formLayout = new QGridLayout(m_fraFormatovana);
    formLayout->addWidget(new QLabel(QStringLiteral("Nadpis formuláře (nepovinný):")), 0, 0, 1, 2);
    m_txtNadpis = named(new QLineEdit, "txtNadpis");
    formLayout->addWidget(m_txtNadpis, 1, 0, 1, 2);
    int i = 0;
    const auto addBox = [&](QCheckBox *check) {
        m_items << check;
        formLayout->addWidget(check, 2 + i / 2, i % 2);
        ++i;
    };
    for (const risks::RiskField &field : risks::riskFields()) {
        if (field.formBoxName.isEmpty())
            continue;
        auto *check = new QCheckBox(field.formBoxCaption);
        check->setObjectName(field.formBoxName);
        addBox(check);
        m_itemFields << field.column;
    }
    for (const TableBox &box : TableBoxes)
        addBox(named(new QCheckBox(QString::fromUtf8(box.caption)), box.name));
    m_cmdVse = named(new QPushButton(SelectAll), "cmdVse");
    formLayout->addWidget(m_cmdVse, 3 + i / 2, 1);

    m_fraNeformatovana = named(new QGroupBox(QStringLiteral("Export neformátovaných dat"), this),
                               "fraNeformatovana");
    m_chkRizikaN = named(new QCheckBox(QStringLiteral("Rizika")), "chkRizikaN");
    m_chkDilciN = named(new QCheckBox(QStringLiteral("Dílčí úkoly")), "chkDilciN");
    m_chkOOPPN = named(new QCheckBox(QStringLiteral("OOPP")), "chkOOPPN");
    m_chkPredpisyN = named(new QCheckBox(QStringLiteral("Předpisy")), "chkPredpisyN");
    auto *plainLayout = new QVBoxLayout(m_fraNeformatovana);
    for (QCheckBox *check : {m_chkRizikaN, m_chkDilciN, m_chkOOPPN, m_chkPredpisyN})
        plainLayout->addWidget(check);

    m_cmdStorno = named(new QPushButton(Back, this), "cmdStorno");
    m_cmdExport = named(new QPushButton(Next, this), "cmdExport");
    m_cmdExport->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_fraExport);
    layout->addWidget(m_fraFormatovana);
    layout->addWidget(m_fraNeformatovana);
    layout->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdStorno);
    buttons->addWidget(m_cmdExport);
    layout->addLayout(buttons);

    connect(m_cmdStorno, &QPushButton::clicked, this, &FrmExportXls::storno);
    connect(m_cmdExport, &QPushButton::clicked, this, &FrmExportXls::next);
    connect(m_cmdVse, &QPushButton::clicked, this, &FrmExportXls::toggleAll);

    ui::fitPages(this, {[this] {
                            m_optFormatovany->setChecked(true);
                            showPage(1);
                        },
                        [this] { showPage(2); },
                        [this] {
                            m_optNeformatovany->setChecked(true);
                            showPage(2);
                        }});
}

FrmExportXls::~FrmExportXls() = default;

void FrmExportXls::showPage(int page)
{
    m_fraExport->setVisible(page == 1);
    m_fraFormatovana->setVisible(page == 2 && m_optFormatovany->isChecked());
    m_fraNeformatovana->setVisible(page == 2 && m_optNeformatovany->isChecked());
    m_cmdExport->setText(page == 1 ? Next : ExportText);
    m_cmdStorno->setText(page == 1 ? Back : BackToFirst);
}

// The two back captions differ only in the trailing blank, and the caption chooses.
void FrmExportXls::storno()
{
    if (m_cmdStorno->text() == BackToFirst)
        showPage(1);
    else
        close();
}

void FrmExportXls::next()
{
    if (m_cmdExport->text() == Next)
        showPage(2);
    else
        runExport();
}

void FrmExportXls::toggleAll()
{
    const bool tick = m_cmdVse->text() == SelectAll;
    for (QCheckBox *check : std::as_const(m_items))
        check->setChecked(tick);
    m_cmdVse->setText(tick ? ClearAll : SelectAll);
}

exports::RiskExportOptions FrmExportXls::options() const
{
    exports::RiskExportOptions o;
    // "Formátovaný - OOPP" takes the plain route with the plain boxes as they are.
    o.formatted = m_optFormatovany->isChecked();
    o.title = m_txtNadpis->text();
    for (int i = 0; i < m_items.size(); ++i) {
        if (!m_items[i]->isChecked())
            continue;
        if (i < m_itemFields.size())
            o.fields << m_itemFields[i];
        else
            o.*TableBoxes[i - m_itemFields.size()].chosen = true;
    }
    o.risks = m_chkRizikaN->isChecked();
    o.subTasks = m_chkDilciN->isChecked();
    o.equipment = m_chkOOPPN->isChecked();
    o.regulations = m_chkPredpisyN->isChecked();
    return o;
}

void FrmExportXls::runExport()
{
    QString folder;
    try {
        folder = exports::rememberedExportFolder(m_db, m_user);
    } catch (const DbError &e) {
        m_messages.fail(Caption, e.describe());
        return;
    }
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();

    QString path = m_files.saveFile(QStringLiteral("Export dat do MS Excel"), folder,
                                    QStringLiteral("Rizika.xlsx"),
                                    QStringLiteral("Sešit Microsoft Excel (*.xlsx)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xlsx");

    try {
        exports::rememberExportFolder(m_db, m_user,
                                      QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
    } catch (const DbError &e) {
        m_messages.fail(Caption, e.describe());
        return;
    }

    if (!exports::mayOverwrite(path, m_messages))
        return;

    exports::ExportResult result;
    {
        ProgressRun progress(this, QStringLiteral("Export dat do sešitu MS Excel ..."), Caption);
        result = exports::writeRiskExport(m_db, m_ids, options(), path, progress.callback());
    }

    if (!finishExport(result, path, Caption, m_messages, m_opener))
        return;
    m_written = path;
    close();
}

} // namespace tamvel
