#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QSize>

#include <functional>

class QWidget;

// Presents a screen as a window-modal sheet over the main window. A sheet that must be finished
// (the first-run walkthrough) ignores Escape and the window's close button.
class SheetPresenter : public QObject
{
    Q_OBJECT
public:
    struct Options {
        QSize minimumSize;
        bool userDismissible = true;
    };

    explicit SheetPresenter(QWidget *window);

    // Takes ownership of the content. Replaces nothing: a sheet already up stays up and the new
    // content is deleted. onClosed runs once when the sheet goes away, however it goes.
    QDialog *present(QWidget *content, Options options, std::function<void()> onClosed = {});
    bool isPresenting() const { return m_sheet != nullptr; }
    QDialog *sheet() const { return m_sheet; }
    // Closes the current sheet from code (the content finished its job).
    void close();

private:
    QWidget *m_window;
    QPointer<QDialog> m_sheet;
};
