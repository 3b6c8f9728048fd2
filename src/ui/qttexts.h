#pragma once

#include <QString>

// Qt's own texts (the buttons of message boxes, file dialogs, the spin boxes' menus) in the
// language of the window: Qt's translation for it is installed beside the program's own. English
// needs none.
namespace QtTexts {

// The Qt translation file for a language of the language list (0 Chinese, 1 English, 2 German):
// "qtbase_zh_CN", "" for English, "qtbase_de"; "" for an index outside the list.
QString fileFor(int languageIndex);

// Replaces the installed Qt translation with the one for the language; an index outside the list
// leaves it as it is. Where Qt's translations are not installed, Qt's texts stay English. Returns
// whether a translation is installed afterwards.
bool use(int languageIndex);

} // namespace QtTexts
