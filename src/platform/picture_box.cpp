#include "platform/picture_box.h"

#include "platform/controls.h"
#include "platform/twips.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <limits>

QImage twoColourPicture(const QString &svgFile, qreal ratio)
{
    QSvgRenderer svg(svgFile);
    if (!svg.isValid())
        return QImage();
    const QSizeF size = svg.viewBoxF().size();
    const QSize pixels(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio)));
    // Each device pixel is judged from an 8 x 8 block of samples, as the
    // pictures' bitmaps were made; the renderer's own antialiasing only
    // shades the samples on an edge.
    constexpr int oversample = 8;
    constexpr int inkedSamples = 27; // 42 % of 64
    QImage samples(pixels * oversample, QImage::Format_Grayscale8);
    samples.fill(255);
    {
        QPainter painter(&samples);
        painter.scale(ratio * oversample, ratio * oversample);
        svg.render(&painter, QRectF(QPointF(), size));
    }
    QImage picture(pixels, QImage::Format_RGB32);
    for (int py = 0; py < pixels.height(); ++py) {
        QRgb *out = reinterpret_cast<QRgb *>(picture.scanLine(py));
        for (int px = 0; px < pixels.width(); ++px) {
            int inked = 0;
            for (int sy = 0; sy < oversample; ++sy) {
                const uchar *row = samples.constScanLine(py * oversample + sy) + px * oversample;
                for (int sx = 0; sx < oversample; ++sx)
                    inked += row[sx] < 128 ? 1 : 0;
            }
            out[px] = inked >= inkedSamples ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        }
    }
    picture.setDevicePixelRatio(ratio);
    return picture;
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const QImage &newPicture)
{
    setPicture(newPicture, QString());
}

void PictureBox::setPicture(const QImage &newBitmap, const QString &newSvgFile)
{
    bitmap = newBitmap;
    svgFile = newSvgFile;
    rendered = QImage();
    Cls();
}

void PictureBox::setBackColor(const QColor &colour)
{
    back = colour;
    Cls();
}

void PictureBox::Cls()
{
    dots.clear();
    rebuild();
    update();
}

qreal PictureBox::ratio() const
{
    return devicePixelRatioF();
}

// Makes the backing image again at the current size and device pixel ratio:
// background, picture, then every dot since the last Cls.
void PictureBox::rebuild()
{
    const qreal r = ratio();
    const QSize pixels(int(std::ceil(width() * r)), int(std::ceil(height() * r)));
    if (backing.size() != pixels || backing.devicePixelRatio() != r) {
        backing = QImage(pixels, QImage::Format_RGB32);
        backing.setDevicePixelRatio(r);
    }
    backing.fill(back);
    drawPicture();
    for (const Dot &dot : dots)
        drawDot(dot);
}

void PictureBox::drawPicture()
{
    if (bitmap.isNull())
        return;
    const qreal r = backing.devicePixelRatio();
    const bool fromVector = r != 1.0 && !svgFile.isEmpty();
    if (fromVector && rendered.devicePixelRatio() != r)
        rendered = twoColourPicture(svgFile, r);
    QPainter painter(&backing);
    // Should the vector source ever fail, the bitmap still shows, scaled up.
    painter.drawImage(0, 0, fromVector && !rendered.isNull() ? rendered : bitmap);
}

void PictureBox::PSet(double X, double Y, const QColor &colour)
{
    // The coordinates are single precision, as the drawing hands them over;
    // anything beyond the float range lies far outside the box anyway.
    constexpr double floatMax = std::numeric_limits<float>::max();
    if (!(std::fabs(X) <= floatMax && std::fabs(Y) <= floatMax))
        return;
    dots.push_back({float(X), float(Y), drawWidth, colour.rgb()});
    drawDot(dots.back());
    if (!repaintPending && isVisible()) {
        repaintPending = true;
        update();
    }
}

// The dot in device pixels: its centre and its width scale with the ratio, so
// at a ratio of 1 a dot covers whole pixels exactly as it always has.
void PictureBox::drawDot(const Dot &dot)
{
    const qreal r = backing.devicePixelRatio();
    // Far-away coordinates are dropped before any conversion to int, which
    // would be undefined behaviour for values beyond the int range.
    const double px = std::nearbyint(double(dot.X) / kTwipsPerPixel * r);
    const double py = std::nearbyint(double(dot.Y) / kTwipsPerPixel * r);
    const int w = std::max(1, int(std::lround(dot.width * r)));
    if (!(px > -w && px < backing.width() + w && py > -w && py < backing.height() + w))
        return;
    const int cx = int(px);
    const int cy = int(py);
    if (w == 1) {
        if (cx >= 0 && cx < backing.width() && cy >= 0 && cy < backing.height())
            reinterpret_cast<QRgb *>(backing.scanLine(cy))[cx] = dot.rgb;
        return;
    }
    // A round dot w pixels across whose centre lies on the point.
    const double radius = w / 2.0;
    for (int dy = 0; dy < w; ++dy) {
        const int yy = cy - w / 2 + dy;
        if (yy < 0 || yy >= backing.height())
            continue;
        QRgb *row = reinterpret_cast<QRgb *>(backing.scanLine(yy));
        for (int dx = 0; dx < w; ++dx) {
            const int xx = cx - w / 2 + dx;
            const double ox = dx + 0.5 - radius;
            const double oy = dy + 0.5 - radius;
            if (xx >= 0 && xx < backing.width() && ox * ox + oy * oy <= radius * radius)
                row[xx] = dot.rgb;
        }
    }
}

void PictureBox::drawInto(QPainter &painter) const
{
    painter.save();
    painter.setClipRect(rect());
    painter.fillRect(rect(), back);
    if (!bitmap.isNull())
        painter.drawImage(0, 0, bitmap);

    // Each dot where the screen puts it at a ratio of 1: a one-pixel dot fills
    // the pixel at its rounded position, a wider one is a disc centred there.
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    QRgb rgb = 0;
    int dotWidth = 0;
    const auto fill = [&] {
        if (!path.isEmpty())
            painter.fillPath(path, QColor(rgb));
        path.clear();
    };
    for (const Dot &dot : dots) {
        if (dot.rgb != rgb || dot.width != dotWidth) {
            fill();
            rgb = dot.rgb;
            dotWidth = dot.width;
        }
        const double px = std::nearbyint(double(dot.X) / kTwipsPerPixel);
        const double py = std::nearbyint(double(dot.Y) / kTwipsPerPixel);
        if (!(px > -dot.width && px < width() + dot.width && py > -dot.width
              && py < height() + dot.width))
            continue;
        if (dot.width == 1)
            path.addRect(px, py, 1, 1);
        else
            path.addEllipse(QPointF(px, py), dot.width / 2.0, dot.width / 2.0);
    }
    fill();

    // Lines one pixel wide down the middle of their pixels, so that they fill
    // whole pixels at any resolution.
    painter.translate(0.5, 0.5);
    painter.setPen(QPen(Qt::black, 1));
    for (const LineShape *line : findChildren<LineShape *>(Qt::FindDirectChildrenOnly)) {
        if (line->isVisibleTo(this))
            painter.drawLine(line->lineInBox());
    }
    painter.setPen(QPen(palette().color(QPalette::Dark), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.restore();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    repaintPending = false;
    // The window may have moved to a screen of another ratio.
    if (backing.devicePixelRatio() != ratio())
        rebuild();
    QPainter painter(this);
    painter.drawImage(0, 0, backing);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PictureBox::resizeEvent(QResizeEvent *)
{
    rebuild();
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    pressed = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = pressed && event->button() == Qt::LeftButton
            && rect().contains(event->position().toPoint());
    pressed = false;
    if (click)
        raiseEvent(onClick);
}

LineShape::LineShape(PictureBox *box, int x1, int y1, int x2, int y2)
    : QWidget(box), line(twipsToPixels(x1), twipsToPixels(y1), twipsToPixels(x2), twipsToPixels(y2))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // The widget covers just the line's bounding box, so the drawing around it
    // shows through untouched.
    const QRect bounds = QRect(line.p1(), line.p2()).normalized();
    setGeometry(bounds);
    line.translate(-bounds.topLeft());
}

void LineShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawLine(line);
}
