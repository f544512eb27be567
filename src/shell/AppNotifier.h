#pragma once

#include "gallery/GalleryModels.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <optional>

// The app-wide notifications. Menus, desktop actions, the image importer and the screens reach
// each other only through these signals; the shell owns the single instance.
class AppNotifier : public QObject
{
    Q_OBJECT
public:
    enum Tab { PalettorTab = 0, GenerateTab = 1, GalleryTab = 2, SettingsTab = 3 };
    static constexpr int tabCount = 4;

    using QObject::QObject;

    // "switchTab" carries its tab as an untyped object: only an integer that names one of the
    // four tabs selects it; anything else (a string, nothing, an out-of-range number) is ignored.
    static std::optional<int> tabIndexFrom(const QVariant &object);

signals:
    void openSettings();
    void switchTab(const QVariant &object);
    void galleryDidRefresh(const QList<ArtworkItem> &items); // after every full gallery refresh
    void openImageAsSource(const QString &path);
};
