#include "backend/BackendLocator.h"

#include "BuildConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

bool isFile(const QString &path) { return QFileInfo(path).isFile(); }

QString trimSpacesAndTabs(QStringView text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t'))
        ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.sliced(begin, end - begin).toString();
}

} // namespace

BackendSearchPaths BackendSearchPaths::forRunningApplication()
{
    QString executable = QCoreApplication::arguments().value(0);
    if (executable.isEmpty() || !QFileInfo(executable).isFile())
        executable = QCoreApplication::applicationFilePath();
    const QString absoluteExecutable = QFileInfo(executable).absoluteFilePath();
    const QString binDir = QFileInfo(absoluteExecutable).absolutePath();
    return {QDir::cleanPath(binDir + QStringLiteral("/../share/pictavia")), absoluteExecutable,
            QString::fromUtf8(BuildConfig::devBackendDir)};
}

QString resolveBackendProjectRoot(const BackendSearchPaths &paths)
{
    const QString marker = QString::fromLatin1(BackendLayout::serverMarker);
    const QString interpreter = QString::fromLatin1(BackendLayout::interpreter);
    if (!paths.resourcesDir.isEmpty() && QFileInfo(paths.resourcesDir).isDir()) {
        const QString candidate = paths.resourcesDir + QStringLiteral("/artwork-backend");
        if (isFile(candidate + u'/' + marker) && isFile(candidate + u'/' + interpreter))
            return candidate;
    }
    if (!paths.executablePath.isEmpty()) {
        QDir dir = QFileInfo(paths.executablePath).absoluteDir();
        for (int level = 0; level < 6; ++level) {
            if (isFile(dir.filePath(marker)))
                return dir.absolutePath();
            if (!dir.cdUp())
                break;
        }
    }
    return paths.devCheckout;
}

QList<std::pair<QString, QString>> parseDotEnv(const QByteArray &contents)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(contents);
    if (decoder.hasError())
        return {};
    QList<std::pair<QString, QString>> entries;
    for (QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        // Files written on Windows end their lines with CR LF; the CR is not part of the value.
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = trimSpacesAndTabs(line);
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        const qsizetype equals = trimmed.indexOf(u'=');
        if (equals < 0)
            continue;
        entries.append({trimSpacesAndTabs(QStringView(trimmed).first(equals)),
                        trimSpacesAndTabs(QStringView(trimmed).sliced(equals + 1))});
    }
    return entries;
}
