#include "backend/BackendViewModel.h"
#include "backend/Log.h"
#include "platform/AllocatorTuning.h"
#include "platform/ApplicationService.h"
#include "platform/CommandLine.h"
#include "shell/AppNotifier.h"
#include "shell/BackendViewModelControl.h"
#include "shell/MotionPreference.h"
#include "shell/ToastManager.h"
#include "shell/ui/MainWindow.h"
#include "shell/ui/PictaviaApp.h"
#include "shell/ui/ScreenAssembly.h"
#include "shell/ui/ScreenshotRunner.h"
#include "shell/ui/StartupProbe.h"

#include <QApplication>
#include <QDBusPendingCallWatcher>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QNetworkAccessManager>

#include <cstdio>
#include <memory>

#include "BuildConfig.h"

namespace {

QStringList rawArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// A second launch: hand the request to the running instance and report how that went.
int forwardToRunningInstance(QApplication &app, const LaunchRequest &request)
{
    const QList<QDBusPendingCall> calls =
        ApplicationService::forward(QDBusConnection::sessionBus(), request);
    int remaining = int(calls.size());
    int status = 0;
    for (const QDBusPendingCall &call : calls) {
        auto *watcher = new QDBusPendingCallWatcher(call, &app);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &app,
                         [&](QDBusPendingCallWatcher *finished) {
                             if (finished->isError()) {
                                 std::fprintf(stderr, "pictavia: the running Pictavia did not answer: %s\n",
                                              qPrintable(finished->error().message()));
                                 status = 1;
                             }
                             if (--remaining == 0)
                                 app.exit(status);
                         });
    }
    return app.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    giveLargeBlocksTheirOwnMappings();

    QCoreApplication::setOrganizationName(QStringLiteral("Pictavia"));
    QCoreApplication::setApplicationName(QStringLiteral("Pictavia"));
    QCoreApplication::setApplicationVersion(QLatin1String(BuildConfig::version));
    QGuiApplication::setDesktopFileName(QStringLiteral("com.zorbel.Pictavia"));

    // Parsed before the GUI exists, so --help and --version work without a display.
    const CommandLine::Outcome outcome = CommandLine::parse(rawArguments(argc, argv), QDir::currentPath());
    if (const auto *text = std::get_if<CommandLine::ShowText>(&outcome)) {
        std::fputs(qPrintable(text->text), stdout);
        return 0;
    }
    if (const auto *error = std::get_if<CommandLine::UsageError>(&outcome)) {
        std::fprintf(stderr, "pictavia: %s\nTry 'pictavia --help'.\n", qPrintable(error->text));
        return 2;
    }
    const LaunchRequest request = std::get<LaunchRequest>(outcome);

    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/logo.svg")));

    // Screenshot and benchmark runs stand alone, beside any Pictavia the user has open.
    const bool standalone = !request.screenshotDir.isEmpty() || request.startupProbe;
    std::unique_ptr<ApplicationService> service;
    if (!standalone) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        service = std::make_unique<ApplicationService>(bus);
        if (!service->registerPrimary()) {
            if (bus.isConnected())
                return forwardToRunningInstance(app, request);
            service.reset(); // no session bus: run on our own
        }
    }

    BackendViewModel backend;
    BackendViewModelControl backendControl(backend);
    AppNotifier notifier;
    MotionPreference motion;
    motion.queryDesktop();
    QNetworkAccessManager network;
    ToastManager &toasts = ToastManager::shared();

    PictaviaApp shell(backendControl, notifier, toasts, motion, network);
    ScreenAssembly screens(shell, backend, notifier);
    if (service) {
        shell.listen(*service);
        screens.serveDesktopSearch();
    }
    shell.handleLaunch(request);

    std::unique_ptr<StartupProbe> probe;
    if (request.startupProbe) {
        probe = std::make_unique<StartupProbe>(&shell.window(), sinceStart,
                                               [&backend] { return backend.isConnected(); });
        appLog(QStringLiteral("[Startup] backend project: ") + backend.projectRoot());
    }
    std::unique_ptr<ScreenshotRunner> screenshots;
    if (!request.screenshotDir.isEmpty()) {
        screenshots = std::make_unique<ScreenshotRunner>(shell, backendControl, toasts, request.screenshotDir);
        screenshots->start();
    }

    shell.show();
    return app.exec();
}
