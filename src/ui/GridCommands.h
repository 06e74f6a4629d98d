#pragma once

#include <QString>

#include <functional>

class QAbstractItemView;

namespace tamvel::ui {

// What a grid's mouse and keys do besides its popup; an empty function does nothing.
struct GridCommands
{
    std::function<void()> open;   // double-click on a row, Enter on the current row
    std::function<void()> insert; // Insert
    std::function<void()> remove; // Delete on the current row
};

// Wires the commands to the view and shows a hint in the middle of the view while it lists
// nothing (a label `lblPrazdny` over the viewport). Call it after the view has its model.
void installGridCommands(QAbstractItemView *view, GridCommands commands);

QString emptyGridHint();

} // namespace tamvel::ui
