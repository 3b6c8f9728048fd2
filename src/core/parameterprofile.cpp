#include "parameterprofile.h"

#include "thresholdpairs.h"
#include "writeall.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cmath>
#include <cstring>

namespace ParameterProfile {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ParameterProfile", text);
}

QString fault(const QString &key, const QString &reason)
{
    return tr("%1：%2").arg(key, reason);
}

const QLatin1String FormatKey("format");
const QLatin1String VersionKey("version");
const QLatin1String SavedKey("saved");
const QLatin1String ToolKey("tool");
const QLatin1String AddressKey("address");
const QLatin1String NoteKey("note");
const QLatin1String RowsKey("rows");
const QLatin1String ValueKey("value");
const QLatin1String UnitKey("unit");

// A whole number within [min, max]; JSON numbers are doubles, so 2800.0 is whole and 2800.5 not.
bool wholeNumber(const QJsonValue &value, double *number)
{
    if (!value.isDouble())
        return false;
    const double d = value.toDouble();
    if (!std::isfinite(d) || std::floor(d) != d)
        return false;
    *number = d;
    return true;
}

QString readRow(const QString &key, const QJsonValue &entry, int *value)
{
    const ParameterTable::Row *row = findRow(key);
    if (!row)
        return fault(key, tr("不是配置文件可以保存的参数。"));
    if (!entry.isObject())
        return fault(key, tr("应为带 \"value\" 和 \"unit\" 的对象。"));
    const QJsonObject object = entry.toObject();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (it.key() != ValueKey && it.key() != UnitKey)
            return fault(key + QLatin1Char('.') + it.key(), tr("未知的键。"));
    }
    double number = 0;
    if (!wholeNumber(object.value(ValueKey), &number))
        return fault(key, tr("值必须是整数。"));
    if (number < row->min || number > row->max) {
        return fault(key,
                     tr("值 %1 超出范围 [%2 - %3]。")
                         .arg(QString::number(number, 'f', 0))
                         .arg(row->min)
                         .arg(row->max));
    }
    // A value in another unit than the page's would be off by a factor: refused, not converted.
    const QJsonValue unit = object.value(UnitKey);
    const QString expected = QString::fromUtf8(row->unit);
    if (!unit.isUndefined() && unit.toString() != expected) {
        return fault(key,
                     tr("单位应为 \"%1\"，文件中为 \"%2\"。")
                         .arg(expected, unit.isString() ? unit.toString() : tr("（不是文本）")));
    }
    *value = int(number);
    return QString();
}

// Looks through JSON text for a key given twice in one object, before the text is parsed: the
// parser would keep one of the two without a word, and which value a setting gets must never be
// a guess. Syntax errors are left to the parser; nesting deeper than a profile has is reported.
class KeyScan
{
public:
    enum Result { Clean, Duplicate, TooDeep };

    explicit KeyScan(const QByteArray &text)
        : m_p(text.constData())
        , m_end(text.constData() + text.size())
    { }

    Result run(QString *key)
    {
        m_result = Clean;
        value(0);
        if (m_result == Duplicate)
            *key = m_key;
        return m_result;
    }

private:
    static constexpr int MaxDepth = 8;

    void blanks()
    {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n' || *m_p == '\r'))
            ++m_p;
    }

    // At a '"': reads the string with its escapes resolved; false at a syntax error.
    bool string(QString *out)
    {
        ++m_p;
        const char *run = m_p;
        while (m_p < m_end) {
            const char c = *m_p;
            if (c == '"') {
                out->append(QString::fromUtf8(run, int(m_p - run)));
                ++m_p;
                return true;
            }
            if (c != '\\') {
                ++m_p;
                continue;
            }
            out->append(QString::fromUtf8(run, int(m_p - run)));
            if (++m_p >= m_end)
                return false;
            const char e = *m_p++;
            if (e == 'u') {
                if (m_end - m_p < 4)
                    return false;
                bool ok = false;
                const ushort unit = QByteArray(m_p, 4).toUShort(&ok, 16);
                if (!ok)
                    return false;
                out->append(QChar(unit));
                m_p += 4;
            } else {
                out->append(QLatin1Char(e)); // one character: only equality matters here
            }
            run = m_p;
        }
        return false;
    }

    // Reads one value; false when the scan ends (a syntax error, or a finding).
    bool value(int depth)
    {
        blanks();
        if (m_p >= m_end)
            return false;
        if (*m_p == '"') {
            QString ignored;
            return string(&ignored);
        }
        if (*m_p != '{' && *m_p != '[') {
            while (m_p < m_end && !strchr(",]} \t\r\n", *m_p))
                ++m_p;
            return true;
        }
        if (depth >= MaxDepth) {
            m_result = TooDeep;
            return false;
        }
        const bool object = *m_p++ == '{';
        QSet<QString> keys;
        blanks();
        if (m_p < m_end && *m_p == (object ? '}' : ']')) {
            ++m_p;
            return true;
        }
        while (m_p < m_end) {
            if (object) {
                blanks();
                QString k;
                if (m_p >= m_end || *m_p != '"' || !string(&k))
                    return false;
                if (keys.contains(k)) {
                    m_result = Duplicate;
                    m_key = k;
                    return false;
                }
                keys.insert(k);
                blanks();
                if (m_p >= m_end || *m_p++ != ':')
                    return false;
            }
            if (!value(depth + 1))
                return false;
            blanks();
            if (m_p >= m_end)
                return false;
            const char c = *m_p++;
            if (c == (object ? '}' : ']'))
                return true;
            if (c != ',')
                return false;
        }
        return false;
    }

    const char *m_p;
    const char *m_end;
    Result m_result = Clean;
    QString m_key;
};

// The rows of the Debug page, which the window never shows.
const char *const DebugPageRows[] = { "conf_debug", "conf_short", "conf_shorttime", "conf_cax",
                                      "conf_getmod" };

bool onDebugPage(const QString &key)
{
    for (const char *row : DebugPageRows) {
        if (key == QLatin1String(row))
            return true;
    }
    return false;
}

} // namespace

const QVector<const ParameterTable::Row *> &rows()
{
    static const QVector<const ParameterTable::Row *> table = [] {
        QVector<const ParameterTable::Row *> list;
        const QVector<ParameterBlock::Field> carried = ParameterBlock::decode({}, {});
        for (const ParameterTable::Row &row : ParameterTable::rows()) {
            const QLatin1String name(row.lineEdit);
            if (name == QLatin1String("conf_dnum") || onDebugPage(name))
                continue;
            for (const ParameterBlock::Field &field : carried) {
                if (field.kind == ParameterBlock::Field::Text && name == field.widget) {
                    list.append(&row);
                    break;
                }
            }
        }
        return list;
    }();
    return table;
}

bool isRetiredRow(const QString &key)
{
    // The debug switch was never saved; the other rows of the page were.
    return onDebugPage(key) && key != QLatin1String("conf_debug");
}

const ParameterTable::Row *findRow(const QString &key)
{
    for (const ParameterTable::Row *row : rows()) {
        if (key == QLatin1String(row->lineEdit))
            return row;
    }
    return nullptr;
}

QString toolName()
{
    return (QCoreApplication::applicationName() + QLatin1Char(' ')
            + QCoreApplication::applicationVersion())
        .trimmed();
}

ReadResult read(const QByteArray &bytes)
{
    ReadResult result;
    if (bytes.size() > MaxFileBytes) {
        result.error = tr("文件大于 1 MiB，不是参数配置文件。");
        return result;
    }
    // JSON text never holds a raw NUL byte, and Qt's parser loses memory on a string that does:
    // such a file is refused before it is parsed, as the parser would refuse it.
    const int nul = bytes.indexOf('\0');
    if (nul >= 0) {
        QJsonParseError illegal{};
        illegal.offset = nul;
        illegal.error = QJsonParseError::IllegalValue;
        result.error =
            tr("不是有效的 JSON（第 %1 个字节：%2）。").arg(nul).arg(illegal.errorString());
        return result;
    }
    QString twice;
    switch (KeyScan(bytes).run(&twice)) {
    case KeyScan::Clean:
        break;
    case KeyScan::Duplicate:
        result.error = fault(twice, tr("这个键出现了两次。"));
        return result;
    case KeyScan::TooDeep:
        result.error = tr("不是有效的参数配置文件：嵌套过深。");
        return result;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        result.error = parseError.error != QJsonParseError::NoError
            ? tr("不是有效的 JSON（第 %1 个字节：%2）。")
                  .arg(parseError.offset)
                  .arg(parseError.errorString())
            : tr("不是有效的参数配置文件：应为一个 JSON 对象。");
        return result;
    }
    const QJsonObject top = document.object();
    if (top.value(FormatKey).toString() != QLatin1String(Format)) {
        result.error = fault(FormatKey, tr("不是参数配置文件（应为 \"%1\"）。").arg(Format));
        return result;
    }
    const QJsonValue version = top.value(VersionKey);
    if (!version.isDouble() || version.toDouble() != Version) {
        result.error =
            fault(VersionKey,
                  tr("不支持的版本 %1，本程序读取版本 %2。")
                      .arg(version.isDouble() ? QString::number(version.toDouble()) : tr("（无）"))
                      .arg(Version));
        return result;
    }

    Profile &profile = result.profile;
    for (auto it = top.constBegin(); it != top.constEnd(); ++it) {
        const QString &key = it.key();
        const QJsonValue &value = it.value();
        bool typeOk = true;
        if (key == FormatKey || key == VersionKey || key == RowsKey) {
            continue;
        } else if (key == SavedKey || key == ToolKey || key == NoteKey) {
            typeOk = value.isString();
            if (key == SavedKey)
                profile.saved = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
            else if (key == ToolKey)
                profile.tool = value.toString();
            else
                profile.note = value.toString();
        } else if (key == AddressKey) {
            double number = -1;
            typeOk = wholeNumber(value, &number) && number >= 0 && number <= 255;
            profile.address = typeOk ? int(number) : 0;
        } else {
            result.error = fault(key, tr("未知的键。"));
            return result;
        }
        if (!typeOk) {
            result.error = fault(key, tr("类型或取值不对。"));
            return result;
        }
    }

    const QJsonValue rowsValue = top.value(RowsKey);
    if (!rowsValue.isObject()) {
        result.error = fault(RowsKey, tr("应为一个对象，每个参数一项。"));
        return result;
    }
    const QJsonObject rowsObject = rowsValue.toObject();
    if (rowsObject.isEmpty()) {
        result.error = fault(RowsKey, tr("文件中没有任何参数。"));
        return result;
    }
    for (auto it = rowsObject.constBegin(); it != rowsObject.constEnd(); ++it) {
        // Left out whatever they hold: they were never the user's to write, and are never sent.
        if (isRetiredRow(it.key())) {
            result.ignored.append(it.key());
            continue;
        }
        int value = 0;
        const QString error = readRow(it.key(), it.value(), &value);
        if (!error.isEmpty()) {
            result.error = error;
            result.profile = Profile();
            result.ignored.clear();
            return result;
        }
        profile.values.insert(it.key(), value);
    }
    // Values that contradict each other would leave a protection that never holds.
    const QVector<ThresholdPairs::Contradiction> clash = ThresholdPairs::check({}, profile.values);
    if (!clash.isEmpty()) {
        result.error =
            fault(QLatin1String(clash.first().pair->row), ThresholdPairs::describe(clash.first()));
        result.profile = Profile();
        result.ignored.clear();
        return result;
    }
    if (profile.values.isEmpty()) {
        result.error = fault(RowsKey, tr("文件中没有任何参数。"));
        result.profile = Profile();
        result.ignored.clear();
        return result;
    }
    result.ok = true;
    return result;
}

ReadResult readFile(const QString &path)
{
    ReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = tr("无法读取文件：%1").arg(file.errorString());
        return result;
    }
    // Read one byte past the limit, so a larger file is told apart without reading it all.
    return read(file.read(MaxFileBytes + 1));
}

QByteArray toJson(const Profile &profile)
{
    QJsonObject top;
    top.insert(FormatKey, QLatin1String(Format));
    top.insert(VersionKey, Version);
    top.insert(SavedKey, profile.saved.toString(Qt::ISODateWithMs));
    top.insert(ToolKey, profile.tool);
    top.insert(AddressKey, profile.address);
    top.insert(NoteKey, profile.note);
    QJsonObject rowsObject;
    for (auto it = profile.values.constBegin(); it != profile.values.constEnd(); ++it) {
        const ParameterTable::Row *row = findRow(it.key());
        QJsonObject entry;
        entry.insert(ValueKey, it.value());
        entry.insert(UnitKey, row ? QString::fromUtf8(row->unit) : QString());
        rowsObject.insert(it.key(), entry);
    }
    top.insert(RowsKey, rowsObject);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

QString writeFile(const QString &path, const Profile &profile)
{
    // Through a new file that takes the name only when whole: a full disk never leaves half a
    // profile where a good one was.
    const QByteArray bytes = toJson(profile);
    ReplacingFile file(path);
    QString error;
    if (!file.open(&error) || !file.write(bytes.constData(), bytes.size(), &error)
        || !file.finish(&error))
        return tr("无法写入 %1：%2").arg(path, error);
    return QString();
}

QHash<QString, int> boardValues(const QVector<ParameterBlock::Field> &block)
{
    QHash<QString, int> values;
    for (const ParameterBlock::Field &field : block) {
        if (field.kind != ParameterBlock::Field::Text)
            continue;
        const QString key = QLatin1String(field.widget);
        bool ok = false;
        const int value = field.text.toInt(&ok);
        if (ok && findRow(key))
            values.insert(key, value);
    }
    return values;
}

Profile fromBoard(const QHash<QString, int> &board, int address, QStringList *skipped)
{
    Profile profile;
    profile.address = address;
    for (const ParameterTable::Row *row : rows()) {
        const QString key = QLatin1String(row->lineEdit);
        const auto it = board.constFind(key);
        if (it == board.constEnd())
            continue;
        if (*it < row->min || *it > row->max) {
            if (skipped)
                skipped->append(key);
            continue;
        }
        profile.values.insert(key, *it);
    }
    return profile;
}

QVector<Comparison> compare(const Profile &profile, const QHash<QString, int> &board)
{
    QVector<Comparison> out;
    for (const ParameterTable::Row *row : rows()) {
        const QString key = QLatin1String(row->lineEdit);
        const auto file = profile.values.constFind(key);
        if (file == profile.values.constEnd())
            continue;
        Comparison c;
        c.row = row;
        c.key = key;
        c.file = *file;
        const auto it = board.constFind(key);
        c.known = it != board.constEnd();
        c.board = c.known ? *it : 0;
        out.append(c);
    }
    return out;
}

int differences(const QVector<Comparison> &rows)
{
    int n = 0;
    for (const Comparison &c : rows)
        n += c.differs() ? 1 : 0;
    return n;
}

bool wireValue(const ParameterTable::Row &row, int value, uint16_t *wire)
{
    const ParameterTable::Check check =
        ParameterTable::checkInput(QString::number(value), row, QLocale::c());
    if (check.outcome != ParameterTable::Check::Accepted)
        return false;
    *wire = check.value;
    return true;
}

} // namespace ParameterProfile
