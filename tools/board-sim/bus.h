#pragma once

#include "board.h"
#include "boardparameters.h"
#include "packmodel.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <memory>
#include <vector>

// Board addresses as given on the command line: "5", "1,2,5", "1-16" or a mix ("1,3,5-8").
// Returns them sorted, each once; an empty list and *error for anything else or an address
// outside 0..Board::MaxAddress.
QVector<int> parseAddressList(const QString &text, QString *error);

// A command read from the control pipe: "absent LIST", "present LIST", "books [LIST]",
// "force KIND:N[:VALUE] [LIST]" or "release [KIND:N] [LIST]" (the forcing commands act on every
// board without a list; release without KIND:N ends every forcing).
struct ControlCommand
{
    enum Action { Presence, Books, Force, Release };
    Action action = Presence;
    bool present = false;
    bool books = false; // log the books of the boards (all of them without a list)
    Forcing forcing; // Force; Release when hasPlace
    bool hasPlace = false;
    QVector<int> addresses;
};
// Parses one line; *error is set when it is not a command (and the list is empty).
ControlCommand parseControlCommand(const QString &line, QString *error);

// The boards on one RS-485 line. Every board hears every frame; only the one whose address the
// frame carries acts on it, as on the real bus. Each board has its own parameters, pack model
// and random stream. A board can be made absent (powered off or unplugged from the bus): it then
// hears nothing and answers nothing, and keeps its state for when it comes back.
//
// With a single board the bus is that board, exactly: its seed, its starting state of charge and
// the notes in the traffic log are those of a board on its own. With several, each note names
// the board it concerns ("board 3: ..."), so the log tells which board received a write.
class Bus
{
public:
    // The pack model's config applies to every board. With several boards, each gets a seed of
    // its own from the seed and its address, and (when varySoc) a starting state of charge within
    // 20 points of the given one, so the packs are told apart at a glance.
    Bus(const QVector<int> &addresses, const PackModel::Config &config, bool varySoc,
        const Board::Faults &faults);

    Board::Outcome handle(const QByteArray &frame, qint64 nowMs);
    // Advances every board's pack model, absent ones too (the pack lives on without its link).
    void step(double seconds);
    // Books the frozen current of every board for the time (the values do not move).
    void keepBooks(double seconds);
    // "board 3 books: charged 0.123456 Ah 6.543210 Wh, discharged 0.000000 Ah 0.000000 Wh in
    // 12.300 s" ("books:" without the board for a single one).
    QString booksText(int address) const;
    void clearLineFaults();
    // Every board's replies state this battery number, as after a write of code 1D.
    void setBatteryNumber(int number);

    // Forces a reading on the board at address (see Forcing); false with a line of error for a
    // cell the board does not have. *applied: the forcing with its value.
    bool force(int address, const Forcing &forcing, Forcing *applied, QString *error);
    // Ends the forcing of a cell or sensor on the board at address (every one of them when place
    // is null); how many were ended.
    int release(int address, const Forcing *place);
    // What concerns one board, as the log says it: "board 3: text" on a bus of several, the text
    // alone for a single board.
    QString boardNote(int address, const QString &text) const;

    // False when no board has this address.
    bool setPresent(int address, bool present);
    bool isPresent(int address) const;
    bool hasBoard(int address) const { return find(address) != nullptr; }
    QVector<int> addresses() const;
    int size() const { return int(m_nodes.size()); }

    const PackModel *model(int address) const;
    uint32_t seedOf(int address) const;

    // The seed of the board at this address on a bus of several boards.
    static uint32_t boardSeed(uint32_t seed, int address);

private:
    struct Node
    {
        int address = 0;
        uint32_t seed = 0;
        bool present = true;
        std::unique_ptr<BoardParameters> parameters;
        std::unique_ptr<PackModel> model;
        std::unique_ptr<Board> board;
    };

    const Node *find(int address) const;
    Node *find(int address);

    std::vector<Node> m_nodes;
};
