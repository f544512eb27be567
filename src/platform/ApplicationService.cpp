#include "ApplicationService.h"

#include "CommandLine.h"
#include "FreedesktopApplicationAdaptor.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

ApplicationService::ApplicationService(QDBusConnection connection, QObject *parent)
    : QObject(parent), m_connection(std::move(connection))
{
    new FreedesktopApplicationAdaptor(this);
}

ApplicationService::~ApplicationService()
{
    if (m_registered) {
        m_connection.unregisterService(QLatin1String(serviceName));
        m_connection.unregisterObject(QLatin1String(objectPath));
    }
}

bool ApplicationService::registerPrimary()
{
    if (!m_connection.isConnected())
        return false;
    // The object first, so a call that arrives the moment the name is ours finds it.
    if (!m_connection.registerObject(QLatin1String(objectPath), this,
                                     QDBusConnection::ExportAdaptors))
        return false;
    QDBusConnectionInterface *bus = m_connection.interface();
    const auto reply = bus->registerService(QLatin1String(serviceName),
                                            QDBusConnectionInterface::DontQueueService,
                                            QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        m_connection.unregisterObject(QLatin1String(objectPath));
        return false;
    }
    m_registered = true;
    return true;
}

QList<QDBusPendingCall> ApplicationService::forward(const QDBusConnection &connection,
                                                    const LaunchRequest &request)
{
    const auto call = [&](const QString &method, const QVariantList &arguments) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            QLatin1String(serviceName), QLatin1String(objectPath), QLatin1String(interfaceName), method);
        message.setArguments(arguments);
        return connection.asyncCall(message, 10 * 1000);
    };
    const QVariantMap platformData;
    QList<QDBusPendingCall> calls;
    if (!request.files.isEmpty()) {
        QStringList uris;
        for (const QUrl &url : request.files)
            uris << url.toString(QUrl::FullyEncoded);
        calls << call(QStringLiteral("Open"), {uris, platformData});
    }
    if (!request.action.isEmpty())
        calls << call(QStringLiteral("ActivateAction"),
                      {request.action, QVariant::fromValue(QVariantList()), platformData});
    if (calls.isEmpty())
        calls << call(QStringLiteral("Activate"), {platformData});
    return calls;
}
