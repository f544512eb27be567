#pragma once

#include "gallery/GalleryFilter.h"

#include <QFrame>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QToolButton;

// The filter popover: model text, date range, minimum rating and size, and "Clear All Filters"
// while any of them is in effect. It edits the popover part of a filter state.
class GalleryFilterPopover : public QFrame
{
    Q_OBJECT

public:
    explicit GalleryFilterPopover(QWidget *parent = nullptr);

    // Shows the state's values without reporting them back.
    void setState(const GalleryFilterState &state);
    // Opens under the anchor, inside its window.
    void popUpBelow(QWidget *anchor);

signals:
    void stateEdited(const GalleryFilterState &state);

private:
    void edit(const std::function<void(GalleryFilterState &)> &change);
    void updateControls();

    GalleryFilterState m_state;
    bool m_updating = false;
    QLineEdit *m_model;
    QDateEdit *m_from;
    QDateEdit *m_to;
    QPushButton *m_clearDates;
    QList<QToolButton *> m_ratingButtons; // "Any", then stars 1-5
    QComboBox *m_size;
    QFrame *m_divider;
    QPushButton *m_clearAll;
};
