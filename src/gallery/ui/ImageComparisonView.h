#pragma once

#include "gallery/ScaledImageCache.h"

#include <QImage>
#include <QRectF>
#include <QWidget>

// The left part of a rectangle: its origin, `fraction` of its width and all of its height.
struct HorizontalClip
{
    double fraction = 0.5;
    QRectF path(const QRectF &rect) const { return {rect.topLeft(), QSizeF(rect.width() * fraction, rect.height())}; }
};

// A before/after slider: the after image fills the view, the before image shows left of a
// white divider that a drag anywhere moves (kept within 1 %-99 % of the width).
class ImageComparisonView : public QWidget
{
    Q_OBJECT

public:
    static constexpr double minimumPosition = 0.01;
    static constexpr double maximumPosition = 0.99;

    ImageComparisonView(QImage before, QImage after, QString beforeLabel, QString afterLabel,
                        double sliderPosition = 0.5, QWidget *parent = nullptr);

    double sliderPosition() const { return m_position; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QRectF fitted(const QImage &image) const;
    void drawFitted(QPainter &painter, const QImage &image, ScaledImageCache &cache);
    void paintLabel(QPainter &painter, const QString &text, bool atRight) const;

    QImage m_before;
    QImage m_after;
    ScaledImageCache m_beforeScaled;
    ScaledImageCache m_afterScaled;
    QString m_beforeLabel;
    QString m_afterLabel;
    double m_position;
    QPointF m_pressAt;
    bool m_dragging = false;
};
