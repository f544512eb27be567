#pragma once

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QObject>
#include <QStringList>
#include <QUrl>

struct LaunchRequest;

// One running Pictavia per user session. The first instance owns the bus name and serves
// org.freedesktop.Application at the app's object path; a later launch hands its files or action
// to it and exits. Desktop launchers that honour DBusActivatable call the same interface directly.
class ApplicationService : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *serviceName = "com.zorbel.Pictavia";
    static constexpr const char *objectPath = "/com/zorbel/Pictavia";
    static constexpr const char *interfaceName = "org.freedesktop.Application";

    explicit ApplicationService(QDBusConnection connection, QObject *parent = nullptr);
    ~ApplicationService() override;

    // Exports the interface, then claims the name without queueing. False when another instance
    // already owns it (or there is no bus), in which case nothing stays registered.
    bool registerPrimary();

    // Hands a launch request to the instance that owns the name: Open for the files, then
    // ActivateAction for the action, or Activate when there is neither. The calls are
    // asynchronous; the caller waits for their replies.
    static QList<QDBusPendingCall> forward(const QDBusConnection &connection,
                                           const LaunchRequest &request);

signals:
    void activateRequested();
    void openRequested(const QList<QUrl> &files);
    void actionRequested(const QString &name);

private:
    friend class FreedesktopApplicationAdaptor;

    QDBusConnection m_connection;
    bool m_registered = false;
};
