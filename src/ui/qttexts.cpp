#include "qttexts.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace QtTexts {

QString fileFor(int languageIndex)
{
    switch (languageIndex) {
    case 0:
        return QStringLiteral("qtbase_zh_CN");
    case 2:
        return QStringLiteral("qtbase_de");
    default:
        return QString();
    }
}

bool use(int languageIndex)
{
    // One at a time, owned here for the rest of the run, like the program's own translation.
    static QTranslator *translator = nullptr;
    if (languageIndex < 0 || languageIndex > 2)
        return translator != nullptr;
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    const QString file = fileFor(languageIndex);
    if (file.isEmpty())
        return false;
    // Debian's qttranslations5-l10n puts them in Qt's own translations folder.
    // Exactly this file: given a missing one, load() would go on to shorter names.
    const QString path = QLibraryInfo::location(QLibraryInfo::TranslationsPath) + QLatin1Char('/')
        + file + QStringLiteral(".qm");
    auto *loaded = new QTranslator;
    if (!QFileInfo(path).isFile() || !loaded->load(path)) {
        qDebug().noquote() << "no Qt translation" << path;
        delete loaded;
        return false;
    }
    translator = loaded;
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace QtTexts
