#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace vk7 {

bool InstallSpanishTranslations(QCoreApplication &application)
{
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    auto *translator = new QTranslator(&application);
    if (!translator->load(u"qtbase_es"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace vk7
