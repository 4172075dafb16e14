#pragma once

#include "numeric/fit_statistics.h"
#include "platform/plot_axis.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <vector>

// What the figure of the fit shows: the points in use, the current fit's
// parameters and the best fit's statistics (reason noBestFit when there is
// none), from which it takes the best curve and its bands.
struct FitFigure
{
    std::vector<double> t, y;
    Parameters current;
    FitStatistics best;
};

// The figure of the fit in the data's own units: the points (dark blue
// squares), the current fit (red), the best fit (dashed black) with its 95 %
// confidence band shaded and its 95 % prediction band in thin grey lines, a
// legend, and a label with the best fit's results. The axes are framed to the
// points and the curves; a curve counts for the framing only as far as the
// points' own framed height, or their largest |y| if more, beyond either side
// of their range, so a runaway current fit cannot squash the points into a
// line (beyond, it leaves the plot).
// Lines, squares and the frame are laid on whole device pixels and the curves
// drawn at the device's resolution, so it stays sharp at any device pixel
// ratio and draws as vectors into an SVG or a PDF.
class FitPlot : public QWidget
{
public:
    explicit FitPlot(QWidget *parent);

    // Takes what to draw, samples the curves and frames the axes; schedules
    // one repaint.
    void setFigure(const FitFigure &figure);
    const FitFigure &figure() const { return shown; }

    // The best fit's results as the label writes them (none without a best
    // fit), and why there are no bands (empty when they are drawn).
    const QStringList &label() const { return labelLines; }
    const QString &noBands() const { return noBandsLine; }
    bool hasBands() const { return noBandsLine.isEmpty(); }

    // The framed ranges, and where a value falls in the widget's pixels.
    ValueRange tRange() const { return tFrame; }
    ValueRange yRange() const { return yFrame; }
    QPointF position(double t, double y) const;
    QRect plotArea() const;
    // Where the legend and the label lie, in the widget's pixels; an empty
    // rectangle for a box not drawn.
    QRect legendBox() const;
    QRect labelBox() const;

    // The whole figure into a painter whose coordinates are the widget's
    // pixels, on any device.
    void drawInto(QPainter &painter) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The curves at one t: the current fit, the best fit and its bands; NaN
    // where there is none.
    struct Sample
    {
        double t, current, best, confidenceLower, confidenceUpper, predictionLower, predictionUpper;
    };

    AxisScale tAxis() const;
    AxisScale yAxis() const;
    QStringList legendLines() const;
    QSize boxSize(const QStringList &lines, int swatch) const;
    void placeBoxes(QRect &legend, QRect &label) const;
    static int crowding(const QRect &box, const std::vector<QPointF> &points,
                        const std::vector<std::array<double, 7>> &marks);
    void drawCurves(QPainter &painter, double ratio) const;
    void drawBox(QPainter &painter, const QRect &box, const QStringList &lines, bool legend) const;

    FitFigure shown;
    std::vector<Sample> samples;
    QStringList labelLines;
    QString noBandsLine;
    ValueRange tFrame, yFrame;
};
