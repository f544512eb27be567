#include "shell/ui/ScreenAssembly.h"

#include "gallery/ImageCache.h"
#include "gallery/SearchProviderService.h"
#include "gallery/SpotlightIndexer.h"
#include "gallery/ui/GalleryView.h"
#include "shell/AppNotifier.h"
#include "shell/PreferenceKeys.h"
#include "shell/ui/ContentView.h"
#include "shell/ui/PictaviaApp.h"
#include "shell/ui/SheetPresenter.h"

#include <QDBusConnection>

ScreenAssembly::ScreenAssembly(PictaviaApp &app, BackendViewModel &backend, AppNotifier &notifier)
    : m_app(app), m_notifier(notifier)
{
    m_gallery = new GalleryView(backend, ImageCache::shared(), QString::fromLatin1(PreferenceKeys::mainWindowGroup));
    app.content().setTabContent(AppNotifier::GalleryTab, m_gallery);
    m_gallery->setSheetPresenter(&app.sheets());

    QObject::connect(m_gallery, &GalleryView::switchTabRequested, &notifier,
                     [&notifier](int tab) { emit notifier.switchTab(tab); });
    QObject::connect(&m_gallery->store(), &GalleryStore::galleryDidRefresh, &notifier,
                     &AppNotifier::galleryDidRefresh);
    QObject::connect(&notifier, &AppNotifier::galleryDidRefresh, &SpotlightIndexer::shared(),
                     &SpotlightIndexer::indexItems);
}

ScreenAssembly::~ScreenAssembly() = default;

bool ScreenAssembly::serveDesktopSearch()
{
    m_search = std::make_unique<SearchProviderService>(SpotlightIndexer::shared());
    if (!m_search->registerOn(QDBusConnection::sessionBus())) {
        m_search.reset();
        return false;
    }
    // A chosen result opens Pictavia on that item's preview, over the item shown in the gallery.
    QObject::connect(m_search.get(), &SearchProviderService::openItemRequested, m_gallery, [this](const QString &id) {
        emit m_notifier.switchTab(int(AppNotifier::GalleryTab));
        m_app.raiseWindow();
        if (m_gallery->revealItem(id))
            m_gallery->openPreview(id);
    });
    QObject::connect(m_search.get(), &SearchProviderService::searchRequested, m_gallery, [this](const QString &text) {
        emit m_notifier.switchTab(int(AppNotifier::GalleryTab));
        m_gallery->search(text);
        m_app.raiseWindow();
    });
    return true;
}
