#pragma once

#include <QAbstractButton>

// The small capsule in the bottom-right corner: a gold dot and "Connected", or a red dot and
// "Disconnected". Pressing it opens the connection details.
class ConnectionBadge : public QAbstractButton
{
    Q_OBJECT
public:
    explicit ConnectionBadge(QWidget *parent = nullptr);

    void setConnected(bool connected);
    bool isConnected() const { return m_connected; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_connected = false;
};
