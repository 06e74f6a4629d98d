#pragma once

class QHeaderView;

namespace tamvel::ui {

// The header's sort arrow points up for an ascending sort and down for a descending one,
// whichever way the style draws its own indicator.
void paintSortArrowByOrder(QHeaderView *header);

} // namespace tamvel::ui
