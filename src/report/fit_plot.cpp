#include "report/fit_plot.h"

#include "numeric/fit_bands.h"
#include "numeric/model.h"
#include "platform/controls.h"
#include "platform/palette.h"
#include "platform/picture_export.h"
#include "platform/plot_axis.h"
#include "report/report_text.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// The curves are sampled at this many intervals across the frame: a few
// device pixels apart on any plot, and a few tens of microseconds a refresh.
constexpr int kIntervals = 400;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The colours: the points and the current fit as on the chart, the best fit
// in black over a pale blue confidence band, the prediction band in grey.
const QColor kBandFill(200, 216, 238);
const QColor kPredictionLine(112, 112, 112);

constexpr int kBoxPadding = 4; // pixels inside a box's border
constexpr int kSwatch = 26;    // a legend entry's sample of its line, with its gap
constexpr int kCornerInset = 6;

// The curve a·σ(c (t − t0)) free of overflow, NaN where it is not finite.
double curveAt(const Parameters &p, double t)
{
    const double f = p.a * logistic(p.c * (t - p.t0)).s;
    return std::isfinite(f) ? f : kNaN;
}

} // namespace

FitPlot::FitPlot(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // It takes the focus, so that the keyboard reaches its menu of pictures.
    setFocusPolicy(Qt::StrongFocus);
}

QSize FitPlot::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(QLatin1Char('0')) * 88, metrics.height() * 24};
}

QSize FitPlot::minimumSizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(QLatin1Char('0')) * 44, metrics.height() * 16};
}

void FitPlot::setFigure(const FitFigure &figure)
{
    shown = figure;
    labelLines = fitLabel(shown.best);
    noBandsLine = noBandsText(shown.best);
    samples.clear();

    double tLeast = HUGE_VAL, tMost = -HUGE_VAL, yLeast = HUGE_VAL, yMost = -HUGE_VAL;
    for (size_t k = 0; k < shown.t.size(); ++k) {
        tLeast = std::min(tLeast, shown.t[k]);
        tMost = std::max(tMost, shown.t[k]);
        yLeast = std::min(yLeast, shown.y[k]);
        yMost = std::max(yMost, shown.y[k]);
    }
    tFrame = framedRange(tLeast, tMost);
    if (shown.t.empty()) {
        yFrame = framedRange(yLeast, yMost);
        update();
        return;
    }

    // A curve counts for the framing only within the points' framed range
    // widened on either side by its own height or the largest |y|, whichever
    // is more.
    const ValueRange around = framedRange(yLeast, yMost);
    const double reach = std::max({around.high - around.low, std::fabs(yLeast), std::fabs(yMost)});
    auto frame = [&](double v) {
        if (!std::isfinite(v))
            return;
        v = std::clamp(v, around.low - reach, around.high + reach);
        yLeast = std::min(yLeast, v);
        yMost = std::max(yMost, v);
    };
    const bool best = shown.best.reason != NoAnswer::noBestFit;
    samples.reserve(kIntervals + 1);
    for (int k = 0; k <= kIntervals; ++k) {
        const double t = tFrame.low + (tFrame.high - tFrame.low) * k / kIntervals;
        Sample s{t, curveAt(shown.current, t), kNaN, kNaN, kNaN, kNaN, kNaN};
        if (best)
            s.best = curveAt(shown.best.p, t);
        if (const std::optional<BandPoint> band = fitBandsAt(shown.best, t)) {
            s.confidenceLower = band->confidenceLower;
            s.confidenceUpper = band->confidenceUpper;
            s.predictionLower = band->predictionLower;
            s.predictionUpper = band->predictionUpper;
        }
        for (const double v : {s.current, s.best, s.predictionLower, s.predictionUpper,
                               s.confidenceLower, s.confidenceUpper})
            frame(v);
        samples.push_back(s);
    }
    yFrame = framedRange(yLeast, yMost);
    update();
}

// Room for the labels and the axis names: "f(t)" above the highest label of
// f(t), the labels of t and "t" under the plot, and the widest label of f(t)
// at this height to the left.
QRect FitPlot::plotArea() const
{
    const QFontMetrics metrics = fontMetrics();
    const int text = metrics.height();
    const int top = 2 + text + text / 2 + 2;
    const int bottom = height() - (6 + 2 * text + 4);
    const AxisScale up = AxisScale::linear(yFrame.high, yFrame.low, top, bottom);
    int widest = metrics.horizontalAdvance(QStringLiteral("f(t)"));
    for (const AxisTick &tick : up.ticksEvery(50))
        widest = std::max(widest, metrics.horizontalAdvance(tick.text));
    return QRect(QPoint(widest + 7 + 3, top), QPoint(width() - 12, std::max(top + 1, bottom)));
}

AxisScale FitPlot::tAxis() const
{
    const QRect area = plotArea();
    return AxisScale::linear(tFrame.low, tFrame.high, area.left(), area.right());
}

AxisScale FitPlot::yAxis() const
{
    const QRect area = plotArea();
    return AxisScale::linear(yFrame.high, yFrame.low, area.top(), area.bottom());
}

QPointF FitPlot::position(double t, double y) const
{
    return {tAxis().pixel(t), yAxis().pixel(y)};
}

QStringList FitPlot::legendLines() const
{
    QStringList lines;
    if (!shown.t.empty()) {
        lines << QStringLiteral("puntos") << QStringLiteral("ajuste actual");
        if (shown.best.reason != NoAnswer::noBestFit)
            lines << QStringLiteral("mejor ajuste");
        if (hasBands())
            lines << QStringLiteral("banda de confianza del 95 %")
                  << QStringLiteral("banda de predicción del 95 %");
    }
    if (!noBandsLine.isEmpty())
        lines << noBandsLine;
    return lines;
}

QSize FitPlot::boxSize(const QStringList &lines, int swatch) const
{
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return {widest + swatch + 2 * kBoxPadding + 2,
            int(lines.size()) * metrics.height() + 2 * kBoxPadding + 2};
}

// How much of the figure a box would hide: each point weighs as much as a
// run of twenty curve samples. The figure is given in pixels, `marks` the
// points and then, per sample, its x, its four curves and its band's ends.
int FitPlot::crowding(const QRect &box, const std::vector<QPointF> &points,
                      const std::vector<std::array<double, 7>> &marks)
{
    int count = 0;
    for (const QPointF &at : points)
        count += 20 * box.contains(at.toPoint());
    for (const std::array<double, 7> &m : marks) {
        if (m[0] < box.left() || m[0] > box.right())
            continue;
        for (size_t k = 1; k < 5; ++k) // NaN compares false: a curve that is not there
            count += m[k] >= box.top() && m[k] <= box.bottom();
        count += m[6] <= box.bottom() && m[5] >= box.top();
    }
    return count;
}

// The legend in the emptiest corner of the plot, the top left first among
// equals; the label in the emptiest corner left that it can share with the
// legend, else under the legend.
void FitPlot::placeBoxes(QRect &legend, QRect &label) const
{
    const QRect area
            = plotArea().adjusted(kCornerInset, kCornerInset, -kCornerInset, -kCornerInset);
    auto corner = [&area](QSize size, int which) {
        QRect box(QPoint(), size);
        switch (which) {
        case 0:
            box.moveTopLeft(area.topLeft());
            break;
        case 1:
            box.moveBottomRight(area.bottomRight());
            break;
        case 2:
            box.moveTopRight(area.topRight());
            break;
        default:
            box.moveBottomLeft(area.bottomLeft());
            break;
        }
        return box;
    };
    const AxisScale across = tAxis(), up = yAxis();
    std::vector<QPointF> points;
    for (size_t k = 0; k < shown.t.size(); ++k)
        points.emplace_back(across.pixel(shown.t[k]), up.pixel(shown.y[k]));
    std::vector<std::array<double, 7>> marks;
    marks.reserve(samples.size());
    for (const Sample &s : samples)
        marks.push_back({across.pixel(s.t), up.pixel(s.current), up.pixel(s.best),
                         up.pixel(s.predictionLower), up.pixel(s.predictionUpper),
                         up.pixel(s.confidenceLower), up.pixel(s.confidenceUpper)});
    auto emptiest = [&](QSize size, const QRect &apart) {
        QRect chosen;
        int least = std::numeric_limits<int>::max();
        for (int which = 0; which < 4; ++which) {
            const QRect box = corner(size, which);
            if (!apart.isNull() && box.adjusted(-4, -4, 4, 4).intersects(apart))
                continue;
            const int count = crowding(box, points, marks);
            if (count < least) {
                least = count;
                chosen = box;
            }
        }
        return chosen;
    };
    const QStringList legendText = legendLines();
    legend = legendText.isEmpty() ? QRect() : emptiest(boxSize(legendText, kSwatch), QRect());
    label = QRect();
    if (labelLines.isEmpty())
        return;
    const QSize size = boxSize(labelLines, 0);
    label = emptiest(size, legend);
    if (label.isNull()) {
        label = QRect(QPoint(), size);
        const bool below = legend.bottom() + 4 + size.height() <= area.bottom();
        label.moveTopLeft(below ? QPoint(legend.left(), legend.bottom() + 4)
                                : QPoint(legend.left(), legend.top() - 4 - size.height()));
    }
}

QRect FitPlot::legendBox() const
{
    QRect legend, label;
    placeBoxes(legend, label);
    return legend;
}

QRect FitPlot::labelBox() const
{
    QRect legend, label;
    placeBoxes(legend, label);
    return label;
}

void FitPlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawInto(painter);
    drawFocusFrame(painter, *this);
}

void FitPlot::drawInto(QPainter &painter) const
{
    painter.save();
    painter.setFont(pictureFont(font()));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect(), qbColor(Blanco));
    // The painter's own scale: the screen's ratio, or the image's when rendered.
    const double ratio = painter.deviceTransform().m11();
    const int line = std::max(1, int(std::floor(ratio))); // a line's width in device pixels

    // Marks and labels in the widget's pixels, the marks one device line wide.
    const QRect area = plotArea();
    const QFontMetrics metrics = fontMetrics();
    QPen marks(qbColor(0));
    marks.setCosmetic(true);
    marks.setWidth(line);
    painter.setPen(marks);
    const AxisLook under{Qt::BottomEdge, area.bottom(), 1, 4, 6, rect()};
    const AxisLook left{Qt::LeftEdge, area.left(), 1, 4, 7, rect().adjusted(0, 2, 0, 0)};
    drawAxis(painter, under, tAxis().ticksEvery(70), metrics);
    drawAxis(painter, left, yAxis().ticksEvery(50), metrics);
    drawAxisName(painter, under, area, QStringLiteral("t"), metrics);
    drawAxisName(painter, left, area, QStringLiteral("f(t)"), metrics);

    // The curves and the points in device pixels, inside the axes.
    painter.save();
    painter.scale(1 / ratio, 1 / ratio);
    auto device = [ratio](double logical) { return int(std::lround(logical * ratio)); };
    const int leftX = device(area.left()), rightX = device(area.right());
    const int topY = device(area.top()), bottomY = device(area.bottom());
    painter.setClipRect(QRect(QPoint(leftX + line, topY), QPoint(rightX, bottomY - line)));
    drawCurves(painter, ratio);
    const int side = 5 * line + (line % 2 == 0 ? 1 : 0); // odd, so a square has a centre pixel
    const AxisScale across = tAxis(), up = yAxis();
    for (size_t k = 0; k < shown.t.size(); ++k)
        painter.fillRect(device(across.pixel(shown.t[k])) - side / 2,
                         device(up.pixel(shown.y[k])) - side / 2, side, side, qbColor(Azul));
    painter.setClipping(false);

    // The border and the two axis lines as filled rectangles on whole device pixels.
    const QRect box(QPoint(0, 0), QPoint(device(width()) - 1, device(height()) - 1));
    const QColor frame = palette().color(QPalette::Dark);
    painter.fillRect(box.left(), box.top(), box.width(), line, frame);
    painter.fillRect(box.left(), box.bottom() - line + 1, box.width(), line, frame);
    painter.fillRect(box.left(), box.top(), line, box.height(), frame);
    painter.fillRect(box.right() - line + 1, box.top(), line, box.height(), frame);
    painter.fillRect(leftX, topY, line, bottomY - topY + 1, qbColor(0));
    painter.fillRect(leftX, bottomY - line + 1, rightX - leftX + 1, line, qbColor(0));
    painter.restore();

    QRect legend, label;
    placeBoxes(legend, label);
    if (!legend.isNull())
        drawBox(painter, legend, legendLines(), true);
    if (!label.isNull())
        drawBox(painter, label, labelLines, false);
    painter.restore();
}

// The band first, then its edges, the current fit and the best fit dashed
// over it, so that where the two fits meet both show.
void FitPlot::drawCurves(QPainter &painter, double ratio) const
{
    if (samples.empty())
        return;
    const int line = std::max(1, int(std::floor(ratio)));
    // A value far beyond the frame is drawn at its edge's distance of ten
    // heights: the clip hides it, and no pixel coordinate overflows.
    const double height = yFrame.high - yFrame.low;
    const AxisScale across = tAxis(), up = yAxis();
    auto at = [&](double t, double v) {
        v = std::clamp(v, yFrame.low - 10 * height, yFrame.high + 10 * height);
        return QPointF(across.pixel(t) * ratio, up.pixel(v) * ratio);
    };
    // The runs of consecutive samples where a figure exists.
    auto polylines = [&](double Sample::*figure) {
        std::vector<QPolygonF> runs(1);
        for (const Sample &s : samples) {
            if (std::isfinite(s.*figure))
                runs.back() << at(s.t, s.*figure);
            else if (!runs.back().isEmpty())
                runs.emplace_back();
        }
        return runs;
    };
    painter.setRenderHint(QPainter::Antialiasing, true);

    QPolygonF band;
    auto fillBand = [&] {
        if (band.size() > 2) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(kBandFill);
            painter.drawPolygon(band);
        }
        band.clear();
    };
    std::vector<size_t> run;
    for (size_t k = 0; k <= samples.size(); ++k) {
        if (k < samples.size() && std::isfinite(samples[k].confidenceLower)) {
            run.push_back(k);
            continue;
        }
        for (const size_t j : run)
            band << at(samples[j].t, samples[j].confidenceUpper);
        for (auto j = run.rbegin(); j != run.rend(); ++j)
            band << at(samples[*j].t, samples[*j].confidenceLower);
        fillBand();
        run.clear();
    }
    painter.setBrush(Qt::NoBrush);

    auto stroke = [&](double Sample::*figure, QPen pen) {
        painter.setPen(pen);
        for (const QPolygonF &polyline : polylines(figure))
            if (polyline.size() > 1)
                painter.drawPolyline(polyline);
    };
    const QPen thin(kPredictionLine, line, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin);
    stroke(&Sample::predictionLower, thin);
    stroke(&Sample::predictionUpper, thin);
    stroke(&Sample::current,
           QPen(qbColor(Rojo), 2 * line, Qt::SolidLine, Qt::FlatCap, Qt::BevelJoin));
    stroke(&Sample::best, QPen(qbColor(0), 2 * line, Qt::DashLine, Qt::FlatCap, Qt::BevelJoin));
    painter.setRenderHint(QPainter::Antialiasing, false);
}

// A box on a white ground with a thin border: the legend, each line after a
// sample of what it names (the reason for missing bands has none), or the label.
void FitPlot::drawBox(QPainter &painter, const QRect &box, const QStringList &lines,
                      bool legend) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(box, qbColor(Blanco));
    QPen border(palette().color(QPalette::Dark));
    border.setCosmetic(true);
    painter.setPen(border);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    const QFontMetrics metrics = fontMetrics();
    const int text = metrics.height();
    int y = box.top() + 1 + kBoxPadding;
    for (const QString &entry : lines) {
        int x = box.left() + 1 + kBoxPadding;
        const bool sampled = legend && entry != noBandsLine;
        if (sampled) {
            const int middle = y + text / 2;
            const QRect sample(x, middle - 1, kSwatch - 8, 2);
            if (entry == QStringLiteral("puntos")) {
                painter.fillRect(QRect(x + (kSwatch - 8) / 2 - 2, middle - 2, 5, 5), qbColor(Azul));
            } else if (entry == QStringLiteral("ajuste actual")) {
                painter.fillRect(sample, qbColor(Rojo));
            } else if (entry == QStringLiteral("mejor ajuste")) {
                for (int dash = x; dash < sample.right(); dash += 6)
                    painter.fillRect(QRect(dash, middle - 1, 4, 2), qbColor(0));
            } else if (entry.startsWith(QStringLiteral("banda de confianza"))) {
                painter.fillRect(QRect(x, middle - 4, kSwatch - 8, 8), kBandFill);
            } else {
                painter.fillRect(QRect(x, middle, kSwatch - 8, 1), kPredictionLine);
            }
            x += kSwatch;
        }
        painter.setPen(qbColor(0));
        painter.drawText(QRect(x, y, box.right() - x, text), Qt::AlignLeft | Qt::AlignVCenter,
                         entry);
        y += text;
    }
    painter.restore();
}
