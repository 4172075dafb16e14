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
#include <QSaveFile>
#include <QScreen>
#include <QSvgGenerator>

#include <cmath>

std::function<QString(const QString &)> saveDialogHook;

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

// The picture in the format its file name asks for.
QByteArray pictureBytes(const Picture &picture, const QString &fileName)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (QFileInfo(fileName).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(picture.size);
        svg.setViewBox(QRect(QPoint(), picture.size));
        svg.setResolution(int(std::lround(screenDpi())));
        svg.setTitle(QFileInfo(fileName).completeBaseName());
        QPainter painter;
        if (!painter.begin(&svg))
            return {};
        picture.paint(painter);
        return painter.end() ? bytes : QByteArray();
    }
    QImage image = pictureImage(picture, kPrintRatio);
    // Printed as large as the screen shows it: twice the pixels an inch.
    image.setDotsPerMeterX(dotsPerMeter(screenDpi() * kPrintRatio));
    image.setDotsPerMeterY(dotsPerMeter(screenDpi() * kPrintRatio));
    return image.save(&buffer, "PNG") ? bytes : QByteArray();
}

// Unbuffered, a write that stops short (a full disk) says so; through
// QFileDevice's buffer the shortfall would go unseen and the commit succeed.
bool writeAll(QIODevice &file, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 wrote = file.write(bytes.constData() + done, bytes.size() - done);
        if (wrote <= 0)
            return false;
        done += wrote;
    }
    return true;
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

QString savePicture(const Picture &picture, const QString &fileName)
{
    // A file dialog lets one pick a device or a pipe; only a file is replaced.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        return QStringLiteral("«%1» no es un archivo").arg(fileName);
    const QByteArray bytes = pictureBytes(picture, fileName);
    if (bytes.isEmpty())
        return QStringLiteral("no se pudo dibujar la imagen");
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return QStringLiteral("no se puede crear el archivo «%1»").arg(fileName);
    // Without a commit the temporary file is removed and the name untouched.
    if (!writeAll(file, bytes) || !file.commit())
        return QStringLiteral("no se puede escribir el archivo «%1»").arg(fileName);
    return {};
}

void offerPicture(QWidget *control, const QString &name, std::function<Picture()> picture)
{
    addMenuEntry(control, QStringLiteral("Copiar imagen"),
                 [control, picture] { copyPicture(picture(), control->devicePixelRatioF()); });
    addMenuEntry(control, QStringLiteral("Guardar imagen…"), [control, name, picture] {
        const QString proposed = QDir::current().filePath(name + QStringLiteral(".png"));
        QString filter;
        QString chosen = saveDialogHook
                ? saveDialogHook(proposed)
                : QFileDialog::getSaveFileName(
                        control->window(), QStringLiteral("Guardar imagen"), proposed,
                        QStringLiteral("Imagen PNG (*.png);;Imagen SVG (*.svg)"), &filter);
        if (chosen.isEmpty())
            return;
        const QString suffix = QFileInfo(chosen).suffix().toLower();
        if (suffix != QLatin1String("png") && suffix != QLatin1String("svg"))
            chosen += filter.contains(QLatin1String("svg")) ? QStringLiteral(".svg")
                                                            : QStringLiteral(".png");
        const QString reason = savePicture(picture(), chosen);
        if (!reason.isEmpty())
            msgBox(control, QStringLiteral("No se pudo guardar la imagen: ") + reason);
    });
}
