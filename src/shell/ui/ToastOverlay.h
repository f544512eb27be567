#pragma once

#include <QObject>
#include <QPointer>

class MotionPreference;
class QGraphicsOpacityEffect;
class QParallelAnimationGroup;
class QPropertyAnimation;
class QWidget;
class ToastManager;
class ToastView;

// Shows the manager's current toast centred at the top of the host widget, 8 points down. It
// slides in from the top edge while fading; with reduced motion it only fades.
class ToastOverlay : public QObject
{
    Q_OBJECT
public:
    static constexpr int topPadding = 8;

    ToastOverlay(QWidget *host, ToastManager &toasts, MotionPreference &motion);

    ToastView *view() const { return m_view; }
    void setAnimationDuration(int milliseconds) { m_durationMs = milliseconds; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void sync();
    void animate(bool entering);
    QPoint restingPosition() const;
    QPoint hiddenPosition() const;

    QWidget *m_host;
    ToastManager &m_toasts;
    MotionPreference &m_motion;
    ToastView *m_view;
    QGraphicsOpacityEffect *m_opacity;
    QPointer<QParallelAnimationGroup> m_animation;
    bool m_leaving = false;
    int m_durationMs = 250;
};
