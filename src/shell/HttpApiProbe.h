#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// One GET of the backend's own HTTP API health path; no polling. Each probe replaces the one
// before it, so a late answer to an older probe never overwrites a newer result.
class HttpApiProbe : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isAvailable READ isAvailable NOTIFY isAvailableChanged)
public:
    static constexpr int defaultPort = 8420;
    static QUrl defaultUrl();

    explicit HttpApiProbe(QNetworkAccessManager &network, QUrl url = defaultUrl(),
                          QObject *parent = nullptr);

    bool isAvailable() const { return m_available; }
    void probe();

signals:
    void isAvailableChanged(bool available);
    void probeFinished(bool available);

private:
    void finish(QNetworkReply *reply);

    QNetworkAccessManager &m_network;
    QUrl m_url;
    QPointer<QNetworkReply> m_pending;
    bool m_available = false;
};
