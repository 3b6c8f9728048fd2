#include "eventfile.h"

#include "writeall.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace {

// The first line of every events file; a file that starts otherwise is not one.
const QByteArray Header = QByteArrayLiteral("line,start,end,pack,kind,event_type,code,place,where,"
                                            "value_start,worst,threshold,unit,duration_s,text");
constexpr int Columns = 15;
// Our lines are a few hundred bytes; a longer one is not ours.
constexpr int MaxLine = 4096;

enum Column {
    LineType,
    Start,
    End,
    Pack,
    Kind,
    EventType,
    Code,
    PlaceColumn,
    Where,
    ValueStart,
    Worst,
    Threshold,
    Unit,
    Duration,
    Text,
};

// The places by their name in the file, with the unit and the decimals their values are written
// in (a spreadsheet reads "45.23" degrees, not 4523 hundredths).
struct PlaceFormat
{
    PackEvent::Place place;
    const char *name;
    const char *unit;
    int decimals; // of the unit: the event's own unit is 10^-decimals of it
};
const PlaceFormat Places[] = {
    { PackEvent::Nowhere, "", "", 0 },
    { PackEvent::Cell, "cell", "mV", 0 },
    { PackEvent::Sensor, "sensor", "°C", 2 },
    { PackEvent::Current, "current", "A", 3 },
    { PackEvent::PackVoltage, "pack_voltage", "V", 3 },
    { PackEvent::CellSpread, "cell_spread", "mV", 0 },
    { PackEvent::Charge, "charge", "%", 0 },
};

const PlaceFormat &formatOf(PackEvent::Place place)
{
    for (const PlaceFormat &f : Places) {
        if (f.place == place)
            return f;
    }
    return Places[0];
}

QString number(int value, int decimals)
{
    return decimals == 0 ? QString::number(value)
                         : QString::number(value / std::pow(10.0, decimals), 'f', decimals);
}

bool readNumber(const QString &text, int decimals, int *value)
{
    bool ok = false;
    const double x = text.toDouble(&ok) * std::pow(10.0, decimals);
    if (!ok || !std::isfinite(x) || std::abs(x) > 2e9)
        return false;
    *value = int(std::lround(x));
    return true;
}

// Local time with its offset from UTC, to the millisecond: "2026-03-14T03:12:45.120+01:00".
QString isoLocal(qint64 ms)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

bool readTime(const QString &text, qint64 *ms)
{
    // Only a time that names its offset (or Z) is the moment it was written.
    if (text.size() < 20 || text.size() > 40)
        return false;
    const QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!t.isValid() || t.timeSpec() == Qt::LocalTime)
        return false;
    *ms = t.toMSecsSinceEpoch();
    return true;
}

QString quoted(const QString &text)
{
    QString q = text;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

// The fields of one line (without its line end); false when a quote is left open or stray.
bool splitFields(const QString &line, QStringList *fields)
{
    fields->clear();
    QString field;
    bool inQuotes = false;
    bool wasQuoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (inQuotes) {
            if (c != QLatin1Char('"')) {
                field += c;
            } else if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else {
                inQuotes = false;
            }
        } else if (c == QLatin1Char(',')) {
            fields->append(field);
            field.clear();
            wasQuoted = false;
        } else if (c == QLatin1Char('"')) {
            if (wasQuoted || !field.isEmpty())
                return false;
            inQuotes = true;
            wasQuoted = true;
        } else {
            if (wasQuoted)
                return false;
            field += c;
        }
    }
    if (inQuotes)
        return false;
    fields->append(field);
    return true;
}

// One start, end or stopped line as an event; false when it is not one of ours.
struct Line
{
    enum Type { StartLine, EndLine, StoppedLine } type = StartLine;
    PackEvent event;
};

bool parseLine(const QByteArray &bytes, Line *line)
{
    QStringList f;
    if (!splitFields(QString::fromUtf8(bytes), &f) || f.size() != Columns)
        return false;
    if (f[LineType] == QLatin1String("start"))
        line->type = Line::StartLine;
    else if (f[LineType] == QLatin1String("end"))
        line->type = Line::EndLine;
    else if (f[LineType] == QLatin1String("stopped"))
        line->type = Line::StoppedLine;
    else
        return false;

    PackEvent &e = line->event;
    e = PackEvent();
    if (!readTime(f[Start], &e.startMs))
        return false;
    if (line->type == Line::StartLine) {
        if (!f[End].isEmpty())
            return false;
    } else if (!readTime(f[End], &e.endMs) || e.endMs < e.startMs) {
        return false;
    }
    e.endUnknown = line->type == Line::StoppedLine;

    bool ok = false;
    e.address = f[Pack].toInt(&ok);
    if (!ok || e.address < 0 || e.address > 0xFFFF)
        return false;
    e.code = f[Code].toInt(&ok);
    if (!ok)
        return false;
    int kind = PackEvent::Protection;
    while (kind <= PackEvent::LowSoc
           && EventNames::kindName(PackEvent::Kind(kind), EventNames::Language::English) != f[Kind])
        ++kind;
    if (kind > PackEvent::LowSoc)
        return false;
    e.kind = PackEvent::Kind(kind);
    // The key must be the one the kind's code has: the set of keys is closed.
    e.key = EventNames::key(e.kind, e.code);
    if (e.key.isEmpty() || e.key != f[EventType])
        return false;

    const PlaceFormat *place = nullptr;
    for (const PlaceFormat &p : Places) {
        if (f[PlaceColumn] == QLatin1String(p.name))
            place = &p;
    }
    if (!place)
        return false;
    e.place = place->place;
    if (e.place != PackEvent::Nowhere) {
        e.where = f[Where].toInt(&ok);
        if (!ok || e.where < 0 || e.where > 0xFFFF)
            return false;
        if (!readNumber(f[ValueStart], place->decimals, &e.valueStart)
            || !readNumber(f[Worst], place->decimals, &e.worst))
            return false;
        e.hasThreshold = !f[Threshold].isEmpty();
        if (e.hasThreshold && !readNumber(f[Threshold], place->decimals, &e.threshold))
            return false;
    }
    return true;
}

QString fail(const char *text)
{
    return QCoreApplication::translate("EventFile", text);
}

} // namespace

QString EventFile::fileName(int address)
{
    return QStringLiteral("events-pack%1.csv").arg(address, 2, 10, QLatin1Char('0'));
}

QByteArray EventFile::header()
{
    return Header;
}

QByteArray EventFile::line(const PackEvent &change)
{
    const PlaceFormat &place = formatOf(change.place);
    const bool valued = change.place != PackEvent::Nowhere;
    const bool ended = change.endMs >= 0;
    QStringList f;
    f.reserve(Columns);
    f << (!ended                  ? QStringLiteral("start")
              : change.endUnknown ? QStringLiteral("stopped")
                                  : QStringLiteral("end"));
    f << isoLocal(change.startMs) << (ended ? isoLocal(change.endMs) : QString());
    f << QString::number(change.address)
      << EventNames::kindName(change.kind, EventNames::Language::English) << change.key
      << QString::number(change.code) << QLatin1String(place.name);
    f << (valued ? QString::number(change.where) : QString())
      << (valued ? number(change.valueStart, place.decimals) : QString())
      << (valued ? number(change.worst, place.decimals) : QString())
      << (valued && change.hasThreshold ? number(change.threshold, place.decimals) : QString())
      << QString::fromUtf8(place.unit);
    f << (ended ? QString::number((change.endMs - change.startMs) / 1000.0, 'f', 3) : QString());
    f << quoted(EventNames::describe(change, EventNames::Language::English));
    return f.join(QLatin1Char(',')).toUtf8() + '\n';
}

EventFile::EventFile(const QString &folder, int address)
{
    QDir dir(folder);
    const QString path = dir.absoluteFilePath(fileName(address));
    if (folder.isEmpty() || !dir.mkpath(QStringLiteral("."))) {
        m_error = fail(QT_TRANSLATE_NOOP("EventFile", "无法创建文件夹 %1。"))
                      .arg(QDir::toNativeSeparators(folder));
        m_englishError =
            QStringLiteral("cannot make the folder %1").arg(QDir::toNativeSeparators(folder));
        return;
    }
    m_file.setFileName(path);

    // What is there already: our file to go on with, nothing (or a header cut short) to start
    // anew, or somebody else's file, left as it is.
    bool fresh = true;
    {
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly) && existing.size() > 0) {
            const QByteArray first = existing.readLine(Header.size() + 3);
            const QByteArray firstLine = QByteArray(first).replace("\r", "").replace("\n", "");
            if (firstLine == Header) {
                fresh = false;
                existing.seek(existing.size() - 1);
                char last = '\n';
                existing.getChar(&last);
                // A line cut short by a full disk or a crash is ended here, so the next one
                // starts on a line of its own.
                m_lineOpen = last != '\n';
            } else if (!(first.size() < Header.size() && Header.startsWith(first))) {
                m_error = fail(QT_TRANSLATE_NOOP("EventFile",
                                                 "%1 不是事件文件：文件保持不变，事件不写入其中。"))
                              .arg(QDir::toNativeSeparators(path));
                m_englishError = QStringLiteral("%1 is not an events file: it is left as it is "
                                                "and no event is written to it")
                                     .arg(QDir::toNativeSeparators(path));
                return;
            }
        }
    }

    QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    mode |= fresh ? QIODevice::Truncate : QIODevice::Append;
    if (!m_file.open(mode)) {
        m_error =
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), m_file.errorString());
        m_englishError = m_error;
        return;
    }
    if (fresh && !writeLine(Header + '\n'))
        m_file.close();
}

bool EventFile::writeLine(const QByteArray &bytes)
{
    const QByteArray whole = m_lineOpen ? '\n' + bytes : bytes;
    QString error;
    // One write of the whole line: a program killed at any moment leaves whole lines behind.
    if (!writeAll(m_file, whole.constData(), whole.size(), &error)) {
        m_lineOpen = true; // part of it may be there
        m_error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_file.fileName()), error);
        m_englishError = m_error;
        return false;
    }
    m_file.flush();
    m_lineOpen = false;
    return true;
}

bool EventFile::append(const PackEvent &change)
{
    if (!m_file.isOpen())
        return false;
    return writeLine(line(change));
}

EventFile::ReadBack EventFile::read(const QString &path, int last)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ReadBack r;
        r.error = fail(QT_TRANSLATE_NOOP("EventFile", "无法打开 %1：%2"))
                      .arg(QDir::toNativeSeparators(path), file.errorString());
        return r;
    }
    return readFrom(&file, last);
}

EventFile::ReadBack EventFile::readFrom(QIODevice *device, int last)
{
    ReadBack r;
    QByteArray first = device->readLine(MaxLine);
    if (first.startsWith("\xEF\xBB\xBF")) // a spreadsheet may have saved it with a mark
        first.remove(0, 3);
    if (first.isEmpty()) {
        r.error = fail(QT_TRANSLATE_NOOP("EventFile", "文件是空的。"));
        return r;
    }
    while (first.endsWith('\n') || first.endsWith('\r'))
        first.chop(1);
    if (first != Header) {
        r.error =
            fail(QT_TRANSLATE_NOOP("EventFile", "不是事件文件：第一行不是事件文件的标题行。"));
        return r;
    }

    // The events in the order their first line came, an unended one found again by its start,
    // key, pack and code when its end line comes.
    QVector<PackEvent> events;
    QHash<QString, int> open;
    auto pairKey = [](const PackEvent &e) {
        return QStringLiteral("%1|%2|%3|%4").arg(e.startMs).arg(e.key).arg(e.address).arg(e.code);
    };
    Line parsed;
    while (!device->atEnd()) {
        QByteArray bytes = device->readLine(MaxLine + 1);
        if (bytes.isEmpty())
            break;
        if (!bytes.endsWith('\n')) {
            // Cut short by a crash or a full disk, or too long to be ours: the rest of it goes.
            ++r.skippedLines;
            while (!bytes.endsWith('\n') && !device->atEnd())
                bytes = device->readLine(MaxLine + 1);
            continue;
        }
        bytes.chop(1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (bytes.isEmpty())
            continue;
        if (!parseLine(bytes, &parsed)) {
            ++r.skippedLines;
            continue;
        }
        const QString k = pairKey(parsed.event);
        if (parsed.type == Line::StartLine) {
            parsed.event.endUnknown = true; // until its end line comes
            open.insert(k, events.size());
            events.append(parsed.event);
            continue;
        }
        const auto it = open.find(k);
        if (it != open.end()) {
            events[*it] = parsed.event; // the end line carries the whole event
            open.erase(it);
        } else {
            events.append(parsed.event); // its start line was lost or is in an older file
        }
    }

    std::stable_sort(events.begin(), events.end(),
                     [](const PackEvent &a, const PackEvent &b) { return a.startMs < b.startMs; });
    const int keep = std::clamp(last, 0, events.size());
    r.events = events.mid(events.size() - keep);
    return r;
}

void EventFiles::setFolder(const QString &folder)
{
    if (folder == m_folder)
        return;
    m_files.clear();
    m_folder = folder;
}

QString EventFiles::path(int address) const
{
    return QDir::toNativeSeparators(QDir(m_folder).filePath(EventFile::fileName(address)));
}

bool EventFiles::append(const PackEvent &change, QString *error, QString *englishError)
{
    std::unique_ptr<EventFile> &file = m_files[change.address];
    if (!file)
        file = std::make_unique<EventFile>(m_folder, change.address);
    if (file->isOpen() && file->append(change))
        return true;
    if (error)
        *error = file->errorString();
    if (englishError)
        *englishError = file->englishErrorString();
    file.reset(); // opened again at the pack's next event
    return false;
}
