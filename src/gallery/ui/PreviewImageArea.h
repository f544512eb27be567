#pragma once

#include "gallery/PreviewZoom.h"
#include "gallery/ScaledImageCache.h"

#include <QImage>
#include <QVariantAnimation>
#include <QWidget>

// The preview's image on black: fitted into the area, scaled by the zoom around its centre and
// moved by the pan, with drag, double click, pinch and Ctrl+wheel. Button and double-click
// changes animate unless motion is reduced; pinches and drags follow the hand directly.
class PreviewImageArea : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewImageArea(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    // The image could not be loaded: show the notice with its path instead.
    void setMissing(const QString &path);
    void setReduceMotion(bool reduce) { m_reduceMotion = reduce; }
    bool isShowingMissing() const { return m_missing; }

    const PreviewZoom &zoom() const { return m_zoom; }
    void zoomIn();
    void zoomOut();
    void fit();

signals:
    void zoomChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool event(QEvent *event) override;

private:
    struct View {
        double zoom = 1.0;
        QSizeF offset;
    };
    // Moves what is painted to the model's state, animated or at once.
    void applyZoom(bool animated);
    View target() const { return {m_zoom.zoom(), m_zoom.totalOffset()}; }

    PreviewZoom m_zoom;
    View m_shown;
    View m_from;
    QVariantAnimation m_animation;
    QImage m_image;
    ScaledImageCache m_scaled;
    QString m_missingPath;
    bool m_missing = false;
    bool m_reduceMotion = false;
    QPointF m_pressAt;
    bool m_pressed = false;
    double m_pinch = 1.0;
    double m_appliedPinch = 1.0;
};
