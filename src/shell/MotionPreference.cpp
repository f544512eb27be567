#include "MotionPreference.h"

#include "PreferenceKeys.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QSettings>
#include <QStandardPaths>

namespace {

bool kdeAnimationsOff()
{
    const QString path =
        QStandardPaths::locate(QStandardPaths::GenericConfigLocation, QStringLiteral("kdeglobals"));
    if (path.isEmpty())
        return false;
    QSettings kde(path, QSettings::IniFormat);
    bool ok = false;
    const double factor = kde.value(QStringLiteral("KDE/AnimationDurationFactor")).toDouble(&ok);
    return ok && factor == 0.0;
}

// The portal wraps the value in one or two variants depending on its version.
QVariant unwrap(QVariant value)
{
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

MotionPreference::MotionPreference(QObject *parent) : QObject(parent)
{
    m_preference = QSettings().value(PreferenceKeys::reduceMotion, false).toBool();
}

void MotionPreference::reload()
{
    update(QSettings().value(PreferenceKeys::reduceMotion, false).toBool(), m_desktopAnimationsOff);
}

void MotionPreference::setDesktopAnimationsOff(bool off)
{
    update(m_preference, off);
}

void MotionPreference::queryDesktop()
{
    if (kdeAnimationsOff())
        setDesktopAnimationsOff(true);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("Read"));
    call << QStringLiteral("org.gnome.desktop.interface") << QStringLiteral("enable-animations");
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        QDBusPendingReply<QDBusVariant> reply = *w;
        if (reply.isError())
            return;
        const QVariant value = unwrap(reply.argumentAt(0));
        if (value.metaType() == QMetaType::fromType<bool>() && !value.toBool())
            setDesktopAnimationsOff(true);
    });
}

void MotionPreference::update(bool preference, bool desktopOff)
{
    const bool before = reduceMotion();
    m_preference = preference;
    m_desktopAnimationsOff = desktopOff;
    if (reduceMotion() != before)
        emit reduceMotionChanged(reduceMotion());
}
