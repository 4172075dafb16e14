#pragma once

#include <QColor>
#include <QWidget>

// The map's colours: a perceptually uniform scale from dark violet (the least
// error on show) through blue and green to yellow (the largest), so equal
// steps of log10 E look like equal steps of colour, in grey print too. Cells
// where E cannot be evaluated are a neutral grey outside the scale.
QRgb mapColour(double share); // share of the way from the bottom of the scale, 0 .. 1
inline constexpr QRgb kNoValueColour = 0xff969696;

// What the surface on show holds, as its key tells it: values over a range of
// whole decades of E (cells where E = 0 taking the bottom colour); E = 0 in
// every cell that has a value, which no decade holds; or no value at all.
enum class KeyContent { decades, zero, noValue };

// The colour key beside the map: the scale from 10^low (bottom) to 10^high
// (top), labelled at whole decades as the program writes numbers, and the
// grey of the cells without a value. Where E = 0 wherever it has a value the
// bar is the bottom colour with the one label 0; where no cell has a value
// the bar is grey without labels.
class ColourKey : public QWidget
{
public:
    explicit ColourKey(QWidget *parent);

    void setDecades(int low, int high);
    int lowDecade() const { return low; }
    int highDecade() const { return high; }
    void setContent(KeyContent content);
    KeyContent content() const { return contenido; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Where the bar of the scale lies, in the widget's pixels.
    QRect barArea() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int low{0};
    int high{1};
    KeyContent contenido{KeyContent::decades};
};
