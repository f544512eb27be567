#include "DesktopActions.h"

#include "shell/AppNotifier.h"

QStringList DesktopActions::names()
{
    return {QLatin1String(newGeneration), QLatin1String(openGallery)};
}

std::optional<int> DesktopActions::tabFor(const QString &actionName)
{
    if (actionName == QLatin1String(newGeneration))
        return AppNotifier::GenerateTab;
    if (actionName == QLatin1String(openGallery))
        return AppNotifier::GalleryTab;
    return std::nullopt;
}
