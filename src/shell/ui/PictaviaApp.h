#pragma once

#include "ShellHooks.h"
#include "platform/CommandLine.h"
#include "platform/ImageImporter.h"
#include "shell/ShellTimings.h"

#include <QObject>

class AppNotifier;
class ApplicationService;
class BackendControl;
class ContentView;
class MainWindow;
class MotionPreference;
class QMimeData;
class QNetworkAccessManager;
class SheetPresenter;
class ToastManager;

// The scene: the one main window, its start-up and shut-down order, the app-level sheets and
// the requests that reach the app from the desktop (launches, desktop actions, pasted images).
class PictaviaApp : public QObject
{
    Q_OBJECT
public:
    PictaviaApp(BackendControl &backend, AppNotifier &notifier, ToastManager &toasts,
                MotionPreference &motion, QNetworkAccessManager &network, ShellHooks hooks = {},
                ShellTimings timings = {}, QObject *parent = nullptr);
    ~PictaviaApp() override;

    MainWindow &window() const { return *m_window; }
    ContentView &content() const;
    SheetPresenter &sheets() const { return *m_sheets; }
    ImageImporter &importer() { return m_importer; }

    void show();

    // Files and actions from the command line or from a second launch. Files are handled once the
    // window has been shown, so the screens are in place to receive them.
    void handleLaunch(const LaunchRequest &request);
    void listen(ApplicationService &service);

    void raiseWindow();

    bool showOnboarding() const { return m_showOnboarding; }
    void setShowOnboarding(bool show);
    bool showHelp() const { return m_showHelp; }
    void setShowHelp(bool show);
    bool showUpdateNotification() const { return m_showUpdateNotification; }
    // The update checker reports its availability here; only a change to true opens the notice.
    void setUpdateAvailable(bool available);

    // The clipboard's image (or file URL) becomes the Generate screen's source image.
    void pasteImage();
    void importOffers(QList<ImageImporter::Offer> offers);

signals:
    void windowRaised();
    void importFinished(const ImageImporter::Outcome &outcome);

private:
    enum class Sheet { None, Onboarding, UpdateNotice, Help };

    void onFirstShown();
    void presentPendingSheets();
    void presentSheet(Sheet kind, QWidget *content, QSize minimumSize, bool dismissible);
    void openFiles(const QList<QUrl> &files);
    void runAction(const QString &name);
    void showAbout();

    BackendControl &m_backend;
    AppNotifier &m_notifier;
    ToastManager &m_toasts;
    ShellHooks m_hooks;
    ShellTimings m_timings;
    ImageImporter m_importer;
    MainWindow *m_window;
    SheetPresenter *m_sheets;
    Sheet m_presented = Sheet::None;
    bool m_shown = false;
    bool m_closed = false;
    QList<LaunchRequest> m_pendingLaunches;
    bool m_showOnboarding = false;
    bool m_showHelp = false;
    bool m_showUpdateNotification = false;
    bool m_updateAvailable = false;
};
