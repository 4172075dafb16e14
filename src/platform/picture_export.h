#pragma once

// Pictures out of the window: a chart or a plot copied as PNG, or saved as PNG
// or SVG, from one painting that draws it into any painter.

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

class QPainter;
class QWidget;

// A picture drawn on demand: its size in pixels and the painting that draws it
// into a painter whose coordinates are those pixels, whatever the device
// behind it (an image of any resolution, or an SVG generator).
struct Picture
{
    QSize size;
    std::function<void(QPainter &)> paint;
};

// The font as this machine draws it, named by the face it resolves to: an SVG
// names its fonts, and the name a window asks for may be that of a substitute.
QFont pictureFont(const QFont &font);

// The picture as an image of size x ratio device pixels that carries the
// ratio, with fonts at the screen's size.
QImage pictureImage(const Picture &picture, qreal ratio);

// The picture on the clipboard as PNG (and as an image for the programs that
// ask for another format), at the given device pixel ratio.
void copyPicture(const Picture &picture, qreal ratio);

// Saves the picture to a file: SVG when the name ends in ".svg", the painting
// replayed through Qt SVG's generator, and PNG otherwise, at twice the size
// for print. The file is written under a temporary name and renamed at the
// end, so a failure leaves no partial file, nor an old file half replaced.
// Returns the reason for the user, or nothing when the picture is saved.
QString savePicture(const Picture &picture, const QString &fileName);

// "Copiar imagen" and "Guardar imagen…" in a control's context menu. The
// picture is asked for when an entry is chosen; the copy takes the control's
// device pixel ratio; the save proposes `name` with the extension of the chosen
// format and says why when it fails.
void offerPicture(QWidget *control, const QString &name, std::function<Picture()> picture);

// When set, "Guardar imagen…" asks this hook for the file name (given the
// proposed one) instead of opening a file dialog; an empty name cancels.
extern std::function<QString(const QString &proposed)> saveDialogHook;
