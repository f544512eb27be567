#pragma once

#include <QObject>

// The "where to start" hint above the tabs: shown during the first two appearances of the main
// window, hidden from the third on or as soon as the user dismisses it.
class WorkflowHint : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isVisible READ isVisible NOTIFY isVisibleChanged)
public:
    explicit WorkflowHint(QObject *parent = nullptr);

    bool isVisible() const { return !m_hasSeen; }
    int views() const { return m_views; }

    // Called every time the main content comes on screen.
    void recordAppearance();
    void dismiss();

signals:
    void isVisibleChanged(bool visible);

private:
    void markSeen();

    bool m_hasSeen = false;
    int m_views = 0;
};
