#include "gallery/ui/ImagePreviewView.h"

#include "backend/BackendViewModel.h"
#include "backend/RPCModels.h"
#include "gallery/GalleryStore.h"
#include "gallery/ImageCache.h"
#include "gallery/ui/ImageComparisonView.h"
#include "gallery/ui/ImageExportPanel.h"
#include "gallery/ui/PreviewImageArea.h"
#include "gallery/ui/ShareMenu.h"
#include "platform/DesktopFiles.h"
#include "shell/ToastManager.h"
#include "shell/UserFriendlyError.h"
#include "shell/ui/FlatScrollBarStyle.h"
#include "shell/ui/FlowLayout.h"
#include "shell/ui/Icons.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr double toastSeconds = 2.0;

QFont scaledFont(const QFont &base, double factor, bool bold = false)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}

QColor secondaryText(const QWidget *widget)
{
    return widget->palette().color(QPalette::Disabled, QPalette::WindowText);
}

QLabel *captionLabel(const QString &text, QWidget *parent, bool secondary = true)
{
    auto *label = new QLabel(text, parent);
    label->setFont(scaledFont(parent->font(), 0.85));
    if (secondary) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, secondaryText(parent));
        label->setPalette(palette);
    }
    return label;
}

QLabel *sectionTitle(const QString &text, QWidget *parent)
{
    QLabel *label = captionLabel(text, parent);
    label->setFont(scaledFont(parent->font(), 0.85, true));
    return label;
}

QFrame *divider(QWidget *parent, QFrame::Shape shape = QFrame::HLine)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

QString sizeText(const ArtworkItem &item)
{
    return QString::number(item.width) + QStringLiteral(" x ") + QString::number(item.height);
}

QString createdText(const QDateTime &created)
{
    const QLocale locale;
    const QDateTime local = created.toLocalTime();
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("[:.]ss?"))); // some locales' short form has seconds
    return locale.toString(local.date(), QStringLiteral("MMM d, yyyy")) + QStringLiteral(", ")
           + locale.toString(local.time(), timeFormat);
}

QToolButton *headerButton(const QString &icon, const QString &label, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setIcon(Icons::paletteIcon(icon));
    button->setAutoRaise(true);
    button->setAccessibleName(label);
    return button;
}

} // namespace

ImagePreviewView::ImagePreviewView(ArtworkItem item, GalleryStore &store, BackendViewModel &backend,
                                   ImageCache &cache, QWidget *parent)
    : QWidget(parent), m_item(std::move(item)), m_store(store), m_backend(backend), m_cache(cache)
{
    setObjectName(QStringLiteral("imagePreview"));
    setMinimumSize(800, 600);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(divider(this));

    auto *row = new QHBoxLayout;
    row->setSpacing(0);
    m_imageStack = new QStackedWidget(this);
    m_imageArea = new PreviewImageArea(m_imageStack);
    m_imageStack->addWidget(m_imageArea);
    row->addWidget(m_imageStack, 1);
    m_sidebarDivider = divider(this, QFrame::VLine);
    row->addWidget(m_sidebarDivider);
    m_sidebar = buildSidebar();
    row->addWidget(m_sidebar);
    layout->addLayout(row, 1);

    layout->addWidget(divider(this));
    layout->addWidget(buildFooter());

    connect(m_imageArea, &PreviewImageArea::zoomChanged, this, &ImagePreviewView::updateZoomText);
    connect(&m_backend, &BackendViewModel::isGeneratingChanged, this,
            [this](bool generating) { m_upscaleButton->setEnabled(!generating); });
    m_upscaleButton->setEnabled(!m_backend.isGenerating());
    // The shown rating and favourite follow the store, which changes them optimistically and puts
    // them back when the backend refuses.
    connect(&m_store, &GalleryStore::itemChanged, this, [this](qsizetype row) {
        const QList<ArtworkItem> &items = m_store.items();
        if (row >= 0 && row < items.size() && items[row].id == m_item.id) {
            m_item.rating = items[row].rating;
            m_item.favorite = items[row].favorite;
            updateRatingAndFavorite();
        }
    });
    connect(&m_cache, &ImageCache::imageReady, this, [this](const QString &key) {
        if (key == m_item.imagePath)
            showLoadedImage();
        else if (!m_upscaledPath.isEmpty() && key == m_upscaledPath)
            updateComparison();
    });
    connect(&m_cache, &ImageCache::imageFailed, this, [this](const QString &key) {
        if (key == m_item.imagePath)
            m_imageArea->setMissing(m_item.imagePath);
    });
    loadImage();
    updateZoomText();
    updateRatingAndFavorite();
}

void ImagePreviewView::setReduceMotion(bool reduce)
{
    m_reduceMotion = reduce;
    m_imageArea->setReduceMotion(reduce);
}

QWidget *ImagePreviewView::buildHeader()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("previewHeader"));
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(12, 8, 12, 8);
    auto *title = new QLabel(bar);
    title->setObjectName(QStringLiteral("previewTitle"));
    title->setFont(scaledFont(font(), 1.1, true));
    title->setText(title->fontMetrics().elidedText(m_item.prompt.simplified(), Qt::ElideRight, 420));
    title->setToolTip(m_item.prompt);
    layout->addWidget(title, 1);

    auto *zoomOut = headerButton(QStringLiteral("minus.magnifyingglass"), tr("Zoom out"), bar);
    zoomOut->setObjectName(QStringLiteral("zoomOutButton"));
    connect(zoomOut, &QToolButton::clicked, this, [this] { m_imageArea->zoomOut(); });
    m_zoomText = captionLabel({}, bar, false);
    m_zoomText->setObjectName(QStringLiteral("zoomText"));
    m_zoomText->setFixedWidth(40);
    m_zoomText->setAlignment(Qt::AlignCenter);
    m_zoomText->setToolTip(tr("Current zoom level"));
    m_zoomText->setAccessibleName(tr("Zoom level"));
    auto *zoomIn = headerButton(QStringLiteral("plus.magnifyingglass"), tr("Zoom in"), bar);
    zoomIn->setObjectName(QStringLiteral("zoomInButton"));
    connect(zoomIn, &QToolButton::clicked, this, [this] { m_imageArea->zoomIn(); });
    auto *fit = new QPushButton(tr("Fit"), bar);
    fit->setObjectName(QStringLiteral("fitButton"));
    fit->setToolTip(tr("Fit image to window"));
    connect(fit, &QPushButton::clicked, this, [this] { m_imageArea->fit(); });
    auto *zoomGroup = new QHBoxLayout;
    zoomGroup->setSpacing(4);
    for (QWidget *control : std::initializer_list<QWidget *>{zoomOut, m_zoomText, zoomIn, fit})
        zoomGroup->addWidget(control);
    layout->addLayout(zoomGroup);

    m_sidebarButton = headerButton(QStringLiteral("sidebar.trailing"), tr("Hide info sidebar"), bar);
    m_sidebarButton->setObjectName(QStringLiteral("sidebarButton"));
    m_sidebarButton->setAutoRaise(false);
    m_sidebarButton->setToolTip(tr("Toggle info sidebar (Ctrl+I)"));
    m_sidebarButton->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(m_sidebarButton, &QToolButton::clicked, this, &ImagePreviewView::toggleInfo);
    layout->addWidget(m_sidebarButton);

    auto *close = new QToolButton(bar);
    close->setObjectName(QStringLiteral("closePreviewButton"));
    close->setAutoRaise(true);
    close->setIcon(Icons::icon(QStringLiteral("xmark.circle.fill"), secondaryText(this)));
    close->setIconSize(QSize(22, 22));
    close->setToolTip(tr("Close preview (Esc)"));
    close->setAccessibleName(tr("Close preview"));
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(close, &QToolButton::clicked, this, &ImagePreviewView::dismissRequested);
    layout->addWidget(close);
    return bar;
}

QWidget *ImagePreviewView::buildFooter()
{
    auto *bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("previewFooter"));
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(12, 6, 12, 6);
    if (m_item.seed) {
        auto *icon = new QLabel(bar);
        icon->setPixmap(Icons::pixmap(QStringLiteral("number"), secondaryText(this), 12, devicePixelRatioF()));
        layout->addWidget(icon);
        QLabel *seed = captionLabel(tr("Seed: %1").arg(*m_item.seed), bar);
        seed->setObjectName(QStringLiteral("footerSeed"));
        layout->addWidget(seed);
    }
    if (!m_item.tags.isEmpty()) {
        QLabel *tags = captionLabel(m_item.tags.join(QStringLiteral(", ")), bar);
        tags->setObjectName(QStringLiteral("footerTags"));
        QPalette palette = tags->palette();
        QColor tertiary = secondaryText(this);
        tertiary.setAlphaF(0.6f);
        palette.setColor(QPalette::WindowText, tertiary);
        tags->setPalette(palette);
        layout->addWidget(tags);
    }
    layout->addStretch(1);
    QLabel *size = captionLabel(sizeText(m_item), bar);
    size->setObjectName(QStringLiteral("footerSize"));
    layout->addWidget(size);
    QLabel *model = captionLabel(m_item.model, bar);
    model->setObjectName(QStringLiteral("footerModel"));
    layout->addWidget(model);
    return bar;
}

QScrollArea *ImagePreviewView::buildSidebar()
{
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("previewSidebar"));
    scroll->setFixedWidth(sidebarWidth);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->verticalScrollBar()->setStyle(FlatScrollBarStyle::shared());
    auto *content = new QWidget(scroll);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(16);

    column->addWidget(buildRatingSection());
    column->addWidget(divider(content));
    m_favorite = new QCheckBox(tr("Favorite"), content);
    m_favorite->setObjectName(QStringLiteral("favoriteSwitch"));
    m_favorite->setToolTip(tr("Mark as favorite for quick access in Gallery"));
    connect(m_favorite, &QCheckBox::clicked, this, [this] { toggleFavorite(); });
    column->addWidget(m_favorite);
    column->addWidget(divider(content));
    column->addWidget(buildDetailsSection());
    column->addWidget(divider(content));

    auto *prompt = new QWidget(content);
    auto *promptColumn = new QVBoxLayout(prompt);
    promptColumn->setContentsMargins(0, 0, 0, 0);
    promptColumn->setSpacing(4);
    promptColumn->addWidget(sectionTitle(tr("Prompt"), prompt));
    QLabel *promptText = captionLabel(m_item.prompt, prompt, false);
    promptText->setObjectName(QStringLiteral("promptText"));
    promptText->setWordWrap(true);
    promptText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    promptColumn->addWidget(promptText);
    column->addWidget(prompt);
    column->addWidget(divider(content));
    column->addWidget(buildTagsSection());
    column->addWidget(divider(content));
    column->addWidget(buildActions());

    m_status = captionLabel({}, content, false);
    m_status->setObjectName(QStringLiteral("statusMessage"));
    m_status->setWordWrap(true);
    QPalette green = m_status->palette();
    green.setColor(QPalette::WindowText, QColor(0x28, 0xa7, 0x45));
    m_status->setPalette(green);
    m_status->hide();
    column->addWidget(m_status);
    column->addStretch(1);
    scroll->setWidget(content);
    return scroll;
}

QWidget *ImagePreviewView::buildRatingSection()
{
    auto *section = new QWidget(this);
    auto *column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(sectionTitle(tr("Rating"), section));
    m_starRow = new QWidget(section);
    m_starRow->setObjectName(QStringLiteral("ratingStars"));
    m_starRow->setToolTip(tr("Rate this artwork 1–5 stars"));
    auto *row = new QHBoxLayout(m_starRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    for (int stars = 1; stars <= 5; ++stars) {
        auto *star = new QToolButton(m_starRow);
        star->setObjectName(QStringLiteral("star%1").arg(stars));
        star->setAutoRaise(true);
        star->setIconSize(QSize(20, 20));
        star->setAccessibleName(stars == 1 ? tr("Rate 1 star") : tr("Rate %1 stars").arg(stars));
        connect(star, &QToolButton::clicked, this, [this, stars] { rate(stars); });
        row->addWidget(star);
        m_stars.append(star);
    }
    row->addStretch(1);
    column->addWidget(m_starRow);
    return section;
}

QWidget *ImagePreviewView::buildDetailsSection()
{
    auto *section = new QWidget(this);
    section->setObjectName(QStringLiteral("detailsSection"));
    auto *column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(sectionTitle(tr("Details"), section));
    auto addRow = [&](const QString &label, const QString &value) {
        auto *row = new QWidget(section);
        row->setObjectName(QStringLiteral("infoRow"));
        row->setAccessibleName(label + QStringLiteral(": ") + value);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        QLabel *name = captionLabel(label, row);
        name->setFixedWidth(60);
        name->setAlignment(Qt::AlignRight | Qt::AlignTop);
        QLabel *text = captionLabel(value, row, false);
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(name);
        layout->addWidget(text, 1);
        column->addWidget(row);
    };
    addRow(tr("Model"), m_item.model);
    addRow(tr("Size"), sizeText(m_item));
    if (m_item.seed)
        addRow(tr("Seed"), QString::number(*m_item.seed));
    addRow(tr("Created"), createdText(m_item.createdAt));
    return section;
}

QWidget *ImagePreviewView::buildTagsSection()
{
    auto *section = new QWidget(this);
    auto *column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(sectionTitle(tr("Tags"), section));
    if (m_item.tags.isEmpty()) {
        QLabel *none = captionLabel(tr("No tags"), section);
        none->setObjectName(QStringLiteral("noTags"));
        column->addWidget(none);
        return section;
    }
    auto *chips = new QWidget(section);
    chips->setObjectName(QStringLiteral("tagChips"));
    auto *flow = new FlowLayout(chips, 4);
    QColor capsule = secondaryText(this);
    capsule.setAlphaF(0.15f);
    for (const QString &tag : m_item.tags) {
        auto *chip = new QLabel(tag, chips);
        chip->setFont(scaledFont(font(), 0.75));
        chip->setStyleSheet(QStringLiteral("QLabel { background: %1; border-radius: %2px; padding: 3px 8px; }")
                                .arg(capsule.name(QColor::HexArgb))
                                .arg((chip->fontMetrics().height() + 6) / 2));
        flow->addWidget(chip);
    }
    column->addWidget(chips);
    return section;
}

QWidget *ImagePreviewView::buildActions()
{
    auto *actions = new QWidget(this);
    auto *column = new QVBoxLayout(actions);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    auto add = [&](const char *name, const QString &title, const QString &icon, const QString &tooltip,
                   void (ImagePreviewView::*action)()) {
        auto *button = new QPushButton(Icons::paletteIcon(icon), title, actions);
        button->setObjectName(QLatin1String(name));
        button->setToolTip(tooltip);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        if (action)
            connect(button, &QPushButton::clicked, this, action);
        column->addWidget(button);
        return button;
    };
    add("exportButton", tr("Export As..."), QStringLiteral("square.and.arrow.up"),
        tr("Save a copy to a custom location"), &ImagePreviewView::exportImage);
    QPushButton *share = add("shareButton", tr("Share"), QStringLiteral("square.and.arrow.up.on.square"),
                             tr("Share by e-mail, open in another app, or copy the file"), nullptr);
    share->setMenu(createShareMenu(m_item.imagePath, share));
    m_upscaleButton = add("upscaleButton", tr("Upscale to 3K"), QStringLiteral("arrow.up.left.and.arrow.down.right"),
                          tr("Upscale to 3000x3000 using AI — takes ~30 seconds"), &ImagePreviewView::upscaleItem);
    m_compareButton = add("compareButton", tr("Compare Original"), QStringLiteral("slider.horizontal.below.rectangle"),
                          tr("Toggle before/after comparison slider"), &ImagePreviewView::toggleComparison);
    m_compareButton->hide(); // only once there is an upscaled image
    add("copyButton", tr("Copy Image"), QStringLiteral("doc.on.doc"), tr("Copy image to clipboard"),
        &ImagePreviewView::copyImage);
    add("revealButton", tr("Reveal in File Manager"), QStringLiteral("folder"),
        tr("Open the folder containing this image"), &ImagePreviewView::revealImage);
    return actions;
}

void ImagePreviewView::loadImage()
{
    if (!m_cache.cachedImage(m_item.imagePath).isNull())
        showLoadedImage();
    else
        m_cache.requestImage(m_item.imagePath); // decoded off the main thread; imageReady shows it
}

void ImagePreviewView::showLoadedImage() { m_imageArea->setImage(m_cache.cachedImage(m_item.imagePath)); }

QImage ImagePreviewView::currentImage() const { return m_cache.cachedImage(m_item.imagePath); }

void ImagePreviewView::updateZoomText()
{
    const PreviewZoom &zoom = m_imageArea->zoom();
    m_zoomText->setText(zoom.percentText());
    m_zoomText->setAccessibleDescription(tr("%1 percent").arg(zoom.percent()));
}

void ImagePreviewView::updateRatingAndFavorite()
{
    const QColor yellow(0xf5, 0xc2, 0x18);
    for (int i = 0; i < m_stars.size(); ++i) {
        const bool filled = i + 1 <= m_item.rating;
        m_stars[i]->setIcon(filled ? Icons::icon(QStringLiteral("star.fill"), yellow)
                                   : Icons::icon(QStringLiteral("star"), secondaryText(this)));
    }
    m_starRow->setAccessibleDescription(tr("Currently rated %1 out of 5 stars").arg(m_item.rating));
    m_favorite->setChecked(m_item.favorite);
    m_favorite->setIcon(Icons::icon(m_item.favorite ? QStringLiteral("heart.fill") : QStringLiteral("heart"),
                                    QColor(0xe5, 0x39, 0x35)));
}

void ImagePreviewView::toggleInfo()
{
    m_showInfo = !m_showInfo;
    m_sidebar->setVisible(m_showInfo);
    m_sidebarDivider->setVisible(m_showInfo);
    m_sidebarButton->setAccessibleName(m_showInfo ? tr("Hide info sidebar") : tr("Show info sidebar"));
}

void ImagePreviewView::rate(int stars)
{
    [](QPointer<ImagePreviewView> self, GalleryStore &store, QString id, int stars) -> QCoro::Task<> {
        auto change = store.setRating(id, stars);
        co_await std::move(change);
        if (self)
            ToastManager::shared().show(QStringLiteral("Rated ") + QString(stars, QChar(0x2605)), ToastStyle::Success,
                                        toastSeconds);
    }(this, m_store, m_item.id, stars);
}

void ImagePreviewView::toggleFavorite()
{
    const QString message = m_item.favorite ? tr("Removed from favorites") : tr("Added to favorites");
    // The switch shows the store's value, which the optimistic toggle changes at once.
    m_favorite->setChecked(m_item.favorite);
    [](QPointer<ImagePreviewView> self, GalleryStore &store, QString id, QString message) -> QCoro::Task<> {
        auto change = store.toggleFavorite(id);
        co_await std::move(change);
        if (self)
            ToastManager::shared().show(message, ToastStyle::Success, toastSeconds);
    }(this, m_store, m_item.id, message);
}

void ImagePreviewView::exportImage()
{
    const QImage image = currentImage();
    if (image.isNull())
        return;
    QPointer<ImagePreviewView> self(this);
    exportImageWithFormatPanel(this, image, QStringLiteral("artwork-") + m_item.id.left(8),
                               [self](const std::optional<QString> &error) {
                                   if (!self)
                                       return;
                                   if (error)
                                       self->setExportError(*error);
                                   else
                                       self->setStatusMessage(tr("Exported successfully"));
                               });
}

void ImagePreviewView::upscaleItem()
{
    const QImage original = currentImage();
    runUpscale(original);
}

QCoro::Task<> ImagePreviewView::runUpscale(QImage original)
{
    QPointer<ImagePreviewView> self(this);
    m_originalImage = original.isNull() ? std::nullopt : std::optional<QImage>(original);
    setStatusMessage(tr("Upscaling..."));
    BackendViewModel &backend = m_backend;
    const QString path = m_item.imagePath;
    const QString method = QStringLiteral("auto");
    UpscaleResultData result;
    QString failure;
    try {
        auto upscale = backend.upscaleImage(path, upscaleTarget, upscaleTarget, method);
        result = co_await std::move(upscale);
    } catch (const std::exception &error) {
        failure = errorDescription(error);
    }
    if (!self)
        co_return;
    if (!failure.isNull()) {
        setStatusMessage(tr("Upscale failed"));
        ToastManager::shared().show(tr("Upscale failed: %1").arg(failure), ToastStyle::Error, toastSeconds);
        setExportError(userFriendlyError(failure));
        co_return;
    }
    m_upscaledPath = result.imagePath;
    m_cache.cache().remove(m_upscaledPath); // a file of that name may have been shown before
    m_upscaledImage.reset();
    m_showComparison = true;
    m_cache.requestImage(m_upscaledPath);
    updateComparison();
    setStatusMessage(tr("Upscale complete"));
    ToastManager::shared().show(tr("Upscale complete"), ToastStyle::Success, toastSeconds);
}

void ImagePreviewView::updateComparison()
{
    if (!m_upscaledPath.isEmpty() && !m_upscaledImage) {
        const QImage upscaled = m_cache.cachedImage(m_upscaledPath);
        if (!upscaled.isNull())
            m_upscaledImage = upscaled;
    }
    m_compareButton->setVisible(m_upscaledImage.has_value());
    m_compareButton->setText(m_showComparison ? tr("Hide Comparison") : tr("Compare Original"));
    const bool comparing = m_showComparison && m_originalImage && m_upscaledImage;
    if (comparing && !m_comparison) {
        m_comparison = new ImageComparisonView(*m_originalImage, *m_upscaledImage, tr("Original"), tr("Upscaled"),
                                               0.5, m_imageStack);
        m_imageStack->addWidget(m_comparison);
    }
    m_imageStack->setCurrentWidget(comparing ? static_cast<QWidget *>(m_comparison) : m_imageArea);
}

void ImagePreviewView::toggleComparison()
{
    m_showComparison = !m_showComparison;
    if (m_comparison && !m_showComparison) {
        // Showing it again starts with the divider in the middle.
        m_imageStack->removeWidget(m_comparison);
        m_comparison->deleteLater();
        m_comparison = nullptr;
    }
    updateComparison();
}

void ImagePreviewView::copyImage()
{
    const QImage image = currentImage();
    if (image.isNull())
        return;
    QGuiApplication::clipboard()->clear();
    QGuiApplication::clipboard()->setImage(image);
    setStatusMessage(tr("Copied to clipboard"));
    ToastManager::shared().show(tr("Copied to clipboard"), ToastStyle::Success, toastSeconds);
}

void ImagePreviewView::revealImage() { revealInFileManager(m_item.imagePath); }

void ImagePreviewView::setStatusMessage(const QString &message)
{
    m_statusMessage = message;
    m_status->setText(message);
    const bool appearing = m_status->isHidden();
    m_status->show();
    if (!appearing || m_reduceMotion)
        return;
    auto *effect = new QGraphicsOpacityEffect(m_status);
    m_status->setGraphicsEffect(effect);
    auto *fade = new QPropertyAnimation(effect, "opacity", m_status);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    fade->setDuration(250);
    connect(fade, &QPropertyAnimation::finished, m_status, [this] { m_status->setGraphicsEffect(nullptr); });
    fade->start(QAbstractAnimation::DeleteWhenStopped);
}

void ImagePreviewView::setExportError(const QString &error)
{
    m_exportError = error;
    auto *alert = new QMessageBox(QMessageBox::Warning, tr("Error"),
                                  userFriendlyError(error.isEmpty() ? tr("Unknown error") : error), QMessageBox::Ok,
                                  this);
    alert->setObjectName(QStringLiteral("previewErrorAlert"));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::WindowModal);
    connect(alert, &QMessageBox::finished, this, [this] { m_exportError.reset(); });
    alert->open();
}
