#include "gallery/PreviewZoom.h"

#include <algorithm>
#include <cmath>

namespace {

bool reachesThreshold(const QSizeF &translation)
{
    return std::hypot(translation.width(), translation.height()) >= PreviewZoom::dragThreshold;
}

} // namespace

int PreviewZoom::percent() const
{
    return int(std::floor(m_zoom * 100 + 1e-9)); // 0.29 x 100 is 28.999...; show 29
}

QString PreviewZoom::percentText() const { return QString::number(percent()) + QLatin1Char('%'); }

void PreviewZoom::zoomIn() { m_zoom = std::min(m_zoom + step, maximum); }

void PreviewZoom::zoomOut() { m_zoom = std::max(m_zoom - step, minimum); }

void PreviewZoom::fit()
{
    m_zoom = 1.0;
    m_offset = {0, 0};
}

void PreviewZoom::pinch(double magnification)
{
    if (std::isfinite(magnification))
        m_zoom = std::clamp(magnification, minimum, maximum);
}

void PreviewZoom::dragChanged(const QSizeF &translation)
{
    if (!m_dragging && !reachesThreshold(translation))
        return;
    m_dragging = true;
    m_dragOffset = translation;
}

void PreviewZoom::dragEnded(const QSizeF &translation)
{
    if (m_dragging)
        m_offset += translation;
    m_dragging = false;
    m_dragOffset = {0, 0};
}

void PreviewZoom::doubleClick()
{
    if (m_zoom > 1.0) {
        m_zoom = 1.0;
        m_offset = {0, 0};
    } else {
        m_zoom = 2.0;
    }
}
