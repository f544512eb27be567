#include "gallery/ui/ExportAccessoryContentView.h"

#include "gallery/ExportAccessoryModel.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

ExportAccessoryContentView::ExportAccessoryContentView(ExportAccessoryModel *model, QWidget *parent)
    : QWidget(parent), m_model(model)
{
    setObjectName(QStringLiteral("exportAccessory"));
    setFixedWidth(300);
    setMinimumHeight(80);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *formatRow = new QHBoxLayout;
    formatRow->addWidget(new QLabel(QStringLiteral("Format:"), this));
    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("exportFormatPicker"));
    m_format->setAccessibleName(QStringLiteral("Format"));
    m_format->setFixedWidth(100);
    for (ExportFormat format : allExportFormats)
        m_format->addItem(exportFormatName(format));
    formatRow->addWidget(m_format);
    formatRow->addStretch();
    layout->addLayout(formatRow);

    // Its own widget so that the whole row comes and goes with the format.
    m_qualityRow = new QWidget(this);
    m_qualityRow->setObjectName(QStringLiteral("exportQualityRow"));
    auto *qualityRow = new QHBoxLayout(m_qualityRow);
    qualityRow->setContentsMargins(0, 0, 0, 0);
    qualityRow->addWidget(new QLabel(QStringLiteral("Quality:"), m_qualityRow));
    m_quality = new QSlider(Qt::Horizontal, m_qualityRow);
    m_quality->setObjectName(QStringLiteral("exportQualitySlider"));
    m_quality->setAccessibleName(QStringLiteral("Quality"));
    m_quality->setRange(ExportAccessoryModel::minimumQuality, ExportAccessoryModel::maximumQuality);
    m_quality->setSingleStep(1);
    qualityRow->addWidget(m_quality, 1);
    m_qualityText = new QLabel(m_qualityRow);
    m_qualityText->setObjectName(QStringLiteral("exportQualityText"));
    m_qualityText->setFixedWidth(35);
    m_qualityText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    qualityRow->addWidget(m_qualityText);
    layout->addWidget(m_qualityRow);
    layout->addStretch();

    connect(m_format, &QComboBox::currentIndexChanged, m_model,
            [this](int row) { m_model->setSelectedFormat(allExportFormats[row]); });
    connect(m_quality, &QSlider::valueChanged, m_model, &ExportAccessoryModel::setQuality);
    connect(m_model, &ExportAccessoryModel::selectedFormatChanged, this, &ExportAccessoryContentView::showModel);
    connect(m_model, &ExportAccessoryModel::qualityChanged, this, &ExportAccessoryContentView::showModel);
    showModel();
}

void ExportAccessoryContentView::showModel()
{
    m_format->setCurrentIndex(m_format->findText(exportFormatName(m_model->selectedFormat())));
    m_qualityRow->setVisible(m_model->selectedFormat() == ExportFormat::jpeg);
    m_quality->setValue(m_model->quality());
    m_qualityText->setText(QStringLiteral("%1%").arg(m_model->quality()));
}
