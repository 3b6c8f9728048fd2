#pragma once

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QString>

class QAction;
class QLineEdit;

// How a parameter field tells the board's value from a value that is not (yet) the board's: a
// look of its own for a typed value, and a mark in the field (a small picture with its words as
// the tool tip, above the field's own) for what became of a write. The confirmed mark goes after a
// few seconds; the others stay until the field changes again.
class WriteMarks : public QObject
{
    Q_OBJECT

public:
    enum class Mark {
        None, // the board's value, or a field nobody wrote
        Edited, // typed, not sent
        Pending, // sent, waiting for the read-back
        Confirmed, // the read-back shows the value sent
        Kept, // the read-back shows another value: the board kept its own
        Unconfirmed, // no read-back showed the board's value in time
        NotConfirmable, // sent; the read-back does not carry this field
    };

    static constexpr int ConfirmedMarkMs = 3000;

    explicit WriteMarks(QObject *parent = nullptr);

    // Marks the field; expected is the value sent, board the value read back (see text()).
    void set(QLineEdit *edit, Mark mark, const QString &expected = QString(),
             const QString &board = QString());
    Mark mark(const QLineEdit *edit) const;
    // The field's own tool tip (what it takes), shown below the mark's words, if any.
    void setBaseToolTip(QLineEdit *edit, const QString &text);
    // The style sheet the field's mark calls for: neutral for the board's value.
    static const char *styleOf(Mark mark);
    // The words of a mark: expected is the value sent, board the value read back.
    static QString text(Mark mark, const QString &expected = QString(),
                        const QString &board = QString());

protected:
    // The words of every mark follow a change of language.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry
    {
        Mark mark = Mark::None;
        QString expected;
        QString board;
        QAction *action = nullptr; // the picture in the field, made at its first mark
        quint64 generation = 0; // so a fading confirmed mark never clears a newer one
    };
    QIcon iconOf(Mark mark) const;

    void showText(QLineEdit *edit, const Entry &entry);

    QHash<QLineEdit *, Entry> m_entries;
    QHash<const QLineEdit *, QString> m_base;
    bool m_watchingLanguage = false;
    QIcon m_pending, m_confirmed, m_kept, m_unconfirmed, m_notConfirmable;
};
