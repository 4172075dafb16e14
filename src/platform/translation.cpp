#include "platform/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QTranslator *installQtTranslation(const QLocale &locale)
{
    if (locale.language() != QLocale::Spanish)
        return nullptr;
    auto *translator = new QTranslator(QCoreApplication::instance());
    // qtbase holds the widgets' texts; the country's own file, where one
    // exists, comes before the language's.
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}
