// The editors speak Chinese whatever the system's language: Qt's own dialogs
// (file, print, message boxes) take Qt's Chinese catalogue from the installed
// translations, and dates and numbers in them are written the Chinese way.
#pragma once

class QCoreApplication;

namespace qm {

// Before the first window. False when Qt's Chinese translations are not installed
// (Debian: qt6-translations-l10n); Qt's dialogs then speak English.
bool installChineseTranslations(QCoreApplication& app);

}  // namespace qm
