#pragma once

#include <QSizeF>
#include <QString>

// The image preview's zoom and pan: the buttons step by a quarter within 25 %-500 %, a pinch
// sets its own magnification (not multiplied with the zoom before it), a drag pans once it has
// gone 10 points, and a double click toggles between 100 % and 200 %.
class PreviewZoom
{
public:
    static constexpr double minimum = 0.25;
    static constexpr double maximum = 5.0;
    static constexpr double step = 0.25;
    static constexpr double dragThreshold = 10.0;

    double zoom() const { return m_zoom; }
    QSizeF offset() const { return m_offset; }
    QSizeF dragOffset() const { return m_dragOffset; }
    // Where the image is moved to now: the committed pan plus the drag in progress.
    QSizeF totalOffset() const { return m_offset + m_dragOffset; }
    // "100%": the integer part of zoom x 100.
    QString percentText() const;
    int percent() const;

    void zoomIn();
    void zoomOut();
    void fit();
    void pinch(double magnification);
    // The translation of a drag since its press; it pans only once the drag has reached the
    // threshold, and then follows it from the press point.
    void dragChanged(const QSizeF &translation);
    void dragEnded(const QSizeF &translation);
    void doubleClick();

private:
    double m_zoom = 1.0;
    QSizeF m_offset{0, 0};
    QSizeF m_dragOffset{0, 0};
    bool m_dragging = false;
};
