#include "PortalRequest.h"

#include <QUuid>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

} // namespace

PortalRequest::PortalRequest(QDBusConnection connection, QObject *parent)
    : QObject(parent), m_connection(std::move(connection)),
      m_token(QStringLiteral("pictavia_") + QUuid::createUuid().toString(QUuid::Id128))
{
    // ":1.42" becomes "1_42" in the handle path.
    QString sender = m_connection.baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    subscribe(QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, m_token));
}

PortalRequest::~PortalRequest()
{
    unsubscribe();
}

void PortalRequest::follow(const QString &handle)
{
    if (handle == m_handle)
        return;
    unsubscribe();
    subscribe(handle);
}

bool PortalRequest::subscribe(const QString &handle)
{
    m_handle = handle;
    return m_connection.connect(portalService, handle, requestInterface, QStringLiteral("Response"), this,
                                SLOT(onResponse(uint, QVariantMap)));
}

void PortalRequest::unsubscribe()
{
    if (m_handle.isEmpty())
        return;
    m_connection.disconnect(portalService, m_handle, requestInterface, QStringLiteral("Response"), this,
                            SLOT(onResponse(uint, QVariantMap)));
    m_handle.clear();
}

void PortalRequest::onResponse(uint response, const QVariantMap &results)
{
    unsubscribe();
    emit responded(response, results);
}
