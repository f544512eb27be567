#include "gallery/ui/ImageExportPanel.h"

#include "gallery/ExportAccessoryModel.h"
#include "gallery/ImageExport.h"
#include "gallery/ui/ExportAccessoryContentView.h"
#include "shell/ToastManager.h"
#include "shell/UserFriendlyError.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QPointer>

namespace {

// The platform's native dialogs take no extra widgets, so the format controls need Qt's own
// dialog, whose grid layout gets the accessory as a last full-width row.
QFileDialog *createSavePanel(QWidget *parent, const QString &defaultName, ExportAccessoryModel **model)
{
    auto *panel = new QFileDialog(parent);
    panel->setObjectName(QStringLiteral("exportSavePanel"));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setAcceptMode(QFileDialog::AcceptSave);
    panel->setFileMode(QFileDialog::AnyFile);
    // No default suffix: the file is written under exactly the name the user leaves in the field.
    panel->setNameFilters({QStringLiteral("PNG image (*.png)"), QStringLiteral("JPEG image (*.jpg *.jpeg)")});
    panel->selectFile(defaultName + QStringLiteral(".png"));

    *model = new ExportAccessoryModel(panel);
    auto *accessory = new ExportAccessoryContentView(*model, panel);
    if (auto *grid = qobject_cast<QGridLayout *>(panel->layout()))
        grid->addWidget(accessory, grid->rowCount(), 0, 1, grid->columnCount(), Qt::AlignLeft);
    else
        panel->layout()->addWidget(accessory);
    return panel;
}

void finishExport(const std::optional<ExportFailure> &failure, ExportFormat format,
                  const ExportCompletion &onComplete)
{
    if (!failure) {
        ToastManager::shared().show(QStringLiteral("Exported as %1").arg(exportFormatName(format)),
                                    ToastStyle::Success, ToastManager::plainDuration);
        if (onComplete)
            onComplete(std::nullopt);
        return;
    }
    // Only a write failure gets a toast; the caller's alert reports both kinds.
    if (failure->stage == ExportFailure::Stage::writing)
        ToastManager::shared().show(failure->text, ToastStyle::Error, ToastManager::plainDuration);
    if (onComplete)
        onComplete(failure->stage == ExportFailure::Stage::writing ? userFriendlyError(failure->text) : failure->text);
}

} // namespace

void exportImageWithFormatPanel(QWidget *parent, const QImage &image, const QString &defaultName,
                                ExportCompletion onComplete)
{
    ExportAccessoryModel *model = nullptr;
    QFileDialog *panel = createSavePanel(parent, defaultName, &model);
    QObject::connect(panel, &QFileDialog::accepted, panel, [=] {
        const QString path = panel->selectedFiles().value(0);
        if (path.isEmpty())
            return;
        const ExportFormat format = model->selectedFormat();
        const bool hadParent = parent != nullptr;
        const QPointer<QWidget> caller(parent);
        const auto completion = [=](const std::optional<ExportFailure> &failure) {
            finishExport(failure, format, hadParent && !caller ? ExportCompletion() : onComplete);
        };
        // The application object outlives the panel, which is deleted as soon as it closes.
        writeExportedImageInBackground(image, path, format, model->quality())
            .then(QCoreApplication::instance(), completion);
    });
    panel->open();
}
