#pragma once

#include <QWidget>

class QToolButton;

// The row above the tabs that tells a new user where to start.
class WorkflowHintBar : public QWidget
{
    Q_OBJECT
public:
    explicit WorkflowHintBar(QWidget *parent = nullptr);

    QToolButton *dismissButton() const { return m_dismiss; }

signals:
    void dismissed();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QToolButton *m_dismiss;
};
