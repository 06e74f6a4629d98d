#include "risks/FrmRizikaFiltr.h"
#include "ui/Widgets.h"

#include "core/Messages.h"
#include "db/Database.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

using namespace tamvel::ui;

namespace tamvel::risks {

namespace {

QString brackets(const char *token, int count)
{
    QStringList parts;
    for (int i = 0; i < count; ++i)
        parts << QString::fromLatin1(token);
    return parts.join(QLatin1Char(' '));
}

int bracketCount(const QPushButton *button)
{
    return int(button->text().count(QLatin1Char('('))) +
           int(button->text().count(QLatin1Char(')')));
}

} // namespace

FrmRizikaFiltr::FrmRizikaFiltr(Database &db, Messages &messages, const FilterChoice &choice,
                               QWidget *parent)
    : QDialog(parent), m_db(db), m_messages(messages),
      m_onlyOpen(named(new QCheckBox(QStringLiteral("Pouze neuzavřená rizika"), this),
                       QStringLiteral("chkPouzeNeuzavrena"))),
      m_onlyClosed(named(new QCheckBox(QStringLiteral("Pouze uzavřená rizika"), this),
                         QStringLiteral("chkPouzeUzavrena")))
{
    setObjectName(QStringLiteral("frmRizikaFiltr"));
    setWindowTitle(QStringLiteral("Filtr přehledu rizik"));
    auto *frame = named(new QGroupBox(QStringLiteral("Filtr"), this), QStringLiteral("fraFiltr"));
    auto *grid = new QGridLayout(frame);
    const QStringList comparisons = {QStringLiteral("="),  QStringLiteral("<"),
                                     QStringLiteral("<="), QStringLiteral(">"),
                                     QStringLiteral(">="), QStringLiteral("<>")};
    for (int r = 0; r < 5; ++r) {
        const QString n = QString::number(r + 1);
        Row row;
        row.open = named(new QPushButton(frame), QStringLiteral("cmdLeva") + n);
        row.field = named(new QComboBox(frame), QStringLiteral("cmbPole") + n);
        row.comparison =
            named(new QPushButton(QStringLiteral("="), frame), QStringLiteral("cmdPorovnani") + n);
        row.value = named(new QComboBox(frame), QStringLiteral("cmbHodnota") + n);
        row.close = named(new QPushButton(frame), QStringLiteral("cmdPrava") + n);
        row.joiner = r < 4 ? named(new QPushButton(QStringLiteral("And"), frame),
                                   QStringLiteral("cmdOperator") + n)
                           : nullptr;
        row.field->addItem(QString());
        row.field->addItems(filterCaptions());
        row.value->setEditable(true);
        // A typed value stays as typed: no completion from the list, no exact-case guess on
        // leaving, nothing added to the list.
        row.value->setCompleter(nullptr);
        row.value->setInsertPolicy(QComboBox::NoInsert);
        row.value->setMinimumContentsLength(20);
        // A field of mostly distinct values lists as many as there are risks: the box is
        // not sized by measuring each, and its list lays out rows of one height.
        row.value->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        if (auto *list = qobject_cast<QListView *>(row.value->view()))
            list->setUniformItemSizes(true);
        for (QPushButton *b : {row.open, row.close})
            b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("( ( (")) + 16);
        row.comparison->setFixedWidth(row.open->width());
        connect(row.open, &QPushButton::clicked, this,
                [b = row.open] { b->setText(brackets("(", (bracketCount(b) + 1) % 4)); });
        connect(row.close, &QPushButton::clicked, this,
                [b = row.close] { b->setText(brackets(")", (bracketCount(b) + 1) % 4)); });
        connect(row.comparison, &QPushButton::clicked, this, [b = row.comparison, comparisons] {
            const int at = int(comparisons.indexOf(b->text()));
            b->setText(comparisons[(at + 1) % comparisons.size()]);
        });
        if (row.joiner)
            connect(row.joiner, &QPushButton::clicked, this, [b = row.joiner] {
                b->setText(b->text() == QStringLiteral("And") ? QStringLiteral("Or")
                                                              : QStringLiteral("And"));
            });
        connect(row.field, &QComboBox::activated, this,
                [this, r, field = row.field] { pickField(r, field->currentText()); });
        grid->addWidget(row.open, r, 0);
        grid->addWidget(row.field, r, 1);
        grid->addWidget(row.comparison, r, 2);
        grid->addWidget(row.value, r, 3);
        grid->addWidget(row.close, r, 4);
        if (row.joiner)
            grid->addWidget(row.joiner, r, 5);
        m_rows << row;
    }
    grid->setColumnStretch(3, 1);

    connect(m_onlyOpen, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            m_onlyClosed->setChecked(false);
    });
    connect(m_onlyClosed, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            m_onlyOpen->setChecked(false);
    });
    auto *resetButton = named(new QPushButton(QStringLiteral("Reset položek filtru"), this),
                              QStringLiteral("cmdReset"));
    auto *applyButton =
        named(new QPushButton(QStringLiteral("Použít"), this), QStringLiteral("cmdUlozit"));
    auto *cancel =
        named(new QPushButton(QStringLiteral("Storno"), this), QStringLiteral("cmdStorno"));
    applyButton->setDefault(true);
    connect(resetButton, &QPushButton::clicked, this, &FrmRizikaFiltr::reset);
    connect(applyButton, &QPushButton::clicked, this, &FrmRizikaFiltr::apply);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *checks = new QHBoxLayout;
    checks->addWidget(m_onlyOpen);
    checks->addWidget(m_onlyClosed);
    checks->addStretch();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(resetButton);
    buttons->addStretch();
    buttons->addWidget(applyButton);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(checks);
    layout->addLayout(buttons);
    show(choice);
}

void FrmRizikaFiltr::show(const FilterChoice &choice)
{
    m_showing = true;
    for (int r = 0; r < m_rows.size(); ++r) {
        const FilterRow &row = choice.rows[size_t(r)];
        Row &w = m_rows[r];
        w.open->setText(brackets("(", row.open));
        w.field->setCurrentIndex(std::max(0, w.field->findText(row.caption)));
        w.comparison->setText(row.comparison.isEmpty() ? QStringLiteral("=") : row.comparison);
        fillValues(r);
        w.value->setCurrentText(row.value);
        w.close->setText(brackets(")", row.close));
        if (w.joiner)
            w.joiner->setText(row.joiner == QStringLiteral("Or") ? QStringLiteral("Or")
                                                                 : QStringLiteral("And"));
    }
    m_onlyOpen->setChecked(choice.onlyOpen);
    m_onlyClosed->setChecked(choice.onlyClosed);
    m_showing = false;
}

void FrmRizikaFiltr::fillValues(int row)
{
    QComboBox *values = m_rows[row].value;
    values->clear();
    const QString caption = m_rows[row].field->currentText();
    if (caption.isEmpty())
        return;
    try {
        values->addItems(filterValues(m_db, caption));
    } catch (const DbError &e) {
        showEngineError(m_messages, e);
    }
    values->setCurrentIndex(-1);
}

void FrmRizikaFiltr::pickField(int row, const QString &caption)
{
    Row &w = m_rows[row];
    w.field->setCurrentIndex(std::max(0, w.field->findText(caption)));
    if (row > 0 && !caption.isEmpty()) {
        // Rows are filled from the top; a second comparison first widens the choice.
        Row &above = m_rows[row - 1];
        above.joiner->setText(QStringLiteral("Or"));
        if (above.value->currentText().trimmed().isEmpty()) {
            w.field->setCurrentIndex(0);
            w.value->clear();
            return;
        }
    }
    fillValues(row);
}

FilterChoice FrmRizikaFiltr::choice() const
{
    FilterChoice c;
    for (int r = 0; r < m_rows.size(); ++r) {
        const Row &w = m_rows[r];
        FilterRow &row = c.rows[size_t(r)];
        row.open = bracketCount(w.open);
        row.caption = w.field->currentText();
        row.comparison = w.comparison->text();
        row.value = w.value->currentText();
        row.close = bracketCount(w.close);
        row.joiner = w.joiner ? w.joiner->text() : QStringLiteral("And");
    }
    c.onlyOpen = m_onlyOpen->isChecked();
    c.onlyClosed = m_onlyClosed->isChecked();
    return c;
}

void FrmRizikaFiltr::apply()
{
    if (const std::optional<RiskFilter> compiled = compileFilter(m_db, choice(), m_messages)) {
        m_filter = *compiled;
        accept();
    }
}

void FrmRizikaFiltr::reset()
{
    for (Row &w : m_rows) {
        w.open->setText(QString());
        w.field->setCurrentIndex(0);
        w.comparison->setText(QStringLiteral("="));
        w.value->clear();
        w.value->clearEditText();
        w.close->setText(QString());
        if (w.joiner)
            w.joiner->setText(QStringLiteral("And"));
    }
}

} // namespace tamvel::risks
