#include "gallery/ui/GalleryTileDelegate.h"

#include "gallery/GalleryItemModel.h"
#include "gallery/ImageCache.h"
#include "gallery/ImageDecoding.h"
#include "shell/Theme.h"
#include "shell/ui/Icons.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QToolTip>

namespace {

namespace Rendering = GalleryTileRendering;

void paintShadow(QPainter *painter, const QRectF &rect, QColor color, double radius, double offset)
{
    // A soft shadow from a few widening, fading rounded rectangles.
    painter->setPen(Qt::NoPen);
    const int steps = 4;
    const double baseAlpha = color.alphaF();
    for (int i = steps; i >= 1; --i) {
        const double grow = radius * i / steps;
        color.setAlphaF(baseAlpha / steps);
        painter->setBrush(color);
        painter->drawRoundedRect(rect.adjusted(-grow / 2, -grow / 2 + offset, grow / 2, grow / 2 + offset),
                                 Rendering::cornerRadius + grow / 2, Rendering::cornerRadius + grow / 2);
    }
}

constexpr int shadowMargin = 16;

// The shadow of a card of this size, drawn once.
QPixmap shadowPixmap(QSize size, QColor color, double radius, double offset, qreal dpr)
{
    const QString key = QStringLiteral("gallery-shadow:%1x%2:%3:%4:%5@%6")
                            .arg(size.width()).arg(size.height()).arg(color.rgba()).arg(radius).arg(offset).arg(dpr);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = QPixmap((size + QSize(2 * shadowMargin, 2 * shadowMargin)) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paintShadow(&painter, QRectF(QPointF(shadowMargin, shadowMargin), QSizeF(size)), color, radius, offset);
    painter.end();
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

// The model's own item where the model is the gallery's, so painting copies nothing.
const ArtworkItem &itemOf(const QModelIndex &index, ArtworkItem &fallback)
{
    if (const auto *model = qobject_cast<const GalleryItemModel *>(index.model()))
        return model->itemAt(index.row());
    fallback = index.data(GalleryItemModel::ItemRole).value<ArtworkItem>();
    return fallback;
}

} // namespace

GalleryTileDelegate::GalleryTileDelegate(ImageCache &cache, QObject *parent)
    : QStyledItemDelegate(parent), m_cache(cache)
{
    connect(&m_renderer, &GalleryTileRenderer::ready, this, &GalleryTileDelegate::stillReady);
    m_hoverAnimation.setDuration(150);
    m_hoverAnimation.setEasingCurve(QEasingCurve::OutCubic);
    m_hoverAnimation.setStartValue(0.0);
    m_hoverAnimation.setEndValue(1.0);
    connect(&m_hoverAnimation, &QVariantAnimation::valueChanged, this, [this] {
        if (m_hovered.isValid())
            emit repaintNeeded(m_hovered);
        if (m_leaving.isValid())
            emit repaintNeeded(m_leaving);
    });
}

void GalleryTileDelegate::setHovered(const QModelIndex &index)
{
    if (QPersistentModelIndex(index) == m_hovered)
        return;
    m_leaving = m_hovered;
    m_hovered = index;
    m_hoverAnimation.stop();
    if (!m_reducedMotion) {
        m_hoverAnimation.setCurrentTime(0);
        m_hoverAnimation.start();
    }
    if (m_leaving.isValid())
        emit repaintNeeded(m_leaving);
    if (m_hovered.isValid())
        emit repaintNeeded(m_hovered);
}

double GalleryTileDelegate::hoverProgress(const QModelIndex &index) const
{
    const bool animating = m_hoverAnimation.state() == QAbstractAnimation::Running;
    const double t = animating ? m_hoverAnimation.currentValue().toDouble() : 1.0;
    if (index.isValid() && QPersistentModelIndex(index) == m_hovered)
        return t;
    if (index.isValid() && QPersistentModelIndex(index) == m_leaving)
        return 1.0 - t;
    return 0;
}

double GalleryTileDelegate::hoverScale(const QModelIndex &index) const
{
    return m_reducedMotion ? 1.0 : 1.0 + 0.02 * hoverProgress(index);
}

int GalleryTileDelegate::tileHeight(int width, const QFont &font) { return Rendering::cardHeight(width, font); }

QSize GalleryTileDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    if (m_mode == Mode::List)
        return {std::max(option.rect.width(), 300), listRowHeight};
    return QSize(m_tileWidth, tileHeight(m_tileWidth, option.font)) + QSize(2 * cellMargin, 2 * cellMargin);
}

QRect GalleryTileDelegate::favoriteBadgeRect(const QRect &image) { return Rendering::favoriteBadgeRect(image); }

QRect GalleryTileDelegate::ratingBadgeRect(const QRect &image) { return Rendering::ratingBadgeRect(image); }

QString GalleryTileDelegate::relativeTime(const QDateTime &when, const QDateTime &now)
{
    const qint64 seconds = when.secsTo(now);
    auto ago = [](qint64 n, const char *unit) {
        return QStringLiteral("%1 %2%3 ago").arg(n).arg(QLatin1String(unit)).arg(n == 1 ? "" : "s");
    };
    if (seconds < 0)
        return QStringLiteral("in the future");
    if (seconds < 60)
        return QStringLiteral("just now");
    if (seconds < 3600)
        return ago(seconds / 60, "minute");
    if (seconds < 86400)
        return ago(seconds / 3600, "hour");
    if (seconds < 7 * 86400)
        return ago(seconds / 86400, "day");
    if (seconds < 30 * 86400)
        return ago(seconds / (7 * 86400), "week");
    if (seconds < 365 * 86400)
        return ago(seconds / (30 * 86400), "month");
    return ago(seconds / (365 * 86400), "year");
}

QString GalleryTileDelegate::pictureKey(const QString &path) const
{
    return m_mode == Mode::Grid ? thumbnailCacheKey(path, thumbnailMaxSize) : path;
}

Rendering::Picture GalleryTileDelegate::pictureFor(const QString &path, bool request) const
{
    const bool thumbnail = m_mode == Mode::Grid;
    Rendering::Picture picture;
    picture.image = thumbnail ? m_cache.cachedThumbnail(path, thumbnailMaxSize) : m_cache.cachedImage(path);
    if (!picture.image.isNull()) {
        picture.state = Rendering::Picture::State::Ready;
    } else if (m_cache.hasFailed(pictureKey(path))) {
        picture.state = Rendering::Picture::State::Failed;
    } else {
        picture.state = Rendering::Picture::State::Loading;
        if (!request)
            return picture;
        if (thumbnail)
            m_cache.requestThumbnail(path, thumbnailMaxSize);
        else
            m_cache.requestImage(path);
    }
    return picture;
}

const Rendering::Look &GalleryTileDelegate::lookFor(const QStyleOptionViewItem &option, qreal dpr) const
{
    const QPalette &palette = option.palette;
    const QColor secondary = palette.color(QPalette::PlaceholderText);
    const QColor surface = Theme::withOpacity(Theme::studioSurface(), 0.9);
    if (!m_look.glyphs.isEmpty() && m_look.devicePixelRatio == dpr && m_look.font == option.font
        && m_look.surface == surface && m_look.palette.color(QPalette::Base) == palette.color(QPalette::Base)
        && m_look.palette.color(QPalette::Text) == palette.color(QPalette::Text)
        && m_look.palette.color(QPalette::PlaceholderText) == secondary)
        return m_look;
    // Icons are drawn here, on the main thread, for the renderer's threads to copy.
    const auto glyph = [dpr](const char *name, const QColor &colour, int side) {
        return Icons::pixmap(QLatin1String(name), colour, side, dpr).toImage();
    };
    // Badges sit on a dark pill over the picture whatever the desktop's theme, so they take
    // the colours meant for dark backgrounds.
    const auto onDark = [](const char *name) { return Theme::named(QLatin1String(name), Theme::Appearance::Dark); };
    QList<QImage> glyphs(int(Rendering::Glyph::Count));
    glyphs[int(Rendering::Glyph::BadgeHeart)] = glyph("heart.fill", onDark("StudioMagenta"), Rendering::badgeGlyphSide);
    glyphs[int(Rendering::Glyph::BadgeStar)] = glyph("star.fill", onDark("StudioGold"), Rendering::badgeGlyphSide);
    glyphs[int(Rendering::Glyph::TilePlaceholder)] = glyph("photo", secondary, Rendering::placeholderSide);
    glyphs[int(Rendering::Glyph::RowPlaceholder)] = glyph("photo", secondary, Rendering::rowPlaceholderSide);
    glyphs[int(Rendering::Glyph::RowStar)] = glyph("star.fill", Theme::studioGold(), Rendering::rowStarSide);
    glyphs[int(Rendering::Glyph::RowStarOutline)] = glyph("star", Theme::withOpacity(secondary, 0.6), Rendering::rowStarSide);
    glyphs[int(Rendering::Glyph::RowHeart)] = glyph("heart.fill", Theme::studioMagenta(), Rendering::badgeGlyphSide);
    m_look = {palette, option.font, dpr, surface, glyphs};
    return m_look;
}

GalleryTileRenderer::Job GalleryTileDelegate::jobFor(const ArtworkItem &item, Rendering::Picture picture, QSize size,
                                                     const QStyleOptionViewItem &option, qreal dpr) const
{
    return {m_mode == Mode::Grid ? 'g' : 'l', item, std::move(picture), size, lookFor(option, dpr),
            relativeTime(item.createdAt, QDateTime::currentDateTimeUtc())};
}

QSize GalleryTileDelegate::tileSize(const QRect &cell) const
{
    return m_mode == Mode::Grid ? cardRect(cell).size() : cell.adjusted(8, 3, -8, -3).size();
}

void GalleryTileDelegate::prefetch(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    ArtworkItem fallback;
    const ArtworkItem &item = itemOf(index, fallback);
    Rendering::Picture picture = pictureFor(item.imagePath);
    if (picture.state == Rendering::Picture::State::Loading)
        return; // drawn once the picture is here, not twice
    const qreal dpr = option.widget ? option.widget->devicePixelRatioF() : qApp->devicePixelRatio();
    m_renderer.prepare(jobFor(item, std::move(picture), tileSize(option.rect), option, dpr), index);
}

// While a tile's image is being drawn: the card's outline and an empty picture.
static QPixmap skeletonPixmap(QSize size, const QColor &base, const QColor &surface, qreal dpr)
{
    const QString key = QStringLiteral("gallery-skeleton:%1x%2:%3:%4@%5")
                            .arg(size.width()).arg(size.height()).arg(base.rgba()).arg(surface.rgba()).arg(dpr);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = QPixmap(size * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(QPointF(), QSizeF(size)), Rendering::cornerRadius, Rendering::cornerRadius);
    painter.fillPath(shape, base);
    painter.setClipPath(shape);
    painter.fillRect(Rendering::imageRect(QRect(QPoint(), size)), surface);
    painter.end();
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

void GalleryTileDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    ArtworkItem fallback;
    const ArtworkItem &item = itemOf(index, fallback);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    // The views' painters come with smooth pixmap filtering on. Copies at scale 1 do not need
    // it, and with it Qt blends every image span by span on its worker threads and waits for
    // them instead of copying it.
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (m_mode == Mode::Grid)
        paintTile(painter, option, item, index);
    else
        paintRow(painter, option, item, index);
    painter->restore();
}

void GalleryTileDelegate::paintTile(QPainter *painter, const QStyleOptionViewItem &option, const ArtworkItem &item,
                                    const QModelIndex &index) const
{
    const QRect card = cardRect(option.rect);
    const qreal dpr = painter->device()->devicePixelRatioF();
    const double hover = hoverProgress(index);
    const double scale = hoverScale(index);
    if (scale != 1.0) {
        // Only the hovered tile is drawn scaled and filtered; the others are plain copies.
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->translate(QRectF(card).center());
        painter->scale(scale, scale);
        painter->translate(-QRectF(card).center());
    }

    const bool hovered = hover > 0.5;
    const QColor shadow = hovered ? Theme::withOpacity(Theme::studioPurple(), 0.30) : QColor(0, 0, 0, int(0.08 * 255));
    painter->drawPixmap(card.topLeft() - QPoint(shadowMargin, shadowMargin),
                        shadowPixmap(card.size(), shadow, hovered ? 8 : 3, hovered ? 4 : 1, dpr));
    const QImage still = m_renderer.image(jobFor(item, pictureFor(item.imagePath), card.size(), option, dpr), index);
    if (!still.isNull())
        painter->drawImage(card.topLeft(), still);
    else
        painter->drawPixmap(card.topLeft(), skeletonPixmap(card.size(), option.palette.color(QPalette::Base),
                                                           lookFor(option, dpr).surface, dpr));

    if (option.state & QStyle::State_Selected) {
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(Theme::studioPurple(), 2));
        painter->drawRoundedRect(QRectF(card).adjusted(1, 1, -1, -1), Rendering::cornerRadius, Rendering::cornerRadius);
    }
}

void GalleryTileDelegate::paintRow(QPainter *painter, const QStyleOptionViewItem &option, const ArtworkItem &item,
                                   const QModelIndex &index) const
{
    const QRect row = option.rect.adjusted(8, 3, -8, -3);
    if (option.state & QStyle::State_Selected) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(Theme::withOpacity(Theme::studioPurple(), 0.16));
        painter->drawRoundedRect(row, 8, 8);
    }
    const qreal dpr = painter->device()->devicePixelRatioF();
    const QImage still = m_renderer.image(jobFor(item, pictureFor(item.imagePath), row.size(), option, dpr), index);
    if (!still.isNull())
        painter->drawImage(row.topLeft(), still);
}

bool GalleryTileDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                    const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    ArtworkItem fallback;
    const ArtworkItem &item = itemOf(index, fallback);
    if (m_mode == Mode::Grid) {
        const QRect image = Rendering::imageRect(cardRect(option.rect));
        if (item.favorite && favoriteBadgeRect(image).contains(event->pos())) {
            QToolTip::showText(event->globalPos(), QStringLiteral("Favorited"), view);
            return true;
        }
        if (item.rating > 0 && ratingBadgeRect(image).contains(event->pos())) {
            QToolTip::showText(event->globalPos(), QStringLiteral("Rating: %1/5").arg(item.rating), view);
            return true;
        }
    }
    // Tiles show one line of the prompt; the tooltip has all of it.
    QToolTip::showText(event->globalPos(), QStringLiteral("<p>%1</p>").arg(item.prompt.toHtmlEscaped()), view,
                       option.rect);
    return true;
}
