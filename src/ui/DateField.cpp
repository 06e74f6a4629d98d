#include "ui/DateField.h"

#include "core/DateText.h"
#include "core/Messages.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace tamvel {

FrmKalendar::FrmKalendar(const QDate &start, QWidget *parent)
    : QDialog(parent), m_calendar(new QCalendarWidget(this))
{
    setObjectName(QStringLiteral("frmKalendar"));
    setWindowTitle(QStringLiteral("Kalendář"));
    m_calendar->setObjectName(QStringLiteral("cldDatum"));
    m_calendar->setFirstDayOfWeek(Qt::Monday);
    m_calendar->setSelectedDate(start.isValid() ? start : QDate::currentDate());
    connect(m_calendar, &QCalendarWidget::activated, this, [this](const QDate &date) {
        m_chosen = date;
        accept();
    });
    connect(m_calendar, &QCalendarWidget::clicked, this, [this](const QDate &date) {
        m_chosen = date;
        accept();
    });
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_calendar);
}

DateField::DateField(const QString &fieldName, const QString &buttonName, Messages *messages,
                     QWidget *parent)
    : QWidget(parent), m_edit(new QLineEdit(this)), m_button(new QToolButton(this)),
      m_messages(messages)
{
    m_edit->setObjectName(fieldName);
    m_edit->setInputMask(QStringLiteral("99.99.9999;_"));
    m_edit->setFixedWidth(m_edit->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00000")) +
                          12);
    m_button->setObjectName(buttonName);
    m_button->setText(QStringLiteral("..."));
    m_button->setToolTip(QStringLiteral("Kalendář"));
    connect(m_button, &QToolButton::clicked, this, &DateField::pickDate);
    connect(m_edit, &QLineEdit::editingFinished, this, &DateField::check);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    layout->addWidget(m_button);
    layout->addStretch();
}

std::optional<QDate> DateField::date() const
{
    return dateOfText(m_edit->text());
}

void DateField::setDate(const QDate &date)
{
    m_edit->setText(date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString());
}

void DateField::setLocked(bool locked)
{
    m_edit->setReadOnly(locked);
    m_button->setEnabled(!locked);
}

void DateField::pickDate()
{
    const std::optional<QDate> current = date();
    FrmKalendar calendar(current && current->isValid() ? *current : QDate::currentDate(), this);
    if (calendar.exec() == QDialog::Accepted && calendar.chosen().isValid())
        setDate(calendar.chosen());
}

void DateField::check()
{
    if (m_checking || !m_messages || m_edit->isReadOnly() || date())
        return;
    m_checking = true;
    m_messages->warn(QStringLiteral("Datum"),
                     QStringLiteral("Zadejte datum ve tvaru DD.MM.RRRR !"));
    m_edit->setFocus();
    m_checking = false;
}

} // namespace tamvel
