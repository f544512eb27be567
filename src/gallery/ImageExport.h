#pragma once

#include <QFuture>
#include <QImage>
#include <QString>

#include <optional>

// Encoding an in-memory image as PNG or JPEG and writing it to the file the user chose.
// Pure functions, safe on any thread; the save panel runs them off the UI thread.

enum class ExportFormat { png, jpeg };

// "PNG" / "JPEG": the menu title and the word in "Exported as …".
QString exportFormatName(ExportFormat format);
inline constexpr ExportFormat allExportFormats[] = {ExportFormat::png, ExportFormat::jpeg};

struct ExportFailure {
    enum class Stage { encoding, writing };
    Stage stage;
    QString text; // "Failed to encode image", "Failed to encode image as JPEG", "Export failed: …"
};

// Encodes first, then writes the bytes exactly at path (no extension correction), so a file
// is only touched once there is something to put in it. quality (1…100) applies to JPEG only.
// The file is replaced whole where its folder allows: a failed write leaves what was there.
std::optional<ExportFailure> writeExportedImage(const QImage &image, const QString &path,
                                                ExportFormat format, int quality);

// The same on a worker thread.
QFuture<std::optional<ExportFailure>> writeExportedImageInBackground(const QImage &image, const QString &path,
                                                                     ExportFormat format, int quality);
