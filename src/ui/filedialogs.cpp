#include "filedialogs.h"

#include <QFileDialog>

namespace FileDialogs {

namespace {
SavePresenter &savePresenter()
{
    static SavePresenter current;
    return current;
}
} // namespace

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                        const QString &filter)
{
    // Copied: the dialog's event loop may run code that swaps it.
    const SavePresenter present = savePresenter();
    if (present)
        return present(parent, caption, dir, filter);
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

SavePresenter setSavePresenter(SavePresenter next)
{
    SavePresenter previous = std::move(savePresenter());
    savePresenter() = std::move(next);
    return previous;
}

Answerer::Answerer(const QString &answer)
    : m_answer(answer)
{
    m_previous = setSavePresenter(
        [this](QWidget *parent, const QString &caption, const QString &dir, const QString &filter) {
            m_questions.append(Question{ parent, caption, dir, filter });
            return m_answer;
        });
}

Answerer::~Answerer()
{
    setSavePresenter(std::move(m_previous));
}

} // namespace FileDialogs
