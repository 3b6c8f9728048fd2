// The overview's scan row and cycle line: looking for the boards on the line, and how the last
// cycle over them went.
#include "overviewpage.h"

#include "addresslist.h"
#include "boardsession.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace {
const char AmberText[] = "QLabel { color: #ffb300; }";
}

void OverviewPage::cycleDone(int cycleMs, bool overrun)
{
    m_lastCycleMs = cycleMs;
    m_overrun = overrun;
    m_missedLastCycle = m_missed;
    std::sort(m_missedLastCycle.begin(), m_missedLastCycle.end());
    m_missed.clear();
    showCycle();
}

void OverviewPage::showCycle()
{
    QString text;
    if (m_session->isCycling() && m_lastCycleMs >= 0) {
        const QLocale l = numberLocale();
        text = m_overrun ? QCoreApplication::translate(
                   "MainWindow", "一轮 %1 ms，长于周期 %2 ms：线路以其最快速度轮询")
                         : QCoreApplication::translate("MainWindow", "一轮 %1 ms（周期 %2 ms）");
        text = text.arg(l.toString(m_lastCycleMs)).arg(l.toString(m_session->period()));
        // The packs whose poll brought no data in that cycle; a few are named.
        if (!m_missedLastCycle.isEmpty()) {
            constexpr int Named = 4;
            QStringList packs;
            for (int i = 0; i < std::min(Named, int(m_missedLastCycle.size())); ++i)
                packs << QStringLiteral("%1").arg(m_missedLastCycle.at(i), 2, 10, QLatin1Char('0'));
            if (m_missedLastCycle.size() > Named)
                packs << QStringLiteral("…");
            text += QStringLiteral(" · ")
                + QCoreApplication::translate("MainWindow", "无数据：%1")
                      .arg(packs.join(QStringLiteral(", ")));
        }
    }
    if (m_cycle->text() != text) {
        m_cycle->setText(text);
        m_cycle->setToolTip(text); // whole, should the row be too narrow
    }
    const bool amber = m_session->isCycling() && (m_overrun || !m_missedLastCycle.isEmpty());
    const QString sheet = amber ? QString::fromLatin1(AmberText) : QString();
    if (m_cycle->styleSheet() != sheet)
        m_cycle->setStyleSheet(sheet);
}

void OverviewPage::startScan()
{
    const int first = std::min(m_scanFirst->value(), m_scanLast->value());
    const int last = std::max(m_scanFirst->value(), m_scanLast->value());
    m_scanProgress->setRange(0, last - first + 1);
    m_scanProgress->setValue(0);
    m_scanProgress->setTextVisible(true);
    m_scanNews = ScanNews::Running;
    showScanState();
    m_session->startScan(first, last);
    showLineState();
}

void OverviewPage::scanProgress(int done, int total)
{
    if (m_scanProgress->maximum() != total)
        m_scanProgress->setRange(0, std::max(1, total));
    m_scanProgress->setValue(std::min(done, std::max(1, total)));
}

void OverviewPage::scanFinished(const QVector<int> &found, bool stopped)
{
    m_found = found;
    // Packs found by a scan cut short are not the whole bank: the poll list stays.
    if (stopped)
        m_scanNews = ScanNews::Stopped;
    else if (found.isEmpty())
        m_scanNews = ScanNews::NoneFound;
    else
        m_scanNews = ScanNews::Found;
    showScanState();
    showLineState();
    if (m_scanNews == ScanNews::Found)
        emit packsFound(found);
}

void OverviewPage::showScanState()
{
    QString text;
    switch (m_scanNews) {
    case ScanNews::None:
        break;
    case ScanNews::Running:
        text = QCoreApplication::translate("MainWindow", "正在扫描……");
        break;
    case ScanNews::Found:
        // As ranges ("1-16"): the line leaves room for the cycle's beside it.
        text = QCoreApplication::translate("MainWindow", "找到 %n 个电池包：%1", nullptr,
                                           int(m_found.size()))
                   .arg(AddressList::format(m_found));
        break;
    case ScanNews::NoneFound:
        text = QCoreApplication::translate("MainWindow", "没有电池包应答；轮询列表未变");
        break;
    case ScanNews::Stopped:
        text = QCoreApplication::translate("MainWindow", "扫描已停止；轮询列表未变");
        break;
    }
    if (m_scanState->text() != text)
        m_scanState->setText(text);
}

void OverviewPage::showLineState()
{
    // What a line closed or opened anew missed is not the next cycle's.
    m_missed.clear();
    m_missedLastCycle.clear();
    const bool scanning = m_session->isScanning();
    m_scan->setEnabled(m_session->isOpen() && !scanning);
    m_scan->setToolTip(m_session->isOpen() ? QString()
                                           : QCoreApplication::translate(
                                               "MainWindow", "串口未打开，请先打开串口。"));
    m_scanStop->setEnabled(scanning);
    m_scanFirst->setEnabled(!scanning);
    m_scanLast->setEnabled(!scanning);
}
