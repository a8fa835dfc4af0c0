#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

// The interface's language. The program ships its own strings compiled into
// the interface resource as ":/i18n/kelvra_<language>.qm" and speaks the
// first of the user's preferred languages (QLocale::uiLanguages(): LANGUAGE,
// LC_MESSAGES, LANG on Linux, the display language on Windows) that it has;
// English, the language of the sources, needs no file. Qt's own strings
// (file dialogs, standard buttons) follow from the toolkit's translations
// where the system has them installed.
namespace Translations {

// The resource directory of the program's own catalogues.
inline QString resourceDirectory() { return QStringLiteral(":/i18n"); }

// Installs the program's and Qt's catalogues for locale on application.
// Returns the language the program's strings are shown in: the catalogue's
// language ("de"), or "en" when no catalogue matched.
QString install(QCoreApplication &application, const QLocale &locale = QLocale());

} // namespace Translations
