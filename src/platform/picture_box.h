#pragma once

#include <QImage>
#include <QWidget>

#include <functional>
#include <vector>

// A two-colour picture (black on white) rasterised from an SVG file at the
// given device pixel ratio: a pixel is black when ink covers 42 % or more of it,
// so there is never a grey pixel. The result is ceil(size x ratio) device
// pixels and carries the ratio, so it paints at the SVG's size in pixels.
QImage twoColourPicture(const QString &svgFile, qreal ratio);

// Picture box: a framed surface that shows its bitmap unscaled from the
// top-left corner, clipped by the box, and keeps whatever is drawn on it in a
// backing image, so the drawing survives repaints, covering and uncovering.
// Drawing is in twips from the box's top-left corner; the backing image is in
// device pixels, so at a device pixel ratio above 1 the drawing is as sharp as
// the screen.
class PictureBox : public QWidget
{
public:
    explicit PictureBox(QWidget *parent);

    // A bitmap shown at its own size in pixels, scaled up on a denser screen.
    void setPicture(const QImage &picture);
    // A bitmap for a device pixel ratio of 1 and its vector source for every
    // other ratio: the same two-colour picture, drawn at the screen's resolution.
    void setPicture(const QImage &bitmap, const QString &svgFile);

    // Setting the background erases the drawing, as Cls does.
    void setBackColor(const QColor &colour);
    QColor backColor() const { return back; }

    // Erases the drawing to the background (the picture shows again).
    void Cls();

    // Diameter in pixels of the dot that PSet draws.
    void setDrawWidth(int width) { drawWidth = width < 1 ? 1 : width; }
    int DrawWidth() const { return drawWidth; }

    // A dot at (X, Y) twips, rounded to the nearest device pixel and centred
    // there. Points outside the box, however far, are simply not drawn.
    void PSet(double X, double Y, const QColor &colour);

    // What is drawn, without the frame, in device pixels.
    const QImage &image() const { return backing; }

    // The box as it shows (ground, picture, dots, lines, frame) painted again
    // in the box's pixels through any painter: an image of any resolution, or
    // a vector format, where the dots of one colour and size make one path.
    void drawInto(QPainter &painter) const;

    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // One PSet, kept until the next Cls so the drawing can be made again for
    // another device pixel ratio (a window moved to another screen).
    struct Dot
    {
        float X;
        float Y;
        int width;
        QRgb rgb;
    };

    qreal ratio() const;
    void rebuild();
    void drawPicture();
    void drawDot(const Dot &dot);

    QImage backing;
    QImage bitmap;
    QString svgFile;
    QImage rendered; // svgFile at the ratio of the backing image
    std::vector<Dot> dots;
    QColor back{Qt::white};
    int drawWidth{1};
    bool pressed{false};
    bool repaintPending{false};
};

// A straight line inside a picture box, drawn over the box's drawing and left
// alone by Cls. Coordinates in twips within the box.
class LineShape : public QWidget
{
public:
    LineShape(PictureBox *box, int x1, int y1, int x2, int y2);

    // The line in the pixels of its box.
    QLine lineInBox() const { return line.translated(pos()); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLine line;
};
