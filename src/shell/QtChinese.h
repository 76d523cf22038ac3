#pragma once

#include <QString>

// Qt's own texts in Chinese: the buttons of message and input boxes
// (确定/取消), the file, print and print preview dialogs and their tool
// tips. The program speaks Chinese whatever the machine's language is,
// so Qt's translations are loaded at start regardless of LANG.
namespace QtChinese {

// The translation file Qt ships for its base modules, in Qt's translation
// folder (qt6-translations-l10n on Debian).
QString translationFile();

// Installs Qt's Chinese translations into the running application and
// makes Chinese (China) the default locale, for calendars and the like.
// False when the translation file is missing or unreadable: Qt's texts
// then stay English and everything else works as before.
bool install();

} // namespace QtChinese
