#include "race/race_plot.h"

#include "platform/controls.h"
#include "platform/palette.h"
#include "platform/picture_export.h"
#include "race/race_text.h"

#include <QEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSample = 18; // the legend's line sample

const QString kIterationName = QStringLiteral("iteración");
const QString kAboveBestName = QStringLiteral("E − E*");
const QString kErrorName = QStringLiteral("E");

} // namespace

QColor methodColour(Method method)
{
    switch (method) {
    case Method::descent:
        return QColor(0, 0, 0);
    case Method::momentum:
        return QColor(230, 159, 0);
    case Method::nesterov:
        return QColor(86, 180, 233);
    case Method::adam:
        return QColor(0, 158, 115);
    case Method::gaussNewton:
        return QColor(0, 114, 178);
    case Method::levenbergMarquardt:
        return QColor(213, 94, 0);
    case Method::newton:
        return QColor(204, 121, 167);
    }
    return QColor(0, 0, 0);
}

RacePlot::RacePlot(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    measure();
    setRace(nullptr, std::nullopt);
}

QSize RacePlot::sizeHint() const
{
    return QSize(300 + legendWidth + labelWidth, 14 * fontMetrics().height());
}

QSize RacePlot::minimumSizeHint() const
{
    return QSize(120 + legendWidth + labelWidth, 8 * fontMetrics().height());
}

void RacePlot::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        measure();
    QWidget::changeEvent(event);
}

double RacePlot::shown(double error) const
{
    return best ? error - *best : error;
}

// The decades that hold every iteration from 1 on and every E − E* above 0;
// the rest stands at the ends.
void RacePlot::setRace(const Race *race, std::optional<double> bestError)
{
    curves.clear();
    best = bestError;
    std::vector<double> iterations{1}, errors;
    if (race) {
        for (const MethodResult &result : race->methods) {
            curves.push_back({result.method, result.path.stretches()});
            for (const PathStretch &stretch : result.path.stretches()) {
                iterations.push_back(stretch.last);
                errors.insert(errors.end(), {shown(stretch.minError), shown(stretch.maxError)});
            }
        }
    }
    across = decadesHolding(iterations);
    up = decadesHolding(errors);
    update();
}

void RacePlot::measure()
{
    const QFontMetrics metrics = fontMetrics();
    // Room for a label such as 1E-100 whatever the decades, so that the plot
    // keeps its size from one race to the next.
    labelWidth = std::max(metrics.horizontalAdvance(kAboveBestName),
                          metrics.horizontalAdvance(QStringLiteral("1E-100")));
    // Room for every name, so that the plot keeps its size whichever take part.
    legendWidth = 0;
    for (Method method : kMethods)
        legendWidth = std::max(legendWidth, metrics.horizontalAdvance(methodText(method)));
    legendWidth += kSample + 16;
    updateGeometry();
}

QRect RacePlot::plotArea() const
{
    const int text = fontMetrics().height();
    return rect().adjusted(labelWidth + kTickLength + 6, text + 6, -legendWidth,
                           -(2 * text + kTickLength + 8));
}

AxisScale RacePlot::iterationAxis() const
{
    const QRect area = plotArea();
    return AxisScale::logarithmic(across, area.left(), area.right());
}

// The decades run from the top down to two pixels above the bottom edge; the
// row between is for the differences that have no logarithm.
AxisScale RacePlot::errorAxis() const
{
    const QRect area = plotArea();
    return AxisScale::logarithmic(up, area.bottom() - 2, area.top());
}

double RacePlot::heightOf(double error) const
{
    const double value = shown(error);
    if (!(value > 0))
        return plotArea().bottom() - 1;
    return errorAxis().pixel(value);
}

QPointF RacePlot::position(double iteration, double error) const
{
    return {iterationAxis().pixel(std::max(iteration, 1.0)), heightOf(error)};
}

void RacePlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawInto(painter);
    drawFocusFrame(painter, *this);
}

void RacePlot::drawInto(QPainter &painter) const
{
    painter.save();
    painter.setFont(pictureFont(font()));
    painter.fillRect(rect(), qbColor(Blanco));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    drawAxes(painter);
    drawLegend(painter);
    painter.setClipRect(plotArea().adjusted(0, 0, 1, 1));
    drawCurves(painter);
    painter.restore();
}

// Decade ticks on both axes, labelled as the program writes numbers and
// thinned out where the labels would overlap, and the names of the axes.
void RacePlot::drawAxes(QPainter &painter) const
{
    const QRect area = plotArea();
    const QFontMetrics metrics = fontMetrics();
    painter.setPen(qbColor(0));
    painter.drawLine(area.bottomLeft(), area.topLeft());
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    const QRect bounds = rect().adjusted(2, 2, -2, 0);
    const AxisLook left{Qt::LeftEdge, area.left(), 0, kTickLength, kTickLength + 2, bounds};
    const int upEvery = labelEvery(up.high - up.low, area.height() - 2, metrics.height() + 2);
    drawAxis(painter, left, errorAxis().decadeTicks(upEvery), metrics);
    int widest = 0;
    for (int decade = across.low; decade <= across.high; ++decade)
        widest = std::max(widest, metrics.horizontalAdvance(decadeText(decade)));
    AxisLook under{Qt::BottomEdge, area.bottom(), 0, kTickLength, kTickLength + 2, bounds};
    under.align = Qt::AlignCenter;
    const int acrossEvery = labelEvery(across.high - across.low, area.width(), widest + 8);
    drawAxis(painter, under, iterationAxis().decadeTicks(acrossEvery), metrics);
    drawAxisName(painter, left, area, best ? kAboveBestName : kErrorName, metrics);
    drawAxisName(painter, under, area, kIterationName, metrics);
}

// One line through both ends of every stretch, and the stretch's span where
// E moved within it, in the method's colour, one method over the other in
// the order of the table.
void RacePlot::drawCurves(QPainter &painter) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    const AxisScale iterations = iterationAxis();
    for (const Curve &curve : curves) {
        painter.setPen(
                QPen(methodColour(curve.method), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPolygonF line;
        line.reserve(qsizetype(2 * curve.stretches.size()));
        for (const PathStretch &stretch : curve.stretches) {
            line << position(stretch.first, stretch.firstError);
            if (stretch.last != stretch.first)
                line << position(stretch.last, stretch.lastError);
        }
        if (line.size() == 1)
            painter.drawPoint(line.first());
        else
            painter.drawPolyline(line);
        for (const PathStretch &stretch : curve.stretches) {
            if (stretch.minError == stretch.maxError)
                continue;
            const double middle = (iterations.pixel(std::max(stretch.first, 1))
                                   + iterations.pixel(std::max(stretch.last, 1)))
                    / 2;
            painter.drawLine(QPointF(middle, heightOf(stretch.minError)),
                             QPointF(middle, heightOf(stretch.maxError)));
        }
    }
}

// A short line in each method's colour and its name, top down on the right.
void RacePlot::drawLegend(QPainter &painter) const
{
    const QFontMetrics metrics = fontMetrics();
    const int text = metrics.height();
    const int left = plotArea().right() + 10;
    int top = plotArea().top();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Curve &curve : curves) {
        painter.setPen(QPen(methodColour(curve.method), 2.0, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(left, top + text / 2.0),
                         QPointF(left + kSample, top + text / 2.0));
        painter.setPen(qbColor(0));
        painter.drawText(QRect(left + kSample + 4, top, width() - left - kSample - 4, text),
                         Qt::AlignLeft | Qt::AlignVCenter, methodText(curve.method));
        top += text + 2;
    }
    painter.restore();
}
