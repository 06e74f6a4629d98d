#pragma once

// Small helpers every window uses: named controls, twips, and the common error trap.

#include "core/Messages.h"
#include "db/DbError.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <initializer_list>

namespace tamvel::ui {

// Gives a control the object name the program's windows are known by.
template <class W> W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

template <class W> W *named(W *widget, const char *name)
{
    return named(widget, QString::fromUtf8(name));
}

inline QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    return named(new QPushButton(caption, parent), name);
}

// The row that ends an editor, at its right: the confirming button (cmdUlozit) and Storno
// (cmdStorno), which closes the window. The buttons are made in that order, so they follow
// the controls made before them in the tab order.
struct SaveCancelRow
{
    QHBoxLayout *layout;
    QPushButton *save;
    QPushButton *cancel;
};

inline SaveCancelRow saveCancelRow(QWidget *window,
                                   const QString &saveCaption = QStringLiteral("Uložit"))
{
    SaveCancelRow row{new QHBoxLayout, button(window, "cmdUlozit", saveCaption),
                      button(window, "cmdStorno", QStringLiteral("Storno"))};
    row.layout->addStretch();
    row.layout->addWidget(row.save);
    row.layout->addWidget(row.cancel);
    QObject::connect(row.cancel, &QPushButton::clicked, window, &QWidget::close);
    return row;
}

inline QLineEdit *lineEdit(QWidget *parent, const char *name, int maxLength)
{
    auto *edit = named(new QLineEdit(parent), name);
    edit->setMaxLength(maxLength);
    return edit;
}

// Sizes are kept in twips: 1440 to the inch.
inline int twips(const QWidget *widget, int value)
{
    return value * widget->logicalDpiX() / 1440;
}

inline int toTwips(const QWidget *widget, int pixels)
{
    return pixels * 1440 / widget->logicalDpiX();
}

// A wizard shows its pages one at a time in one window: it opens at the size that shows
// every page whole and is kept at the largest page's minimum. Each function shows a page;
// the first one is shown again at the end.
inline void fitPages(QWidget *window, std::initializer_list<std::function<void()>> pages)
{
    QSize hint, minimum;
    for (const std::function<void()> &show : pages) {
        show();
        window->layout()->invalidate();
        hint = hint.expandedTo(window->sizeHint());
        minimum = minimum.expandedTo(window->minimumSizeHint());
    }
    if (pages.size() > 0)
        (*pages.begin())();
    window->setMinimumSize(minimum);
    window->resize(hint);
}

// The common error trap: an engine error is shown with its text; false after one.
template <class Action> bool trapped(Messages &messages, Action &&action)
{
    try {
        action();
        return true;
    } catch (const DbError &e) {
        showEngineError(messages, e);
        return false;
    }
}

} // namespace tamvel::ui
