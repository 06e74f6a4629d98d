#include "risks/FrmVypocet.h"

#include "core/Messages.h"
#include "db/Database.h"
#include "ui/BusyCursor.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tamvel {

namespace {

constexpr int FormulaLength = 50; // the size of `algoritmus`

QString indexed(const char *name, int slot)
{
    return QString::fromUtf8(name) + QString::number(slot);
}

} // namespace

FrmVypocet::FrmVypocet(Database &db, Messages &messages, QWidget *parent)
    : QWidget(parent), m_db(db), m_messages(messages), m_optionGroup(new QButtonGroup(this))
{
    setWindowTitle(QStringLiteral("Výpočet rizika"));

    auto *grid = new QGridLayout;
    auto *current = new QLabel(QStringLiteral("Aktuální"), this);
    current->setObjectName(QStringLiteral("lblAktualni"));
    grid->addWidget(current, 0, 1, Qt::AlignHCenter);
    for (int i = 0; i < FormulaSlotCount; ++i) {
        const int slot = i + 1;
        auto *text = new QLineEdit(this);
        text->setObjectName(indexed("txtVypocet", slot));
        text->setMaxLength(FormulaLength);
        text->setMinimumWidth(fontMetrics().averageCharWidth() * 36);
        auto *option = new QRadioButton(this);
        option->setObjectName(indexed("optVypocet", slot));
        m_optionGroup->addButton(option, slot);
        auto *check = new QPushButton(QStringLiteral("check"), this);
        check->setObjectName(indexed("cmdCheck", slot));
        check->setAutoDefault(false);
        connect(check, &QPushButton::clicked, this, [this, slot] { this->check(slot); });
        grid->addWidget(text, slot, 0);
        grid->addWidget(option, slot, 1, Qt::AlignHCenter);
        grid->addWidget(check, slot, 2);
        m_texts[i] = text;
        m_options[i] = option;
    }

    auto *legend = new QVBoxLayout;
    const char *const legendTexts[][2] = {
        {"lblZ", "Z = závažnost"}, {"lblP", "P = pravděpodobnost"}, {"lblF", "F = frekvence"}};
    for (const auto &entry : legendTexts) {
        auto *label = new QLabel(QString::fromUtf8(entry[1]), this);
        label->setObjectName(QString::fromUtf8(entry[0]));
        legend->addWidget(label);
    }

    auto *saveButton = new QPushButton(QStringLiteral("Uložit"), this);
    saveButton->setObjectName(QStringLiteral("cmdUlozit"));
    auto *cancelButton = new QPushButton(QStringLiteral("Storno"), this);
    cancelButton->setObjectName(QStringLiteral("cmdStorno"));
    connect(saveButton, &QPushButton::clicked, this, &FrmVypocet::save);
    connect(cancelButton, &QPushButton::clicked, this, &FrmVypocet::closeWindow);
    auto *buttons = new QHBoxLayout;
    buttons->addLayout(legend);
    buttons->addStretch();
    buttons->addWidget(saveButton, 0, Qt::AlignBottom);
    buttons->addWidget(cancelButton, 0, Qt::AlignBottom);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);

    load();
}

void FrmVypocet::load()
{
    try {
        m_loaded = loadFormulas(m_db);
    } catch (const DbError &error) {
        showEngineError(m_messages, error);
        return;
    }
    const FormulaSlots stored = formulaSlotsOf(m_loaded);
    // An exclusive group keeps one button checked; the editor may show no slot marked.
    m_optionGroup->setExclusive(false);
    for (int i = 0; i < FormulaSlotCount; ++i) {
        m_texts[i]->setText(stored[size_t(i)].text);
        m_options[i]->setChecked(stored[size_t(i)].active);
    }
    m_optionGroup->setExclusive(true);
}

FormulaSlots FrmVypocet::formulaSlots() const
{
    FormulaSlots result;
    for (int i = 0; i < FormulaSlotCount; ++i) {
        result[size_t(i)].text = m_texts[i]->text();
        result[size_t(i)].active = m_options[i]->isChecked();
    }
    return result;
}

void FrmVypocet::focusSlot(int slot)
{
    QLineEdit *text = m_texts[slot - 1];
    text->setFocus(Qt::OtherFocusReason);
    text->selectAll();
}

void FrmVypocet::check(int slot)
{
    const CheckFailure failure = checkFormula(m_texts[slot - 1]->text(), slot, m_messages);
    if (failure == CheckFailure::None) {
        m_messages.inform(QStringLiteral("Kontrola algoritmu"),
                          QStringLiteral("Kontrola algoritmu proběhla úspěšně !!!"));
        return;
    }
    if (failure == CheckFailure::Parentheses)
        m_options[slot - 1]->setChecked(true);
    focusSlot(slot);
}

void FrmVypocet::save()
{
    SaveOutcome outcome;
    {
        BusyCursor messages(m_messages);
        outcome = saveFormulas(m_db, messages, formulaSlots(), m_loaded);
    }
    switch (outcome.status) {
    case SaveOutcome::CheckFailed:
        if (outcome.failure == CheckFailure::Parentheses)
            m_options[outcome.slot - 1]->setChecked(true);
        focusSlot(outcome.slot);
        break;
    case SaveOutcome::ActiveSlotEmpty:
    case SaveOutcome::EngineError:
        break;
    case SaveOutcome::Conflict:
        // The typed slots go only when the user says so.
        if (askReloadAfterConflict(m_messages))
            load();
        break;
    case SaveOutcome::Saved:
        emit saved();
        closeWindow();
        break;
    }
}

void FrmVypocet::closeWindow()
{
    // Inside the main window the frame is closed, which closes this window with it.
    if (auto *frame = qobject_cast<QMdiSubWindow *>(parentWidget()))
        frame->close();
    else
        close();
}

} // namespace tamvel
