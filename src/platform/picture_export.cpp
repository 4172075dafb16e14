#include "platform/picture_export.h"

#include "platform/controls.h"
#include "platform/message_box.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

std::function<void(QFileDialog &)> saveDialogHook;

namespace {

// A saved PNG has twice the pixels of the screen's picture, for print.
constexpr qreal kPrintRatio = 2.0;

// The screen's logical resolution, at which the window's fonts are measured:
// an exported picture draws its texts as large as the window does.
qreal screenDpi()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

int dotsPerMeter(qreal dpi)
{
    return int(std::lround(dpi / 0.0254));
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The picture as a file of the given type.
QByteArray pictureBytes(const Picture &picture, PictureType type, qreal ratio, const QString &title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (type == PictureType::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(picture.size);
        svg.setViewBox(QRect(QPoint(), picture.size));
        svg.setResolution(int(std::lround(screenDpi())));
        svg.setTitle(title);
        QPainter painter;
        if (!painter.begin(&svg))
            return {};
        picture.paint(painter);
        return painter.end() ? bytes : QByteArray();
    }
    const qreal printRatio = kPrintRatio * ratio;
    QImage image = pictureImage(picture, printRatio);
    // Printed as large as the screen shows it: as many more pixels an inch.
    image.setDotsPerMeterX(dotsPerMeter(screenDpi() * printRatio));
    image.setDotsPerMeterY(dotsPerMeter(screenDpi() * printRatio));
    return image.save(&buffer, "PNG") ? bytes : QByteArray();
}

const QString kPngFilter = QStringLiteral("Imagen PNG (*.png)");
const QString kSvgFilter = QStringLiteral("Imagen SVG (*.svg)");

QString suffixOf(PictureType type)
{
    return type == PictureType::Svg ? QStringLiteral("svg") : QStringLiteral("png");
}

} // namespace

QFont pictureFont(const QFont &font)
{
    QFont resolved(font);
    resolved.setFamily(QFontInfo(font).family());
    return resolved;
}

QImage pictureImage(const Picture &picture, qreal ratio)
{
    QImage image(int(std::ceil(picture.size.width() * ratio)),
                 int(std::ceil(picture.size.height() * ratio)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.setDotsPerMeterX(dotsPerMeter(screenDpi()));
    image.setDotsPerMeterY(dotsPerMeter(screenDpi()));
    image.fill(Qt::transparent);
    QPainter painter(&image);
    picture.paint(painter);
    return image;
}

void copyPicture(const Picture &picture, qreal ratio)
{
    const QImage image = pictureImage(picture, ratio);
    auto *data = new QMimeData;
    data->setData(QStringLiteral("image/png"), pngBytes(image));
    data->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(data);
}

QString savePicture(const Picture &picture, const QString &fileName, PictureType type, qreal ratio,
                    Replace replace)
{
    const QFileInfo info(fileName);
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("svg"))
        type = PictureType::Svg;
    else if (suffix == QLatin1String("png"))
        type = PictureType::Png;
    const QByteArray bytes = pictureBytes(picture, type, ratio, info.completeBaseName());
    if (bytes.isEmpty())
        return QStringLiteral("no se pudo dibujar la imagen");
    return writeWholeFile(fileName, bytes, replace);
}

std::optional<SaveChoice> chooseSaveName(QWidget *parent, const QString &title, const QString &name,
                                         const QList<SaveType> &types)
{
    QStringList filters;
    for (const SaveType &type : types)
        filters << type.filter;
    // Qt's own dialog adds the extension before it asks about a name that is
    // taken, so its question covers the name written; a desktop's dialog
    // would ask about the name as typed, before Qt adds it.
    QFileDialog dialog(parent, title,
                       QDir::current().filePath(name + QLatin1Char('.') + types.value(0).suffix),
                       filters.join(QStringLiteral(";;")));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(types.value(0).suffix);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, &types, filters](const QString &filter) {
                         dialog.setDefaultSuffix(types.value(filters.indexOf(filter)).suffix);
                     });
    if (saveDialogHook)
        saveDialogHook(dialog);
    else
        dialog.exec();
    const QStringList chosen = dialog.selectedFiles();
    if (dialog.result() != QDialog::Accepted || chosen.isEmpty())
        return std::nullopt;
    // The dialog has asked about a name that was taken, and only then.
    const QString fileName = chosen.first();
    return SaveChoice{fileName,
                      int(std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()))),
                      QFileInfo::exists(fileName) ? Replace::Allowed : Replace::Never};
}

void offerPicture(QWidget *control, const QString &name, std::function<Picture()> picture)
{
    addMenuEntry(control, QStringLiteral("Copiar imagen"),
                 [control, picture] { copyPicture(picture(), control->devicePixelRatioF()); });
    addMenuEntry(control, QStringLiteral("Guardar imagen…"), [control, name, picture] {
        const std::optional<SaveChoice> choice
                = chooseSaveName(control->window(), QStringLiteral("Guardar imagen"), name,
                                 {{kPngFilter, suffixOf(PictureType::Png)},
                                  {kSvgFilter, suffixOf(PictureType::Svg)}});
        if (!choice)
            return;
        const PictureType type = choice->type == 1 ? PictureType::Svg : PictureType::Png;
        const QString reason = savePicture(picture(), choice->fileName, type,
                                           control->devicePixelRatioF(), choice->replace);
        if (!reason.isEmpty())
            msgBox(control, QStringLiteral("No se pudo guardar la imagen: ") + reason);
    });
}
