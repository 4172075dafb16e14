#pragma once

#include <QLocale>

// Qt's own texts (the file dialog with its buttons and questions, the message
// boxes' buttons) in the user's language when that is Spanish, from the
// translations Qt's packages install (qt6-translations-l10n). The program's
// own texts are Spanish under every locale. Returns whether a translation was
// installed; another language, or none found, leaves Qt's texts in English.
bool installQtTranslation(const QLocale &locale);
