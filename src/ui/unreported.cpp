#include "unreported.h"

#include "parametertable.h"
#include "statuslamps.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QWidget>

namespace Unreported {

namespace {

// The grid layout that holds widget, searched from its parent's layout down.
QGridLayout *gridOf(QLayout *layout, QWidget *widget)
{
    if (!layout)
        return nullptr;
    if (auto *grid = qobject_cast<QGridLayout *>(layout); grid && grid->indexOf(widget) >= 0)
        return grid;
    for (int i = 0; i < layout->count(); ++i) {
        if (QGridLayout *grid = gridOf(layout->itemAt(i)->layout(), widget))
            return grid;
    }
    return nullptr;
}

// The named widget and the others on its row of the grid: its caption, unit and button.
void explainRow(QWidget *window, const char *name, const QString &text)
{
    auto *widget = window->findChild<QWidget *>(QLatin1String(name));
    if (!widget)
        return;
    QGridLayout *grid =
        widget->parentWidget() ? gridOf(widget->parentWidget()->layout(), widget) : nullptr;
    if (!grid) {
        widget->setToolTip(text);
        return;
    }
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(widget), &row, &column, &rowSpan, &columnSpan);
    for (int c = 0; c < grid->columnCount(); ++c) {
        QLayoutItem *item = grid->itemAtPosition(row, c);
        if (item && item->widget())
            item->widget()->setToolTip(text);
    }
}

} // namespace

QString lampText()
{
    return QCoreApplication::translate("MainWindow", "这块板子不报告此报警，指示灯一直是灰色。");
}

QString rowText()
{
    return QCoreApplication::translate("MainWindow", "这块板子不使用此阈值：既不读出，也不写入。");
}

void explain(QWidget *window)
{
    for (const char *lamp : StatusLamps::unreportedAlarms())
        explainRow(window, lamp, lampText());
    for (const char *field : ParameterTable::unusedRows())
        explainRow(window, field, rowText());
}

} // namespace Unreported
