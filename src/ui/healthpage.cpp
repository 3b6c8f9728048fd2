#include "healthpage.h"

#include "csvreader.h"
#include "filedialogs.h"
#include "healthview.h"
#include "messages.h"
#include "recordinganalyses.h"
#include "trendspage.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

HealthPage::HealthPage(QTabWidget *tabs, const PackAnalyses *analyses, FocusSource focus,
                       FolderSource recordingsFolder, LocaleSource locale)
    : QObject(tabs)
    , m_analyses(analyses)
    , m_focus(std::move(focus))
    , m_recordingsFolder(std::move(recordingsFolder))
    , m_locale(std::move(locale))
{
    buildPage(tabs);
    m_repaint = new QTimer(this);
    m_repaint->setSingleShot(true);
    m_repaint->setInterval(RepaintMs);
    connect(m_repaint, &QTimer::timeout, this, &HealthPage::refresh);
    connect(m_analyses, &PackAnalyses::changed, this, &HealthPage::analysesChanged);
    connect(tabs, &QTabWidget::currentChanged, this, [this] {
        if (isShown())
            refresh();
    });
    retranslate();
}

HealthPage::~HealthPage() = default;

void HealthPage::buildPage(QTabWidget *tabs)
{
    m_page = new QWidget;
    m_page->setObjectName(QStringLiteral("health_page"));
    auto *layout = new QVBoxLayout(m_page);
    auto *top = new QHBoxLayout;
    m_source = new QLabel;
    m_source->setObjectName(QStringLiteral("health_source"));
    m_open = new QPushButton;
    m_open->setObjectName(QStringLiteral("health_open"));
    m_open->setCursor(Qt::PointingHandCursor);
    m_live = new QPushButton;
    m_live->setObjectName(QStringLiteral("health_live"));
    m_live->setCursor(Qt::PointingHandCursor);
    top->addWidget(m_source, 1);
    top->addWidget(m_open);
    top->addWidget(m_live);
    layout->addLayout(top);
    m_view = new HealthView;
    layout->addWidget(m_view, 1);
    m_summary = new QLabel;
    m_summary->setObjectName(QStringLiteral("health_summary"));
    m_summary->setWordWrap(true);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_summary);
    tabs->addTab(m_page, QString());

    connect(m_open, &QPushButton::clicked, this, &HealthPage::openRecording);
    connect(m_live, &QPushButton::clicked, this, &HealthPage::showLive);
}

bool HealthPage::isShown() const
{
    const auto *tabs = qobject_cast<const QTabWidget *>(parent());
    return tabs && tabs->currentWidget() == m_page;
}

void HealthPage::retranslate()
{
    if (auto *tabs = qobject_cast<QTabWidget *>(parent()))
        tabs->setTabText(tabs->indexOf(m_page), tr("电芯健康"));
    m_open->setText(QCoreApplication::translate("MainWindow", "打开记录"));
    m_live->setText(QCoreApplication::translate("MainWindow", "返回实时"));
    m_view->setLocale(m_locale());
    refresh();
}

void HealthPage::analysesChanged(int address)
{
    // Replies come faster than the eye follows: a shown page takes them a few times a second.
    if (!m_opened && address == m_focus() && isShown() && !m_repaint->isActive())
        m_repaint->start();
}

void HealthPage::followFocus()
{
    if (isShown() && !m_opened)
        refresh();
}

void HealthPage::refresh()
{
    m_repaint->stop();
    m_live->setEnabled(m_opened != nullptr);
    const QLocale locale = m_locale();
    if (m_opened) {
        show(m_opened->constFind(m_openedPack)->health.result());
        const QString pack = QStringLiteral("%1").arg(m_openedPack, 2, 10, QLatin1Char('0'));
        m_source->setText(
            tr("记录 %1  ·  %2 行  ·  电池包 %3")
                .arg(QFileInfo(m_openedFile).fileName(), locale.toString(m_openedRows), pack));
        m_source->setToolTip(QDir::toNativeSeparators(m_openedFile));
        return;
    }
    const int address = m_focus();
    show(m_analyses->pack(address).health.result());
    m_source->setText(QCoreApplication::translate("MainWindow", "本次运行的实时数据：电池包 %1")
                          .arg(address, 2, 10, QLatin1Char('0')));
    m_source->setToolTip(QString());
}

void HealthPage::show(const CellHealth::Result &result)
{
    m_view->setResult(result);
    m_summary->setText(summary());
}

QString HealthPage::summary() const
{
    const CellHealth::Result &r = m_view->result();
    const QLocale locale = m_locale();
    const QString none = QStringLiteral("–");
    auto mv = [&](int v) { return v >= 0 ? locale.toString(v) : none; };
    QStringList parts;
    parts << tr("电流阶跃 %1").arg(locale.toString(r.steps));
    const qint64 leftOut = r.leftOut[CellHealth::Protection] + r.leftOut[CellHealth::Balancing]
        + r.leftOut[CellHealth::TooFarApart];
    if (leftOut > 0)
        parts << tr("未计：保护中 %1，均衡中 %2，间隔过长 %3")
                     .arg(locale.toString(r.leftOut[CellHealth::Protection]),
                          locale.toString(r.leftOut[CellHealth::Balancing]),
                          locale.toString(r.leftOut[CellHealth::TooFarApart]));
    if (r.weakCell > 0)
        parts << tr("内阻偏高：电芯 %1").arg(r.weakCell);
    else if (r.enoughSteps)
        parts << tr("无内阻偏高的电芯");
    // The voltages on a line of their own.
    QStringList voltages;
    voltages << tr("压差：静置 %1 mV，负载 %2 mV").arg(mv(r.restSpreadMv), mv(r.loadSpreadMv));
    if (r.lowestCell > 0 && r.dischargeReplies > 0)
        voltages << tr("放电时最常最低：电芯 %1（%2 %）")
                        .arg(r.lowestCell)
                        .arg(locale.toString(100.0 * r.lowestCount / r.dischargeReplies, 'f', 0));
    const QString dot = QStringLiteral("  ·  ");
    return parts.join(dot) + QLatin1Char('\n') + voltages.join(dot);
}

QString HealthPage::source() const
{
    return m_source->text();
}

void HealthPage::openRecording()
{
    QWidget *window = m_page->window();
    const QString path = FileDialogs::getRecordingFileName(window, m_recordingsFolder());
    if (path.isEmpty())
        return;

    // Analysed apart: what is shown changes only when the whole file was read.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CsvReader reader;
    auto opened = std::make_unique<QMap<int, PackAnalysis>>();
    const bool read = reader.open(path) && RecordingAnalyses::analyse(&reader, opened.get());
    QApplication::restoreOverrideCursor();
    if (!read || opened->isEmpty()) {
        Messages::warning(window, QCoreApplication::translate("MainWindow", "打开失败"),
                          (read ? tr("%1 中没有数据行。").arg(QDir::toNativeSeparators(path))
                                : TrendsPage::describe(reader.error(), path))
                              + QLatin1Char('\n')
                              + QCoreApplication::translate("MainWindow", "未载入任何数据。"));
        return;
    }
    // The pack of the most rows, where a file holds several.
    m_openedRows = 0;
    qint64 most = -1;
    for (auto it = opened->cbegin(); it != opened->cend(); ++it) {
        m_openedRows += it->replies;
        if (it->replies > most) {
            most = it->replies;
            m_openedPack = it.key();
        }
    }
    m_opened = std::move(opened);
    m_openedFile = path;
    refresh();
}

void HealthPage::showLive()
{
    m_opened.reset();
    m_openedFile.clear();
    refresh();
}
