#include "ExportAccessoryModel.h"

#include <algorithm>

void ExportAccessoryModel::setSelectedFormat(ExportFormat format)
{
    if (format == m_selectedFormat)
        return;
    m_selectedFormat = format;
    emit selectedFormatChanged();
}

void ExportAccessoryModel::setQuality(int quality)
{
    quality = std::clamp(quality, minimumQuality, maximumQuality);
    if (quality == m_quality)
        return;
    m_quality = quality;
    emit qualityChanged();
}
