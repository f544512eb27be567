#include "ScreenshotRunner.h"

#include "ConnectionBadge.h"
#include "ConnectionPopover.h"
#include "ContentView.h"
#include "InfoBanner.h"
#include "MainWindow.h"
#include "PictaviaApp.h"
#include "ToastView.h"
#include "backend/Log.h"
#include "shell/BackendControl.h"
#include "shell/HttpApiProbe.h"
#include "shell/ToastManager.h"

#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTask>
#include <QCoro/QCoroTimer>

#include <QDir>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTabWidget>

#include <chrono>

using namespace std::chrono_literals;

namespace {

QString slug(const QString &title)
{
    return title.toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

QCoro::Task<> waitForConnection(BackendControl &backend)
{
    for (int tries = 0; tries < 150 && !backend.isConnected(); ++tries)
        co_await QCoro::sleepFor(100ms);
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

void ScreenshotRunner::start()
{
    QDir().mkpath(m_directory);
    [](ScreenshotRunner *self) -> QCoro::Task<> {
        QPointer<ScreenshotRunner> guard(self);
        co_await waitForConnection(self->m_backend);
        if (!guard)
            co_return;
        if (!self->m_backend.isConnected())
            appLog(QStringLiteral("[Screenshots] the backend did not connect; rendering anyway"));
        co_await QCoro::sleepFor(500ms);

        ContentView &content = self->m_app.content();
        for (int tab = 0; tab < content.tabs()->count(); ++tab) {
            content.setSelectedTab(tab);
            co_await QCoro::sleepFor(200ms);
            if (!guard)
                co_return;
            self->save(QStringLiteral("main-window-%1-%2").arg(tab).arg(slug(ContentView::tabTitle(tab))),
                       self->grabWindowArea());
        }
        content.setSelectedTab(0);

        content.connectionBadge()->click();
        co_await qCoro(&content.httpApiProbe(), &HttpApiProbe::probeFinished, 5s);
        co_await QCoro::sleepFor(200ms);
        if (!guard)
            co_return;
        self->save(QStringLiteral("connection-popover"), self->grabWindowArea());
        content.connectionPopover()->hide();

        self->m_toasts.show(QStringLiteral("Example notice with an Undo button"), ToastStyle::Success,
                            ToastManager::undoDuration, [] {});
        co_await QCoro::sleepFor(600ms);
        if (!guard)
            co_return;
        self->save(QStringLiteral("toast-with-undo"), self->grabWindowArea());
        self->m_toasts.dismiss();

        for (ToastStyle style : {ToastStyle::Success, ToastStyle::Error, ToastStyle::Info}) {
            ToastView view;
            view.setToast({QUuid::createUuid(), QStringLiteral("A notice in this style"), style, 2.0, {}});
            self->save(QStringLiteral("component-toast-%1").arg(ToastView::iconName(style)), view.grab());
        }
        InfoBanner banner(QStringLiteral("exclamationmark.triangle"),
                          QStringLiteral("Backend not connected. Check Settings to reconnect."),
                          QStringLiteral("Reconnect"), [] {});
        banner.resize(560, banner.sizeHint().height());
        self->save(QStringLiteral("component-info-banner"), banner.grab());

        self->m_app.window().close();
    }(this);
}
