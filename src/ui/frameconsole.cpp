#include "frameconsole.h"

#include "filedialogs.h"
#include "framelogmodel.h"
#include "logview.h"
#include "messages.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// A filter that is no list of codes and addresses: a red line under the field, as a refused value
// has.
constexpr char RefusedFilterStyle[] =
    "QLineEdit { border: none; border-bottom: 2px solid #ff5050; }";
} // namespace

FrameConsole::FrameConsole(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frameConsole"));
    // The program's style sheet darkens what lies in its main window; this window matches it.
    setAttribute(Qt::WA_StyledBackground);
    resize(1000, 560);

    m_model = new FrameLogModel(m_log, this);
    m_view = new LogView(this);
    m_view->setObjectName(QStringLiteral("frame_view"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setWordWrap(false);
    m_view->setAlternatingRowColors(false);
    // Rows of one height that are never measured: a row more costs the same at any length.
    QHeaderView *rows = m_view->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView *columns = m_view->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(true);

    m_pause = new QPushButton(this);
    m_pause->setObjectName(QStringLiteral("frame_pause"));
    m_pause->setCheckable(true);
    m_clear = new QPushButton(this);
    m_clear->setObjectName(QStringLiteral("frame_clear"));
    m_save = new QPushButton(this);
    m_save->setObjectName(QStringLiteral("frame_save"));
    m_filterLabel = new QLabel(this);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("frame_filter"));
    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("frame_counts"));
    m_saved = new QLabel(this);
    m_saved->setObjectName(QStringLiteral("frame_saved"));
    m_saved->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *bar = new QHBoxLayout;
    bar->addWidget(m_pause);
    bar->addWidget(m_clear);
    bar->addWidget(m_save);
    bar->addSpacing(16);
    bar->addWidget(m_filterLabel);
    bar->addWidget(m_filter);
    bar->addStretch(1);
    bar->addWidget(m_counts);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_saved);

    connect(m_pause, &QPushButton::toggled, this, &FrameConsole::setPaused);
    connect(m_clear, &QPushButton::clicked, this, &FrameConsole::clear);
    connect(m_save, &QPushButton::clicked, this, &FrameConsole::save);
    connect(m_filter, &QLineEdit::textChanged, this, &FrameConsole::applyFilter);

    retranslate();
}

FrameConsole::~FrameConsole() = default;

void FrameConsole::attach(BoardSession *session)
{
    if (session == m_session)
        return;
    listen(false);
    m_session = session;
    if (isVisible())
        listen(true);
}

void FrameConsole::listen(bool on)
{
    if (!on) {
        for (const QMetaObject::Connection &c : qAsConst(m_connections))
            disconnect(c);
        m_connections.clear();
        return;
    }
    if (!m_connections.isEmpty() || !m_session)
        return;
    BoardSession *s = m_session;
    m_connections << connect(s, &BoardSession::frameSent, this, &FrameConsole::frameSent)
                  << connect(s, &BoardSession::frameChecked, this, &FrameConsole::frameChecked)
                  << connect(s, &BoardSession::replyTimeout, this, &FrameConsole::replyTimeout)
                  << connect(s, &BoardSession::pollUnanswered, this, &FrameConsole::pollUnanswered)
                  << connect(s, &BoardSession::busBusy, this, &FrameConsole::busBusy)
                  << connect(s, &BoardSession::sendFailed, this, &FrameConsole::sendFailed);
}

void FrameConsole::sizeColumns()
{
    // Measured in the font the style sheet gives, which a widget has once it is polished.
    m_view->ensurePolished();
    const QFontMetrics metrics = m_view->fontMetrics();
    const int pad = 2 * metrics.horizontalAdvance(QLatin1Char('0'));
    const auto widest = [&metrics, pad](int column, const QStringList &texts) {
        int width = metrics.horizontalAdvance(FrameLog::caption(column));
        for (const QString &t : texts)
            width = std::max(width, metrics.horizontalAdvance(t));
        return width + pad;
    };
    using D = FrameLog::Direction;
    using V = FrameLog::Verdict;
    QStringList verdicts;
    for (V v : { V::CrcGood, V::CrcBad, V::NoStart, V::Timeout, V::BusBusy, V::NotSent, V::Paused,
                 V::Stopped })
        verdicts << FrameLog::verdictText(v);
    m_view->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    m_view->setColumnWidth(FrameLog::TimeColumn,
                           widest(FrameLog::TimeColumn, { QStringLiteral("00:00:00.000") }));
    m_view->setColumnWidth(
        FrameLog::DirectionColumn,
        widest(FrameLog::DirectionColumn,
               { FrameLog::directionText(D::Sent), FrameLog::directionText(D::Received),
                 FrameLog::directionText(D::Event) }));
    m_view->setColumnWidth(FrameLog::CodeColumn,
                           widest(FrameLog::CodeColumn, { QStringLiteral("FF") }));
    m_view->setColumnWidth(FrameLog::VerdictColumn, widest(FrameLog::VerdictColumn, verdicts));
    // Frames a point smaller than the rest: more of a long reply is seen.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (m_view->font().pointSizeF() > 2)
        fixed.setPointSizeF(m_view->font().pointSizeF() - 1);
    m_model->setFixedFont(fixed);
    // A read request and the start of a reply.
    m_view->setColumnWidth(FrameLog::TextColumn,
                           QFontMetrics(fixed).horizontalAdvance(QString(34, QLatin1Char('0')))
                               + pad);
    m_sized = true;
}

void FrameConsole::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_sized)
        sizeColumns();
    listen(true);
}

void FrameConsole::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Minimised, the window still counts as shown and keeps listening; closed, it stops, and
    // the log says so, so a reader of it later does not take the gap for a silent line.
    if (isVisible())
        return;
    listen(false);
    // Marked once: a log that ends in a pause or a stop already says so.
    const FrameLog::Verdict last =
        m_log.count() > 0 ? m_log.at(m_log.count() - 1).verdict : FrameLog::Verdict::Stopped;
    if (last != FrameLog::Verdict::Paused && last != FrameLog::Verdict::Stopped)
        take(m_log.event(FrameLog::Verdict::Stopped, now()));
}

void FrameConsole::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    else if (event->type() == QEvent::LocaleChange)
        showCounts();
}

void FrameConsole::frameSent(const QByteArray &frame)
{
    if (!m_paused)
        take(m_log.sent(frame, now()));
}

void FrameConsole::frameChecked(const QByteArray &frame, BoardSession::FrameVerdict verdict)
{
    if (m_paused)
        return;
    FrameLog::Verdict v = FrameLog::Verdict::CrcGood;
    if (verdict == BoardSession::FrameVerdict::CrcMismatch)
        v = FrameLog::Verdict::CrcBad;
    else if (verdict == BoardSession::FrameVerdict::NoStart)
        v = FrameLog::Verdict::NoStart;
    take(m_log.received(frame, v, now()));
}

void FrameConsole::replyTimeout()
{
    if (!m_paused)
        take(m_log.event(FrameLog::Verdict::Timeout, now()));
}

void FrameConsole::pollUnanswered(int address, BoardSession::Unanswered why)
{
    if (m_paused)
        return;
    switch (why) {
    case BoardSession::Unanswered::NoReply:
        take(m_log.event(FrameLog::Verdict::Timeout, now(), nullptr, address));
        return;
    case BoardSession::Unanswered::CutShort:
        take(m_log.event(FrameLog::Verdict::Timeout, now(),
                         QT_TRANSLATE_NOOP("FrameLog", "地址 %1 的应答不完整"), address));
        return;
    case BoardSession::Unanswered::NotSent:
        take(m_log.event(FrameLog::Verdict::BusBusy, now(), nullptr, address));
        return;
    case BoardSession::Unanswered::BadReply:
        return; // the spoiled frame has its own row, with its verdict
    }
}

void FrameConsole::busBusy()
{
    if (!m_paused)
        take(m_log.event(FrameLog::Verdict::BusBusy, now()));
}

void FrameConsole::sendFailed(BoardSession::SendFailure failure)
{
    if (m_paused)
        return;
    const char *reason = QT_TRANSLATE_NOOP("FrameLog", "写入出错");
    switch (failure) {
    case BoardSession::SendFailure::PortClosed:
        reason = QT_TRANSLATE_NOOP("FrameLog", "端口未打开");
        break;
    case BoardSession::SendFailure::NotWritable:
        reason = QT_TRANSLATE_NOOP("FrameLog", "端口不可写");
        break;
    case BoardSession::SendFailure::PartialWrite:
        reason = QT_TRANSLATE_NOOP("FrameLog", "只写出了一部分");
        break;
    case BoardSession::SendFailure::WriteFailed:
        break;
    }
    take(m_log.event(FrameLog::Verdict::NotSent, now(), reason));
}

QDateTime FrameConsole::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void FrameConsole::take(const FrameLog::Change &change)
{
    // A view left at its end follows the new rows; one scrolled back stays where the user is.
    QScrollBar *scroll = m_view->verticalScrollBar();
    const bool follow = scroll->value() >= scroll->maximum();
    m_model->apply(change);
    if (follow && change.shown && m_view->isVisible())
        m_view->scrollToBottom();
    showCounts();
}

void FrameConsole::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    // The mark comes before the gap, while entries are still taken.
    if (paused)
        take(m_log.event(FrameLog::Verdict::Paused, now()));
    m_paused = paused;
    if (m_pause->isChecked() != paused)
        m_pause->setChecked(paused);
    m_pause->setText(paused ? tr("继续") : tr("暂停"));
}

void FrameConsole::clear()
{
    m_model->renew([this] { m_log.clear(); });
    showCounts();
}

void FrameConsole::applyFilter()
{
    const QString text = m_filter->text();
    const bool accepted = FrameLog::isFilter(text);
    m_filter->setStyleSheet(accepted ? QString() : QLatin1String(RefusedFilterStyle));
    if (!accepted || text.simplified() == m_log.filter())
        return;
    m_model->renew([this, &text] { m_log.setFilter(text); });
    m_view->scrollToBottom();
    showCounts();
}

void FrameConsole::save()
{
    // Where the last capture went, else beside the recordings, under a name of its time.
    QString folder = m_saveFolder;
    if ((folder.isEmpty() || !QFileInfo(folder).isDir()) && m_recordingsFolder) {
        folder = m_recordingsFolder();
        QDir().mkpath(folder);
    }
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = QDir(folder).filePath(
        QStringLiteral("frames-%1.txt").arg(now().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    QString path = FileDialogs::getSaveFileName(this, tr("保存帧记录"), suggested,
                                                tr("文本文件 (*.txt)"), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    QString error;
    if (!m_log.save(path, &error)) {
        Messages::warning(this, tr("保存失败"),
                          tr("帧记录无法写入 %1：\n%2").arg(QDir::toNativeSeparators(path), error));
        return;
    }
    const QFileInfo written(path);
    m_saveFolder = written.absolutePath();
    m_savedFile = written.absoluteFilePath();
    m_savedRows = m_log.shownCount();
    showCounts();
}

void FrameConsole::retranslate()
{
    setWindowTitle(tr("帧控制台"));
    m_pause->setText(m_paused ? tr("继续") : tr("暂停"));
    m_clear->setText(tr("清除"));
    m_save->setText(tr("保存"));
    m_filterLabel->setText(tr("筛选："));
    m_filter->setPlaceholderText(tr("如 51 52、00-1F 或 addr 1,3-5"));
    // Wide enough for the example in any language, in the font the style sheet gives.
    m_filter->ensurePolished();
    const int example = m_filter->fontMetrics().horizontalAdvance(m_filter->placeholderText());
    m_filter->setFixedWidth(
        std::max(160, example + 3 * m_filter->fontMetrics().averageCharWidth()));
    m_filter->setToolTip(tr("两位十六进制的代码，以空格或逗号分开；范围如 00-1F。\n"
                            "addr 加上十进制的地址或地址列表（如 addr 5 或 addr 1,3-5），"
                            "只显示这些电池包的帧。"));
    m_model->retranslate();
    if (m_sized)
        sizeColumns();
    showCounts();
}

void FrameConsole::showCounts()
{
    const QLocale l = locale();
    QString counts =
        tr("共 %1 条，显示 %2 条").arg(l.toString(m_log.count()), l.toString(m_log.shownCount()));
    if (m_log.dropped() > 0)
        counts += tr("，已丢弃更早的 %1 条").arg(l.toString(m_log.dropped()));
    m_counts->setText(counts);
    if (m_savedRows >= 0) {
        const QString file = QDir::toNativeSeparators(m_savedFile);
        m_saved->setText(tr("已保存 %1 条到 %2").arg(l.toString(m_savedRows), file));
    }
}
