#include "gallery/ui/GalleryTileDelegate.h"

#include "gallery/GalleryItemModel.h"
#include "gallery/ImageCache.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QToolTip>

namespace {

constexpr int cornerRadius = 10;
constexpr int badgeSize = 24;

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
                                 cornerRadius + grow / 2, cornerRadius + grow / 2);
    }
}

// The shadow of a tile of this size, drawn once.
QPixmap shadowPixmap(QSize size, QColor color, double radius, double offset)
{
    const QString key = QStringLiteral("gallery-shadow:%1x%2:%3:%4:%5")
                            .arg(size.width()).arg(size.height()).arg(color.rgba()).arg(radius).arg(offset);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    const int margin = 16;
    pixmap = QPixmap(size + QSize(2 * margin, 2 * margin));
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paintShadow(&painter, QRectF(QPointF(margin, margin), QSizeF(size)), color, radius, offset);
    painter.end();
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

// The thumbnail filling a square of this side with rounded corners, scaled once per size.
QPixmap tilePixmap(const QString &path, const QImage &thumbnail, QSize size)
{
    const QString key = QStringLiteral("gallery-tile:%1x%2:%3:").arg(size.width()).arg(size.height()).arg(thumbnail.cacheKey()) + path;
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = QPixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(QPointF(), QSizeF(size)), cornerRadius, cornerRadius);
    painter.setClipPath(clip);
    const QSizeF covered = QSizeF(thumbnail.size()).scaled(QSizeF(size), Qt::KeepAspectRatioByExpanding);
    QRectF target(QPointF(), covered);
    target.moveCenter(QRectF(QPointF(), QSizeF(size)).center());
    painter.drawImage(target, thumbnail);
    painter.end();
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QString sizeText(const ArtworkItem &item) { return QStringLiteral("%1x%2").arg(item.width).arg(item.height); }

} // namespace

GalleryTileDelegate::GalleryTileDelegate(ImageCache &cache, QObject *parent)
    : QStyledItemDelegate(parent), m_cache(cache)
{
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

QSize GalleryTileDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    if (m_mode == Mode::List)
        return {std::max(option.rect.width(), 300), listRowHeight};
    return {m_tileWidth, std::clamp(m_tileWidth, 200, 280) + textHeight};
}

QRect GalleryTileDelegate::imageRect(const QRect &cell) const
{
    const int side = std::clamp(cell.width(), 200, 280);
    return {cell.left(), cell.top(), cell.width(), side};
}

QRect GalleryTileDelegate::favoriteBadgeRect(const QRect &image)
{
    return {image.left() + 8, image.top() + 8, badgeSize, badgeSize};
}

QRect GalleryTileDelegate::ratingBadgeRect(const QRect &image)
{
    return {image.right() - 8 - 2 * badgeSize, image.top() + 8, 2 * badgeSize, badgeSize};
}

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

QImage GalleryTileDelegate::imageFor(const QString &path, bool thumbnail) const
{
    const QString key = thumbnail ? QString() : path;
    QImage image = thumbnail ? m_cache.cachedThumbnail(path, thumbnailMaxSize) : m_cache.cachedImage(path);
    if (image.isNull()) {
        if (thumbnail)
            m_cache.requestThumbnail(path, thumbnailMaxSize);
        else
            m_cache.requestImage(path);
    }
    return image;
}

void GalleryTileDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_mode == Mode::Grid)
        paintTile(painter, option, index);
    else
        paintRow(painter, option, index);
    painter->restore();
}

void GalleryTileDelegate::paintTile(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    const ArtworkItem item = index.data(GalleryItemModel::ItemRole).value<ArtworkItem>();
    const QPalette &palette = option.palette;
    const QRect cell = option.rect.adjusted(8, 8, -8, -8); // half the 16-point gap on each side
    const double hover = hoverProgress(index);
    const double scale = hoverScale(index);

    painter->translate(QRectF(cell).center());
    painter->scale(scale, scale);
    painter->translate(-QRectF(cell).center());

    const bool hovered = hover > 0.5;
    QColor shadow = QColor(0, 0, 0, int(0.08 * 255));
    if (hovered) {
        shadow = palette.color(QPalette::Highlight);
        shadow.setAlphaF(0.30);
    }
    painter->drawPixmap(cell.topLeft() - QPoint(16, 16),
                        shadowPixmap(cell.size(), shadow, hovered ? 8 : 3, hovered ? 4 : 1));
    QPainterPath tile;
    tile.addRoundedRect(cell, cornerRadius, cornerRadius);
    painter->fillPath(tile, palette.color(QPalette::Base));

    const QRect image = imageRect(cell);
    painter->save();
    const QImage thumbnail = imageFor(item.imagePath, true);
    if (!thumbnail.isNull()) {
        // Fills the square: scaled to cover, the overflow cut.
        painter->drawPixmap(image.topLeft(), tilePixmap(item.imagePath, thumbnail, image.size()));
    } else {
        painter->fillRect(image, palette.color(QPalette::AlternateBase));
        const QIcon placeholder = QIcon::fromTheme(QStringLiteral("image-x-generic"));
        const QRect iconRect(image.center() - QPoint(24, 24), QSize(48, 48));
        if (!placeholder.isNull())
            placeholder.paint(painter, iconRect);
        else
            painter->drawText(iconRect, Qt::AlignCenter, QStringLiteral("🖼"));
    }
    painter->restore();

    if (item.favorite) {
        const QRect badge = favoriteBadgeRect(image);
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(0, 0, 0, 110));
        painter->drawEllipse(badge);
        painter->setPen(QColor(255, 80, 110));
        painter->drawText(badge, Qt::AlignCenter, QStringLiteral("♥"));
    }
    if (item.rating > 0) {
        const QRect badge = ratingBadgeRect(image);
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(0, 0, 0, 110));
        painter->drawRoundedRect(badge, badgeSize / 2, badgeSize / 2);
        painter->setPen(QColor(255, 210, 60));
        painter->drawText(badge, Qt::AlignCenter, QStringLiteral("★ %1").arg(item.rating));
    }

    QRect text(cell.left() + 8, image.bottom() + 6, cell.width() - 16, textHeight - 12);
    const QFontMetrics metrics(option.font);
    painter->setPen(palette.color(QPalette::Text));
    painter->drawText(text.left(), text.top() + metrics.ascent(),
                      metrics.elidedText(item.prompt, Qt::ElideRight, text.width()));
    QFont small = option.font;
    small.setPointSizeF(option.font.pointSizeF() * 0.85);
    painter->setFont(small);
    const QFontMetrics smallMetrics(small);
    painter->setPen(palette.color(QPalette::PlaceholderText));
    int y = text.top() + metrics.height() + smallMetrics.ascent();
    painter->drawText(text.left(), y, smallMetrics.elidedText(item.model, Qt::ElideRight, text.width()));
    y += smallMetrics.height();
    painter->drawText(text.left(), y,
                      sizeText(item) + QStringLiteral("  ·  ")
                          + relativeTime(item.createdAt, QDateTime::currentDateTimeUtc()));

    painter->setBrush(Qt::NoBrush);
    const bool selected = option.state & QStyle::State_Selected;
    if (selected) {
        painter->setPen(QPen(palette.color(QPalette::Highlight), 2));
        painter->drawRoundedRect(QRectF(cell).adjusted(1, 1, -1, -1), cornerRadius, cornerRadius);
    }
}

void GalleryTileDelegate::paintRow(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    const ArtworkItem item = index.data(GalleryItemModel::ItemRole).value<ArtworkItem>();
    const QPalette &palette = option.palette;
    const QRect row = option.rect.adjusted(8, 4, -8, -4);
    if (option.state & QStyle::State_Selected) {
        QColor selection = palette.color(QPalette::Highlight);
        selection.setAlphaF(0.18);
        painter->setPen(Qt::NoPen);
        painter->setBrush(selection);
        painter->drawRoundedRect(row, 8, 8);
    }
    const QRect image(row.left() + 4, row.top() + (row.height() - 60) / 2, 60, 60);
    QPainterPath clip;
    clip.addRoundedRect(image, 6, 6);
    painter->save();
    painter->setClipPath(clip);
    const QImage full = imageFor(item.imagePath, false);
    if (!full.isNull()) {
        const QSizeF covered = QSizeF(full.size()).scaled(image.size(), Qt::KeepAspectRatioByExpanding);
        QRectF target(QPointF(), covered);
        target.moveCenter(QRectF(image).center());
        painter->drawImage(target, full);
    } else {
        painter->fillRect(image, palette.color(QPalette::AlternateBase));
    }
    painter->restore();

    const int textLeft = image.right() + 12;
    const int textWidth = row.right() - textLeft - 120;
    const QFontMetrics metrics(option.font);
    painter->setPen(palette.color(QPalette::Text));
    painter->drawText(textLeft, row.top() + 8 + metrics.ascent(),
                      metrics.elidedText(item.prompt, Qt::ElideRight, std::max(textWidth, 40)));
    QString stars;
    for (int n = 1; n <= 5; ++n)
        stars += n <= item.rating ? QStringLiteral("★") : QStringLiteral("☆");
    painter->setPen(QColor(230, 180, 40));
    painter->drawText(textLeft, row.top() + 8 + metrics.height() + metrics.ascent(), stars);
    painter->setPen(palette.color(QPalette::PlaceholderText));
    painter->drawText(textLeft, row.top() + 8 + 2 * metrics.height() + metrics.ascent(),
                      sizeText(item) + QStringLiteral("  ") + item.model);
    QRect trailing(row.right() - 116, row.top(), 112, row.height());
    painter->drawText(trailing, Qt::AlignRight | Qt::AlignVCenter,
                      (item.favorite ? QStringLiteral("♥  ") : QString())
                          + relativeTime(item.createdAt, QDateTime::currentDateTimeUtc()));
}

bool GalleryTileDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                    const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || m_mode != Mode::Grid || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const ArtworkItem item = index.data(GalleryItemModel::ItemRole).value<ArtworkItem>();
    const QRect image = imageRect(option.rect.adjusted(8, 8, -8, -8));
    if (item.favorite && favoriteBadgeRect(image).contains(event->pos())) {
        QToolTip::showText(event->globalPos(), QStringLiteral("Favorited"), view);
        return true;
    }
    if (item.rating > 0 && ratingBadgeRect(image).contains(event->pos())) {
        QToolTip::showText(event->globalPos(), QStringLiteral("Rating: %1/5").arg(item.rating), view);
        return true;
    }
    QToolTip::hideText();
    return true;
}
