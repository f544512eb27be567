#pragma once

#include <QLayout>
#include <QList>

// Lays its items out in rows, left to right, starting a new row when the next item would reach
// past the width; the same spacing goes between items and between rows. An item wider than the
// width gets a row of its own. Its height follows its width.
class FlowLayout : public QLayout
{
public:
    explicit FlowLayout(QWidget *parent = nullptr, int spacing = 4);
    ~FlowLayout() override;

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem *takeAt(int index) override;
    int spacing() const override { return m_spacing; }
    void setSpacing(int spacing) override { m_spacing = spacing; }

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    // Places the items in a rectangle of this width (placing them only when asked) and returns
    // the height they take.
    int arrange(const QRect &rect, bool place) const;

    QList<QLayoutItem *> m_items;
    int m_spacing;
};
