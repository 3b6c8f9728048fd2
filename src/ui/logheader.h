#pragma once

#include <QHeaderView>

class QTableView;

// A header of the log table, which grows by a row with every reply. The stock header measures the
// texts of up to 200 sections whenever the view lays itself out, which it does for every added
// row; this one keeps its size until its texts can have changed: new captions, another font or
// style, and for the row numbers only when they gain a digit. Adding a row then costs the same
// at any length of the log. Like the table, it paints its own background, so its row numbers are
// moved, not painted again, when the table scrolls.
class LogHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit LogHeader(Qt::Orientation orientation, QWidget *parent = nullptr);

    // Puts a LogHeader in place of the view's header of that orientation, with its settings.
    static LogHeader *install(QTableView *view, Qt::Orientation orientation);

    QSize sizeHint() const override;
    void setModel(QAbstractItemModel *model) override;

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void invalidate() { m_key = -1; }
    void sectionsAdded(const QModelIndex &parent, int first, int last);

    mutable QSize m_hint;
    mutable int m_key = -1; // what m_hint was measured for: the column count, or the row digits
};
