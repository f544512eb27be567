#pragma once

#include "gallery/ImageExport.h"

#include <QObject>

// The format and JPEG quality picked in one save panel. Every panel starts afresh at PNG, 95 %.
class ExportAccessoryModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(ExportFormat selectedFormat READ selectedFormat WRITE setSelectedFormat NOTIFY selectedFormatChanged)
    Q_PROPERTY(int quality READ quality WRITE setQuality NOTIFY qualityChanged)

public:
    static constexpr int minimumQuality = 1;
    static constexpr int maximumQuality = 100;

    using QObject::QObject;

    ExportFormat selectedFormat() const { return m_selectedFormat; }
    void setSelectedFormat(ExportFormat format);

    int quality() const { return m_quality; } // percent
    void setQuality(int quality); // clamped to 1…100

signals:
    void selectedFormatChanged();
    void qualityChanged();

private:
    ExportFormat m_selectedFormat = ExportFormat::png;
    int m_quality = 95;
};
