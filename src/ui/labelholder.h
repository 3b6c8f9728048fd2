#pragma once

#include <QSize>
#include <QWidget>

class QLabel;

// Holds a label whose text changes often (a growing count, a file's size) in place of it in its
// layout. A label asks to be laid out again at every new text; the request climbs from layout to
// layout up to the tab widget, which repaints its whole page for it. The label's holder keeps it
// at its own size and passes a request on only when the label wants another height; its width is
// the layout's to give. A label that wraps its words wants the height its text takes at the width
// it has.
class LabelHolder : public QWidget
{
public:
    // Puts a holder where label is in its parent's layout and the label into it.
    static LabelHolder *wrap(QLabel *label);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    explicit LabelHolder(QLabel *label, QWidget *parent);
    // The height the label wants at the holder's width.
    int wantedHeight() const;

    QLabel *m_label;
    mutable int m_height = -1; // the label's height when the layout last asked
};
