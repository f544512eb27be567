#include "DesktopFiles.h"

#include "PortalRequest.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMimeData>
#include <QProcess>
#include <QUrl>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// A file manager that is starting up may take a while; one that never answers gets the folder.
constexpr int showItemsTimeoutMs = 5000;
// xdg-email's exit code for "no program can handle this".
constexpr int xdgEmailNoMailClient = 3;

QString &mailComposerProgram()
{
    static QString program = QStringLiteral("xdg-email");
    return program;
}

using EmailDone = std::function<void(std::optional<QString>)>;

void composeWithXdgEmail(const QString &path, const EmailDone &done)
{
    // Not parented and not deleted before it ends: destroying a QProcess kills its child, and
    // xdg-email may be running the mail client itself, which must outlive this application.
    auto *process = new QProcess;
    process->setProgram(mailComposerProgram());
    process->setArguments({QStringLiteral("--attach"), path});
    // Its complaints go to our standard error; it has nothing to say on standard output.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(process, &QProcess::errorOccurred, process, [process, done](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        done(QStringLiteral("Could not open a new e-mail: %1 is not installed.").arg(process->program()));
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, done](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status == QProcess::NormalExit && exitCode == 0)
                             done(std::nullopt);
                         else if (status == QProcess::NormalExit && exitCode == xdgEmailNoMailClient)
                             done(QStringLiteral("No e-mail application is set up. Choose a default mail "
                                                 "application in your desktop settings and try again."));
                         else
                             done(QStringLiteral("Could not open a new e-mail (%1 ended with code %2).")
                                      .arg(process->program())
                                      .arg(exitCode));
                     });
    process->start();
}

void composeWithPortal(QDBusConnection bus, const QString &path, QDBusUnixFileDescriptor attachment,
                       const EmailDone &done)
{
    static const QMetaType registered = qDBusRegisterMetaType<QList<QDBusUnixFileDescriptor>>();
    Q_UNUSED(registered);

    auto *request = new PortalRequest(bus);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Email"), QStringLiteral("ComposeEmail"));
    const QVariantMap options{
        {QStringLiteral("handle_token"), request->token()},
        {QStringLiteral("attachment_fds"), QVariant::fromValue(QList<QDBusUnixFileDescriptor>{attachment})},
    };
    call << QString() << options;

    // A portal that cannot do it (absent, too old for Email, or failing) leaves it to xdg-email.
    QObject::connect(request, &PortalRequest::responded, request, [request, path, done](uint response) {
        request->deleteLater();
        if (response == PortalRequest::failed)
            composeWithXdgEmail(path, done);
        else
            done(std::nullopt); // sent to the composer, or the user closed the portal's chooser
    });
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), request);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, request, [request, path, done](auto *finished) {
        const QDBusPendingReply<QDBusObjectPath> reply = *finished;
        finished->deleteLater();
        if (reply.isError()) {
            request->deleteLater();
            composeWithXdgEmail(path, done);
            return;
        }
        request->follow(reply.value().path());
    });
}

} // namespace

QMimeData *copiedFileMimeData(const QString &path)
{
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    auto *data = new QMimeData;
    data->setUrls({url});
    data->setText(url.toLocalFile());
    data->setData(QStringLiteral("x-special/gnome-copied-files"), QByteArrayLiteral("copy\n") + url.toEncoded());
    return data;
}

void setMailComposerProgram(const QString &program)
{
    mailComposerProgram() = program;
}

void revealInFileManager(const QString &path)
{
    const QFileInfo file(path);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded)} << QString();
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, showItemsTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [folder = file.absolutePath()](auto *finished) {
        finished->deleteLater();
        if (finished->isError())
            QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    });
}

void composeEmailWithAttachment(const QString &path, std::function<void(std::optional<QString> error)> done)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !(bus.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing)) {
        composeWithXdgEmail(path, done);
        return;
    }
    // The portal takes the attachment as an open descriptor: it may serve a sandboxed
    // application that cannot name the file at all.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        done(QStringLiteral("Could not attach %1: %2").arg(QFileInfo(path).fileName(), reason));
        return;
    }
    QDBusUnixFileDescriptor attachment(fd); // keeps its own duplicate
    ::close(fd);
    composeWithPortal(bus, path, attachment, done);
}
