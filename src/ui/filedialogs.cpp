#include "filedialogs.h"

#include "recording.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>

namespace FileDialogs {

namespace {
Presenter &presenter()
{
    static Presenter current;
    return current;
}

QString ask(Kind kind, QWidget *parent, const QString &caption, const QString &dir,
            const QString &filter, const QString &defaultSuffix = QString())
{
    // Copied: the dialog's event loop may run code that swaps it.
    const Presenter present = presenter();
    if (present)
        return present(kind, parent, caption, dir, filter);
    std::unique_ptr<QFileDialog> dialog =
        prepare(kind, parent, caption, dir, filter, defaultSuffix);
    const QPointer<QFileDialog> open(dialog.get());
    const int answer = dialog->exec();
    if (!open) { // gone with its parent while it was open
        dialog.release();
        return QString();
    }
    if (answer != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    return dialog->selectedFiles().constFirst();
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

QString getRecordingFileName(QWidget *parent, const QString &folder)
{
    return getOpenFileName(parent, QCoreApplication::translate("MainWindow", "打开记录"), folder,
                           QCoreApplication::translate("MainWindow", "CSV Files (*.csv)"));
}

QString getExistingDirectory(QWidget *parent, const QString &caption, const QString &dir)
{
    return ask(Kind::Folder, parent, caption, dir, QString());
}

std::unique_ptr<QFileDialog> prepare(Kind kind, QWidget *parent, const QString &caption,
                                     const QString &dir, const QString &filter,
                                     const QString &defaultSuffix)
{
    // The dialog itself rather than the static functions, which open it at a size of their own.
    auto dialog = std::make_unique<QFileDialog>(parent, caption, dir, filter);
    switch (kind) {
    case Kind::Save:
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        // The dialog adds it to a name typed without one before it checks for a file of that
        // name.
        dialog->setDefaultSuffix(defaultSuffix);
        break;
    case Kind::Open:
        dialog->setFileMode(QFileDialog::ExistingFile);
        break;
    case Kind::Folder:
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    fit(dialog.get());
    return dialog;
}

void fit(QFileDialog *dialog)
{
    // Qt's own dialog opens about 630 pixels wide, its list showing part of a name and the date
    // off to the right, cut in a column sized for a shorter date than the one it shows. Here the
    // columns hold a recording's whole name, its type and its date (in the system's format, as
    // the dialog writes it), the sidebar the names of its places, and the dialog all of them,
    // within the screen. Columns the user left wider stay so.
    const QFontMetrics metrics(dialog->font());
    const int pad = 2 * metrics.height(); // an icon, a margin
    const QDateTime late(QDate(2026, 12, 28), QTime(20, 58, 58));
    const QString recording = Recording::fileName(late, 88);
    const int name = metrics.horizontalAdvance(recording) + 2 * pad;
    const int type = dialog->iconProvider()
        ? metrics.horizontalAdvance(dialog->iconProvider()->type(QFileInfo(recording))) + pad
        : 0;
    const int date =
        metrics.horizontalAdvance(QLocale::system().toString(late, QLocale::ShortFormat)) + pad;
    int columns =
        name + metrics.horizontalAdvance(QStringLiteral("128.88 KiB")) + pad + type + date;
    if (auto *list = dialog->findChild<QTreeView *>(QStringLiteral("treeView"))) {
        QHeaderView *header = list->header();
        header->resizeSection(0, std::max(header->sectionSize(0), name));
        header->resizeSection(2, std::max(header->sectionSize(2), type));
        header->resizeSection(3, std::max(header->sectionSize(3), date));
        columns = header->length();
    }
    int sidebar = metrics.horizontalAdvance(QStringLiteral("wwwwwwwwww")) + pad;
    auto *splitter = dialog->findChild<QSplitter *>(QStringLiteral("splitter"));
    if (splitter && splitter->count() == 2)
        sidebar = std::max(splitter->sizes().constFirst(), sidebar);
    QSize size(sidebar + columns + 2 * pad, 30 * metrics.height());
    if (const QScreen *screen = dialog->screen())
        size = size.boundedTo(screen->availableSize() * 9 / 10);
    dialog->resize(size.expandedTo(dialog->sizeHint()));
    if (splitter && splitter->count() == 2)
        splitter->setSizes({ sidebar, std::max(0, size.width() - sidebar) });
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
