#include "board.h"

#include "replyencoder.h"
#include "requestparser.h"

#include <algorithm>

namespace {
QString hex2(int code)
{
    return QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}
} // namespace

Board::Board(BoardParameters &parameters, PackModel &model, int address, const Faults &faults,
             uint32_t seed)
    : m_parameters(parameters)
    , m_model(model)
    , m_address(address)
    , m_batteryNumber(address)
    , m_faults(faults)
    , m_rng(seed ^ 0x9E3779B9u) // a stream of its own, apart from the pack model's
{ }

bool Board::chance(double p)
{
    if (p <= 0)
        return false;
    if (p >= 1)
        return true;
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_rng) < p;
}

Board::Outcome Board::handle(const QByteArray &frame, qint64 nowMs)
{
    if (isSilent(nowMs))
        return { QStringLiteral("resetting, ignored"), {} };
    const Request r = parseRequest(frame);
    if (r.kind == Request::Malformed)
        return { QStringLiteral("malformed, ignored"), {} };
    if (r.address != m_address)
        return { QStringLiteral("for address %1, ignored").arg(r.address), {} };
    if (r.kind == Request::Write && !r.crcMatches)
        return { QStringLiteral("bad CRC, ignored"), {} };
    if (r.kind == Request::Read && r.code != ReplyEncoder::RealTimeCode
        && r.code != ReplyEncoder::ParameterCode)
        return { QStringLiteral("code %1 is not answered").arg(hex2(r.code)), {} };
    if (chance(m_faults.drop))
        return { QStringLiteral("dropped"), {} };
    if (m_faults.dropBlock && r.kind == Request::Read && r.code == ReplyEncoder::ParameterCode)
        return { QStringLiteral("parameter block request dropped"), {} };

    if (r.kind == Request::Write)
        return { applyWrite(r.code, r.value, nowMs), {} };

    const Telemetry &t = m_model.telemetry();
    if (r.code == ReplyEncoder::RealTimeCode) {
        const QByteArray block =
            ReplyEncoder::realTimeBlock(t, m_parameters, m_faults.signedCurrent);
        const int code = m_faults.unknownCode ? UnknownCode : r.code;
        QByteArray frame = ReplyEncoder::reply(m_batteryNumber, code, block);
        if (m_faults.quitMidReply > 0 && ++m_realTimeReplies > m_faults.quitMidReply) {
            // Power lost while sending: half a frame, then nothing.
            frame.truncate(frame.size() / 2);
            Outcome outcome{ QString(),
                             { Piece{ frame, 0, frame,
                                      QStringLiteral("half a reply, then the board quits") } },
                             true };
            return outcome;
        }
        return { QString(),
                 transmit(frame,
                          m_faults.unknownCode
                              ? QStringLiteral("real-time data under code %1").arg(hex2(code))
                              : QStringLiteral("real-time data")) };
    }
    const QByteArray block = ReplyEncoder::parameterBlock(m_parameters, t);
    return { QString(),
             transmit(ReplyEncoder::reply(m_batteryNumber, r.code, block),
                      QStringLiteral("parameter block")) };
}

void Board::clearLineFaults()
{
    const Faults kept = m_faults;
    m_faults = Faults();
    m_faults.signedCurrent = kept.signedCurrent;
    m_faults.quitMidReply = kept.quitMidReply;
    m_faults.keep = kept.keep; // the board's own behaviour, not the line's
}

QString Board::applyWrite(int code, uint16_t value, qint64 nowMs)
{
    const QString what = QStringLiteral("code %1 = %2").arg(hex2(code)).arg(value);
    // A board whose firmware takes the frame and holds on to its own value.
    if (m_faults.keep.contains(code))
        return what + QStringLiteral(": kept the old value (--keep), ignored");
    switch (code) {
    case BatteryNumberCode:
        // The battery number is what the replies state in their address field (the tool shows it
        // there); the board keeps answering at its own address, so the link is not lost.
        if (value > MaxBatteryNumber)
            return what + QStringLiteral(": battery number does not fit the reply, ignored");
        m_batteryNumber = value;
        return what + QStringLiteral(": replies now state battery number %1").arg(value);
    case CalibrationCode:
    case InitParametersCode:
    case InitSocCode:
    case ResetCode:
        if (value != CommandKey)
            return what + QStringLiteral(": command needs the key %1, ignored").arg(CommandKey);
        if (code == CalibrationCode) {
            m_model.startCalibration();
            return what + QStringLiteral(": current calibration started");
        }
        if (code == InitParametersCode) {
            m_parameters.restoreDefaults();
            return what + QStringLiteral(": parameters back to their defaults");
        }
        if (code == InitSocCode) {
            m_model.resetSoc();
            return what + QStringLiteral(": state of charge reset");
        }
        m_model.clearProtections();
        m_silentUntilMs = nowMs + ResetSilenceMs;
        return what + QStringLiteral(": resetting, silent for %1 ms").arg(ResetSilenceMs);
    default:
        break;
    }
    switch (m_parameters.write(code, value)) {
    case BoardParameters::WriteResult::Stored:
        return what + QStringLiteral(": stored");
    case BoardParameters::WriteResult::OutOfRange:
        return what + QStringLiteral(": out of range, ignored");
    case BoardParameters::WriteResult::NotAParameter:
        break;
    }
    return what + QStringLiteral(": unknown code, ignored");
}

QVector<Piece> Board::transmit(QByteArray frame, QString note)
{
    if (chance(m_faults.badCrc)) {
        // Spoil the CRC digits in front of the "~"; the XOR guarantees a different value.
        const int at = frame.size() - 5;
        bool ok = false;
        const int crc = frame.mid(at, 4).toInt(&ok, 16);
        QByteArray spoiled;
        ReplyEncoder::appendField(spoiled, (ok ? crc : 0) ^ 0x0F0F, 4);
        frame.replace(at, 4, spoiled);
        note += QStringLiteral(", CRC spoiled");
    }

    QVector<Piece> pieces;
    int delay = m_faults.delayMs;
    if (m_faults.noise) {
        QByteArray stray;
        const int n = std::uniform_int_distribution<int>(1, 8)(m_rng);
        while (stray.size() < n) {
            const char c = char(std::uniform_int_distribution<int>(0, 255)(m_rng));
            // Never a frame delimiter: the stray bytes must not look like the start or the end.
            if (c != ':' && c != '~')
                stray.append(c);
        }
        pieces.append({ stray, delay, stray, QStringLiteral("noise") });
        delay = 3;
    }
    if (m_faults.strayTilde) {
        // Line noise that looks like the end of a frame, with no frame begun.
        const QByteArray tilde("~");
        pieces.append({ tilde, delay, tilde, QStringLiteral("stray end mark") });
        delay = 3;
    }

    QVector<int> cuts;
    if (m_faults.split && frame.size() > 4) {
        const int count = std::uniform_int_distribution<int>(2, 4)(m_rng);
        std::uniform_int_distribution<int> at(1, frame.size() - 1);
        while (cuts.size() < count - 1) {
            const int c = at(m_rng);
            if (!cuts.contains(c))
                cuts.append(c);
        }
        std::sort(cuts.begin(), cuts.end());
        note += QStringLiteral(", in %1 pieces").arg(count);
    }
    cuts.append(frame.size());
    int from = 0;
    for (int i = 0; i < cuts.size(); ++i) {
        Piece piece;
        piece.bytes = frame.mid(from, cuts[i] - from);
        piece.delayMs = i == 0 ? delay : std::uniform_int_distribution<int>(2, 8)(m_rng);
        if (i == 0) {
            piece.logFrame = frame;
            piece.note = note;
        }
        pieces.append(piece);
        from = cuts[i];
    }
    return pieces;
}

QByteArray escapeBytes(const QByteArray &bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.append(ch);
        } else {
            out.append("\\x").append(hex[c >> 4]).append(hex[c & 0xF]);
        }
    }
    return out;
}
