#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

// D-Bus structures of the desktop search interfaces.

// (iiibiiay): raw image data, as GNOME Shell and KRunner take an icon.
struct DBusIconData
{
    qint32 width = 0;
    qint32 height = 0;
    qint32 rowStride = 0;
    bool hasAlpha = true;
    qint32 bitsPerSample = 8;
    qint32 channels = 4;
    QByteArray data;

    // RGBA, 8 bits per sample; empty for a null image.
    static DBusIconData fromImage(const QImage &image);
};

// (sssida{sv}): one KRunner match.
struct KRunnerMatch
{
    QString id;
    QString text;
    QString iconName;
    qint32 type = 20; // possible match
    double relevance = 0;
    QVariantMap properties;
};

// (sss): one KRunner action.
struct KRunnerAction
{
    QString id;
    QString text;
    QString iconName;
};

QDBusArgument &operator<<(QDBusArgument &argument, const DBusIconData &icon);
const QDBusArgument &operator>>(const QDBusArgument &argument, DBusIconData &icon);
QDBusArgument &operator<<(QDBusArgument &argument, const KRunnerMatch &match);
const QDBusArgument &operator>>(const QDBusArgument &argument, KRunnerMatch &match);
QDBusArgument &operator<<(QDBusArgument &argument, const KRunnerAction &action);
const QDBusArgument &operator>>(const QDBusArgument &argument, KRunnerAction &action);

using KRunnerMatches = QList<KRunnerMatch>;
using KRunnerActions = QList<KRunnerAction>;
using ResultMetas = QList<QVariantMap>;

Q_DECLARE_METATYPE(DBusIconData)
Q_DECLARE_METATYPE(KRunnerMatch)
Q_DECLARE_METATYPE(KRunnerAction)

void registerSearchProviderTypes();
