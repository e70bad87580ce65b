#pragma once

class QCoreApplication;

namespace vk7 {

// Qt's own Spanish texts (standard buttons, file and print dialogs, the
// command-line help), whatever the machine's locale, with the program's own
// catalogue over them for the texts Qt's leaves in English (and "Ctrl", as
// the menus write it). False when Qt's translation files are not installed.
bool InstallSpanishTranslations(QCoreApplication &application);

// Dates and numbers in Qt's own windows (the file dialog's) are written in
// Spanish whatever the machine's locale. Call before the application object
// is made; the environment is left as it was, for the programs started from
// this one.
void UseSpanishSystemLocale();

} // namespace vk7
