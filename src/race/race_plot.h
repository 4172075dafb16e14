#pragma once

#include "numeric/race.h"
#include "platform/plot_axis.h"

#include <QColor>
#include <QWidget>

#include <optional>
#include <vector>

// Each method's colour, on the plot, in the table and on the map: the
// Okabe–Ito palette, whose colours readers with any common colour blindness
// tell apart (black for plain descent, then orange, sky blue, bluish green,
// blue, vermilion and reddish purple).
QColor methodColour(Method method);

// The race as a plot: for every method that took part, log10(E − E*) (log10
// E without a best fit) against the iteration, both on logarithmic axes, one
// line in the method's colour through both ends of every stretch of its path,
// with each stretch's span from its least to its largest E; a legend on the
// right names the lines. The start, iteration 0, has no logarithm and stands
// at the left edge with iteration 1; an E − E* of 0 or less stands on the
// bottom edge, just above the axis line, as in the error history. White
// ground, single border; it takes the focus, shown by a frame, so that its
// menu opens from the keyboard.
class RacePlot : public QWidget
{
public:
    explicit RacePlot(QWidget *parent);

    // The race to draw and E* (none: E itself), or nothing at all; one repaint.
    void setRace(const Race *race, std::optional<double> bestError);

    // Where E at an iteration falls, in the widget's pixels.
    QPointF position(double iteration, double error) const;
    QRect plotArea() const;
    // The decades of the two axes.
    DecadeRange iterationDecades() const { return across; }
    DecadeRange errorDecades() const { return up; }

    // The plot as it shows, in the widget's pixels, through any painter.
    void drawInto(QPainter &painter) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Curve
    {
        Method method;
        std::vector<PathStretch> stretches;
    };

    void measure();
    double shown(double error) const; // E − E*, or E
    AxisScale iterationAxis() const;
    AxisScale errorAxis() const;
    double heightOf(double error) const;
    void drawAxes(QPainter &painter) const;
    void drawCurves(QPainter &painter) const;
    void drawLegend(QPainter &painter) const;

    std::vector<Curve> curves;
    std::optional<double> best;
    DecadeRange across, up;
    int labelWidth{0};  // the widest label of the error axis
    int legendWidth{0}; // the legend's column, its samples and the widest name
};
