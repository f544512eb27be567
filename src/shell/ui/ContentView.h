#pragma once

#include <QWidget>

class AppNotifier;
class BackendControl;
class ConnectionBadge;
class ConnectionPopover;
class HttpApiProbe;
class MotionPreference;
class QNetworkAccessManager;
class QTabWidget;
class ToastManager;
class ToastOverlay;
class WorkflowHint;
class WorkflowHintBar;

// The main window's content: the workflow hint, the four tabs, the toast overlay along the top
// and the connection badge in the bottom-right corner. Screens install themselves into their tab.
class ContentView : public QWidget
{
    Q_OBJECT
public:
    ContentView(BackendControl &backend, AppNotifier &notifier, ToastManager &toasts,
                MotionPreference &motion, QNetworkAccessManager &network, QWidget *parent = nullptr);
    ~ContentView() override;

    int selectedTab() const;
    void setSelectedTab(int index);

    // Replaces the tab's current content (a placeholder until its screen exists). The view takes
    // ownership of the widget and deletes the one it replaces.
    void setTabContent(int index, QWidget *content);
    QWidget *tabContent(int index) const;

    QTabWidget *tabs() const { return m_tabs; }
    WorkflowHint &workflowHint() const { return *m_hint; }
    WorkflowHintBar *workflowHintBar() const { return m_hintBar; }
    ConnectionBadge *connectionBadge() const { return m_badge; }
    ConnectionPopover *connectionPopover() const { return m_popover; }
    HttpApiProbe &httpApiProbe() const { return *m_probe; }
    ToastOverlay &toastOverlay() const { return *m_toastOverlay; }

    static QString tabTitle(int index);
    static QString tabIconName(int index);

signals:
    void firstShown();
    void selectedTabChanged(int index);

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void toggleConnectionPopover();
    void placeBadge();
    void restoreSelectedTab();

    BackendControl &m_backend;
    WorkflowHint *m_hint;
    WorkflowHintBar *m_hintBar;
    QTabWidget *m_tabs;
    ConnectionBadge *m_badge;
    ConnectionPopover *m_popover;
    HttpApiProbe *m_probe;
    ToastOverlay *m_toastOverlay;
    bool m_shownBefore = false;
};
