#pragma once

#include "MenuCommands.h"
#include "platform/ImageImporter.h"

#include <QMainWindow>

class AppNotifier;
class BackendControl;
class ContentView;
class QAction;

// The single main window: the menus and their shortcuts around the content view. Its size and
// place are per-window state, restored with the window.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr QSize defaultSize{1200, 800};
    static constexpr QSize minimumContentSize{900, 650};

    MainWindow(ContentView *content, BackendControl &backend, AppNotifier &notifier,
               MenuCommands commands, QWidget *parent = nullptr);

    ContentView *contentView() const { return m_content; }
    // Menu items by object name ("checkForUpdatesAction", "reconnectAction", ...).
    QAction *action(const QString &objectName) const;

signals:
    void closing();
    // An image or image file dropped anywhere a screen does not take it itself.
    void imagesOffered(const QList<ImageImporter::Offer> &offers);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildMenus(BackendControl &backend, AppNotifier &notifier);
    QAction *addCommand(QMenu *menu, const QString &title, const char *objectName,
                        const std::function<void()> &command);
    void restoreWindowState();

    ContentView *m_content;
    MenuCommands m_commands;
};
