#pragma once

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

// The modal message box: the text, an OK button only, no icon, the
// application's name as title. Returns when the user has closed it. As it
// opens, the control that holds the mouse is released (see releaseHeldControl).
void msgBox(QWidget *parent, const QString &text);

// When set, msgBox hands the text to this hook instead of opening a box and
// returns at once, as if OK had been pressed. Tests install it to see every
// message without ever blocking on a modal dialog. Nothing else runs while
// such a box is "open", so what timers and input do meanwhile goes unseen.
extern std::function<void(const QString &)> messageBoxHook;

// When set, msgBox opens the real modal box on any platform, the offscreen one
// included, and hands it to this hook just before its event loop starts; the
// hook sees that it is closed (a test presses OK from a timer). It takes
// precedence over messageBoxHook. A box still open after ten seconds closes
// itself with a warning, so a test can never wait on one for good.
extern std::function<void(QMessageBox &box)> modalBoxHook;
