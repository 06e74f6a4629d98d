#pragma once

#include <QDate>
#include <QDialog>
#include <QWidget>

class QCalendarWidget;
class QLineEdit;
class QToolButton;

namespace tamvel {

class Messages;

// The program's calendar "frmKalendar": a chosen day is returned; leaving it (Esc, a click
// elsewhere, another window) closes it and changes nothing.
class FrmKalendar : public QDialog
{
    Q_OBJECT

public:
    explicit FrmKalendar(const QDate &start, QWidget *parent = nullptr);
    QDate chosen() const { return m_chosen; }
    QCalendarWidget *calendar() const { return m_calendar; }

private:
    QCalendarWidget *m_calendar;
    QDate m_chosen;
};

// A masked date field "__.__.____" with its calendar button. Leaving a field that holds
// neither the empty mask nor a whole real date says so and keeps the focus there; the click
// that tried to leave it does nothing else.
class DateField : public QWidget
{
    Q_OBJECT

public:
    DateField(const QString &fieldName, const QString &buttonName, Messages *messages,
              QWidget *parent = nullptr);

    QLineEdit *edit() const { return m_edit; }
    QToolButton *button() const { return m_button; }

    // A null date for the empty mask; nothing when the text is no real date.
    std::optional<QDate> date() const;
    void setDate(const QDate &date);
    void setLocked(bool locked);
    // Shows the calendar preset from the field (or today) and takes the chosen day.
    void pickDate();

private:
    // False when the field holds no real date: told, the focus back in the field.
    bool check();
    void left(Qt::FocusReason reason);

    QLineEdit *m_edit;
    QToolButton *m_button;
    Messages *m_messages;
    bool m_checking = false;
};

} // namespace tamvel
