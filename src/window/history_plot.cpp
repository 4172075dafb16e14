#include "window/history_plot.h"

#include "platform/controls.h"
#include "platform/number_text.h"
#include "platform/palette.h"
#include "platform/picture_export.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTick = 3; // pixels

QString decadeText(int decade)
{
    return numberToText(std::pow(10.0, decade));
}

} // namespace

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
    double low = HUGE_VAL, high = -HUGE_VAL;
    auto include = [&](double error) {
        if (error > 0) {
            low = std::min(low, error);
            high = std::max(high, error);
        }
    };
    for (const ErrorHistory::Column &column : history.columns()) {
        include(column.min);
        include(column.max);
    }
    if (best)
        include(*best);
    const int newLow = low <= high ? int(std::floor(std::log10(low))) : 0;
    const int newHigh = std::max(low <= high ? int(std::ceil(std::log10(high))) : 1, newLow + 1);
    // Measuring the labels is the costly part; the range rarely changes.
    if (labelWidth == 0 || newLow != lowDecade || newHigh != highDecade) {
        lowDecade = newLow;
        highDecade = newHigh;
        labelWidth = 0;
        for (int decade = lowDecade; decade <= highDecade; ++decade)
            labelWidth = std::max(labelWidth, fontMetrics().horizontalAdvance(decadeText(decade)));
    }
    update();
}

QRect HistoryPlot::plotArea() const
{
    const int text = fontMetrics().height();
    return rect().adjusted(labelWidth + kTick + 6, text / 2 + 3, -10, -(text + 5));
}

// The decades run from the top of the plot down to two pixels above its
// bottom edge; an error of 0, which has no logarithm, lies on the row between,
// just above the axis line, so that the axis does not hide it.
double HistoryPlot::heightOf(double error) const
{
    const QRect area = plotArea();
    const double lowest = area.bottom() - 2;
    if (!(error > 0))
        return area.bottom() - 1;
    const double share = (std::log10(error) - lowDecade) / (highDecade - lowDecade);
    return lowest - share * (lowest - area.top());
}

QPointF HistoryPlot::position(double evaluation, double error) const
{
    const QRect area = plotArea();
    const double count = double(history.count());
    const double share = count > 0 ? evaluation / count : 0;
    return {area.left() + share * (area.right() - area.left()), heightOf(error)};
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
// their labels would overlap; the horizontal axis from 0 to the count.
void HistoryPlot::drawAxes(QPainter &painter) const
{
    const QRect area = plotArea();
    const int text = fontMetrics().height();
    painter.setPen(qbColor(0));
    painter.drawLine(area.bottomLeft(), area.topLeft());
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    const int decades = highDecade - lowDecade;
    const int every = std::max(1, int(std::ceil(double(decades) * (text + 2) / area.height())));
    for (int decade = lowDecade; decade <= highDecade; decade += every) {
        const int y = int(std::lround(heightOf(std::pow(10.0, decade))));
        painter.drawLine(area.left() - kTick, y, area.left(), y);
        const QRect label(0, y - text / 2, area.left() - kTick - 2, text);
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, decadeText(decade));
    }
    const QRect under(area.left() - 40, area.bottom() + 3, 80, text);
    painter.drawText(under, Qt::AlignHCenter | Qt::AlignTop, numberToText(0));
    const QString count = numberToText(double(history.count()));
    const int width = fontMetrics().horizontalAdvance(count);
    const int right = std::min(area.right() + width / 2, rect().right() - 2);
    painter.drawText(QRect(right - width, area.bottom() + 3, width, text),
                     Qt::AlignRight | Qt::AlignTop, count);
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
