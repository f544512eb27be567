#include "shell/ui/FlowLayout.h"

#include <QWidget>

FlowLayout::FlowLayout(QWidget *parent, int spacing) : QLayout(parent), m_spacing(spacing)
{
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem *item) { m_items.append(item); }

QLayoutItem *FlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return m_items.takeAt(index);
}

int FlowLayout::heightForWidth(int width) const { return arrange(QRect(0, 0, width, 0), false); }

QSize FlowLayout::sizeHint() const
{
    // Unbounded width: everything on one row.
    int width = 0, height = 0;
    for (QLayoutItem *item : m_items) {
        const QSize size = item->sizeHint();
        width += (width > 0 ? m_spacing : 0) + size.width();
        height = std::max(height, size.height());
    }
    const QMargins margins = contentsMargins();
    return QSize(width, height).grownBy(margins);
}

QSize FlowLayout::minimumSize() const
{
    QSize size;
    for (QLayoutItem *item : m_items)
        size = size.expandedTo(item->minimumSize());
    return size.grownBy(contentsMargins());
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::arrange(const QRect &rect, bool place) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    int x = 0, y = 0, rowHeight = 0;
    for (QLayoutItem *item : m_items) {
        const QSize size = item->sizeHint();
        if (x > 0 && x + size.width() > area.width()) {
            y += rowHeight + m_spacing;
            x = 0;
            rowHeight = 0;
        }
        if (place)
            item->setGeometry(QRect(area.topLeft() + QPoint(x, y), size));
        rowHeight = std::max(rowHeight, size.height());
        x += size.width() + m_spacing;
    }
    const QMargins margins = contentsMargins();
    return y + rowHeight + margins.top() + margins.bottom();
}
