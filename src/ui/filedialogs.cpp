#include "filedialogs.h"

#include <QFileDialog>

namespace FileDialogs {

namespace {
Presenter &presenter()
{
    static Presenter current;
    return current;
}

QString save(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
             const QString &defaultSuffix)
{
    if (defaultSuffix.isEmpty())
        return QFileDialog::getSaveFileName(parent, caption, dir, filter);
    // The static function has no default suffix; the dialog's own adds it before it checks for
    // a file of that name.
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString ask(Kind kind, QWidget *parent, const QString &caption, const QString &dir,
            const QString &filter, const QString &defaultSuffix = QString())
{
    // Copied: the dialog's event loop may run code that swaps it.
    const Presenter present = presenter();
    if (present)
        return present(kind, parent, caption, dir, filter);
    switch (kind) {
    case Kind::Save:
        return save(parent, caption, dir, filter, defaultSuffix);
    case Kind::Open:
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    case Kind::Folder:
        break;
    }
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}
} // namespace

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                        const QString &filter, const QString &defaultSuffix)
{
    return ask(Kind::Save, parent, caption, dir, filter, defaultSuffix);
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
