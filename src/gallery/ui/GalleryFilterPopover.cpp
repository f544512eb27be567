#include "gallery/ui/GalleryFilterPopover.h"

#include "shell/Theme.h"
#include "shell/ui/Icons.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel *sectionTitle(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// A picked day keeps the time of day of the value it replaces (the date picker edits only the day).
QDateTime withDay(const QDate &day, const QDateTime &previous)
{
    return QDateTime(day, previous.toLocalTime().time());
}

const QDateTime &distantPast()
{
    static const QDateTime past(QDate(1, 1, 1), QTime(0, 0));
    return past;
}

} // namespace

GalleryFilterPopover::GalleryFilterPopover(QWidget *parent) : QFrame(parent, Qt::Popup)
{
    setObjectName(QStringLiteral("filterPopover"));
    // A click on the filter button while open only closes the popover; it must not reopen it at once.
    setAttribute(Qt::WA_NoMouseReplay);
    setFrameShape(QFrame::StyledPanel);
    setFixedWidth(280);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(12);

    layout->addWidget(sectionTitle(QStringLiteral("Filters"), this));

    auto *modelSection = new QVBoxLayout;
    modelSection->addWidget(new QLabel(QStringLiteral("Model"), this));
    m_model = new QLineEdit(this);
    m_model->setObjectName(QStringLiteral("filterModelField"));
    m_model->setPlaceholderText(QStringLiteral("Filter by model name..."));
    m_model->setClearButtonEnabled(true);
    modelSection->addWidget(m_model);
    layout->addLayout(modelSection);
    connect(m_model, &QLineEdit::textEdited, this, [this](const QString &text) {
        edit([&](GalleryFilterState &state) { state.filterModel = text; });
    });

    auto *dateSection = new QVBoxLayout;
    dateSection->addWidget(new QLabel(QStringLiteral("Date Range"), this));
    auto *dateRow = new QHBoxLayout;
    m_from = new QDateEdit(this);
    m_from->setObjectName(QStringLiteral("filterDateFrom"));
    m_to = new QDateEdit(this);
    m_to->setObjectName(QStringLiteral("filterDateTo"));
    for (QDateEdit *picker : {m_from, m_to}) {
        picker->setCalendarPopup(true);
        picker->setMinimumDate(QDate(1, 1, 1));
        // The two pickers share the popover's width rather than asking for room for any date.
        picker->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    }
    dateRow->addWidget(m_from, 1);
    dateRow->addWidget(new QLabel(QStringLiteral("to"), this), 0);
    dateRow->addWidget(m_to, 1);
    dateSection->addLayout(dateRow);
    m_clearDates = new QPushButton(QStringLiteral("Clear Dates"), this);
    m_clearDates->setObjectName(QStringLiteral("clearDatesButton"));
    m_clearDates->setFlat(true);
    dateSection->addWidget(m_clearDates, 0, Qt::AlignLeft);
    layout->addLayout(dateSection);
    connect(m_from, &QDateEdit::userDateChanged, this, [this](const QDate &day) {
        edit([&](GalleryFilterState &state) { state.filterDateFrom = withDay(day, state.filterDateFrom.value_or(distantPast())); });
    });
    connect(m_to, &QDateEdit::userDateChanged, this, [this](const QDate &day) {
        edit([&](GalleryFilterState &state) {
            state.filterDateTo = withDay(day, state.filterDateTo.value_or(QDateTime::currentDateTime()));
        });
    });
    connect(m_clearDates, &QPushButton::clicked, this, [this] {
        edit([](GalleryFilterState &state) {
            state.filterDateFrom.reset();
            state.filterDateTo.reset();
        });
    });

    auto *ratingSection = new QVBoxLayout;
    ratingSection->addWidget(new QLabel(QStringLiteral("Minimum Rating"), this));
    auto *ratingRow = new QHBoxLayout;
    ratingRow->setSpacing(4);
    for (int value = 0; value <= 5; ++value) {
        auto *button = new QToolButton(this);
        button->setObjectName(QStringLiteral("minimumRating%1").arg(value));
        button->setAutoRaise(true);
        if (value == 0) {
            button->setText(QStringLiteral("Any"));
            button->setCheckable(true);
        } else {
            button->setIconSize(QSize(18, 18));
        }
        button->setAccessibleName(value == 0 ? QStringLiteral("Any rating") : QStringLiteral("%1 stars").arg(value));
        ratingRow->addWidget(button);
        m_ratingButtons.append(button);
        connect(button, &QToolButton::clicked, this,
                [this, value] { edit([&](GalleryFilterState &state) { state.filterMinRating = value; }); });
    }
    ratingRow->addStretch();
    ratingSection->addLayout(ratingRow);
    layout->addLayout(ratingSection);

    auto *sizeSection = new QVBoxLayout;
    sizeSection->addWidget(new QLabel(QStringLiteral("Size"), this));
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("filterSizeMenu"));
    for (SizeCategory category : allSizeCategories)
        m_size->addItem(rawValue(category));
    sizeSection->addWidget(m_size);
    layout->addLayout(sizeSection);
    connect(m_size, &QComboBox::activated, this, [this](int row) {
        edit([&](GalleryFilterState &state) { state.filterSizeCategory = allSizeCategories.value(row); });
    });

    m_divider = new QFrame(this);
    m_divider->setFrameShape(QFrame::HLine);
    m_divider->setFrameShadow(QFrame::Sunken);
    layout->addWidget(m_divider);
    m_clearAll = new QPushButton(QStringLiteral("Clear All Filters"), this);
    m_clearAll->setObjectName(QStringLiteral("clearAllFiltersButton"));
    layout->addWidget(m_clearAll, 0, Qt::AlignLeft);
    connect(m_clearAll, &QPushButton::clicked, this,
            [this] { edit([](GalleryFilterState &state) { state.clearPopoverFilters(); }); });

    updateControls();
}

void GalleryFilterPopover::popUpBelow(QWidget *anchor)
{
    // Centred under the anchor, kept inside the anchor's window and screen.
    const QPoint below = anchor->mapToGlobal(QPoint(anchor->width() / 2, anchor->height() + 2));
    QRect bounds = anchor->window()->geometry();
    if (const QScreen *screen = anchor->screen())
        bounds = bounds.intersected(screen->availableGeometry());
    int x = below.x() - width() / 2;
    x = std::max(bounds.left(), std::min(x, bounds.right() + 1 - width()));
    move(x, below.y());
    show();
}

void GalleryFilterPopover::setState(const GalleryFilterState &state)
{
    m_state = state;
    updateControls();
}

void GalleryFilterPopover::edit(const std::function<void(GalleryFilterState &)> &change)
{
    if (m_updating)
        return;
    change(m_state);
    updateControls();
    emit stateEdited(m_state);
}

void GalleryFilterPopover::updateControls()
{
    m_updating = true;
    if (m_model->text() != m_state.filterModel)
        m_model->setText(m_state.filterModel);
    m_from->setDate(m_state.filterDateFrom.value_or(distantPast()).toLocalTime().date());
    m_to->setDate(m_state.filterDateTo.value_or(QDateTime::currentDateTime()).toLocalTime().date());
    m_clearDates->setVisible(m_state.filterDateFrom || m_state.filterDateTo);
    m_ratingButtons[0]->setChecked(m_state.filterMinRating == 0);
    for (int value = 1; value <= 5; ++value) {
        QToolButton *star = m_ratingButtons[value];
        const bool filled = value <= m_state.filterMinRating;
        star->setProperty("filled", filled);
        star->setIcon(filled ? Icons::icon(QStringLiteral("star.fill"), Theme::studioGold())
                             : Icons::icon(QStringLiteral("star"), palette().color(QPalette::PlaceholderText)));
    }
    m_size->setCurrentIndex(int(allSizeCategories.indexOf(m_state.filterSizeCategory)));
    const bool anyActive = m_state.activeFilterCount() > 0;
    m_divider->setVisible(anyActive);
    m_clearAll->setVisible(anyActive);
    adjustSize();
    m_updating = false;
}
