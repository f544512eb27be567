#include "gallery/ui/GalleryTileRendering.h"

#include "shell/Theme.h"
#include "shell/ui/Icons.h"

#include <QPainter>
#include <QPainterPath>

namespace GalleryTileRendering {

namespace {

constexpr int textPadding = 8;
constexpr int textTop = 8;
constexpr int textBottom = 10;
constexpr int lineGap = 3;

QColor secondary(const QPalette &palette) { return palette.color(QPalette::PlaceholderText); }
// Badges sit on a dark pill over the picture whatever the desktop's theme, so they take the
// colours meant for dark backgrounds.
QColor onDark(const char *name) { return Theme::named(QLatin1String(name), Theme::Appearance::Dark); }

QPixmap blank(QSize size, qreal dpr)
{
    QPixmap pixmap(size * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Scaled to cover the rectangle, centred, the overflow cut by the clip.
void drawCovering(QPainter &painter, const QRectF &target, const QImage &image)
{
    const QSizeF covered = QSizeF(image.size()).scaled(target.size(), Qt::KeepAspectRatioByExpanding);
    QRectF placed(QPointF(), covered);
    placed.moveCenter(target.center());
    painter.drawImage(placed, image);
}

void drawPicture(QPainter &painter, const QRect &frame, const Picture &picture, const QPalette &palette,
                 int iconSide, qreal dpr)
{
    if (picture.state == Picture::State::Ready) {
        // Scaled once to the device pixels of the frame, so the copy below is not resampled again.
        const QSize pixels = (QSizeF(frame.size()) * dpr).toSize();
        const QImage scaled = picture.image.scaled(pixels, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        QImage cropped = scaled.copy(QRect(QPoint((scaled.width() - pixels.width()) / 2,
                                                  (scaled.height() - pixels.height()) / 2),
                                           pixels));
        cropped.setDevicePixelRatio(dpr);
        drawCovering(painter, frame, cropped);
        return;
    }
    painter.fillRect(frame, Theme::withOpacity(Theme::studioSurface(), 0.9));
    if (picture.state == Picture::State::Failed) {
        const QRect icon(frame.center() - QPoint(iconSide / 2, iconSide / 2), QSize(iconSide, iconSide));
        painter.drawPixmap(icon, Icons::pixmap(QStringLiteral("photo"), secondary(palette), iconSide, dpr));
    }
}

void drawBadges(QPainter &painter, const QRect &image, const ArtworkItem &item, const QFont &font, qreal dpr)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 120));
    if (item.favorite) {
        const QRect badge = favoriteBadgeRect(image);
        painter.drawEllipse(badge);
        painter.drawPixmap(badge.adjusted(5, 5, -5, -5), Icons::pixmap(QStringLiteral("heart.fill"), onDark("StudioMagenta"), 14, dpr));
    }
    if (item.rating > 0) {
        const QRect badge = ratingBadgeRect(image);
        painter.drawRoundedRect(badge, badgeSize / 2.0, badgeSize / 2.0);
        const QRect star(badge.left() + 7, badge.top() + 5, 14, 14);
        painter.drawPixmap(star, Icons::pixmap(QStringLiteral("star.fill"), onDark("StudioGold"), 14, dpr));
        QFont bold = font;
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

QPixmap card(const ArtworkItem &item, const Picture &picture, QSize size, const Look &look, const QString &relativeTime)
{
    QPixmap pixmap = blank(size, look.devicePixelRatio);
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
    drawPicture(painter, image, picture, look.palette, 48, look.devicePixelRatio);
    painter.restore();
    drawBadges(painter, image, item, smallFont(look.font), look.devicePixelRatio);

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

QPixmap row(const ArtworkItem &item, const Picture &picture, QSize size, const Look &look, const QString &relativeTime)
{
    const qreal dpr = look.devicePixelRatio;
    QPixmap pixmap = blank(size, dpr);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    const QRect image(8, (size.height() - listImageSide) / 2, listImageSide, listImageSide);
    painter.save();
    QPainterPath clip;
    clip.addRoundedRect(QRectF(image), 8, 8);
    painter.setClipPath(clip);
    drawPicture(painter, image, picture, look.palette, 28, dpr);
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
    const QColor gold = Theme::studioGold();
    for (int n = 1; n <= 5; ++n) {
        const bool filled = n <= item.rating;
        painter.drawPixmap(QRect(left + (n - 1) * 15, y, 13, 13),
                           Icons::pixmap(filled ? QStringLiteral("star.fill") : QStringLiteral("star"),
                                         filled ? gold : Theme::withOpacity(secondary(look.palette), 0.6), 13, dpr));
    }
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
        painter.drawPixmap(heart, Icons::pixmap(QStringLiteral("heart.fill"), Theme::studioMagenta(), 14, dpr));
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
           + QString::number(palette.color(QPalette::PlaceholderText).rgba(), 16) + u':' + look.font.key() + u':' + relativeTime + u':' + item.id + u':' + item.imagePath + u':'
           + QString::number(item.width) + u'x' + QString::number(item.height) + u':' + item.model + u':'
           + item.prompt;
}

} // namespace GalleryTileRendering
