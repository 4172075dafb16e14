#pragma once

#include "numeric/axis_ticks.h"

#include <QFontMetrics>
#include <QRect>
#include <QString>

#include <cmath>
#include <vector>

class QPainter;

// The axes of every plot: where values fall in the widget's pixels, the
// ticks with their labels, and the drawing of the marks, the labels and the
// axis's name beside the plot. The arithmetic of where the ticks go is in
// numeric/axis_ticks; this adds the pixels and the text.

// A tick value's label, rounded to its step so that it is short, and the
// label of the decade 10^decade, as the program writes numbers.
QString tickText(double value, TickStep step);
QString decadeText(int decade);

// The length of a tick's mark in pixels, the same on every plot but the map's
// own axes, whose marks are a pixel longer beside its larger picture.
constexpr int kTickLength = 3;

// One tick: where it falls along its axis, in the widget's pixels, and its
// label (none where empty).
struct AxisTick
{
    double at{0.0};
    QString text;
};

// Where the values of one axis fall in the widget's pixels, linearly or by
// their base-10 logarithm. The range's first end falls at pixel `from` and
// its last at `to`, either way round: a vertical axis whose values grow
// upwards has its bottom row as `from`, or its largest value first.
class AxisScale
{
public:
    static AxisScale linear(double first, double last, double from, double to);
    // 10^decades.low at `from`, 10^decades.high at `to`.
    static AxisScale logarithmic(DecadeRange decades, double from, double to);

    bool isLogarithmic() const { return logarithmic_; }
    // The pixel of a value (of a positive one on a logarithmic scale), and
    // the value at a pixel. A range of no width puts every value at `from`.
    double pixel(double value) const;
    double value(double pixel) const;
    // The pixels between the two ends.
    double length() const { return std::fabs(to - from); }

    // Ticks of a linear scale: at the multiples of `step` within the range,
    // or of a step chosen for about one tick every `spacing` pixels.
    std::vector<AxisTick> ticks(TickStep step) const;
    std::vector<AxisTick> ticksEvery(double spacing) const;
    // Ticks of a logarithmic scale at its whole decades, every `every`-th
    // of them from the lowest (labelEvery says how many stand apart).
    std::vector<AxisTick> decadeTicks(int every) const;

private:
    AxisScale(bool logarithmic, double first, double last, double from, double to);
    double pixelOf(double coordinate) const; // of a value, or of its logarithm

    bool logarithmic_{false};
    double first{0.0}, last{1.0}; // values, or their logarithms
    double from{0.0}, to{1.0};
};

// How an axis stands beside its plot, in the widget's pixels: on which side,
// the line its marks stand out from, how far out its marks and its labels
// lie, and the bounds the labels keep within.
//
// A label of a vertical axis is one line high, centred on its tick, and
// reaches from the labels' side of the line to the bounds' edge, aligned
// towards the line. A label of a horizontal axis has a box of its own width
// that starts half that width before its tick (or, right-aligned, ends half
// that width after it), moved inside the bounds so that it is never cut; one
// that needs no moving and is no wider than `centringBox` is centred on its
// tick in a box that wide instead, to the fraction of a pixel.
struct AxisLook
{
    Qt::Edge side{Qt::LeftEdge}; // LeftEdge, RightEdge or BottomEdge of the plot
    int line{0};                 // the column (left, right) or row (bottom) of the axis
    int markFrom{0}, markTo{-1}; // a mark covers these distances out from the line, both
                                 // included; none where markTo < markFrom
    int labelGap{0};             // from the line to the near side of a label's box
    QRect bounds;                // the labels stay within; its top is where a vertical
                                 // axis writes its name
    int centringBox{0};          // see above; 0: every label in its own box
    Qt::Alignment align{Qt::AlignHCenter | Qt::AlignTop}; // a horizontal axis's labels

    QRect labelBox(const AxisTick &tick, const QFontMetrics &metrics) const;
    Qt::Alignment labelAlignment() const;
};

// Each tick's mark and then its label, in the painter's pen and font and
// laid out with `metrics`.
void drawAxis(QPainter &painter, const AxisLook &look, const std::vector<AxisTick> &ticks,
              const QFontMetrics &metrics);

// The axis's name: under the labels of a horizontal axis, centred across the
// plot's `area`; over the labels of a left axis, at the top of the bounds and
// aligned as they are; at the top left of the bounds for a right axis (a key
// beside the plot).
void drawAxisName(QPainter &painter, const AxisLook &look, const QRect &area, const QString &name,
                  const QFontMetrics &metrics);
