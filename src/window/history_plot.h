#pragma once

#include "numeric/error_history.h"
#include "platform/plot_axis.h"

#include <QWidget>

#include <optional>

// The error history as a picture: log10 E of every evaluation against the
// evaluation count, in dark blue over black axes with decade ticks, on a
// bright white ground with a single border. The best attainable E, when it is
// known, is a dashed line. An error of 0 has no logarithm and lies on the
// bottom edge, just above the axis line. The picture is drawn when it is
// painted, from the history's columns, so a handler asks for it once however
// many steps it made. It takes the focus, shown by a frame, so that its
// menu opens from the keyboard.
class HistoryPlot : public QWidget
{
public:
    HistoryPlot(QWidget *parent, const ErrorHistory &history);

    // Takes the history as it stands and the best E (none: no line), and
    // schedules one repaint.
    void refresh(std::optional<double> bestError);

    std::optional<double> bestError() const { return best; }

    // Where the error of an evaluation (numbered from 1; 0 is the left end)
    // falls, in the widget's pixels.
    QPointF position(double evaluation, double error) const;
    QRect plotArea() const;

    // The plot as it shows, in the widget's pixels, through any painter.
    void drawInto(QPainter &painter) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    AxisScale errorAxis() const;
    double heightOf(double error) const;
    void drawAxes(QPainter &painter) const;
    void drawHistory(QPainter &painter) const;

    const ErrorHistory &history;
    std::optional<double> best;
    DecadeRange decades; // of the vertical axis
    int labelWidth{0};
};
