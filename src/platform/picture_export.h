#pragma once

// Pictures out of the window: a chart or a plot copied as PNG, or saved as PNG
// or SVG, from one painting that draws it into any painter.

#include "platform/file_write.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QFileDialog;
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

// The two types a picture is saved as.
enum class PictureType { Png, Svg };

// Saves the picture to a file: SVG when the name ends in ".svg", PNG when it
// ends in ".png", and otherwise the type given. An SVG replays the painting
// through Qt SVG's generator; a PNG has twice the pixels the screen shows at
// the given device pixel ratio, for print. The file is written whole or not at
// all, and a name already taken is replaced only as `replace` allows (see
// writeWholeFile). Returns the reason for the user, or nothing when saved.
QString savePicture(const Picture &picture, const QString &fileName, PictureType type, qreal ratio,
                    Replace replace);

// A name the user chose to save under, with the type chosen and whether the
// name may be replaced (see writeWholeFile).
struct SaveChoice
{
    QString fileName;
    int type{0}; // the index of the chosen type in the list given
    Replace replace{Replace::Never};
};

// One type a file is saved as: its line in the dialog's list and its extension.
struct SaveType
{
    QString filter; // "Imagen PNG (*.png)"
    QString suffix; // "png"
};

// Asks for the name to save a file under in Qt's own file dialog (never the
// desktop's), titled `title`, proposing `name` in the current folder with the
// first type's extension; the extension follows the type chosen, a name typed
// without one gets it, and the dialog asks before replacing the name it then
// holds. Nothing when the user cancels.
std::optional<SaveChoice> chooseSaveName(QWidget *parent, const QString &title, const QString &name,
                                         const QList<SaveType> &types);

// "Copiar imagen" and "Guardar imagen…" in a control's context menu. The
// picture is asked for when an entry is chosen; the copy takes the control's
// device pixel ratio. The save opens Qt's own file dialog, which proposes
// `name` with the extension of the chosen type, adds that extension to a name
// typed without one and asks before replacing the name it then holds; it says
// why when the save fails.
void offerPicture(QWidget *control, const QString &name, std::function<Picture()> picture);

// When set, chooseSaveName ("Guardar imagen…" and every other save) hands its file dialog, set up,
// to this hook instead of opening it: the hook plays the user (types, chooses a type, answers the
// dialog's questions) and the save goes on if it leaves the dialog accepted.
extern std::function<void(QFileDialog &dialog)> saveDialogHook;
