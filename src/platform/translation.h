#pragma once

#include <QLocale>

class QTranslator;

// Qt's own texts (the file dialog with its buttons and questions, the message
// boxes' buttons) in the user's language when that is Spanish, from the
// translations Qt's packages install (qt6-translations-l10n). The program's
// own texts are Spanish under every locale. Returns the translator installed,
// owned by the application, or null: another language, or no translation
// found, leaves Qt's texts in English.
QTranslator *installQtTranslation(const QLocale &locale);
