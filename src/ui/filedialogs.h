#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QFileDialog;
class QWidget;

// Every file dialog of the program goes through here, so tests answer it without a real dialog.
namespace FileDialogs {

enum class Kind { Save, Open, Folder };

// Asks for a file to save to; an empty text when the user cancelled. A name typed without a
// suffix gets defaultSuffix (without its dot), before the dialog asks whether to replace a file.
QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                        const QString &filter, const QString &defaultSuffix = QString());
// Asks for an existing file to open; an empty text when the user cancelled.
QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                        const QString &filter);
// Asks for a recording (or an exported log) to open, from folder; empty when the user cancelled.
QString getRecordingFileName(QWidget *parent, const QString &folder);
// Asks for a folder; an empty text when the user cancelled.
QString getExistingDirectory(QWidget *parent, const QString &caption, const QString &dir);

// The dialog that asks, before it is shown (tests look at it): Qt's own where the platform has
// none, wide enough for a recording's whole name and its date beside it (fit).
std::unique_ptr<QFileDialog> prepare(Kind kind, QWidget *parent, const QString &caption,
                                     const QString &dir, const QString &filter,
                                     const QString &defaultSuffix = QString());
void fit(QFileDialog *dialog);

using Presenter = std::function<QString(Kind kind, QWidget *parent, const QString &caption,
                                        const QString &dir, const QString &filter)>;
// Replaces what asks; an empty presenter restores the real dialogs. Returns the previous one.
Presenter setPresenter(Presenter presenter);

// Answers every dialog with a fixed path (empty: cancelled) for as long as it lives, and records
// what each dialog asked.
class Answerer
{
public:
    struct Question
    {
        QWidget *parent;
        QString caption;
        QString dir;
        QString filter;
        Kind kind;
    };

    explicit Answerer(const QString &answer);
    ~Answerer();
    Answerer(const Answerer &) = delete;
    Answerer &operator=(const Answerer &) = delete;

    void setAnswer(const QString &answer) { m_answer = answer; }
    const QList<Question> &questions() const { return m_questions; }

private:
    QString m_answer;
    QList<Question> m_questions;
    Presenter m_previous;
};

} // namespace FileDialogs
