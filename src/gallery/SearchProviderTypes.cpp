#include "gallery/SearchProviderTypes.h"

#include <QDBusMetaType>

DBusIconData DBusIconData::fromImage(const QImage &image)
{
    DBusIconData icon;
    if (image.isNull())
        return icon;
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    icon.width = rgba.width();
    icon.height = rgba.height();
    icon.rowStride = int(rgba.bytesPerLine());
    icon.data = QByteArray(reinterpret_cast<const char *>(rgba.constBits()), rgba.sizeInBytes());
    return icon;
}

QDBusArgument &operator<<(QDBusArgument &argument, const DBusIconData &icon)
{
    argument.beginStructure();
    argument << icon.width << icon.height << icon.rowStride << icon.hasAlpha << icon.bitsPerSample << icon.channels
             << icon.data;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, DBusIconData &icon)
{
    argument.beginStructure();
    argument >> icon.width >> icon.height >> icon.rowStride >> icon.hasAlpha >> icon.bitsPerSample >> icon.channels
        >> icon.data;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const KRunnerMatch &match)
{
    argument.beginStructure();
    argument << match.id << match.text << match.iconName << match.type << match.relevance << match.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, KRunnerMatch &match)
{
    argument.beginStructure();
    argument >> match.id >> match.text >> match.iconName >> match.type >> match.relevance >> match.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument &operator<<(QDBusArgument &argument, const KRunnerAction &action)
{
    argument.beginStructure();
    argument << action.id << action.text << action.iconName;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, KRunnerAction &action)
{
    argument.beginStructure();
    argument >> action.id >> action.text >> action.iconName;
    argument.endStructure();
    return argument;
}

void registerSearchProviderTypes()
{
    qDBusRegisterMetaType<DBusIconData>();
    qDBusRegisterMetaType<KRunnerMatch>();
    qDBusRegisterMetaType<KRunnerMatches>();
    qDBusRegisterMetaType<KRunnerAction>();
    qDBusRegisterMetaType<KRunnerActions>();
    qDBusRegisterMetaType<ResultMetas>();
}
