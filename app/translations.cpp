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
    QCoreApplication::installTranslator(translator);
    // Installed last, so it is asked first.
    auto *own = new QTranslator(&application);
    if (!own->load(u":/translations/vk7_qt_es.qm"_s)) {
        delete own;
        return false;
    }
    return QCoreApplication::installTranslator(own);
}

void UseSpanishSystemLocale()
{
    // Qt reads the system locale from the environment once, at its first use.
    const bool wasSet = qEnvironmentVariableIsSet("LC_ALL");
    const QByteArray was = qgetenv("LC_ALL");
    qputenv("LC_ALL", "es_ES.UTF-8");
    QLocale::system();
    if (wasSet)
        qputenv("LC_ALL", was);
    else
        qunsetenv("LC_ALL");
}

} // namespace vk7
