#include "ui/DateField.h"

#include "core/DateText.h"
#include "core/Messages.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace tamvel {

namespace {

// The field's line edit tells when the focus leaves it. With an input mask, QLineEdit
// reports no finished editing for a half-typed date, so the check cannot rely on that.
class DateEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;
    std::function<void(Qt::FocusReason)> left;

protected:
    void focusOutEvent(QFocusEvent *event) override
    {
        QLineEdit::focusOutEvent(event);
        if (left)
            left(event->reason());
    }
};

// Swallows the press of the click that took the focus from a refused date, so that the
// clicked button does not act (and does not tell the same thing again).
class ClickSwallower : public QObject
{
public:
    explicit ClickSwallower(QObject *parent) : QObject(parent)
    {
        qApp->installEventFilter(this);
        // Only the click under way: gone as soon as the event loop runs again.
        QTimer::singleShot(0, this, &QObject::deleteLater);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonPress &&
            event->type() != QEvent::MouseButtonDblClick)
            return false;
        qApp->removeEventFilter(this);
        return true;
    }
};

} // namespace

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
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_calendar);
    // A popup: a click outside it or another window taking the focus closes it.
    setWindowFlags(Qt::Popup);
}

DateField::DateField(const QString &fieldName, const QString &buttonName, Messages *messages,
                     QWidget *parent)
    : QWidget(parent), m_edit(new DateEdit(this)), m_button(new QToolButton(this)),
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
    static_cast<DateEdit *>(m_edit)->left = [this](Qt::FocusReason reason) { left(reason); };
    connect(m_edit, &QLineEdit::returnPressed, this, &DateField::check);
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
    calendar.move(mapToGlobal(QPoint(0, height())));
    if (calendar.exec() == QDialog::Accepted && calendar.chosen().isValid())
        setDate(calendar.chosen());
}

bool DateField::check()
{
    if (m_checking || !m_messages || m_edit->isReadOnly() || date())
        return true;
    m_checking = true;
    m_messages->warn(QStringLiteral("Datum"),
                     QStringLiteral("Zadejte datum ve tvaru DD.MM.RRRR !"));
    m_edit->setFocus();
    m_checking = false;
    return false;
}

void DateField::left(Qt::FocusReason reason)
{
    // Only moving on within the window checks; opening a popup or another window does not,
    // and neither does "Storno", which stores nothing.
    if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason &&
        reason != Qt::MouseFocusReason && reason != Qt::ShortcutFocusReason)
        return;
    const QWidget *next = QApplication::focusWidget();
    if (next && next->objectName() == QStringLiteral("cmdStorno"))
        return;
    if (!check() && reason == Qt::MouseFocusReason)
        new ClickSwallower(this);
}

} // namespace tamvel
