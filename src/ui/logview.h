#pragma once

#include <QTableView>

class QRegion;

// The log table, which grows by a row with every reply while the user watches its end. A stock
// table view repaints its whole viewport for every added row, and a viewport that lets its parents
// show through (as a style sheet's background makes it) cannot be scrolled by moving its pixels,
// so the page behind it is painted again as well. This view paints its own background, so its
// pixels are moved when it scrolls, and for rows added at the end it paints only where they
// appear. Its headers keep their size until their texts can have changed (LogHeader).
class LogView : public QTableView
{
    Q_OBJECT

public:
    explicit LogView(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    void setRootIndex(const QModelIndex &index) override;
    void reset() override;
    void doItemsLayout() override;

    // Paints the background the toolkit would paint behind widget (which paints over all of it
    // itself): its palette's when it fills its background, a style sheet's when it has one.
    static void paintBackground(QWidget *widget, const QRegion &region);

protected:
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void relayoutWhole() { m_appendedFrom = WholeLayout; }

    // What the next layout has to do: the first of the rows added at the end since the last
    // layout, NoRows when nothing was added, WholeLayout when anything else changed.
    static constexpr int NoRows = -1;
    static constexpr int WholeLayout = -2;
    int m_appendedFrom = WholeLayout;
};
