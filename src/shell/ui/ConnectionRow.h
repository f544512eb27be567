#pragma once

#include <QWidget>

class QLabel;

// One service in the connection popover: a green tick or a red cross, the name and what it does.
class ConnectionRow : public QWidget
{
    Q_OBJECT
public:
    ConnectionRow(const QString &label, const QString &detail, QWidget *parent = nullptr);

    void setConnected(bool connected);
    bool isConnected() const { return m_connected; }

private:
    QString m_label;
    QLabel *m_icon;
    bool m_connected = false;
};
