#include "gallery/ui/GalleryTileRendering.h"

#include <QPainter>
#include <QPainterPath>

namespace GalleryTileRendering {

namespace {

constexpr int textPadding = 8;
constexpr int textTop = 8;
constexpr int textBottom = 10;
constexpr int lineGap = 3;

QColor secondary(const QPalette &palette) { return palette.color(QPalette::PlaceholderText); }

QImage blank(QSize size, qreal dpr)
{
    QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

void drawGlyph(QPainter &painter, const QRect &where, const Look &look, Glyph glyph)
{
    painter.drawImage(QRectF(where), look.glyphs[int(glyph)]);
}

// The centred part of the image with the frame's shape, which scaled covers the frame.
QRectF coveringSource(QSizeF image, QSizeF frame)
{
    const QSizeF source = frame.scaled(image, Qt::KeepAspectRatio);
    return {QPointF((image.width() - source.width()) / 2, (image.height() - source.height()) / 2), source};
}

void drawPicture(QPainter &painter, const QRect &frame, const Picture &picture, const Look &look, Glyph placeholder,
                 int iconSide)
{
    const qreal dpr = look.devicePixelRatio;
    if (picture.state == Picture::State::Ready) {
        const QRectF source = coveringSource(picture.image.size(), frame.size());
        const double factor = frame.width() * dpr / source.width();
        if (factor >= 0.5) {
            // Bilinear filtering is sharp enough down to half size, and far cheaper than an
            // area-averaging scale (thumbnails of 256 go into tiles of 200-280).
            painter.drawImage(QRectF(frame), picture.image, source);
        } else {
            // A whole image into a small frame (list rows): averaged, or it would alias.
            const QImage scaled = picture.image.copy(source.toAlignedRect())
                                      .scaled((QSizeF(frame.size()) * dpr).toSize(), Qt::IgnoreAspectRatio,
                                              Qt::SmoothTransformation);
            painter.drawImage(QRectF(frame), scaled);
        }
        return;
    }
    painter.fillRect(frame, look.surface);
    if (picture.state == Picture::State::Failed) {
        const QRect icon(frame.center() - QPoint(iconSide / 2, iconSide / 2), QSize(iconSide, iconSide));
        drawGlyph(painter, icon, look, placeholder);
    }
}

void drawBadges(QPainter &painter, const QRect &image, const ArtworkItem &item, const Look &look)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 120));
    if (item.favorite) {
        const QRect badge = favoriteBadgeRect(image);
        painter.drawEllipse(badge);
        drawGlyph(painter, badge.adjusted(5, 5, -5, -5), look, Glyph::BadgeHeart);
    }
    if (item.rating > 0) {
        const QRect badge = ratingBadgeRect(image);
        painter.drawRoundedRect(badge, badgeSize / 2.0, badgeSize / 2.0);
        const QRect star(badge.left() + 7, badge.top() + 5, 14, 14);
        drawGlyph(painter, star, look, Glyph::BadgeStar);
        QFont bold = smallFont(look.font);
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(Qt::white);
        painter.drawText(QRect(star.right() + 3, badge.top(), badge.right() - star.right() - 6, badge.height()),
                         Qt::AlignVCenter | Qt::AlignLeft, QString::number(item.rating));
    }
}

QString sizeText(const ArtworkItem &item) { return QStringLiteral("%1x%2").arg(item.width).arg(item.height); }

} // namespace

QFont smallFont(const QFont &font)
{
    QFont small = font;
    small.setPointSizeF(font.pointSizeF() * 0.85);
    return small;
}

int textBlockHeight(const QFont &font)
{
    const QFontMetrics body(font), small(smallFont(font));
    return textTop + body.height() + lineGap + 2 * small.height() + textBottom;
}

int imageHeight(int cardWidth) { return std::clamp(cardWidth, 200, 280); }

int cardHeight(int cardWidth, const QFont &font) { return imageHeight(cardWidth) + textBlockHeight(font); }

QRect imageRect(const QRect &card) { return {card.left(), card.top(), card.width(), imageHeight(card.width())}; }

QRect favoriteBadgeRect(const QRect &image) { return {image.left() + 8, image.top() + 8, badgeSize, badgeSize}; }

QRect ratingBadgeRect(const QRect &image)
{
    return {image.right() - 8 - 2 * badgeSize + 2, image.top() + 8, 2 * badgeSize, badgeSize};
}

QImage card(const ArtworkItem &item, const Picture &picture, QSize size, const Look &look, const QString &relativeTime)
{
    QImage pixmap = blank(size, look.devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect bounds(QPoint(), size);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(bounds), cornerRadius, cornerRadius);
    painter.fillPath(shape, look.palette.color(QPalette::Base));

    const QRect image = imageRect(bounds);
    painter.save();
    painter.setClipPath(shape); // the card's top corners, square where the text begins
    painter.setClipRect(image, Qt::IntersectClip);
    drawPicture(painter, image, picture, look, Glyph::TilePlaceholder, placeholderSide);
    painter.restore();
    drawBadges(painter, image, item, look);

    const int left = textPadding, width = size.width() - 2 * textPadding;
    const QFontMetrics body(look.font);
    const QFont small = smallFont(look.font);
    const QFontMetrics smallMetrics(small);
    int y = image.bottom() + 1 + textTop;
    painter.setFont(look.font);
    painter.setPen(look.palette.color(QPalette::Text));
    painter.drawText(left, y + body.ascent(), body.elidedText(item.prompt, Qt::ElideRight, width));
    y += body.height() + lineGap;
    painter.setFont(small);
    painter.setPen(secondary(look.palette));
    painter.drawText(left, y + smallMetrics.ascent(), smallMetrics.elidedText(item.model, Qt::ElideRight, width));
    y += smallMetrics.height();
    painter.drawText(left, y + smallMetrics.ascent(),
                     smallMetrics.elidedText(sizeText(item) + QStringLiteral("  ·  ") + relativeTime, Qt::ElideRight, width));
    return pixmap;
}

QImage row(const ArtworkItem &item, const Picture &picture, QSize size, const Look &look, const QString &relativeTime)
{
    QImage pixmap = blank(size, look.devicePixelRatio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    const QRect image(8, (size.height() - listImageSide) / 2, listImageSide, listImageSide);
    painter.save();
    QPainterPath clip;
    clip.addRoundedRect(QRectF(image), 8, 8);
    painter.setClipPath(clip);
    drawPicture(painter, image, picture, look, Glyph::RowPlaceholder, rowPlaceholderSide);
    painter.restore();

    const QFontMetrics body(look.font);
    const QFont small = smallFont(look.font);
    const QFontMetrics smallMetrics(small);
    const QString time = relativeTime;
    const int trailingWidth = std::max(smallMetrics.horizontalAdvance(time), 90) + 16;
    const int trailingLeft = size.width() - 12 - trailingWidth;
    const int left = image.right() + 1 + 14;
    const int width = std::max(40, trailingLeft - left - 12);

    const int block = body.height() + 4 + 14 + 4 + smallMetrics.height();
    int y = (size.height() - block) / 2;
    painter.setFont(look.font);
    painter.setPen(look.palette.color(QPalette::Text));
    painter.drawText(left, y + body.ascent(), body.elidedText(item.prompt, Qt::ElideRight, width));
    y += body.height() + 4;
    for (int n = 1; n <= 5; ++n)
        drawGlyph(painter, QRect(left + (n - 1) * 15, y, rowStarSide, rowStarSide), look,
                  n <= item.rating ? Glyph::RowStar : Glyph::RowStarOutline);
    y += 14 + 4;
    painter.setFont(small);
    painter.setPen(secondary(look.palette));
    painter.drawText(left, y + smallMetrics.ascent(),
                     smallMetrics.elidedText(sizeText(item) + QStringLiteral("  ·  ") + item.model, Qt::ElideRight, width));

    const QRect trailing(trailingLeft, 0, trailingWidth, size.height());
    painter.drawText(trailing, Qt::AlignRight | Qt::AlignVCenter, time);
    if (item.favorite) {
        const QRect heart(trailing.right() - smallMetrics.horizontalAdvance(time) - 8 - 14,
                          (size.height() - 14) / 2, 14, 14);
        drawGlyph(painter, heart, look, Glyph::RowHeart);
    }
    return pixmap;
}

QString renderKey(char kind, const ArtworkItem &item, const Picture &picture, QSize size, const Look &look,
                  const QString &relativeTime)
{
    const QPalette &palette = look.palette;
    return QStringLiteral("%1:%2:%3x%4@%5:%6:%7:%8:%9:")
               .arg(QLatin1Char(kind))
               .arg(int(picture.state))
               .arg(size.width())
               .arg(size.height())
               .arg(look.devicePixelRatio)
               .arg(picture.image.cacheKey())
               .arg(item.rating)
               .arg(item.favorite ? 1 : 0)
               .arg(palette.color(QPalette::Base).rgba() ^ (quint64(palette.color(QPalette::Text).rgba()) << 32))
           + QString::number(palette.color(QPalette::PlaceholderText).rgba(), 16) + u':'
           + QString::number(look.surface.rgba(), 16) + u':' + look.font.key() + u':' + relativeTime + u':' + item.id + u':' + item.imagePath + u':'
           + QString::number(item.width) + u'x' + QString::number(item.height) + u':' + item.model + u':'
           + item.prompt;
}

} // namespace GalleryTileRendering
