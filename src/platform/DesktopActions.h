#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The actions of the desktop entry (the launcher's right-click menu), by their action names.
namespace DesktopActions {
inline constexpr const char *newGeneration = "new-generation";
inline constexpr const char *openGallery = "open-gallery";

QStringList names();
// The tab an action switches to: "new-generation" the Generate tab, "open-gallery" the Gallery.
std::optional<int> tabFor(const QString &actionName);
} // namespace DesktopActions
