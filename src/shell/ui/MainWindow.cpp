#include "MainWindow.h"

#include "ContentView.h"
#include "shell/AppNotifier.h"
#include "shell/BackendControl.h"
#include "shell/PreferenceKeys.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMenuBar>
#include <QSettings>

MainWindow::MainWindow(ContentView *content, BackendControl &backend, AppNotifier &notifier,
                       MenuCommands commands, QWidget *parent)
    : QMainWindow(parent), m_content(content), m_commands(std::move(commands))
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Pictavia"));
    content->setMinimumSize(minimumContentSize);
    setCentralWidget(content);
    buildMenus(backend, notifier);
    restoreWindowState();
    setAcceptDrops(true);
}

QAction *MainWindow::action(const QString &objectName) const
{
    return findChild<QAction *>(objectName);
}

QAction *MainWindow::addCommand(QMenu *menu, const QString &title, const char *objectName,
                                const std::function<void()> &command)
{
    QAction *item = menu->addAction(title);
    item->setObjectName(QLatin1String(objectName));
    item->setEnabled(bool(command));
    if (command)
        connect(item, &QAction::triggered, this, [command] { command(); });
    return item;
}

void MainWindow::buildMenus(BackendControl &backend, AppNotifier &notifier)
{
    // There is no new-window item anywhere: Pictavia is one window.
    QMenu *app = menuBar()->addMenu(tr("&Pictavia"));
    addCommand(app, tr("About Pictavia"), "aboutAction", m_commands.showAbout);
    addCommand(app, tr("Check for Updates..."), "checkForUpdatesAction", m_commands.checkForUpdates);
    app->addSeparator();
    QAction *settings = addCommand(app, tr("Settings..."), "settingsAction",
                                   [&notifier] { emit notifier.openSettings(); });
    settings->setShortcut(QKeySequence(tr("Ctrl+,")));
    settings->setMenuRole(QAction::PreferencesRole);
    app->addSeparator();
    QAction *quit = addCommand(app, tr("Quit Pictavia"), "quitAction", [this] { close(); });
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    QMenu *edit = menuBar()->addMenu(tr("&Edit"));
    QAction *paste = addCommand(edit, tr("Paste Image as Source"), "pasteImageAction", m_commands.pasteImage);
    // Text fields take Ctrl+V for themselves first; elsewhere it pastes an image.
    paste->setShortcut(QKeySequence::Paste);

    QMenu *view = menuBar()->addMenu(tr("&View"));
    const struct { const char *title; const char *name; int tab; } tabs[] = {
        {QT_TR_NOOP("The Palettor"), "showPalettorAction", AppNotifier::PalettorTab},
        {QT_TR_NOOP("Generate"), "showGenerateAction", AppNotifier::GenerateTab},
        {QT_TR_NOOP("Gallery"), "showGalleryAction", AppNotifier::GalleryTab},
        {QT_TR_NOOP("Settings"), "showSettingsAction", AppNotifier::SettingsTab},
    };
    for (const auto &tab : tabs) {
        const int index = tab.tab;
        QAction *item = addCommand(view, tr(tab.title), tab.name,
                                   [&notifier, index] { emit notifier.switchTab(index); });
        item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + index)));
    }

    QMenu *backendMenu = menuBar()->addMenu(tr("&Backend"));
    QAction *reconnect = addCommand(backendMenu, tr("Reconnect"), "reconnectAction",
                                    [&backend] { backend.reconnect(); });
    reconnect->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    addCommand(backendMenu, tr("Unload Model"), "unloadModelAction", [&backend] { backend.unloadModel(); });
    backendMenu->addSeparator();
    QAction *status = backendMenu->addAction(QString());
    status->setObjectName(QStringLiteral("backendStatusAction"));
    status->setEnabled(false); // a status line, not a command
    const auto showStatus = [status, &backend] {
        status->setText(backend.isConnected() ? tr("● Connected") : tr("○ Disconnected"));
    };
    showStatus();
    connect(&backend, &BackendControl::isConnectedChanged, status, showStatus);

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    QAction *helpItem = addCommand(help, tr("Pictavia Help"), "helpAction", m_commands.showHelp);
    helpItem->setShortcuts({QKeySequence(tr("Ctrl+?")), QKeySequence(QKeySequence::HelpContents)});
    help->addSeparator();
    addCommand(help, tr("Show Onboarding..."), "showOnboardingAction", m_commands.showOnboarding);
}

void MainWindow::restoreWindowState()
{
    QSettings settings;
    settings.beginGroup(PreferenceKeys::mainWindowGroup);
    const QByteArray geometry = settings.value(PreferenceKeys::windowGeometry).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry))
        resize(defaultSize);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    QSettings settings;
    settings.beginGroup(PreferenceKeys::mainWindowGroup);
    settings.setValue(PreferenceKeys::windowGeometry, saveGeometry());
    emit closing();
    QMainWindow::closeEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (ImageImporter::mayHoldImage(*event->mimeData()))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    QList<ImageImporter::Offer> offers = ImageImporter::offersFrom(*event->mimeData());
    if (offers.isEmpty())
        return;
    event->acceptProposedAction();
    emit imagesOffered(offers);
}
