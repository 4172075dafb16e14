#pragma once

#include <QRect>

class QWidget;

// Where a window whose frame has `size` opens beside an owner whose frame is
// `owner`, on a screen whose available area is `room`. The frame returned lies
// within the room, shrunk to it where it is larger. It touches the owner's
// right side where the room has space there, else its left side, and
// otherwise lies where it covers the least of the owner's visible part,
// preferring the right and the owner's top; its top is level with the owner's
// as far as the room allows.
QRect placeBeside(const QRect &owner, QSize size, const QRect &room);

// Places a window that opens for the first time beside its owner, on the
// owner's screen, as above: the window's frame is taken to be as wide as the
// owner's, and a window larger than the screen's available area is shrunk to
// it (the size Qt would give it at show() otherwise: its own, or its size hint).
void placeBeside(QWidget *window, const QWidget *owner);

// A frame moved into `room`, shrunk to it first where it is larger: it moves
// as little as it can, so a window that grows past the room's right edge goes
// left by what it grew beyond it.
QRect keptInRoom(const QRect &frame, const QRect &room);

// Resizes a shown window to `size`, its top left corner where it is as far as
// the screen's available area allows: as above, its frame is kept within it.
void resizeInRoom(QWidget *window, QSize size);
