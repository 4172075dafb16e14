#pragma once

#include "numeric/fit_statistics.h"
#include "platform/plot_axis.h"

#include <QWidget>

#include <vector>

// The residuals y − f(t) of the current fit against t: dark blue squares over
// a zero line, on a bright white ground with a single border, the vertical
// range symmetric about zero. Lines and squares are laid on whole device
// pixels, so they stay sharp at any device pixel ratio, 1.5 included.
class ResidualPlot : public QWidget
{
public:
    explicit ResidualPlot(QWidget *parent);

    // Takes the rows to draw and schedules one repaint.
    void setResiduals(const std::vector<ResidualRow> &rows);

    // Where a residual falls, in the widget's pixels.
    QPointF position(double t, double r) const;
    QRect plotArea() const;

    // The whole plot into a painter whose coordinates are the widget's pixels,
    // on any device (the PDF of the report).
    void drawInto(QPainter &painter) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    AxisScale tAxis() const;
    AxisScale rAxis() const;

    std::vector<ResidualRow> residuals;
    double tLow{0.0}, tHigh{1.0}; // the horizontal range
    TickStep rMax;                // the vertical range is -rMax .. rMax
};
