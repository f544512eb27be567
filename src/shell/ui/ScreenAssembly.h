#pragma once

#include <memory>

class AppNotifier;
class BackendViewModel;
class GalleryView;
class PictaviaApp;
class SearchProviderService;

// Puts the screens into the window's tabs and connects them to the app-wide notifications and
// to the desktop's search. Screens that do not exist yet leave their tab's placeholder.
class ScreenAssembly
{
public:
    ScreenAssembly(PictaviaApp &app, BackendViewModel &backend, AppNotifier &notifier);
    ~ScreenAssembly();

    GalleryView &gallery() const { return *m_gallery; }
    // Serves the gallery's search index to GNOME Shell and KRunner; false when the bus name is
    // taken (another Pictavia serves it) or there is no session bus.
    bool serveDesktopSearch();

private:
    PictaviaApp &m_app;
    AppNotifier &m_notifier;
    GalleryView *m_gallery;
    std::unique_ptr<SearchProviderService> m_search;
};
