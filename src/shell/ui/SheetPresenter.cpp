#include "SheetPresenter.h"

#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace {

class SheetDialog : public QDialog
{
public:
    SheetDialog(QWidget *parent, bool dismissible) : QDialog(parent), m_dismissible(dismissible) {}

    void finishFromCode()
    {
        m_closingFromCode = true;
        accept();
    }

protected:
    void reject() override
    {
        if (m_dismissible || m_closingFromCode)
            QDialog::reject();
    }
    void closeEvent(QCloseEvent *event) override
    {
        if (m_dismissible || m_closingFromCode)
            QDialog::closeEvent(event);
        else
            event->ignore();
    }

private:
    bool m_dismissible;
    bool m_closingFromCode = false;
};

} // namespace

SheetPresenter::SheetPresenter(QWidget *window) : QObject(window), m_window(window) {}

QDialog *SheetPresenter::present(QWidget *content, Options options, std::function<void()> onClosed)
{
    if (m_sheet) {
        delete content;
        return nullptr;
    }
    auto *dialog = new SheetDialog(m_window, options.userDismissible);
    dialog->setObjectName(QStringLiteral("sheet"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (!options.userDismissible)
        dialog->setWindowFlag(Qt::WindowCloseButtonHint, false);
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    if (options.minimumSize.isValid())
        dialog->setMinimumSize(options.minimumSize);
    connect(dialog, &QDialog::finished, this, [onClosed = std::move(onClosed)] {
        if (onClosed)
            onClosed();
    });
    m_sheet = dialog;
    dialog->open();
    return dialog;
}

void SheetPresenter::close()
{
    if (auto *dialog = static_cast<SheetDialog *>(m_sheet.data()))
        dialog->finishFromCode();
}
