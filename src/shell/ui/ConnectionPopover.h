#pragma once

#include <QFrame>
#include <QPainterPath>

class ConnectionRow;
class QLabel;

// The connection details under the status badge: the JSON-RPC backend, the backend's own HTTP
// API, and the image backend and chat provider chosen in the settings.
class ConnectionPopover : public QFrame
{
    Q_OBJECT
public:
    explicit ConnectionPopover(QWidget *parent = nullptr);

    void setBackendConnected(bool connected);
    void setHttpApiAvailable(bool available);
    // Reads the two preferences again; they are shown as they are when the popover opens.
    void refreshPreferences();
    // Opens above the anchor, its arrow pointing at it.
    void popUpAbove(QWidget *anchor);

    ConnectionRow *backendRow() const { return m_backendRow; }
    ConnectionRow *httpApiRow() const { return m_httpRow; }

signals:
    void closed();

protected:
    void paintEvent(QPaintEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPainterPath outline() const;

    ConnectionRow *m_backendRow;
    ConnectionRow *m_httpRow;
    QLabel *m_imageBackend;
    QLabel *m_llmProvider;
    int m_arrowX = -1;
};
