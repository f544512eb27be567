#include "PrivateDirectory.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

QString PrivateDirectory::ensure(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (!QDir().mkpath(path))
        return QStringLiteral("cannot create %1").arg(path);
    // The leaf is made private whatever the umask did when mkpath created it.
    ::chmod(native.constData(), S_IRWXU);

    struct stat info {};
    if (::lstat(native.constData(), &info) != 0)
        return QStringLiteral("cannot inspect %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("%1 is not a directory").arg(path);
    if (info.st_uid != ::getuid())
        return QStringLiteral("%1 belongs to another user").arg(path);
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return QStringLiteral("%1 is open to other users").arg(path);
    return {};
}
