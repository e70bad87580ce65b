#pragma once

class QCoreApplication;

namespace vk7 {

// Qt's own Spanish texts (standard buttons, file and print dialogs, the
// command-line help), whatever the machine's locale. False when Qt's
// translation files are not installed.
bool InstallSpanishTranslations(QCoreApplication &application);

} // namespace vk7
