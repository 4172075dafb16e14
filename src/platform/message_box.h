#pragma once

#include <QString>

#include <functional>

class QWidget;

// The modal message box: the text, an OK button only, no icon, the
// application's name as title. Returns when the user has closed it.
void msgBox(QWidget *parent, const QString &text);

// When set, msgBox hands the text to this hook instead of opening a box and
// returns at once, as if OK had been pressed. Tests install it to see every
// message without ever blocking on a modal dialog.
extern std::function<void(const QString &)> messageBoxHook;
