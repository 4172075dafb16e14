#include "report/residual_plot.h"

#include "platform/number_text.h"
#include "platform/palette.h"
#include "platform/picture_export.h"
#include "platform/plot_axis.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

ResidualPlot::ResidualPlot(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize ResidualPlot::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(QLatin1Char('0')) * 50, metrics.height() * 12};
}

void ResidualPlot::setResiduals(const std::vector<ResidualRow> &rows)
{
    residuals = rows;
    double low = HUGE_VAL, high = -HUGE_VAL, largest = 0;
    for (const ResidualRow &row : residuals) {
        low = std::min(low, row.t);
        high = std::max(high, row.t);
        if (std::isfinite(row.r)) // a residual beyond the double range is not drawn
            largest = std::max(largest, std::fabs(row.r));
    }
    const ValueRange across = framedRange(low, high);
    tLow = across.low;
    tHigh = across.high;
    // A step of 1, 2 or 5 times a power of ten, so the range's labels read
    // "0,5" rather than a long figure.
    rMax = stepAtLeast(largest * 1.1);
    update();
}

QRect ResidualPlot::plotArea() const
{
    const QFontMetrics metrics = fontMetrics();
    const int label = std::max({metrics.horizontalAdvance(tickText(-rMax.step, rMax)),
                                metrics.horizontalAdvance(tickText(rMax.step, rMax))});
    const int text = metrics.height();
    return rect().adjusted(label + 8, text / 2 + 4, -8, -(text + 6));
}

// t across from the plot's left edge to its right, the residual down from
// +rMax at its top to -rMax at its bottom.
AxisScale ResidualPlot::tAxis() const
{
    const QRect area = plotArea();
    return AxisScale::linear(tLow, tHigh, area.left(), area.right());
}

AxisScale ResidualPlot::rAxis() const
{
    const QRect area = plotArea();
    return AxisScale::linear(rMax.step, -rMax.step, area.top(), area.bottom());
}

QPointF ResidualPlot::position(double t, double r) const
{
    return {tAxis().pixel(t), rAxis().pixel(r)};
}

void ResidualPlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawInto(painter);
}

void ResidualPlot::drawInto(QPainter &painter) const
{
    painter.save();
    painter.setFont(pictureFont(font()));
    painter.fillRect(rect(), qbColor(Blanco));

    // The labels in the widget's own pixels: the vertical range and zero to
    // the left, the first and the last t below.
    const QRect area = plotArea();
    const QFontMetrics metrics = fontMetrics();
    const QColor black = qbColor(0);
    painter.setPen(black);
    const std::vector<AxisTick> rTicks = rAxis().ticks(rMax);
    const AxisLook beside{Qt::LeftEdge, area.left(), 0, -1, 5, rect()};
    drawAxis(painter, beside, {rTicks.rbegin(), rTicks.rend()}, metrics);
    if (!residuals.empty()) {
        const auto [first, last] = std::minmax_element(
                residuals.begin(), residuals.end(),
                [](const ResidualRow &l, const ResidualRow &r) { return l.t < r.t; });
        // Centred under its point or, where the label would reach past the
        // border, moved inside it: no label of t is cut.
        const AxisLook under{
                Qt::BottomEdge, area.bottom(), 0, -1, 4, rect().adjusted(2, 0, -2, 0), 120};
        const AxisScale across = tAxis();
        const AxisTick firstTick{across.pixel(first->t), numberToText(first->t)};
        const AxisTick lastTick{across.pixel(last->t), numberToText(last->t)};
        drawAxis(painter, under, {firstTick}, metrics);
        // The last only where it stands clear of the first.
        const int firstWide = metrics.horizontalAdvance(firstTick.text);
        const int lastWide = metrics.horizontalAdvance(lastTick.text);
        const int firstEnd = under.labelBox(firstTick, metrics).center().x() + firstWide / 2;
        const int lastStart = under.labelBox(lastTick, metrics).center().x() - lastWide / 2;
        const int leftX = int(std::lround(firstTick.at)), rightX = int(std::lround(lastTick.at));
        if (rightX - leftX > lastWide + 10 && lastStart > firstEnd + 5)
            drawAxis(painter, under, {lastTick}, metrics);
    }

    // Lines and squares as filled rectangles on whole device pixels.
    // The painter's own scale: the screen's ratio, or the image's when rendered.
    const double ratio = painter.deviceTransform().m11();
    painter.scale(1 / ratio, 1 / ratio);
    const int line = std::max(1, int(std::floor(ratio))); // a line's width in device pixels
    auto device = [ratio](double logical) { return int(std::lround(logical * ratio)); };
    const QRect box(QPoint(0, 0), QPoint(device(width()) - 1, device(height()) - 1));
    const QColor frame = palette().color(QPalette::Dark);
    painter.fillRect(box.left(), box.top(), box.width(), line, frame);
    painter.fillRect(box.left(), box.bottom() - line + 1, box.width(), line, frame);
    painter.fillRect(box.left(), box.top(), line, box.height(), frame);
    painter.fillRect(box.right() - line + 1, box.top(), line, box.height(), frame);

    const int left = device(area.left()), right = device(area.right());
    const int top = device(area.top()), bottom = device(area.bottom());
    painter.fillRect(left, top, line, bottom - top + 1, black);
    painter.fillRect(left, device(position(tLow, 0).y()), right - left + 1, line, black);
    for (const double r : {rMax.step, -rMax.step})
        painter.fillRect(left - 3 * line, device(position(tLow, r).y()), 3 * line, line, black);

    const int side = 5 * line + (line % 2 == 0 ? 1 : 0); // odd, so a square has a centre pixel
    for (const ResidualRow &row : residuals) {
        if (!std::isfinite(row.r))
            continue;
        const QPointF at = position(row.t, row.r);
        painter.fillRect(device(at.x()) - side / 2, device(at.y()) - side / 2, side, side,
                         qbColor(Azul));
    }
    painter.restore();
}
