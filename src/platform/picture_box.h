#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

// Picture box: a framed surface that shows its bitmap unscaled from the
// top-left corner, clipped by the box, and keeps whatever is drawn on it in a
// backing image, so the drawing survives repaints, covering and uncovering.
// Drawing is in twips from the box's top-left corner.
class PictureBox : public QWidget
{
public:
    explicit PictureBox(QWidget *parent);

    void setPicture(const QImage &picture);

    // Setting the background erases the drawing, as Cls does.
    void setBackColor(const QColor &colour);
    QColor backColor() const { return back; }

    // Erases the drawing to the background (the picture shows again).
    void Cls();

    // Diameter in pixels of the dot that PSet draws.
    void setDrawWidth(int width) { drawWidth = width < 1 ? 1 : width; }
    int DrawWidth() const { return drawWidth; }

    // A dot at (X, Y) twips, rounded to the nearest pixel and centred there.
    // Points outside the box, however far, are simply not drawn.
    void PSet(double X, double Y, const QColor &colour);

    // What is drawn, without the frame.
    const QImage &image() const { return backing; }

    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QImage backing;
    QImage picture;
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

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLine line;
};
