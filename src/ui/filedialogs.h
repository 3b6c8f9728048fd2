#pragma once

#include <QList>
#include <QString>

#include <functional>

class QWidget;

// Every file dialog of the program goes through here, so tests answer it without a real dialog.
namespace FileDialogs {

// Asks for a file to save to; an empty text when the user cancelled.
QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                        const QString &filter);

using SavePresenter = std::function<QString(QWidget *parent, const QString &caption,
                                            const QString &dir, const QString &filter)>;
// Replaces what asks; an empty presenter restores the real dialog. Returns the previous one.
SavePresenter setSavePresenter(SavePresenter presenter);

// Answers every save dialog with a fixed file name (empty: cancelled) for as long as it lives,
// and records what each dialog asked.
class Answerer
{
public:
    struct Question
    {
        QWidget *parent;
        QString caption;
        QString dir;
        QString filter;
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
    SavePresenter m_previous;
};

} // namespace FileDialogs
