#include "ScreenshotRunner.h"

#include "ConnectionBadge.h"
#include "ConnectionPopover.h"
#include "ContentView.h"
#include "InfoBanner.h"
#include "MainWindow.h"
#include "PictaviaApp.h"
#include "ToastView.h"
#include "backend/Log.h"
#include "gallery/ui/GalleryPreviewPresenter.h"
#include "gallery/ui/GalleryView.h"
#include "gallery/ui/ImagePreviewView.h"
#include "shell/AppNotifier.h"
#include "shell/BackendControl.h"
#include "shell/ToastManager.h"

#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QPointer>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

namespace {

QString slug(const QString &title)
{
    return title.toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

} // namespace

ScreenshotRunner::ScreenshotRunner(PictaviaApp &app, BackendControl &backend, ToastManager &toasts,
                                   QString directory, QObject *parent)
    : QObject(parent), m_app(app), m_backend(backend), m_toasts(toasts), m_directory(std::move(directory))
{
}

QPixmap ScreenshotRunner::grabWindowArea() const
{
    MainWindow &window = m_app.window();
    QScreen *screen = window.screen();
    const QRect frame = window.frameGeometry();
    return screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
}

void ScreenshotRunner::save(const QString &name, const QPixmap &pixmap)
{
    const QString path = QDir(m_directory).filePath(name + QStringLiteral(".png"));
    if (pixmap.save(path, "PNG"))
        appLog(QStringLiteral("[Screenshots] ") + path);
    else
        appLog(QStringLiteral("[Screenshots] could not write ") + path);
}

void ScreenshotRunner::then(int delayMs, std::function<void()> action)
{
    m_steps.push_back({delayMs, std::move(action)});
}

void ScreenshotRunner::runNext()
{
    if (m_steps.empty())
        return;
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    QTimer::singleShot(step.delayMs, this, [this, action = std::move(step.action)] {
        action();
        runNext();
    });
}

void ScreenshotRunner::waitForConnection(int triesLeft)
{
    if (m_backend.isConnected() || triesLeft == 0) {
        if (!m_backend.isConnected())
            appLog(QStringLiteral("[Screenshots] the backend did not connect; rendering anyway"));
        runNext();
        return;
    }
    QTimer::singleShot(100, this, [this, triesLeft] { waitForConnection(triesLeft - 1); });
}

void ScreenshotRunner::queueGalleryStates()
{
    auto *gallery = qobject_cast<GalleryView *>(m_app.content().tabContent(int(AppNotifier::GalleryTab)));
    if (!gallery)
        return;
    const auto shot = [this](const char *name) { save(QLatin1String(name), grabWindowArea()); };
    then(0, [&content = m_app.content()] { content.setSelectedTab(int(AppNotifier::GalleryTab)); });
    then(100, [gallery] {
        if (gallery->itemModel().rowCount() > 0)
            gallery->revealItem(gallery->itemModel().itemAt(0).id);
        gallery->setViewMode(ViewMode::List);
    });
    // The list decodes whole images for its rows.
    then(1500, [gallery, shot] {
        shot("gallery-list");
        gallery->setViewMode(ViewMode::Grid);
        gallery->findChild<QToolButton *>(QStringLiteral("filterButton"))->click();
    });
    then(400, [gallery, shot] {
        shot("gallery-filter-popover");
        // Stars 5 and up: nothing in the seeded gallery passes, so the empty state shows.
        gallery->findChild<QToolButton *>(QStringLiteral("minimumRating5"))->click();
    });
    then(300, [gallery, shot] {
        shot("gallery-filter-popover-active");
        gallery->findChild<QWidget *>(QStringLiteral("filterPopover"))->hide();
    });
    then(300, [gallery, shot] {
        shot("gallery-empty-state");
        gallery->findChild<QToolButton *>(QStringLiteral("filterButton"))->click();
        gallery->findChild<QPushButton *>(QStringLiteral("clearAllFiltersButton"))->click();
        gallery->findChild<QWidget *>(QStringLiteral("filterPopover"))->hide();
        gallery->search(QStringLiteral("zebra"));
    });
    then(300, [gallery, shot] {
        shot("gallery-no-results");
        gallery->search(QString());
        auto *button = gallery->findChild<QToolButton *>(QStringLiteral("collectionMenu"));
        button->menu()->popup(button->mapToGlobal(QPoint(0, button->height())));
    });
    then(400, [gallery, shot] {
        shot("gallery-collection-menu");
        gallery->findChild<QToolButton *>(QStringLiteral("collectionMenu"))->menu()->hide();
        if (gallery->itemModel().rowCount() > 0)
            gallery->openPreview(gallery->itemModel().itemAt(0).id);
    });
    // The preview decodes the whole image before it shows it.
    then(1200, [this, gallery] {
        ImagePreviewView *preview = gallery->previews().current();
        if (!preview)
            return;
        save(QStringLiteral("gallery-preview"), preview->window()->grab());
        emit preview->dismissRequested();
    });
}

void ScreenshotRunner::start()
{
    QDir().mkpath(m_directory);
    ContentView &content = m_app.content();

    for (int tab = 0; tab < content.tabs()->count(); ++tab) {
        then(tab == 0 ? 500 : 0, [&content, tab] { content.setSelectedTab(tab); });
        // The gallery pages in and decodes its thumbnails off the main thread first.
        then(tab == 2 ? 2000 : 250, [this, tab] {
            save(QStringLiteral("main-window-%1-%2").arg(tab).arg(slug(ContentView::tabTitle(tab))),
                 grabWindowArea());
        });
    }
    queueGalleryStates();
    then(0, [&content] {
        content.setSelectedTab(0);
        content.connectionBadge()->click();
    });
    // Long enough for the health probe of a local port to answer or be refused.
    then(1500, [this, &content] {
        save(QStringLiteral("connection-popover"), grabWindowArea());
        content.connectionPopover()->hide();
        m_toasts.show(QStringLiteral("Example notice with an Undo button"), ToastStyle::Success,
                      ToastManager::undoDuration, [] {});
    });
    then(600, [this] {
        save(QStringLiteral("toast-with-undo"), grabWindowArea());
        m_toasts.dismiss();
        for (ToastStyle style : {ToastStyle::Success, ToastStyle::Error, ToastStyle::Info}) {
            ToastView view;
            view.setToast({QUuid::createUuid(), QStringLiteral("A notice in this style"), style, 2.0, {}});
            save(QStringLiteral("component-toast-%1").arg(ToastView::iconName(style)), view.grab());
        }
        InfoBanner banner(QStringLiteral("exclamationmark.triangle"),
                          QStringLiteral("Backend not connected. Check Settings to reconnect."),
                          QStringLiteral("Reconnect"), [] {});
        banner.resize(560, banner.sizeHint().height());
        save(QStringLiteral("component-info-banner"), banner.grab());
    });
    then(100, [this] { m_app.window().close(); });

    waitForConnection(150);
}
