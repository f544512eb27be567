#include "HttpApiProbe.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

QUrl HttpApiProbe::defaultUrl()
{
    return QUrl(QStringLiteral("http://localhost:%1/health").arg(defaultPort));
}

HttpApiProbe::HttpApiProbe(QNetworkAccessManager &network, QUrl url, QObject *parent)
    : QObject(parent), m_network(network), m_url(std::move(url))
{
}

void HttpApiProbe::probe()
{
    if (m_pending) {
        QNetworkReply *old = m_pending;
        m_pending = nullptr;
        old->abort();
    }
    QNetworkRequest request(m_url);
    // The same patience as the platform's default URL loader.
    request.setTransferTimeout(60 * 1000);
    QNetworkReply *reply = m_network.get(request);
    m_pending = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finish(reply); });
}

void HttpApiProbe::finish(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_pending)
        return;
    m_pending = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool available = reply->error() == QNetworkReply::NoError && status == 200;
    if (available != m_available) {
        m_available = available;
        emit isAvailableChanged(available);
    }
    emit probeFinished(available);
}
