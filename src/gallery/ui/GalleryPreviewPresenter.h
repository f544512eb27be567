#pragma once

#include "gallery/ui/ImagePreviewView.h"
#include "shell/ui/SheetPresenter.h"

#include <QObject>
#include <QPointer>

class BackendViewModel;
class GalleryStore;
class ImageCache;
class QWidget;

// Opens the image preview of a loaded gallery item as a sheet over the window: the app's sheet
// presenter when it has been given one, so the preview queues behind the app's own sheets,
// otherwise one of its own over the gallery's window.
class GalleryPreviewPresenter : public QObject
{
    Q_OBJECT

public:
    GalleryPreviewPresenter(GalleryStore &store, BackendViewModel &backend, ImageCache &cache, QWidget &gallery);

    void setSheetPresenter(SheetPresenter *sheets) { m_sheets = sheets; }
    void setReduceMotion(bool reduce) { m_reduceMotion = reduce; }
    // False when the item is not loaded or another sheet is up.
    bool open(const QString &id);
    ImagePreviewView *current() const { return m_preview; }

private:
    SheetPresenter &sheets();

    GalleryStore &m_store;
    BackendViewModel &m_backend;
    ImageCache &m_cache;
    QWidget &m_gallery;
    QPointer<SheetPresenter> m_sheets;
    QPointer<SheetPresenter> m_ownSheets;
    QPointer<ImagePreviewView> m_preview;
    bool m_reduceMotion = false;
};
