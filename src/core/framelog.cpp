#include "framelog.h"

#include "writeall.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <cctype>

namespace {
int hexValue(const QString &digits)
{
    if (digits.isEmpty() || digits.size() > 2)
        return -1;
    bool ok = false;
    const int value = digits.toInt(&ok, 16);
    return ok ? value : -1;
}
} // namespace

FrameLog::FrameLog(int capacity)
    : m_capacity(std::max(1, capacity))
{ }

FrameLog::Change FrameLog::sent(const QByteArray &frame, const QDateTime &when)
{
    Entry entry;
    entry.localMs = when.toMSecsSinceEpoch() + qint64(when.offsetFromUtc()) * 1000;
    entry.direction = Direction::Sent;
    entry.code = codeOf(frame);
    entry.address = addressOf(frame);
    entry.bytes = frame;
    // Only a read is answered, so only a read can time out.
    if (frame.startsWith(":Y+")) {
        m_lastReadCode = entry.code;
        m_lastReadAddress = entry.address;
        m_timeoutNoted = false;
    }
    return append(std::move(entry));
}

FrameLog::Change FrameLog::received(const QByteArray &frame, Verdict verdict, const QDateTime &when)
{
    Entry entry;
    entry.localMs = when.toMSecsSinceEpoch() + qint64(when.offsetFromUtc()) * 1000;
    entry.direction = Direction::Received;
    entry.verdict = verdict;
    entry.code = codeOf(frame);
    entry.address = addressOf(frame);
    // One request is on the line at a time: what comes back answers the last read sent.
    entry.asked = m_lastReadAddress;
    entry.bytes = frame;
    return append(std::move(entry));
}

FrameLog::Change FrameLog::event(Verdict verdict, const QDateTime &when, const char *reason,
                                 int address)
{
    int code = -1;
    if (verdict == Verdict::Timeout) {
        if (m_timeoutNoted)
            return Change();
        // Before any read was seen, a time-out naming a pack is taken as the last read's.
        if (address < 0 || m_lastReadAddress < 0 || address == m_lastReadAddress) {
            m_timeoutNoted = true;
            address = address < 0 ? m_lastReadAddress : address;
            code = m_lastReadCode;
        }
    }
    if (verdict == Verdict::BusBusy && m_busyPairOpen) {
        const Entry &last = m_entries.back();
        if ((last.address < 0) != (address < 0)) {
            m_busyPairOpen = false;
            return Change();
        }
    }
    Entry entry;
    entry.localMs = when.toMSecsSinceEpoch() + qint64(when.offsetFromUtc()) * 1000;
    entry.verdict = verdict;
    entry.reason = reason;
    entry.code = code;
    entry.address = address;
    const Change change = append(std::move(entry));
    m_busyPairOpen = verdict == Verdict::BusBusy;
    return change;
}

FrameLog::Change FrameLog::append(Entry entry)
{
    Change change;
    m_busyPairOpen = false;
    if (int(m_entries.size()) >= m_capacity) {
        const int drop = std::max(1, m_capacity / 10);
        m_entries.erase(m_entries.begin(), m_entries.begin() + drop);
        m_firstSeq += drop;
        m_dropped += drop;
        while (!m_shown.empty() && m_shown.front() < m_firstSeq) {
            m_shown.pop_front();
            ++change.droppedShown;
        }
    }
    change.shown = passes(entry);
    m_entries.push_back(std::move(entry));
    if (change.shown)
        m_shown.push_back(m_firstSeq + qint64(m_entries.size()) - 1);
    return change;
}

void FrameLog::clear()
{
    m_entries.clear();
    m_shown.clear();
    m_firstSeq = 0;
    m_dropped = 0;
    m_lastReadCode = -1;
    m_lastReadAddress = -1;
    m_timeoutNoted = false;
    m_busyPairOpen = false;
}

const FrameLog::Entry &FrameLog::at(int index) const
{
    return m_entries[std::size_t(index)];
}

const FrameLog::Entry &FrameLog::shown(int row) const
{
    return m_entries[std::size_t(m_shown[std::size_t(row)] - m_firstSeq)];
}

bool FrameLog::parseFilter(const QString &text, QVector<Range> *ranges, Addresses *addresses)
{
    // "addr" and a list as the address box takes it, which ends where a blank follows a number
    // that no comma or dash continues; the codes are what is left.
    static const QRegularExpression addressPart(
        QStringLiteral(
            "(?:^|[\\s,;])addr\\s*(\\d+(?:\\s*-\\s*\\d+)?(?:\\s*,\\s*\\d+(?:\\s*-\\s*\\d+)?)*)"
            "(?=$|[\\s;])"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression addressWord(QStringLiteral("addr"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    ranges->clear();
    addresses->reset();
    QString codes = text;
    const QRegularExpressionMatch part = addressPart.match(text);
    if (part.hasMatch()) {
        const QVector<int> list = AddressList::parse(part.captured(1));
        if (list.isEmpty())
            return false;
        for (const int a : list)
            addresses->set(std::size_t(a));
        codes.replace(part.capturedStart(), part.capturedLength(), QLatin1Char(' '));
    }
    if (codes.contains(addressWord))
        return false; // "addr" without a list, or twice
    for (const QString &token : codes.split(separators, Qt::SkipEmptyParts)) {
        const int dash = token.indexOf(QLatin1Char('-'));
        const int from = hexValue(dash < 0 ? token : token.left(dash));
        const int to = dash < 0 ? from : hexValue(token.mid(dash + 1));
        if (from < 0 || to < 0)
            return false;
        ranges->append({ std::min(from, to), std::max(from, to) });
    }
    return true;
}

bool FrameLog::isFilter(const QString &text)
{
    QVector<Range> ranges;
    Addresses addresses;
    return parseFilter(text, &ranges, &addresses);
}

bool FrameLog::setFilter(const QString &text)
{
    QVector<Range> ranges;
    Addresses addresses;
    if (!parseFilter(text, &ranges, &addresses))
        return false;
    m_ranges = ranges;
    m_addresses = addresses;
    m_filterText = ranges.isEmpty() && addresses.none() ? QString() : text.simplified();
    rebuildShown();
    return true;
}

bool FrameLog::passes(const Entry &entry) const
{
    if (!m_ranges.isEmpty() && entry.code >= 0
        && std::none_of(m_ranges.cbegin(), m_ranges.cend(), [&entry](const Range &r) {
               return entry.code >= r.from && entry.code <= r.to;
           }))
        return false;
    if (m_addresses.none() || (entry.address < 0 && entry.asked < 0))
        return true;
    const auto chosen = [this](int a) {
        return a >= 0 && a < int(m_addresses.size()) && m_addresses.test(std::size_t(a));
    };
    return chosen(entry.address) || chosen(entry.asked);
}

void FrameLog::rebuildShown()
{
    m_shown.clear();
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (passes(m_entries[i]))
            m_shown.push_back(m_firstSeq + qint64(i));
    }
}

QString FrameLog::caption(int column)
{
    static const char *const captions[ColumnCount] = {
        QT_TRANSLATE_NOOP("FrameLog", "时间"), QT_TRANSLATE_NOOP("FrameLog", "方向"),
        QT_TRANSLATE_NOOP("FrameLog", "代码"), QT_TRANSLATE_NOOP("FrameLog", "校验"),
        QT_TRANSLATE_NOOP("FrameLog", "内容"), QT_TRANSLATE_NOOP("FrameLog", "十六进制"),
    };
    return column >= 0 && column < ColumnCount
        ? QCoreApplication::translate("FrameLog", captions[column])
        : QString();
}

int FrameLog::addressOf(const QByteArray &frame)
{
    // ":" kind "+" address: the address follows the first "+" after the start.
    const int start = frame.indexOf(':');
    const int plus = start < 0 ? -1 : frame.indexOf('+', start);
    if (plus < 0 || plus + 2 >= frame.size())
        return -1;
    const uchar high = uchar(frame[plus + 1]);
    const uchar low = uchar(frame[plus + 2]);
    if (!std::isxdigit(high) || !std::isxdigit(low))
        return -1;
    return frame.mid(plus + 1, 2).toInt(nullptr, 16);
}

int FrameLog::codeOf(const QByteArray &frame)
{
    // ":" kind "+" address "+" code: the code follows the second "+" after the start.
    const int start = frame.indexOf(':');
    if (start < 0)
        return -1;
    const int first = frame.indexOf('+', start);
    const int second = first < 0 ? -1 : frame.indexOf('+', first + 1);
    if (second < 0 || second + 2 >= frame.size())
        return -1;
    const uchar high = uchar(frame[second + 1]);
    const uchar low = uchar(frame[second + 2]);
    if (!std::isxdigit(high) || !std::isxdigit(low))
        return -1;
    return frame.mid(second + 1, 2).toInt(nullptr, 16);
}

QString FrameLog::hexText(const QByteArray &bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    if (bytes.isEmpty())
        return QString();
    QString text(bytes.size() * 3 - 1, QLatin1Char(' '));
    for (int i = 0; i < bytes.size(); ++i) {
        const uchar b = uchar(bytes[i]);
        text[3 * i] = QLatin1Char(digits[b >> 4]);
        text[3 * i + 1] = QLatin1Char(digits[b & 0xF]);
    }
    return text;
}

QString FrameLog::frameText(const QByteArray &bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const uchar b = uchar(c);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            text += QLatin1Char(c);
        } else {
            text += QLatin1String("\\x");
            text += QLatin1Char(digits[b >> 4]);
            text += QLatin1Char(digits[b & 0xF]);
        }
    }
    return text;
}

QString FrameLog::entryText(const Entry &entry)
{
    if (entry.direction != Direction::Event)
        return frameText(entry.bytes);
    switch (entry.verdict) {
    case Verdict::Timeout:
        if (entry.reason)
            return QCoreApplication::translate("FrameLog", entry.reason).arg(entry.address);
        if (entry.address >= 0)
            return QCoreApplication::translate("FrameLog", "地址 %1 没有应答").arg(entry.address);
        return QCoreApplication::translate("FrameLog", "读请求没有得到应答");
    case Verdict::BusBusy:
        if (entry.address >= 0)
            return QCoreApplication::translate("FrameLog", "线路忙，地址 %1 的请求未发出")
                .arg(entry.address);
        return QCoreApplication::translate("FrameLog", "线路不空闲，帧等到下一个周期");
    case Verdict::Paused:
        return QCoreApplication::translate("FrameLog", "记录已暂停：继续之前的帧没有记录");
    case Verdict::Stopped:
        return QCoreApplication::translate("FrameLog", "窗口已关闭：再次打开之前的帧没有记录");
    default:
        return entry.reason ? QCoreApplication::translate("FrameLog", entry.reason) : QString();
    }
}

QString FrameLog::directionText(Direction direction)
{
    switch (direction) {
    case Direction::Sent:
        return QCoreApplication::translate("FrameLog", "发送");
    case Direction::Received:
        return QCoreApplication::translate("FrameLog", "接收");
    case Direction::Event:
        break;
    }
    return QCoreApplication::translate("FrameLog", "事件");
}

QString FrameLog::verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::None:
        break;
    case Verdict::CrcGood:
        return QCoreApplication::translate("FrameLog", "CRC 正确");
    case Verdict::CrcBad:
        return QCoreApplication::translate("FrameLog", "CRC 错误");
    case Verdict::NoStart:
        return QCoreApplication::translate("FrameLog", "无起始符");
    case Verdict::Timeout:
        return QCoreApplication::translate("FrameLog", "超时");
    case Verdict::BusBusy:
        return QCoreApplication::translate("FrameLog", "总线忙");
    case Verdict::NotSent:
        return QCoreApplication::translate("FrameLog", "未发出");
    case Verdict::Paused:
        return QCoreApplication::translate("FrameLog", "暂停");
    case Verdict::Stopped:
        return QCoreApplication::translate("FrameLog", "停止");
    }
    return QString();
}

QString FrameLog::codeText(int code)
{
    return code < 0 ? QString() : QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper();
}

QString FrameLog::timeText(qint64 localMs)
{
    return QDateTime::fromMSecsSinceEpoch(localMs, Qt::UTC)
        .toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString FrameLog::dateTimeText(qint64 localMs)
{
    return QDateTime::fromMSecsSinceEpoch(localMs, Qt::UTC)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QByteArray FrameLog::text() const
{
    QString out;
    if (m_dropped > 0)
        out += QLatin1String("# ")
            + QCoreApplication::translate("FrameLog", "更早的 %1 条已丢弃").arg(m_dropped)
            + QLatin1Char('\n');
    if (isFiltered())
        out += QLatin1String("# ")
            + QCoreApplication::translate("FrameLog", "筛选：%1").arg(m_filterText)
            + QLatin1Char('\n');
    const QChar tab(QLatin1Char('\t'));
    for (int column = 0; column < ColumnCount; ++column)
        out += caption(column) + (column + 1 < ColumnCount ? tab : QChar(QLatin1Char('\n')));
    for (const qint64 seq : m_shown) {
        const Entry &e = m_entries[std::size_t(seq - m_firstSeq)];
        out += dateTimeText(e.localMs) + tab + directionText(e.direction) + tab + codeText(e.code)
            + tab + verdictText(e.verdict) + tab + entryText(e) + tab + hexText(e.bytes)
            + QLatin1Char('\n');
    }
    return out.toUtf8();
}

bool FrameLog::save(const QString &path, QString *error) const
{
    // As with the log's export: the old file is replaced only once the new one is whole.
    ReplacingFile file(path);
    const QByteArray bytes = text();
    return file.open(error) && file.write(bytes.constData(), bytes.size(), error)
        && file.finish(error);
}
