#include "bus.h"

#include "requestparser.h"

#include <QRegularExpression>

#include <algorithm>
#include <random>

namespace {
constexpr int SocSpread = 20; // points either side of the given state of charge

int toAddress(const QString &text, QString *error)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 0 || n > Board::MaxAddress) {
        *error = QStringLiteral("an address is a whole number from 0 to %1, not \"%2\"")
                     .arg(Board::MaxAddress)
                     .arg(text);
        return -1;
    }
    return n;
}
} // namespace

QVector<int> parseAddressList(const QString &text, QString *error)
{
    QVector<int> out;
    const QStringList items = text.split(QLatin1Char(','));
    for (const QString &raw : items) {
        const QString item = raw.trimmed();
        const QStringList ends = item.split(QLatin1Char('-'));
        if (item.isEmpty() || ends.size() > 2) {
            *error = QStringLiteral("addresses are a list such as 1,2,5 or a range such as "
                                    "1-16, not \"%1\"")
                         .arg(text);
            return {};
        }
        const int from = toAddress(ends.first().trimmed(), error);
        const int to = ends.size() == 2 ? toAddress(ends.last().trimmed(), error) : from;
        if (from < 0 || to < 0)
            return {};
        if (to < from) {
            *error = QStringLiteral("the range %1 runs backwards").arg(item);
            return {};
        }
        for (int a = from; a <= to; ++a)
            out.append(a);
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

ControlCommand parseControlCommand(const QString &line, QString *error)
{
    const QStringList words =
        line.trimmed().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    ControlCommand command;
    if (!words.isEmpty() && words[0] == QLatin1String("books") && words.size() <= 2) {
        command.action = ControlCommand::Books;
        command.books = true;
        if (words.size() == 2)
            command.addresses = parseAddressList(words[1], error);
        return command;
    }
    const bool force = !words.isEmpty() && words[0] == QLatin1String("force");
    const bool release = !words.isEmpty() && words[0] == QLatin1String("release");
    if (force || release) {
        command.action = force ? ControlCommand::Force : ControlCommand::Release;
        // A forcing holds a ':', an address list never does.
        int next = 1;
        if (next < words.size() && words[next].contains(QLatin1Char(':'))) {
            if (!Forcing::parse(words[next], &command.forcing, error, force))
                return ControlCommand();
            command.hasPlace = true;
            ++next;
        }
        if (force && !command.hasPlace) {
            *error = QStringLiteral("force takes KIND:N[:VALUE], then the boards if not all");
            return ControlCommand();
        }
        if (next + 1 < words.size()) {
            *error =
                QStringLiteral("\"%1\" has more words than the command takes").arg(line.trimmed());
            return ControlCommand();
        }
        if (next < words.size()) {
            command.addresses = parseAddressList(words[next], error);
            if (command.addresses.isEmpty())
                return ControlCommand();
        }
        return command;
    }
    if (words.size() != 2
        || (words[0] != QLatin1String("absent") && words[0] != QLatin1String("present"))) {
        *error = QStringLiteral("a command is \"absent LIST\", \"present LIST\", \"books "
                                "[LIST]\", \"force KIND:N[:VALUE] [LIST]\" or \"release "
                                "[KIND:N] [LIST]\", not \"%1\"")
                     .arg(line.trimmed());
        return command;
    }
    command.present = words[0] == QLatin1String("present");
    command.addresses = parseAddressList(words[1], error);
    return command;
}

uint32_t Bus::boardSeed(uint32_t seed, int address)
{
    // SplitMix64 of the pair: neighbouring addresses and seeds give unrelated streams.
    uint64_t z = (uint64_t(seed) << 8 | uint64_t(address)) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return uint32_t(z ^ (z >> 31));
}

Bus::Bus(const QVector<int> &addresses, const PackModel::Config &config, bool varySoc,
         const Board::Faults &faults)
{
    const bool single = addresses.size() == 1;
    m_nodes.reserve(size_t(addresses.size()));
    for (int address : addresses) {
        Node node;
        node.address = address;
        node.seed = single ? config.seed : boardSeed(config.seed, address);
        PackModel::Config own = config;
        own.seed = node.seed;
        if (!single && varySoc) {
            std::mt19937 rng(node.seed);
            own.socPercent = std::clamp(
                config.socPercent + std::uniform_int_distribution<int>(-SocSpread, SocSpread)(rng),
                0.0, 100.0);
        }
        node.parameters = std::make_unique<BoardParameters>(config.cells);
        node.model = std::make_unique<PackModel>(own, *node.parameters);
        node.board =
            std::make_unique<Board>(*node.parameters, *node.model, address, faults, node.seed);
        m_nodes.push_back(std::move(node));
    }
}

const Bus::Node *Bus::find(int address) const
{
    for (const Node &n : m_nodes) {
        if (n.address == address)
            return &n;
    }
    return nullptr;
}

Bus::Node *Bus::find(int address)
{
    return const_cast<Node *>(static_cast<const Bus *>(this)->find(address));
}

Board::Outcome Bus::handle(const QByteArray &frame, qint64 nowMs)
{
    const Request r = parseRequest(frame);
    Node *node = r.kind == Request::Malformed ? nullptr : find(r.address);
    if (node && !node->present)
        return { QStringLiteral("board %1 absent, ignored").arg(node->address), {} };
    if (m_nodes.size() == 1)
        return m_nodes.front().board->handle(frame, nowMs);
    if (!node)
        return { r.kind == Request::Malformed
                     ? QStringLiteral("malformed, ignored")
                     : QStringLiteral("for address %1, ignored").arg(r.address),
                 {} };

    Board::Outcome outcome = node->board->handle(frame, nowMs);
    const QString board = QStringLiteral("board %1").arg(node->address);
    outcome.note = outcome.note.isEmpty() ? board : board + QStringLiteral(": ") + outcome.note;
    for (Piece &piece : outcome.pieces) {
        if (!piece.logFrame.isEmpty())
            piece.note = board + QStringLiteral(": ") + piece.note;
    }
    return outcome;
}

void Bus::step(double seconds)
{
    for (Node &n : m_nodes)
        n.model->step(seconds, *n.parameters);
}

void Bus::keepBooks(double seconds)
{
    for (Node &n : m_nodes)
        n.model->keepBooks(seconds);
}

QString Bus::booksText(int address) const
{
    const Node *n = find(address);
    if (!n)
        return QString();
    const PackModel::Books &b = n->model->books();
    return QStringLiteral("%1books: charged %2 Ah %3 Wh, discharged %4 Ah %5 Wh in %6 s")
        .arg(m_nodes.size() == 1 ? QString() : QStringLiteral("board %1 ").arg(address))
        .arg(b.chargedAh, 0, 'f', 6)
        .arg(b.chargedWh, 0, 'f', 6)
        .arg(b.dischargedAh, 0, 'f', 6)
        .arg(b.dischargedWh, 0, 'f', 6)
        .arg(b.seconds, 0, 'f', 3);
}

void Bus::clearLineFaults()
{
    for (Node &n : m_nodes)
        n.board->clearLineFaults();
}

void Bus::setBatteryNumber(int number)
{
    for (Node &n : m_nodes)
        n.board->setBatteryNumber(number);
}

bool Bus::force(int address, const Forcing &forcing, Forcing *applied, QString *error)
{
    Node *node = find(address);
    if (!node) {
        *error = QStringLiteral("there is no board at address %1").arg(address);
        return false;
    }
    const int cells = node->parameters->cellsInSeries();
    if (forcing.onCell() && forcing.index > cells) {
        *error = boardNote(address,
                           QStringLiteral("there is no cell %1, the pack has %2 cells")
                               .arg(forcing.index)
                               .arg(cells));
        return false;
    }
    *applied = node->model->force(forcing, *node->parameters);
    return true;
}

int Bus::release(int address, const Forcing *place)
{
    Node *node = find(address);
    if (!node)
        return 0;
    return place ? int(node->model->release(*place)) : node->model->releaseAll();
}

QString Bus::boardNote(int address, const QString &text) const
{
    return m_nodes.size() == 1 ? text : QStringLiteral("board %1: %2").arg(address).arg(text);
}

bool Bus::setPresent(int address, bool present)
{
    Node *node = find(address);
    if (!node)
        return false;
    node->present = present;
    return true;
}

bool Bus::isPresent(int address) const
{
    const Node *node = find(address);
    return node && node->present;
}

QVector<int> Bus::addresses() const
{
    QVector<int> out;
    for (const Node &n : m_nodes)
        out.append(n.address);
    return out;
}

const PackModel *Bus::model(int address) const
{
    const Node *node = find(address);
    return node ? node->model.get() : nullptr;
}

uint32_t Bus::seedOf(int address) const
{
    const Node *node = find(address);
    return node ? node->seed : 0;
}
