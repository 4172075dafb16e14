#include "platform/plot_axis.h"

#include "platform/number_text.h"

#include <QPainter>

#include <algorithm>

QString tickText(double value, TickStep step)
{
    return numberToText(roundToStep(value, step));
}

// 10^decade as a power of ten rounds it, so that 1E+23 is not written
// 1,0000000000000001E+23.
QString decadeText(int decade)
{
    return numberToText(roundToStep(std::pow(10.0, decade), {1.0, decade}));
}

AxisScale::AxisScale(bool logarithmic, double first, double last, double from, double to)
    : logarithmic_(logarithmic), first(first), last(last), from(from), to(to)
{ }

AxisScale AxisScale::linear(double first, double last, double from, double to)
{
    return {false, first, last, from, to};
}

AxisScale AxisScale::logarithmic(DecadeRange decades, double from, double to)
{
    return {true, double(decades.low), double(decades.high), from, to};
}

double AxisScale::pixelOf(double coordinate) const
{
    if (last == first)
        return from;
    return from + (coordinate - first) / (last - first) * (to - from);
}

double AxisScale::pixel(double value) const
{
    return pixelOf(logarithmic_ ? std::log10(value) : value);
}

double AxisScale::value(double pixel) const
{
    const double coordinate
            = to == from ? first : first + (pixel - from) / (to - from) * (last - first);
    return logarithmic_ ? std::pow(10.0, coordinate) : coordinate;
}

std::vector<AxisTick> AxisScale::ticks(TickStep step) const
{
    std::vector<AxisTick> result;
    for (const double value : linearTicks(std::min(first, last), std::max(first, last), step))
        result.push_back({pixelOf(value), tickText(value, step)});
    return result;
}

std::vector<AxisTick> AxisScale::ticksEvery(double spacing) const
{
    return ticks(stepFor(std::fabs(last - first), length(), spacing));
}

std::vector<AxisTick> AxisScale::decadeTicks(int every) const
{
    std::vector<AxisTick> result;
    const int low = int(std::min(first, last)), high = int(std::max(first, last));
    for (int decade = low; decade <= high; decade += std::max(1, every))
        result.push_back({pixelOf(decade), decadeText(decade)});
    return result;
}

Qt::Alignment AxisLook::labelAlignment() const
{
    switch (side) {
    case Qt::LeftEdge:
        return Qt::AlignRight | Qt::AlignVCenter;
    case Qt::RightEdge:
        return Qt::AlignLeft | Qt::AlignVCenter;
    default:
        return align;
    }
}

QRect AxisLook::labelBox(const AxisTick &tick, const QFontMetrics &metrics) const
{
    const int text = metrics.height();
    const int at = int(std::lround(tick.at));
    switch (side) {
    case Qt::LeftEdge:
        return {bounds.left(), at - text / 2, line - labelGap - bounds.left(), text};
    case Qt::RightEdge:
        return {line + labelGap, at - text / 2, bounds.right() + 1 - (line + labelGap), text};
    default:
        break;
    }
    const int wide = metrics.horizontalAdvance(tick.text);
    const bool right = align & Qt::AlignRight;
    const int start = right ? at + wide / 2 - wide : at - wide / 2;
    const int least = bounds.left(), most = bounds.right() + 1 - wide;
    const int top = line + labelGap;
    if (!right && wide <= centringBox && start >= least && start <= most)
        return {at - centringBox / 2, top, centringBox, text};
    return {std::max(least, std::min(start, most)), top, wide, text};
}

void drawAxis(QPainter &painter, const AxisLook &look, const std::vector<AxisTick> &ticks,
              const QFontMetrics &metrics)
{
    const Qt::Alignment alignment = look.labelAlignment();
    for (const AxisTick &tick : ticks) {
        const int at = int(std::lround(tick.at));
        if (look.markFrom <= look.markTo) {
            if (look.side == Qt::LeftEdge)
                painter.drawLine(look.line - look.markTo, at, look.line - look.markFrom, at);
            else if (look.side == Qt::RightEdge)
                painter.drawLine(look.line + look.markFrom, at, look.line + look.markTo, at);
            else
                painter.drawLine(at, look.line + look.markFrom, at, look.line + look.markTo);
        }
        if (!tick.text.isEmpty())
            painter.drawText(look.labelBox(tick, metrics), alignment, tick.text);
    }
}

void drawAxisName(QPainter &painter, const AxisLook &look, const QRect &area, const QString &name,
                  const QFontMetrics &metrics)
{
    const int text = metrics.height();
    const QRect &bounds = look.bounds;
    switch (look.side) {
    case Qt::LeftEdge:
        painter.drawText(
                QRect(bounds.left(), bounds.top(), look.line - look.labelGap - bounds.left(), text),
                Qt::AlignRight | Qt::AlignTop, name);
        break;
    case Qt::RightEdge:
        painter.drawText(QRect(bounds.left(), bounds.top(), bounds.width(), text),
                         Qt::AlignLeft | Qt::AlignVCenter, name);
        break;
    default:
        painter.drawText(QRect(area.left(), look.line + look.labelGap + text, area.width(), text),
                         Qt::AlignHCenter | Qt::AlignTop, name);
        break;
    }
}
