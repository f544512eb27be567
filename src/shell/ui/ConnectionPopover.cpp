#include "ConnectionPopover.h"

#include "ConnectionRow.h"
#include "shell/PreferenceKeys.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>

namespace {

constexpr int arrowHeight = 8;

QLabel *secondaryCaption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont caption = label->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.9);
    label->setFont(caption);
    QPalette secondary = label->palette();
    secondary.setColor(QPalette::WindowText, secondary.color(QPalette::PlaceholderText));
    label->setPalette(secondary);
    return label;
}

QLabel *monospacedValue(QWidget *parent)
{
    auto *label = new QLabel(parent);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(label->font().pointSizeF() * 0.85);
    label->setFont(mono);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

ConnectionPopover::ConnectionPopover(QWidget *parent) : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("connectionPopover"));
    // A click on the badge while open only closes the popover; it must not reopen it at once.
    setAttribute(Qt::WA_NoMouseReplay);
    setFixedWidth(300);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12 + arrowHeight);
    layout->setSpacing(10);

    auto *headline = new QLabel(tr("Connection Status"), this);
    QFont bold = headline->font();
    bold.setBold(true);
    headline->setFont(bold);
    layout->addWidget(headline);

    m_backendRow = new ConnectionRow(tr("Python Backend"), tr("Image generation & LLM (JSON-RPC)"), this);
    m_backendRow->setObjectName(QStringLiteral("pythonBackendRow"));
    layout->addWidget(m_backendRow);
    m_httpRow = new ConnectionRow(tr("Studio HTTP API"), tr("Port 8420 — Tonaro & Versel integration"), this);
    m_httpRow->setObjectName(QStringLiteral("httpApiRow"));
    layout->addWidget(m_httpRow);

    auto *divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setForegroundRole(QPalette::Mid);
    layout->addWidget(divider);

    const auto addSetting = [&](const QString &caption, QLabel *&value, const char *name) {
        auto *row = new QHBoxLayout;
        row->setSpacing(6);
        row->addWidget(secondaryCaption(caption, this));
        value = monospacedValue(this);
        value->setObjectName(QLatin1String(name));
        row->addWidget(value);
        row->addStretch(1);
        layout->addLayout(row);
    };
    addSetting(tr("Image Backend:"), m_imageBackend, "imageBackendValue");
    addSetting(tr("LLM Provider:"), m_llmProvider, "llmProviderValue");
    refreshPreferences();
}

void ConnectionPopover::setBackendConnected(bool connected)
{
    m_backendRow->setConnected(connected);
}

void ConnectionPopover::setHttpApiAvailable(bool available)
{
    m_httpRow->setConnected(available);
}

void ConnectionPopover::refreshPreferences()
{
    QSettings settings;
    m_imageBackend->setText(settings.value(PreferenceKeys::imageBackend, QStringLiteral("mflux")).toString());
    m_llmProvider->setText(settings.value(PreferenceKeys::llmProvider, QStringLiteral("mlx_local")).toString());
}

void ConnectionPopover::popUpAbove(QWidget *anchor)
{
    refreshPreferences();
    adjustSize();
    const QPoint anchorTop = anchor->mapToGlobal(QPoint(anchor->width() / 2, 0));
    // The arrow sits at the bottom, under the popover, pointing down at the badge.
    int x = anchorTop.x() - width() + 40;
    if (const QScreen *screen = anchor->screen()) {
        const QRect area = screen->availableGeometry();
        x = qBound(area.left(), x, area.right() - width());
    }
    m_arrowX = anchorTop.x() - x;
    move(x, anchorTop.y() - height() - 2);
    show();
}

QPainterPath ConnectionPopover::outline() const
{
    const QRectF body = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5 - arrowHeight);
    QPainterPath path;
    path.addRoundedRect(body, 10, 10);
    const qreal ax = qBound(body.left() + 16, qreal(m_arrowX < 0 ? width() / 2 : m_arrowX), body.right() - 16);
    QPainterPath arrow;
    arrow.moveTo(ax - arrowHeight, body.bottom() - 1);
    arrow.lineTo(ax, body.bottom() + arrowHeight);
    arrow.lineTo(ax + arrowHeight, body.bottom() - 1);
    arrow.closeSubpath();
    return path.united(arrow);
}

void ConnectionPopover::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    // A shaped window rather than a translucent one: without a compositor translucency is black.
    setMask(QRegion(outline().toFillPolygon().toPolygon()));
}

void ConnectionPopover::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = outline();
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.setBrush(palette().color(QPalette::Window));
    painter.drawPath(path);
}

void ConnectionPopover::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    emit closed();
}
