#include "PrivateDirectory.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QString PrivateDirectory::ensure(const QString &path)
{
    if (!QDir().mkpath(path))
        return QStringLiteral("cannot create %1").arg(path);

    // Opened without following a link, so the checks and the chmod below act on the directory
    // itself and never on whatever a planted link points at.
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP || errno == ENOTDIR)
            return QStringLiteral("%1 is not a directory").arg(path);
        return QStringLiteral("cannot open %1: %2").arg(path, systemError());
    }
    QString problem;
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        problem = QStringLiteral("cannot inspect %1: %2").arg(path, systemError());
    else if (info.st_uid != ::getuid())
        problem = QStringLiteral("%1 belongs to another user").arg(path);
    else if ((info.st_mode & 0777) != S_IRWXU && ::fchmod(fd, S_IRWXU) != 0)
        problem = QStringLiteral("cannot make %1 private: %2").arg(path, systemError());
    ::close(fd);
    return problem;
}
