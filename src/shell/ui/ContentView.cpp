#include "ContentView.h"

#include "ConnectionBadge.h"
#include "ConnectionPopover.h"
#include "Icons.h"
#include "ToastOverlay.h"
#include "WorkflowHintBar.h"
#include "shell/AppNotifier.h"
#include "shell/BackendControl.h"
#include "shell/HttpApiProbe.h"
#include "shell/PreferenceKeys.h"
#include "shell/WorkflowHint.h"

#include <QSettings>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int badgeInset = 8;

QWidget *makePlaceholder(int index)
{
    auto *placeholder = new QWidget;
    placeholder->setObjectName(QStringLiteral("tabPlaceholder%1").arg(index));
    return placeholder;
}

} // namespace

QString ContentView::tabTitle(int index)
{
    switch (index) {
    case AppNotifier::PalettorTab: return tr("Palettor");
    case AppNotifier::GenerateTab: return tr("Generate");
    case AppNotifier::GalleryTab: return tr("Gallery");
    case AppNotifier::SettingsTab: return tr("Settings");
    }
    return {};
}

QString ContentView::tabIconName(int index)
{
    switch (index) {
    case AppNotifier::PalettorTab: return QStringLiteral("paintbrush");
    case AppNotifier::GenerateTab: return QStringLiteral("wand.and.stars");
    case AppNotifier::GalleryTab: return QStringLiteral("photo.on.rectangle.angled");
    case AppNotifier::SettingsTab: return QStringLiteral("gearshape");
    }
    return {};
}

ContentView::ContentView(BackendControl &backend, AppNotifier &notifier, ToastManager &toasts,
                         MotionPreference &motion, QNetworkAccessManager &network, QWidget *parent)
    : QWidget(parent), m_backend(backend), m_hint(new WorkflowHint(this))
{
    setObjectName(QStringLiteral("contentView"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_hintBar = new WorkflowHintBar(this);
    m_hintBar->setVisible(m_hint->isVisible());
    layout->addWidget(m_hintBar);
    connect(m_hintBar, &WorkflowHintBar::dismissed, m_hint, &WorkflowHint::dismiss);
    connect(m_hint, &WorkflowHint::isVisibleChanged, m_hintBar, &QWidget::setVisible);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("mainTabs"));
    m_tabs->setDocumentMode(true);
    m_tabs->setIconSize(QSize(16, 16));
    for (int index = 0; index < AppNotifier::tabCount; ++index)
        m_tabs->addTab(makePlaceholder(index), Icons::paletteIcon(tabIconName(index)), tabTitle(index));
    layout->addWidget(m_tabs, 1);
    restoreSelectedTab();
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        QSettings settings;
        settings.beginGroup(PreferenceKeys::mainWindowGroup);
        settings.setValue(PreferenceKeys::selectedTab, index);
        emit selectedTabChanged(index);
    });

    connect(&notifier, &AppNotifier::switchTab, this, [this](const QVariant &object) {
        if (const auto index = AppNotifier::tabIndexFrom(object))
            setSelectedTab(*index);
    });
    connect(&notifier, &AppNotifier::openSettings, this,
            [this] { setSelectedTab(AppNotifier::SettingsTab); });

    m_toastOverlay = new ToastOverlay(this, toasts, motion);

    m_probe = new HttpApiProbe(network, HttpApiProbe::defaultUrl(), this);
    m_popover = new ConnectionPopover(this);
    m_badge = new ConnectionBadge(this);
    m_badge->setConnected(backend.isConnected());
    m_popover->setBackendConnected(backend.isConnected());
    connect(&backend, &BackendControl::isConnectedChanged, this, [this] {
        m_badge->setConnected(m_backend.isConnected());
        m_popover->setBackendConnected(m_backend.isConnected());
        placeBadge();
    });
    connect(m_probe, &HttpApiProbe::probeFinished, m_popover, &ConnectionPopover::setHttpApiAvailable);
    connect(m_badge, &QAbstractButton::clicked, this, &ContentView::toggleConnectionPopover);
}

ContentView::~ContentView() = default;

int ContentView::selectedTab() const
{
    return m_tabs->currentIndex();
}

void ContentView::setSelectedTab(int index)
{
    if (index >= 0 && index < m_tabs->count())
        m_tabs->setCurrentIndex(index);
}

void ContentView::restoreSelectedTab()
{
    QSettings settings;
    settings.beginGroup(PreferenceKeys::mainWindowGroup);
    setSelectedTab(settings.value(PreferenceKeys::selectedTab, 0).toInt());
}

void ContentView::setTabContent(int index, QWidget *content)
{
    if (index < 0 || index >= m_tabs->count() || !content)
        return;
    const bool wasCurrent = m_tabs->currentIndex() == index;
    QWidget *old = m_tabs->widget(index);
    const QSignalBlocker block(m_tabs); // the selection does not change by swapping a page
    m_tabs->removeTab(index);
    m_tabs->insertTab(index, content, Icons::paletteIcon(tabIconName(index)), tabTitle(index));
    if (wasCurrent)
        m_tabs->setCurrentIndex(index);
    delete old;
}

QWidget *ContentView::tabContent(int index) const
{
    return m_tabs->widget(index);
}

void ContentView::toggleConnectionPopover()
{
    if (m_popover->isVisible()) {
        m_popover->hide();
        return;
    }
    m_popover->setHttpApiAvailable(m_probe->isAvailable()); // the last answer until the new one
    m_popover->popUpAbove(m_badge);
    m_probe->probe();
}

void ContentView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // un-minimising is not a new appearance
    m_hint->recordAppearance();
    m_hintBar->setVisible(m_hint->isVisible());
    placeBadge();
    if (!m_shownBefore) {
        m_shownBefore = true;
        emit firstShown();
    }
}

void ContentView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeBadge();
}

void ContentView::placeBadge()
{
    m_badge->resize(m_badge->sizeHint());
    m_badge->move(width() - m_badge->width() - badgeInset, height() - m_badge->height() - badgeInset);
    m_badge->raise();
}
