#include "window/history_plot.h"

#include "platform/controls.h"
#include "platform/number_text.h"
#include "platform/palette.h"
#include "platform/picture_export.h"
#include "platform/plot_axis.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace { } // namespace

HistoryPlot::HistoryPlot(QWidget *parent, const ErrorHistory &history)
    : QWidget(parent), history(history)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Focused, its menu opens from the keyboard.
    setFocusPolicy(Qt::StrongFocus);
    refresh(std::nullopt);
}

// The decades that hold every error on show and the best one; errors of 0
// sit on the bottom edge whatever the range.
void HistoryPlot::refresh(std::optional<double> bestError)
{
    best = bestError;
    std::vector<double> errors;
    errors.reserve(2 * history.columns().size() + 1);
    for (const ErrorHistory::Column &column : history.columns()) {
        errors.push_back(column.min);
        errors.push_back(column.max);
    }
    if (best)
        errors.push_back(*best);
    const DecadeRange range = decadesHolding(errors);
    // Measuring the labels is the costly part; the range rarely changes.
    if (labelWidth == 0 || range != decades) {
        decades = range;
        labelWidth = 0;
        for (int decade = decades.low; decade <= decades.high; ++decade)
            labelWidth = std::max(labelWidth, fontMetrics().horizontalAdvance(decadeText(decade)));
    }
    update();
}

QRect HistoryPlot::plotArea() const
{
    const int text = fontMetrics().height();
    return rect().adjusted(labelWidth + kTickLength + 6, text / 2 + 3, -10, -(text + 5));
}

// The decades run from the top of the plot down to two pixels above its
// bottom edge; an error of 0, which has no logarithm, lies on the row between,
// just above the axis line, so that the axis does not hide it.
AxisScale HistoryPlot::errorAxis() const
{
    const QRect area = plotArea();
    return AxisScale::logarithmic(decades, area.bottom() - 2, area.top());
}

double HistoryPlot::heightOf(double error) const
{
    if (!(error > 0))
        return plotArea().bottom() - 1;
    return errorAxis().pixel(error);
}

QPointF HistoryPlot::position(double evaluation, double error) const
{
    const QRect area = plotArea();
    const AxisScale across
            = AxisScale::linear(0, double(history.count()), area.left(), area.right());
    return {across.pixel(evaluation), heightOf(error)};
}

void HistoryPlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawInto(painter);
    drawFocusFrame(painter, *this);
}

void HistoryPlot::drawInto(QPainter &painter) const
{
    painter.save();
    painter.setFont(pictureFont(font()));
    painter.fillRect(rect(), qbColor(Blanco));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    drawAxes(painter);
    painter.setClipRect(plotArea().adjusted(0, 0, 1, 1));
    // The history goes over the line it is heading for.
    if (best) {
        QPen dashed(qbColor(Rojo));
        dashed.setStyle(Qt::DashLine);
        painter.setPen(dashed);
        const QRect area = plotArea();
        const double y = heightOf(*best);
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    drawHistory(painter);
    painter.restore();
}

// Decade ticks labelled as the program writes numbers, thinned out when
// their labels would overlap; the horizontal axis from 0 to the count, whose
// label ends inside the border.
void HistoryPlot::drawAxes(QPainter &painter) const
{
    const QRect area = plotArea();
    const QFontMetrics metrics = fontMetrics();
    painter.setPen(qbColor(0));
    painter.drawLine(area.bottomLeft(), area.topLeft());
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    const int every = labelEvery(decades.high - decades.low, area.height(), metrics.height() + 2);
    const AxisLook left{Qt::LeftEdge, area.left(), 0, kTickLength, kTickLength + 2, rect()};
    drawAxis(painter, left, errorAxis().decadeTicks(every), metrics);
    AxisLook under{Qt::BottomEdge, area.bottom(), 0, -1, 3, rect().adjusted(0, 0, -3, 0), 80};
    drawAxis(painter, under, {{double(area.left()), numberToText(0)}}, metrics);
    under.align = Qt::AlignRight | Qt::AlignTop;
    drawAxis(painter, under, {{double(area.right()), numberToText(double(history.count()))}},
             metrics);
}

// One line through every column, from its first error to its last and on to
// the first of the next, so that a long run reads as one line however many
// evaluations a column gathers; over it, each column's span from its least to
// its largest error.
void HistoryPlot::drawHistory(QPainter &painter) const
{
    painter.setPen(qbColor(Azul));
    const std::vector<ErrorHistory::Column> &columns = history.columns();
    const int64_t stride = history.stride();
    const int64_t count = history.count();
    QPolygonF line;
    line.reserve(qsizetype(2 * columns.size()));
    for (size_t j = 0; j < columns.size(); ++j) {
        const double first = double(int64_t(j) * stride + 1);
        const double last = double(std::min(int64_t(j + 1) * stride, count));
        line << position(first, columns[j].first) << position(last, columns[j].last);
    }
    // A line of a single point would draw nothing.
    if (line.size() == 2 && line.first() == line.last())
        painter.drawPoint(line.first());
    else
        painter.drawPolyline(line);
    for (size_t j = 0; j < columns.size(); ++j) {
        const double middle = (line[qsizetype(2 * j)].x() + line[qsizetype(2 * j + 1)].x()) / 2;
        painter.drawLine(QPointF(middle, heightOf(columns[j].min)),
                         QPointF(middle, heightOf(columns[j].max)));
    }
}
