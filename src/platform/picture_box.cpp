#include "platform/picture_box.h"

#include "platform/controls.h"
#include "platform/twips.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>
#include <limits>

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const QImage &newPicture)
{
    picture = newPicture;
    Cls();
}

void PictureBox::setBackColor(const QColor &colour)
{
    back = colour;
    Cls();
}

void PictureBox::Cls()
{
    if (backing.size() != size())
        backing = QImage(size(), QImage::Format_RGB32);
    backing.fill(back);
    if (!picture.isNull()) {
        QPainter painter(&backing);
        painter.drawImage(0, 0, picture);
    }
    update();
}

void PictureBox::PSet(double X, double Y, const QColor &colour)
{
    // The coordinates are single precision, as the drawing hands them over;
    // anything beyond the float range lies far outside the box anyway.
    constexpr double floatMax = std::numeric_limits<float>::max();
    if (!(std::fabs(X) <= floatMax && std::fabs(Y) <= floatMax))
        return;
    X = static_cast<float>(X);
    Y = static_cast<float>(Y);
    // Far-away coordinates are dropped before any conversion to int, which
    // would be undefined behaviour for values beyond the int range.
    const double px = std::nearbyint(double(X) / kTwipsPerPixel);
    const double py = std::nearbyint(double(Y) / kTwipsPerPixel);
    const int w = drawWidth;
    if (!(px > -w && px < backing.width() + w && py > -w && py < backing.height() + w))
        return;
    const int cx = int(px);
    const int cy = int(py);
    const QRgb rgb = colour.rgb();
    if (w == 1) {
        if (cx >= 0 && cx < backing.width() && cy >= 0 && cy < backing.height())
            reinterpret_cast<QRgb *>(backing.scanLine(cy))[cx] = rgb;
    } else {
        // A round dot w pixels across whose centre lies on the point.
        const double r = w / 2.0;
        for (int dy = 0; dy < w; ++dy) {
            const int yy = cy - w / 2 + dy;
            if (yy < 0 || yy >= backing.height())
                continue;
            QRgb *row = reinterpret_cast<QRgb *>(backing.scanLine(yy));
            for (int dx = 0; dx < w; ++dx) {
                const int xx = cx - w / 2 + dx;
                const double ox = dx + 0.5 - r;
                const double oy = dy + 0.5 - r;
                if (xx >= 0 && xx < backing.width() && ox * ox + oy * oy <= r * r)
                    row[xx] = rgb;
            }
        }
    }
    if (!repaintPending && isVisible()) {
        repaintPending = true;
        update();
    }
}

void PictureBox::paintEvent(QPaintEvent *)
{
    repaintPending = false;
    QPainter painter(this);
    painter.drawImage(0, 0, backing);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PictureBox::resizeEvent(QResizeEvent *)
{
    if (backing.size() == size())
        return;
    QImage resized(size(), QImage::Format_RGB32);
    resized.fill(back);
    QPainter painter(&resized);
    if (!backing.isNull())
        painter.drawImage(0, 0, backing);
    else if (!picture.isNull())
        painter.drawImage(0, 0, picture);
    backing = resized;
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
    : QWidget(box),
      line(twipsToPixels(x1), twipsToPixels(y1), twipsToPixels(x2), twipsToPixels(y2))
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
