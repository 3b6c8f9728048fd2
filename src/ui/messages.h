#pragma once

#include <QList>
#include <QString>

#include <functional>

class QWidget;

// Every modal box of the program goes through here: one icon, the given title and text, and a
// single "OK" button. Tests swap the presenter for a Recorder, so no box ever blocks them.
namespace Messages {

enum class Kind { Information, Warning, Critical, About, Question };

void information(QWidget *parent, const QString &title, const QString &text);
void warning(QWidget *parent, const QString &title, const QString &text);
void critical(QWidget *parent, const QString &title, const QString &text);
// The application's about box (rich text allowed).
void about(QWidget *parent, const QString &title, const QString &text);

// Asks before something that cannot be undone: "Yes" and "No", "No" by default. True only for
// "Yes"; a question identical to one still open is not asked again and counts as "No".
bool question(QWidget *parent, const QString &title, const QString &text);

// Shows one box and returns when it is closed. While a box is open its nested event loop keeps
// timers running; a box identical to one still open (same kind, title and text) is not stacked
// on top of it but dropped.
void show(QWidget *parent, Kind kind, const QString &title, const QString &text);

using Presenter =
    std::function<void(QWidget *parent, Kind kind, const QString &title, const QString &text)>;
// Replaces what shows the boxes; an empty presenter restores the real dialogs. Returns the
// previous one.
Presenter setPresenter(Presenter presenter);

// Records every box instead of showing it, for as long as it lives.
class Recorder
{
public:
    struct Entry
    {
        Kind kind;
        QString title;
        QString text;
    };

    Recorder();
    ~Recorder();
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    const QList<Entry> &entries() const { return m_entries; }
    void clear() { m_entries.clear(); }
    // The answer to every question while it records ("Yes" unless told otherwise).
    void setAnswer(bool yes);
    // Each box recorded runs a nested event loop for this long before it "closes", as a real box
    // does while the user reads it: timers, the serial line and queued work go on meanwhile.
    // 0 (the default): boxes close at once.
    void setNestedLoop(int milliseconds) { m_nestedLoopMs = milliseconds; }

private:
    QList<Entry> m_entries;
    int m_nestedLoopMs = 0;
    Presenter m_previous;
    bool m_previousAnswer = false;
};

} // namespace Messages
