#include "report/residual_plot.h"

#include "platform/number_text.h"
#include "platform/palette.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// The smallest of 1, 2 and 5 times a power of ten that is at least `value`,
// so the range's labels read "0,5" rather than a long figure.
double roundedUp(double value)
{
    if (!(value > 0) || !std::isfinite(value))
        return 1.0;
    const double decade = std::pow(10.0, std::floor(std::log10(value)));
    for (const double step : {1.0, 2.0, 5.0, 10.0})
        if (step * decade >= value)
            return step * decade;
    return 10 * decade;
}

} // namespace

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
    if (!(low < high)) { // no point, or all at one t: that t in the middle
        const double middle = low <= high ? low : 0.0;
        low = middle - 1;
        high = middle + 1;
    }
    const double margin = (high - low) / 20;
    tLow = low - margin;
    tHigh = high + margin;
    rMax = roundedUp(largest * 1.1);
    update();
}

QRect ResidualPlot::plotArea() const
{
    const QFontMetrics metrics = fontMetrics();
    const int label = std::max({metrics.horizontalAdvance(numberToText(-rMax)),
                                metrics.horizontalAdvance(numberToText(rMax))});
    const int text = metrics.height();
    return rect().adjusted(label + 8, text / 2 + 4, -8, -(text + 6));
}

QPointF ResidualPlot::position(double t, double r) const
{
    const QRect area = plotArea();
    const double x = area.left() + (t - tLow) / (tHigh - tLow) * (area.right() - area.left());
    const double y = area.top() + (rMax - r) / (2 * rMax) * (area.bottom() - area.top());
    return {x, y};
}

void ResidualPlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), qbColor(Blanco));

    // The labels in the widget's own pixels: the vertical range and zero to
    // the left, the range of t below.
    const QRect area = plotArea();
    const QFontMetrics metrics = fontMetrics();
    const int text = metrics.height();
    const QColor black = qbColor(0);
    painter.setPen(black);
    auto leftLabel = [&](double r) {
        const int y = int(std::lround(position(tLow, r).y()));
        painter.drawText(QRect(0, y - text / 2, area.left() - 5, text),
                         Qt::AlignRight | Qt::AlignVCenter, numberToText(r));
    };
    leftLabel(rMax);
    leftLabel(0);
    leftLabel(-rMax);
    if (!residuals.empty()) {
        const auto [first, last] = std::minmax_element(
                residuals.begin(), residuals.end(),
                [](const ResidualRow &l, const ResidualRow &r) { return l.t < r.t; });
        const int below = area.bottom() + 4;
        const int left = int(std::lround(position(first->t, 0).x()));
        const int right = int(std::lround(position(last->t, 0).x()));
        // Centred under its point in a box of 120 pixels or, where the label
        // is wider or would reach past the border, in a box of its own width
        // moved inside the border: no label of t is cut.
        auto under = [&](int x, int wide) {
            const int least = 2, most = width() - 2 - wide;
            if (wide <= 120 && x - wide / 2 >= least && x - wide / 2 <= most)
                return QRect(x - 60, below, 120, text);
            return QRect(std::max(least, std::min(x - wide / 2, most)), below, wide, text);
        };
        const QString firstText = numberToText(first->t), lastText = numberToText(last->t);
        const int firstWide = metrics.horizontalAdvance(firstText);
        const int lastWide = metrics.horizontalAdvance(lastText);
        const QRect firstBox = under(left, firstWide), lastBox = under(right, lastWide);
        painter.drawText(firstBox, Qt::AlignHCenter | Qt::AlignTop, firstText);
        // The last only where it stands clear of the first.
        const int firstEnd = firstBox.center().x() + firstWide / 2;
        const int lastStart = lastBox.center().x() - lastWide / 2;
        if (right - left > lastWide + 10 && lastStart > firstEnd + 5)
            painter.drawText(lastBox, Qt::AlignHCenter | Qt::AlignTop, lastText);
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
    for (const double r : {rMax, -rMax})
        painter.fillRect(left - 3 * line, device(position(tLow, r).y()), 3 * line, line, black);

    const int side = 5 * line + (line % 2 == 0 ? 1 : 0); // odd, so a square has a centre pixel
    for (const ResidualRow &row : residuals) {
        if (!std::isfinite(row.r))
            continue;
        const QPointF at = position(row.t, row.r);
        painter.fillRect(device(at.x()) - side / 2, device(at.y()) - side / 2, side, side,
                         qbColor(Azul));
    }
}
