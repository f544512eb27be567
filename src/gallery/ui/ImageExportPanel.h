#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Called on the main thread, only when the user confirmed the panel: none when the file was
// written, otherwise the text for the caller's "Export Failed" alert.
using ExportCompletion = std::function<void(const std::optional<QString> &error)>;

// The shared save panel: asks where to save the image as "{defaultName}.png", with a choice of
// PNG or JPEG and the JPEG quality, then encodes and writes it off the UI thread and confirms
// with a toast. Returns at once; the panel is window-modal to parent and deletes itself.
// When parent is gone by the time the file is written, the toast still shows but onComplete
// is not called (it would reach a closed screen).
void exportImageWithFormatPanel(QWidget *parent, const QImage &image, const QString &defaultName,
                                ExportCompletion onComplete);
