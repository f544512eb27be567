#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QUuid>

#include <functional>
#include <optional>

enum class ToastStyle { Success, Error, Info };

struct ToastMessage {
    QUuid id;
    QString message;
    ToastStyle style = ToastStyle::Info;
    double duration = 2.0; // seconds
    std::function<void()> undoAction;

    bool operator==(const ToastMessage &other) const { return id == other.id; }
};

// The single transient notice at the top of the main window. Main thread only.
class ToastManager : public QObject
{
    Q_OBJECT
public:
    static constexpr double plainDuration = 2.0;
    static constexpr double undoDuration = 5.0;

    explicit ToastManager(QObject *parent = nullptr);

    static ToastManager &shared();

    const std::optional<ToastMessage> &currentToast() const { return m_current; }

    // Replaces whatever is on screen at once and restarts the dismissal timer.
    void show(const QString &message, ToastStyle style, double duration = plainDuration,
              std::function<void()> undoAction = {});
    void dismiss();

    // What the toast's Undo button does: runs the action of the toast with this id once, then
    // dismisses it. A stale id (the toast was replaced or is gone) does nothing.
    void undo(QUuid toastId); // by value: the caller's id may live in the toast being replaced

    // Tests shorten every duration by this factor instead of waiting for seconds.
    void setDurationScale(double scale) { m_durationScale = scale; }

signals:
    void currentToastChanged();

private:
    void dismissIfStillShowing();

    std::optional<ToastMessage> m_current;
    QTimer m_dismissTimer;
    QString m_timerMessage;
    double m_durationScale = 1.0;
};
