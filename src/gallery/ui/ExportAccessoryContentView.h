#pragma once

#include <QWidget>

class ExportAccessoryModel;
class QComboBox;
class QLabel;
class QSlider;

// The save panel's accessory: "Format:" over PNG and JPEG, and while JPEG is picked the
// "Quality:" slider with its percentage. Bound both ways to one model.
class ExportAccessoryContentView : public QWidget
{
    Q_OBJECT

public:
    explicit ExportAccessoryContentView(ExportAccessoryModel *model, QWidget *parent = nullptr);

private:
    void showModel();

    ExportAccessoryModel *m_model;
    QComboBox *m_format;
    QWidget *m_qualityRow;
    QSlider *m_quality;
    QLabel *m_qualityText;
};
