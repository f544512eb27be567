#include "gallery/ui/GalleryPreviewPresenter.h"

#include "gallery/GalleryStore.h"
#include "gallery/ui/ImagePreviewView.h"
#include "shell/ui/SheetPresenter.h"

#include <QDialog>

GalleryPreviewPresenter::GalleryPreviewPresenter(GalleryStore &store, BackendViewModel &backend, ImageCache &cache,
                                                 QWidget &gallery)
    : QObject(&gallery), m_store(store), m_backend(backend), m_cache(cache), m_gallery(gallery)
{
}

SheetPresenter &GalleryPreviewPresenter::sheets()
{
    if (m_sheets)
        return *m_sheets;
    if (!m_ownSheets)
        m_ownSheets = new SheetPresenter(m_gallery.window());
    return *m_ownSheets;
}

bool GalleryPreviewPresenter::open(const QString &id)
{
    const qsizetype row = m_store.indexOf(id);
    SheetPresenter &presenter = sheets();
    if (row < 0 || presenter.isPresenting())
        return false;
    auto *preview = new ImagePreviewView(m_store.items().at(row), m_store, m_backend, m_cache);
    preview->setReduceMotion(m_reduceMotion);
    QDialog *sheet = presenter.present(preview, {QSize(800, 600), true});
    if (!sheet)
        return false;
    sheet->setWindowTitle(tr("Preview"));
    sheet->resize(m_gallery.window()->size() * 0.9);
    QPointer<SheetPresenter> presenterRef(&presenter);
    connect(preview, &ImagePreviewView::dismissRequested, this, [presenterRef] {
        if (presenterRef)
            presenterRef->close();
    });
    m_preview = preview;
    return true;
}
