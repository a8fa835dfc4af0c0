#include "Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace Translations {

QString install(QCoreApplication &application, const QLocale &locale)
{
    // Parented to the application, so they live exactly as long as the
    // strings they translate can be asked for.
    auto *own = new QTranslator(&application);
    QString language = QStringLiteral("en");
    if (own->load(locale, QStringLiteral("kelvra"), QStringLiteral("_"), resourceDirectory())) {
        application.installTranslator(own);
        language = own->language().section(QLatin1Char('_'), 0, 0);
    } else {
        delete own;
    }

    // Only when ours matched: an English interface with German file dialogs
    // would be the worse mix.
    if (language != QLatin1String("en")) {
        auto *toolkit = new QTranslator(&application);
        if (toolkit->load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                          QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
            application.installTranslator(toolkit);
        else
            delete toolkit;
    }
    return language;
}

} // namespace Translations
