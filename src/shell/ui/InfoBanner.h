#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

// An inline notice: an icon in the accent colour, a secondary message and, only when it has both a
// title and something to do, a small button.
class InfoBanner : public QWidget
{
    Q_OBJECT
public:
    InfoBanner(const QString &icon, const QString &message, const QString &action = {},
               std::function<void()> onAction = {}, QWidget *parent = nullptr);

    void setMessage(const QString &message);
    QString message() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_message;
    QPushButton *m_button = nullptr;
};
