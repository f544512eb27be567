#include "gallery/ui/ShareMenu.h"

#include "platform/DesktopFiles.h"
#include "shell/ToastManager.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QUrl>

QMenu *createShareMenu(const QString &imagePath, QWidget *parent)
{
    auto *menu = new QMenu(QStringLiteral("Share"), parent);
    menu->setObjectName(QStringLiteral("shareMenu"));

    menu->addAction(QStringLiteral("Open With Default App"), menu, [imagePath] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(imagePath).absoluteFilePath()));
    });
    // The result arrives after the menu has closed; toasts belong to the application.
    menu->addAction(QStringLiteral("Email…"), menu, [imagePath] {
        composeEmailWithAttachment(imagePath, [](const std::optional<QString> &error) {
            if (error)
                ToastManager::shared().show(*error, ToastStyle::Error, ToastManager::plainDuration);
        });
    });
    menu->addAction(QStringLiteral("Copy File"), menu, [imagePath] {
        QGuiApplication::clipboard()->setMimeData(copiedFileMimeData(imagePath));
        ToastManager::shared().show(QStringLiteral("Copied to clipboard"), ToastStyle::Success,
                                    ToastManager::plainDuration);
    });
    return menu;
}
