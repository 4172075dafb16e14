#pragma once

class QWidget;

// Places a window that opens for the first time beside its owner's, on the
// owner's screen: to its right where the screen has room, else as far right
// as the screen allows, so that the owner stays in sight as much as it can.
void placeBeside(QWidget *window, const QWidget *owner);
