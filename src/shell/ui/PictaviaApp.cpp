#include "PictaviaApp.h"

#include "ContentView.h"
#include "MainWindow.h"
#include "SheetPresenter.h"
#include "platform/ApplicationService.h"
#include "platform/DesktopActions.h"
#include "shell/AppNotifier.h"
#include "shell/BackendControl.h"
#include "shell/PreferenceKeys.h"
#include "shell/Theme.h"
#include "shell/ToastManager.h"

#include <QApplication>
#include <QClipboard>
#include <QCoro/QCoroFuture>
#include <QMessageBox>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPointer>
#include <QSettings>
#include <QTimer>

#include "BuildConfig.h"

namespace {

constexpr QSize helpMinimumSize{700, 500};

QCoro::Task<> runImport(QPointer<PictaviaApp> app, QFuture<ImageImporter::Outcome> import,
                        AppNotifier *notifier, ToastManager *toasts)
{
    ImageImporter::Outcome outcome;
    try {
        outcome = co_await import;
    } catch (const std::exception &error) {
        outcome.error = QString::fromUtf8(error.what());
    }
    if (!app)
        co_return;
    if (!outcome.path.isEmpty())
        emit notifier->openImageAsSource(outcome.path);
    else if (!outcome.error.isEmpty())
        toasts->show(outcome.error, ToastStyle::Error);
    emit app->importFinished(outcome);
}

} // namespace

PictaviaApp::PictaviaApp(BackendControl &backend, AppNotifier &notifier, ToastManager &toasts,
                         MotionPreference &motion, QNetworkAccessManager &network, ShellHooks hooks,
                         ShellTimings timings, QObject *parent)
    : QObject(parent), m_backend(backend), m_notifier(notifier), m_toasts(toasts),
      m_hooks(std::move(hooks)), m_timings(timings)
{
    m_showOnboarding = !QSettings().value(PreferenceKeys::hasCompletedOnboarding, false).toBool();

    MenuCommands commands;
    if (m_hooks.checkForUpdates)
        commands.checkForUpdates = m_hooks.checkForUpdates;
    if (m_hooks.makeHelp)
        commands.showHelp = [this] { setShowHelp(true); };
    if (m_hooks.makeOnboarding)
        commands.showOnboarding = [this] { setShowOnboarding(true); };
    commands.showAbout = [this] { showAbout(); };
    commands.pasteImage = [this] { pasteImage(); };

    auto *content = new ContentView(backend, notifier, toasts, motion, network);
    m_window = new MainWindow(content, backend, notifier, std::move(commands));
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_sheets = new SheetPresenter(m_window);

    QPalette accent = QApplication::palette();
    accent.setColor(QPalette::Highlight, Theme::studioPurple());
    accent.setColor(QPalette::Link, Theme::studioPurple());
    m_window->setPalette(accent);

    connect(content, &ContentView::firstShown, this, &PictaviaApp::onFirstShown);
    connect(m_window, &MainWindow::closing, this, [this] {
        m_closed = true;
        m_backend.stop();
    });
    connect(m_window, &MainWindow::imagesOffered, this, &PictaviaApp::importOffers);
}

PictaviaApp::~PictaviaApp()
{
    delete m_window;
}

ContentView &PictaviaApp::content() const
{
    return *m_window->contentView();
}

void PictaviaApp::show()
{
    m_window->show();
}

void PictaviaApp::onFirstShown()
{
    m_shown = true;
    // Queued, so the first frame is not held up by launching the child process.
    QTimer::singleShot(0, this, [this] {
        if (!m_closed)
            m_backend.start();
    });
    QTimer::singleShot(m_timings.raiseDelay, this, &PictaviaApp::raiseWindow);
    QTimer::singleShot(m_timings.updateCheckDelay, this, [this] {
        if (m_hooks.checkForUpdatesIfNeeded)
            m_hooks.checkForUpdatesIfNeeded();
    });
    presentPendingSheets();
    const QList<LaunchRequest> pending = std::exchange(m_pendingLaunches, {});
    for (const LaunchRequest &request : pending)
        handleLaunch(request);
}

void PictaviaApp::raiseWindow()
{
    if (!m_window)
        return;
    if (m_window->isMinimized())
        m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    emit windowRaised();
}

void PictaviaApp::handleLaunch(const LaunchRequest &request)
{
    if (!m_shown) {
        m_pendingLaunches << request;
        return;
    }
    if (!request.files.isEmpty())
        openFiles(request.files);
    if (!request.action.isEmpty())
        runAction(request.action);
}

void PictaviaApp::listen(ApplicationService &service)
{
    connect(&service, &ApplicationService::activateRequested, this, &PictaviaApp::raiseWindow);
    connect(&service, &ApplicationService::openRequested, this, [this](const QList<QUrl> &files) {
        LaunchRequest request;
        request.files = files;
        handleLaunch(request);
        raiseWindow();
    });
    connect(&service, &ApplicationService::actionRequested, this, [this](const QString &name) {
        LaunchRequest request;
        request.action = name;
        handleLaunch(request);
    });
}

void PictaviaApp::openFiles(const QList<QUrl> &files)
{
    // The source image is one image: the first local image file is used.
    static const QMimeDatabase mimeTypes;
    for (const QUrl &url : files) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (!mimeTypes.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().startsWith(QLatin1String("image/")))
            continue;
        emit m_notifier.openImageAsSource(path);
        return;
    }
    m_toasts.show(tr("Pictavia opens local image files only."), ToastStyle::Error);
}

void PictaviaApp::runAction(const QString &name)
{
    const auto tab = DesktopActions::tabFor(name);
    if (!tab)
        return;
    emit m_notifier.switchTab(*tab);
    raiseWindow();
}

void PictaviaApp::setShowOnboarding(bool show)
{
    m_showOnboarding = show;
    if (show)
        presentPendingSheets();
    else if (m_presented == Sheet::Onboarding)
        m_sheets->close();
}

void PictaviaApp::setShowHelp(bool show)
{
    m_showHelp = show;
    if (show)
        presentPendingSheets();
    else if (m_presented == Sheet::Help)
        m_sheets->close();
}

void PictaviaApp::setUpdateAvailable(bool available)
{
    const bool becameAvailable = available && !m_updateAvailable;
    m_updateAvailable = available;
    if (becameAvailable) {
        m_showUpdateNotification = true;
        presentPendingSheets();
    }
}

void PictaviaApp::presentPendingSheets()
{
    if (!m_shown || m_sheets->isPresenting())
        return;
    // One sheet at a time: the walkthrough first; the others wait until the one up closes.
    if (m_showOnboarding && m_hooks.makeOnboarding) {
        QPointer<PictaviaApp> self(this);
        presentSheet(Sheet::Onboarding, m_hooks.makeOnboarding([self] {
            if (self)
                self->setShowOnboarding(false);
        }), {}, false);
    } else if (m_showUpdateNotification && m_hooks.makeUpdateNotice) {
        presentSheet(Sheet::UpdateNotice, m_hooks.makeUpdateNotice(), {}, true);
    } else if (m_showHelp && m_hooks.makeHelp) {
        presentSheet(Sheet::Help, m_hooks.makeHelp(), helpMinimumSize, true);
    }
}

void PictaviaApp::presentSheet(Sheet kind, QWidget *content, QSize minimumSize, bool dismissible)
{
    m_presented = kind;
    m_sheets->present(content, {minimumSize, dismissible}, [this, kind] {
        m_presented = Sheet::None;
        switch (kind) {
        case Sheet::Onboarding: m_showOnboarding = false; break;
        case Sheet::UpdateNotice: m_showUpdateNotification = false; break;
        case Sheet::Help: m_showHelp = false; break;
        case Sheet::None: break;
        }
        QTimer::singleShot(0, this, &PictaviaApp::presentPendingSheets);
    });
}

void PictaviaApp::pasteImage()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QList<ImageImporter::Offer> offers;
    if (data)
        offers = ImageImporter::offersFrom(*data);
    if (offers.isEmpty()) {
        m_toasts.show(tr("The clipboard holds no image."), ToastStyle::Info);
        return;
    }
    importOffers(std::move(offers));
}

void PictaviaApp::importOffers(QList<ImageImporter::Offer> offers)
{
    runImport(this, m_importer.import(offers), &m_notifier, &m_toasts);
}

void PictaviaApp::showAbout()
{
    QMessageBox::about(m_window, tr("About Pictavia"),
                       tr("<b>Pictavia</b> %1<br>AI artwork for music releases: album covers, "
                          "track covers and artist images.")
                           .arg(QLatin1String(BuildConfig::version)));
}
