#pragma once

#include "shell/ToastManager.h"

#include <QWidget>

class QLabel;
class QPushButton;

// One toast: the style icon, the message (two lines at most) and, when it offers one, "Undo",
// on a capsule with a soft shadow.
class ToastView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int shadowMargin = 8;

    explicit ToastView(QWidget *parent = nullptr);

    void setToast(const ToastMessage &toast);
    QUuid toastId() const { return m_toastId; }

    static QString iconName(ToastStyle style);
    static QColor iconColour(ToastStyle style);

signals:
    void undoClicked(const QUuid &toastId);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_icon;
    QLabel *m_message;
    QPushButton *m_undo;
    QUuid m_toastId;
};
