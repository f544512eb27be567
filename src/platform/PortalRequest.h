#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

// Waits for the Response signal of one xdg-desktop-portal Request. The handle is predicted
// from a token before the method is called, so a quick answer cannot be missed; when the
// portal reports another handle (older portals), follow() moves the subscription there.
class PortalRequest : public QObject
{
    Q_OBJECT

public:
    enum Response : uint { success = 0, cancelled = 1, failed = 2 };

    explicit PortalRequest(QDBusConnection connection, QObject *parent = nullptr);
    ~PortalRequest() override;

    // The handle_token option to pass with the call.
    QString token() const { return m_token; }
    void follow(const QString &handle);

signals:
    void responded(uint response, const QVariantMap &results);

private slots:
    void onResponse(uint response, const QVariantMap &results);

private:
    bool subscribe(const QString &handle);
    void unsubscribe();

    QDBusConnection m_connection;
    QString m_token;
    QString m_handle;
};
