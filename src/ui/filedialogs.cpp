#include "filedialogs.h"

#include <QFileDialog>

namespace FileDialogs {

namespace {
Presenter &presenter()
{
    static Presenter current;
    return current;
}

QString ask(Kind kind, QWidget *parent, const QString &caption, const QString &dir,
            const QString &filter)
{
    // Copied: the dialog's event loop may run code that swaps it.
    const Presenter present = presenter();
    if (present)
        return present(kind, parent, caption, dir, filter);
    switch (kind) {
    case Kind::Save:
        return QFileDialog::getSaveFileName(parent, caption, dir, filter);
    case Kind::Open:
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    case Kind::Folder:
        break;
    }
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}
} // namespace

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                        const QString &filter)
{
    return ask(Kind::Save, parent, caption, dir, filter);
}

QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                        const QString &filter)
{
    return ask(Kind::Open, parent, caption, dir, filter);
}

QString getExistingDirectory(QWidget *parent, const QString &caption, const QString &dir)
{
    return ask(Kind::Folder, parent, caption, dir, QString());
}

Presenter setPresenter(Presenter next)
{
    Presenter previous = std::move(presenter());
    presenter() = std::move(next);
    return previous;
}

Answerer::Answerer(const QString &answer)
    : m_answer(answer)
{
    m_previous = setPresenter([this](Kind kind, QWidget *parent, const QString &caption,
                                     const QString &dir, const QString &filter) {
        m_questions.append(Question{ parent, caption, dir, filter, kind });
        return m_answer;
    });
}

Answerer::~Answerer()
{
    setPresenter(std::move(m_previous));
}

} // namespace FileDialogs
