#pragma once

#include "gallery/GalleryModels.h"

#include <QCoro/QCoroTask>
#include <QImage>
#include <QWidget>

#include <optional>

class BackendViewModel;
class GalleryStore;
class ImageCache;
class ImageComparisonView;
class PreviewImageArea;
class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QToolButton;

// The large preview of one stored artwork, shown as a sheet: zoom and pan, rating and favourite,
// details, prompt and tags, and actions on the file: export, share, upscale with a before/after
// comparison, copy and reveal. It shows the item it was opened with, kept up to date with the
// store's rating and favourite for that id.
class ImagePreviewView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int upscaleTarget = 3000;
    static constexpr int sidebarWidth = 260;

    ImagePreviewView(ArtworkItem item, GalleryStore &store, BackendViewModel &backend, ImageCache &cache,
                     QWidget *parent = nullptr);

    const ArtworkItem &item() const { return m_item; }
    void setReduceMotion(bool reduce);
    bool isInfoShown() const { return m_showInfo; }
    bool isComparisonShown() const { return m_showComparison; }
    std::optional<QString> statusMessage() const { return m_statusMessage; }
    std::optional<QString> exportError() const { return m_exportError; }

    void toggleInfo();
    void rate(int stars);
    void toggleFavorite();
    void exportImage();
    void upscaleItem();
    void toggleComparison();
    void copyImage();
    void revealImage();

signals:
    void dismissRequested();

private:
    QWidget *buildHeader();
    QWidget *buildFooter();
    QScrollArea *buildSidebar();
    QWidget *buildRatingSection();
    QWidget *buildDetailsSection();
    QWidget *buildTagsSection();
    QWidget *buildActions();
    void loadImage();
    void showLoadedImage();
    void updateZoomText();
    void updateRatingAndFavorite();
    void updateComparison();
    void setStatusMessage(const QString &message);
    void setExportError(const QString &error);
    QImage currentImage() const;
    QCoro::Task<> runUpscale(QImage original);

    ArtworkItem m_item;
    GalleryStore &m_store;
    BackendViewModel &m_backend;
    ImageCache &m_cache;
    bool m_reduceMotion = false;
    bool m_showInfo = true;
    bool m_showComparison = false;
    std::optional<QString> m_statusMessage;
    std::optional<QString> m_exportError;
    std::optional<QImage> m_originalImage;
    std::optional<QImage> m_upscaledImage;
    QString m_upscaledPath;

    PreviewImageArea *m_imageArea = nullptr;
    QStackedWidget *m_imageStack = nullptr;
    ImageComparisonView *m_comparison = nullptr;
    QLabel *m_zoomText = nullptr;
    QToolButton *m_sidebarButton = nullptr;
    QWidget *m_sidebarDivider = nullptr;
    QScrollArea *m_sidebar = nullptr;
    QList<QToolButton *> m_stars;
    QWidget *m_starRow = nullptr;
    QCheckBox *m_favorite = nullptr;
    QPushButton *m_upscaleButton = nullptr;
    QPushButton *m_compareButton = nullptr;
    QLabel *m_status = nullptr;
};
