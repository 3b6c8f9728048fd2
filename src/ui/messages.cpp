#include "messages.h"

#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>
#include <QVector>

namespace Messages {

namespace {

struct OpenBox
{
    Kind kind;
    QString title;
    QString text;
    bool operator==(const OpenBox &other) const
    {
        return kind == other.kind && title == other.title && text == other.text;
    }
};

Presenter &presenter()
{
    static Presenter current;
    return current;
}

// What a replaced presenter answers to questions.
bool &presentedAnswer()
{
    static bool yes = false;
    return yes;
}

// The answer of the real dialog to the question shown last.
bool &dialogAnswer()
{
    static bool yes = false;
    return yes;
}

QVector<OpenBox> &openBoxes()
{
    static QVector<OpenBox> boxes;
    return boxes;
}

void showDialog(QWidget *parent, Kind kind, const QString &title, const QString &text)
{
    if (kind == Kind::About) {
        QMessageBox::about(parent, title, text);
        return;
    }
    if (kind == Kind::Question) {
        dialogAnswer() = QMessageBox::question(parent, title, text,
                                               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
        return;
    }
    QMessageBox::Icon icon = QMessageBox::Information;
    if (kind == Kind::Warning)
        icon = QMessageBox::Warning;
    else if (kind == Kind::Critical)
        icon = QMessageBox::Critical;
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

void show(QWidget *parent, Kind kind, const QString &title, const QString &text)
{
    const OpenBox box{ kind, title, text };
    if (openBoxes().contains(box))
        return;
    openBoxes().append(box);
    // Copy the presenter: a box's nested event loop may run code that swaps it.
    const Presenter present = presenter();
    if (present)
        present(parent, kind, title, text);
    else
        showDialog(parent, kind, title, text);
    openBoxes().removeOne(box);
}

bool question(QWidget *parent, const QString &title, const QString &text)
{
    const OpenBox box{ Kind::Question, title, text };
    if (openBoxes().contains(box))
        return false;
    dialogAnswer() = false;
    const bool presented = bool(presenter());
    show(parent, Kind::Question, title, text);
    return presented ? presentedAnswer() : dialogAnswer();
}

void information(QWidget *parent, const QString &title, const QString &text)
{
    show(parent, Kind::Information, title, text);
}

void warning(QWidget *parent, const QString &title, const QString &text)
{
    show(parent, Kind::Warning, title, text);
}

void critical(QWidget *parent, const QString &title, const QString &text)
{
    show(parent, Kind::Critical, title, text);
}

void about(QWidget *parent, const QString &title, const QString &text)
{
    show(parent, Kind::About, title, text);
}

Presenter setPresenter(Presenter next)
{
    Presenter previous = std::move(presenter());
    presenter() = std::move(next);
    return previous;
}

Recorder::Recorder()
{
    m_previous =
        setPresenter([this](QWidget *, Kind kind, const QString &title, const QString &text) {
            m_entries.append(Entry{ kind, title, text });
            if (m_nestedLoopMs > 0) {
                QEventLoop loop;
                QTimer::singleShot(m_nestedLoopMs, &loop, &QEventLoop::quit);
                loop.exec();
            }
        });
    m_previousAnswer = presentedAnswer();
    presentedAnswer() = true;
}

Recorder::~Recorder()
{
    setPresenter(std::move(m_previous));
    presentedAnswer() = m_previousAnswer;
}

void Recorder::setAnswer(bool yes)
{
    presentedAnswer() = yes;
}

} // namespace Messages
