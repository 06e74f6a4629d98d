#include "ui/SortArrow.h"

#include <QHeaderView>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

#include <algorithm>

namespace tamvel::ui {

namespace {

// Styles read the header's indicator differently (Qt hands them "SortDown" for an ascending
// sort, and Fusion draws that down on Linux and up elsewhere); this one paints the arrow
// from the header's order itself.
class SortArrowStyle : public QProxyStyle
{
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        const auto *header = qobject_cast<const QHeaderView *>(widget);
        if (element != PE_IndicatorHeaderArrow || !header) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        const QRectF place = option->rect;
        const qreal side = std::min({place.width(), place.height(), qreal(9)});
        if (side < 3)
            return;
        const bool up = header->sortIndicatorOrder() == Qt::AscendingOrder;
        const QPointF c = place.center();
        const qreal w = side / 2, h = up ? side / 4 : -side / 4;
        const QPointF points[] = {
            {c.x() - w, c.y() + h}, {c.x() + w, c.y() + h}, {c.x(), c.y() - h}};
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(option->palette.windowText());
        painter->drawPolygon(points, 3);
        painter->restore();
    }
};

} // namespace

void paintSortArrowByOrder(QHeaderView *header)
{
    auto *style = new SortArrowStyle;
    style->setParent(header);
    header->setStyle(style);
}

} // namespace tamvel::ui
