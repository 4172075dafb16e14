#include "map/map_plot.h"

#include "fit/constants.h"
#include "map/colour_key.h"
#include "platform/controls.h"
#include "numeric/decimal_rounding.h"
#include "platform/number_text.h"
#include "platform/plot_axis.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>

namespace {

constexpr int kMaxCells = 256; // a side of the surface's grid, at most
constexpr int kBandRows = 16;  // rows of the surface a thread takes at a time
constexpr int kMapTick = 4;    // pixels
constexpr double kMargin = 0.15;
constexpr double kZoomPerNotch = 0.8;
constexpr double kPanPerKey = 0.1; // of the framing's span
// The smallest framing: a ten-thousandth of a bar's range across.
constexpr double kSmallestShare = 1e-4;

const MapFrame kWhole{kBarC.lowest(), kBarC.highest(), kBarT0.lowest(), kBarT0.highest()};

// One side of a framing, no wider than its bar's range nor narrower than the
// smallest framing, moved inside the range.
void fitSide(double &lowSide, double &highSide, double lowest, double highest)
{
    const double whole = highest - lowest;
    double span = std::clamp(highSide - lowSide, whole * kSmallestShare, whole);
    double centre = (lowSide + highSide) / 2;
    if (!std::isfinite(centre))
        centre = (lowest + highest) / 2;
    lowSide = std::clamp(centre - span / 2, lowest, highest - span);
    highSide = lowSide + span;
}

// The part of the segment from p to q that lies within `box` (Liang and
// Barsky's clipping by the parameter along the segment); none when it misses.
std::optional<QLineF> segmentWithin(QPointF p, QPointF q, const QRectF &box)
{
    double enter = 0, leave = 1;
    const double d[2] = {q.x() - p.x(), q.y() - p.y()};
    const double from[2] = {p.x(), p.y()};
    const double low[2] = {box.left(), box.top()}, high[2] = {box.right(), box.bottom()};
    for (int k = 0; k < 2; ++k) {
        if (d[k] == 0) {
            if (from[k] < low[k] || from[k] > high[k])
                return std::nullopt;
            continue;
        }
        double t1 = (low[k] - from[k]) / d[k], t2 = (high[k] - from[k]) / d[k];
        if (t1 > t2)
            std::swap(t1, t2);
        enter = std::max(enter, t1);
        leave = std::min(leave, t2);
    }
    if (enter > leave)
        return std::nullopt;
    const QPointF span = q - p;
    return QLineF(enter == 0 ? p : p + enter * span, leave == 1 ? q : p + leave * span);
}

MapFrame withinBars(MapFrame frame)
{
    fitSide(frame.cLow, frame.cHigh, kWhole.cLow, kWhole.cHigh);
    fitSide(frame.t0Low, frame.t0High, kWhole.t0Low, kWhole.t0High);
    return frame;
}

} // namespace

std::vector<double> surfaceOverCores(const SurfaceGrid &grid, double a, Held held,
                                     const Points &points)
{
    const int rows = std::max(grid.rows, 0);
    std::vector<double> surface(size_t(std::max(grid.columns, 0)) * size_t(rows));
    const SurfaceColumns columns = surfaceColumns(grid, points);
    // The calling thread takes bands too, beside one pool thread per other
    // core: waking a thread costs more than a band, so the caller that would
    // only wait starts at once. Each band goes to whichever thread asks first.
    std::atomic<int> next{0};
    auto work = [&] {
        for (int begin; (begin = next.fetch_add(kBandRows)) < rows;)
            errorSurfaceRows(grid, columns, a, held, points, begin, begin + kBandRows, surface);
    };
    const int bands = (rows + kBandRows - 1) / kBandRows;
    std::vector<QFuture<void>> others;
    for (int k = 1; k < std::min(QThread::idealThreadCount(), bands); ++k)
        others.push_back(QtConcurrent::run(work));
    // The others read this frame's locals: they are waited for also when
    // this thread's share throws.
    std::exception_ptr fault;
    try {
        work();
    } catch (...) {
        fault = std::current_exception();
    }
    for (QFuture<void> &other : others)
        other.waitForFinished();
    if (fault)
        std::rethrow_exception(fault);
    return surface;
}

MapFrame frameAround(const std::vector<QPointF> &points)
{
    double cLow = HUGE_VAL, cHigh = -HUGE_VAL, tLow = HUGE_VAL, tHigh = -HUGE_VAL;
    for (const QPointF &point : points) {
        if (!std::isfinite(point.x()) || !std::isfinite(point.y()))
            continue;
        cLow = std::min(cLow, point.x());
        cHigh = std::max(cHigh, point.x());
        tLow = std::min(tLow, point.y());
        tHigh = std::max(tHigh, point.y());
    }
    if (cLow > cHigh)
        return kWhole;
    // Clamped first, so that a best fit beyond a bar does not stretch the framing.
    auto side = [](double &lowSide, double &highSide, double lowest, double highest) {
        lowSide = std::clamp(lowSide, lowest, highest);
        highSide = std::clamp(highSide, lowest, highest);
        const double least = (highest - lowest) / 12;
        const double span = std::max(highSide - lowSide, least) * (1 + 2 * kMargin);
        const double centre = (lowSide + highSide) / 2;
        lowSide = centre - span / 2;
        highSide = centre + span / 2;
    };
    side(cLow, cHigh, kWhole.cLow, kWhole.cHigh);
    side(tLow, tHigh, kWhole.t0Low, kWhole.t0High);
    return withinBars({cLow, cHigh, tLow, tHigh});
}

MapPlot::MapPlot(const FitView &vista, QWidget *parent) : QWidget(parent), vista(vista)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(Qt::CrossCursor);
    marco = kWhole;
    medirMargenes();
}

// Fixed margins, so that the plot's size does not depend on the labels of
// the moment: room on the left for a label such as "-12,3456", below for a
// row of labels and the name of the axis, above for the name of the other.
// Measured once per font: every point drawn asks for the plot's area.
void MapPlot::medirMargenes()
{
    const QFontMetrics metrics = fontMetrics();
    const int text = metrics.height();
    margenes = QMargins(metrics.horizontalAdvance(QStringLiteral("-00,00000")) + kMapTick + 6,
                        text + 6, 12, 2 * text + kMapTick + 8);
}

QRect MapPlot::plotArea() const
{
    return rect().marginsRemoved(margenes);
}

void MapPlot::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        medirMargenes();
        fondoValido = false;
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

QSize MapPlot::sizeHint() const
{
    return QSize(480, 480).grownBy(margenes);
}

QSize MapPlot::minimumSizeHint() const
{
    return QSize(120, 120).grownBy(margenes);
}

// c across from the plot's left edge to its right; t0 down from the top.
AxisScale MapPlot::cAxis() const
{
    const QRectF area = plotArea();
    return AxisScale::linear(marco.cLow, marco.cHigh, area.left(), area.left() + area.width());
}

AxisScale MapPlot::t0Axis() const
{
    const QRectF area = plotArea();
    return AxisScale::linear(marco.t0High, marco.t0Low, area.top(), area.top() + area.height());
}

QPointF MapPlot::position(double c, double t0) const
{
    return {cAxis().pixel(c), t0Axis().pixel(t0)};
}

QPointF MapPlot::pointAt(QPointF pixel) const
{
    return {cAxis().value(pixel.x()), t0Axis().value(pixel.y())};
}

QPointF MapPlot::rounded(QPointF point) const
{
    const QRect area = plotArea();
    auto round = [](double value, double pixel) {
        int exponent = int(std::floor(std::log10(pixel)));
        if (value != 0)
            exponent = std::min(exponent,
                                int(std::floor(std::log10(std::fabs(value)))) - (kMapDigits - 1));
        return roundToDecade(value, exponent);
    };
    return {round(point.x(), (marco.cHigh - marco.cLow) / std::max(1, area.width())),
            round(point.y(), (marco.t0High - marco.t0Low) / std::max(1, area.height()))};
}

QPointF MapPlot::centre() const
{
    return {(marco.cLow + marco.cHigh) / 2, (marco.t0Low + marco.t0High) / 2};
}

void MapPlot::setFrame(const MapFrame &frame)
{
    const MapFrame fitted = withinBars(frame);
    if (fitted == marco)
        return;
    marco = fitted;
    calcularSuperficie();
    update();
    // The pointer now rests over another point of the plane.
    anunciarPuntero();
}

// The point of the plane under the pointer, told once per change of it.
void MapPlot::anunciarPuntero()
{
    std::optional<QPointF> point;
    if (puntero && plotArea().contains(puntero->toPoint()))
        point = rounded(pointAt(*puntero));
    if (point == anunciado)
        return;
    anunciado = point;
    if (point)
        emit punteroSobre(point->x(), point->y());
    else
        emit punteroFuera();
}

void MapPlot::encuadrar()
{
    std::vector<QPointF> points;
    for (const ErrorHistory::Column &column : vista.history().columns()) {
        points.emplace_back(column.from.c, column.from.t0);
        points.emplace_back(column.to.c, column.to.t0);
    }
    points.emplace_back(vista.state().c, vista.state().t0);
    if (mejor)
        points.push_back(*mejor);
    setFrame(frameAround(points));
}

// The grid for the framing and the plot's size: a cell per pixel up to 256
// a side, smoothed when drawn larger.
SurfaceGrid MapPlot::rejillaPedida() const
{
    const QRect area = plotArea();
    return {marco.cLow,
            marco.cHigh,
            marco.t0Low,
            marco.t0High,
            std::clamp(area.width(), 1, kMaxCells),
            std::clamp(area.height(), 1, kMaxCells)};
}

// Everything the surface depends on: the points (by their count), which
// parameters are held, a's value when it is held, the framing and the grid.
std::vector<double> MapPlot::claveSuperficie() const
{
    const FitState &state = vista.state();
    const Held held = vista.held();
    const SurfaceGrid grid = rejillaPedida();
    std::vector<double> key{double(held.a), double(held.c), double(held.t0),
                            held.a ? state.a : 0.0};
    key.insert(key.end(),
               {grid.cLow, grid.cHigh, grid.t0Low, grid.t0High, double(grid.columns),
                double(grid.rows)});
    key.push_back(double(vista.pointsRevision()));
    return key;
}

void MapPlot::actualizar(bool encuadrarDeNuevo) noexcept
{
    try {
        const std::uint64_t points = vista.pointsRevision();
        const BestFit &best = vista.best();
        mejor = best.found() ? std::optional<QPointF>(QPointF(best.p.c, best.p.t0)) : std::nullopt;
        if (points != encuadrado || encuadrarDeNuevo) {
            encuadrado = points;
            const MapFrame before = marco;
            encuadrar();
            if (marco != before)
                return; // setFrame computed the surface
        }
        if (claveSuperficie() != clave)
            calcularSuperficie();
        update();
    } catch (const std::exception &) {
        // Only an allocation can fail here; the map then keeps what it showed.
    }
}

void MapPlot::calcularSuperficie()
{
    const FitState &state = vista.state();
    rejilla = rejillaPedida();
    std::vector<double> values = surfaceOverCores(rejilla, state.a, vista.held(), vista.points());
    clave = claveSuperficie();
    ++computed;

    // The colour scale runs over the whole decades that hold every value; an
    // error of 0 takes the bottom of the scale.
    double least = HUGE_VAL, most = -HUGE_VAL;
    bool zero = false;
    completo = true;
    for (double value : values) {
        if (std::isfinite(value)) {
            least = std::min(least, value);
            most = std::max(most, value);
        } else {
            zero = zero || value < 0; // log10 0
            completo = completo && !std::isnan(value);
        }
    }
    low = least <= most ? int(std::floor(least)) : 0;
    high = std::max(least <= most ? int(std::ceil(most)) : 1, low + 1);
    contenido = least <= most ? KeyContent::decades : zero ? KeyContent::zero : KeyContent::noValue;

    imagen = QImage(rejilla.columns, rejilla.rows, QImage::Format_RGB32);
    QRgb colours[256];
    for (int k = 0; k < 256; ++k)
        colours[k] = mapColour(k / 255.0);
    for (int row = 0; row < rejilla.rows; ++row) {
        auto *line = reinterpret_cast<QRgb *>(imagen.scanLine(row));
        for (int column = 0; column < rejilla.columns; ++column) {
            double &value = values[size_t(row) * size_t(rejilla.columns) + size_t(column)];
            if (std::isnan(value)) {
                line[column] = kNoValueColour;
                continue;
            }
            value = std::max(value, double(low) - 1); // E = 0 below every contour
            const double share = std::clamp((value - low) / (high - low), 0.0, 1.0);
            line[column] = colours[int(std::lround(share * 255))];
        }
    }
    trazarContornos(values);
    fondoValido = false;
    emit superficieNueva();
}

// Marching squares between the cell centres: for each square whose corners
// straddle a whole decade, the line of that decade across it, placed by
// linear interpolation along the edges. A square with a corner without value
// has no line.
void MapPlot::trazarContornos(const std::vector<double> &values)
{
    contornos.clear();
    const int columns = rejilla.columns, rows = rejilla.rows;
    auto at = [&](int column, int row) {
        return values[size_t(row) * size_t(columns) + size_t(column)];
    };
    for (int row = 0; row + 1 < rows; ++row) {
        for (int column = 0; column + 1 < columns; ++column) {
            // Corners clockwise from the top left.
            const double v[4] = {at(column, row), at(column + 1, row), at(column + 1, row + 1),
                                 at(column, row + 1)};
            if (std::isnan(v[0]) || std::isnan(v[1]) || std::isnan(v[2]) || std::isnan(v[3]))
                continue;
            const double least = std::min({v[0], v[1], v[2], v[3]});
            const double most = std::max({v[0], v[1], v[2], v[3]});
            const QPointF corner[4] = {{column + 0.5, row + 0.5},
                                       {column + 1.5, row + 0.5},
                                       {column + 1.5, row + 1.5},
                                       {column + 0.5, row + 1.5}};
            for (int level = int(std::ceil(least)); level <= most && level > least; ++level) {
                // Where the level crosses each edge k (corner k to corner k + 1).
                QPointF crossing[4];
                int count = 0;
                for (int k = 0; k < 4; ++k) {
                    const double from = v[k], to = v[(k + 1) % 4];
                    if ((from < level) != (to < level)) {
                        const double share = (level - from) / (to - from);
                        crossing[count++] = corner[k] + share * (corner[(k + 1) % 4] - corner[k]);
                    }
                }
                if (count == 2) {
                    contornos.emplace_back(crossing[0], crossing[1]);
                } else if (count == 4) {
                    // A saddle: the centre's value decides which corners join.
                    const double centre = (v[0] + v[1] + v[2] + v[3]) / 4;
                    const bool joinFirst = (centre < level) == (v[0] < level);
                    if (joinFirst) {
                        contornos.emplace_back(crossing[0], crossing[1]);
                        contornos.emplace_back(crossing[2], crossing[3]);
                    } else {
                        contornos.emplace_back(crossing[3], crossing[0]);
                        contornos.emplace_back(crossing[1], crossing[2]);
                    }
                }
            }
        }
    }
}

// A new size may need a finer or coarser grid; before the first actualizar
// there is nothing to compute yet.
void MapPlot::resizeEvent(QResizeEvent *)
{
    fondoValido = false;
    if (!clave.empty() && claveSuperficie() != clave)
        calcularSuperficie();
}

// The part of the picture that changes only with the surface, the size and
// the screen: drawn once in device pixels and copied on every paint.
void MapPlot::pintarFondo()
{
    const qreal ratio = devicePixelRatioF();
    fondo = QImage(size() * ratio, QImage::Format_RGB32);
    fondo.setDevicePixelRatio(ratio);
    QPainter painter(&fondo);
    dibujarFondo(painter);
    fondoValido = true;
}

void MapPlot::dibujar(QPainter &painter) const
{
    dibujarFondo(painter);
    painter.save();
    painter.setClipRect(plotArea());
    dibujarOtrosRecorridos(painter);
    dibujarRecorrido(painter);
    painter.restore();
}

// The surface, its contour lines and the axes, in the widget's pixels.
void MapPlot::dibujarFondo(QPainter &painter) const
{
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QRect area = plotArea();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(area), imagen);

    painter.save();
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 140), 1.0, Qt::SolidLine, Qt::FlatCap));
    const double sx = double(area.width()) / rejilla.columns;
    const double sy = double(area.height()) / rejilla.rows;
    std::vector<QLineF> lines;
    lines.reserve(contornos.size());
    for (const QLineF &line : contornos)
        lines.emplace_back(area.left() + line.x1() * sx, area.top() + line.y1() * sy,
                           area.left() + line.x2() * sx, area.top() + line.y2() * sy);
    painter.drawLines(lines.data(), int(lines.size()));
    painter.restore();

    dibujarEjes(painter);
}

// A frame around the plot, ticks outside it labelled as the program writes
// numbers, and the names of the axes.
void MapPlot::dibujarEjes(QPainter &painter) const
{
    const QRect area = plotArea();
    const QFontMetrics metrics = fontMetrics();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(area.adjusted(-1, -1, 0, 0));
    AxisLook under{Qt::BottomEdge, area.bottom(), 1, kMapTick, kMapTick + 2, rect()};
    under.align = Qt::AlignCenter;
    drawAxis(painter, under, cAxis().ticksEvery(70), metrics);
    const AxisLook left{Qt::LeftEdge, area.left(),  2,
                        kMapTick + 1, kMapTick + 4, rect().adjusted(0, 2, 0, 0)};
    drawAxis(painter, left, t0Axis().ticksEvery(50), metrics);
    drawAxisName(painter, under, area, QStringLiteral("c"), metrics);
    drawAxisName(painter, left, area, QStringLiteral("t0"), metrics);
}

QPolygonF MapPlot::path() const
{
    QPolygonF points;
    auto add = [&points](double c, double t0) {
        const QPointF point(c, t0);
        if (points.isEmpty() || points.last() != point)
            points << point;
    };
    for (const ErrorHistory::Column &column : vista.history().columns()) {
        add(column.from.c, column.from.t0);
        add(column.to.c, column.to.t0);
    }
    add(vista.state().c, vista.state().t0);
    return points;
}

// The path in white over a dark edge, so that it shows on every colour of the
// scale; a dot at every recorded point; the best fit as a cross; the current
// point as a red disc, on the cross's centre once the descent has reached it.
// Points that fall within a pixel of the one before add nothing to the line,
// nor dots closer than their size: a descent that has settled piles hundreds
// of columns on one spot, and the picture is then drawn in a fraction of the time.
void MapPlot::dibujarRecorrido(QPainter &painter) const
{
    const QPolygonF inPlane = path();
    QPolygonF line;
    line.reserve(inPlane.size());
    for (qsizetype k = 0; k < inPlane.size(); ++k) {
        const QPointF at = position(inPlane[k].x(), inPlane[k].y());
        if (line.isEmpty() || k + 1 == inPlane.size()
            || std::max(std::fabs(at.x() - line.last().x()), std::fabs(at.y() - line.last().y()))
                    >= 1.0)
            line << at;
    }
    // A dark edge without antialiasing under a white line with it: a wide
    // antialiased stroke costs Qt's rasteriser six times as much.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(40, 40, 40), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(line);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(line);
    painter.setPen(QPen(QColor(40, 40, 40), 1.0));
    painter.setBrush(Qt::white);
    QPointF lastDot(-100, -100);
    for (qsizetype k = 0; k + 1 < line.size(); ++k) {
        if ((line[k] - lastDot).manhattanLength() < 4)
            continue;
        painter.drawEllipse(line[k], 2.2, 2.2);
        lastDot = line[k];
    }

    if (mejor) {
        const QPointF at = position(mejor->x(), mejor->y());
        const double arm = 8;
        const QLineF cross[2] = {{at + QPointF(-arm, -arm), at + QPointF(arm, arm)},
                                 {at + QPointF(-arm, arm), at + QPointF(arm, -arm)}};
        painter.setPen(QPen(Qt::black, 4.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLines(cross, 2);
        painter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLines(cross, 2);
    }

    if (!line.isEmpty()) {
        painter.setPen(QPen(Qt::white, 1.5));
        painter.setBrush(QColor(255, 0, 0));
        painter.drawEllipse(line.last(), 5.0, 5.0);
    }
}

void MapPlot::setExtraPaths(std::vector<ExtraPath> paths)
{
    otros = std::move(paths);
    update();
}

// Each extra path as the descent's is drawn, a line over a contrasting edge
// without antialiasing, in its colour: a dark edge under a light colour, a
// light one under a dark colour, so that every colour shows on every colour
// of the scale. A method that runs off leaves points far beyond any pixel,
// which are cut at a box around the plot before Qt's rasteriser sees them;
// points within a pixel of the one before add nothing.
void MapPlot::dibujarOtrosRecorridos(QPainter &painter) const
{
    const QRectF area = plotArea();
    const QRectF box = area.adjusted(-area.width(), -area.height(), area.width(), area.height());
    painter.save();
    for (const ExtraPath &path : otros) {
        std::vector<QPolygonF> lines;
        bool open = false; // the last line goes on from the point before
        std::optional<QPointF> before;
        for (const QPointF &point : path.points) {
            const QPointF at = position(point.x(), point.y());
            if (!std::isfinite(at.x()) || !std::isfinite(at.y()))
                break;
            if (!before) {
                before = at;
                open = box.contains(at);
                if (open)
                    lines.push_back(QPolygonF{at});
                continue;
            }
            const std::optional<QLineF> inside = segmentWithin(*before, at, box);
            before = at;
            if (!inside) {
                open = false;
                continue;
            }
            if (!open)
                lines.push_back(QPolygonF{inside->p1()});
            QPolygonF &line = lines.back();
            const bool cut = inside->p2() != at;
            const QPointF step = inside->p2() - line.last();
            if (cut || std::max(std::fabs(step.x()), std::fabs(step.y())) >= 1.0)
                line << inside->p2();
            open = !cut;
        }
        const bool light = qGray(path.colour.rgb()) >= 100;
        const QColor edge = light ? QColor(40, 40, 40) : QColor(235, 235, 235);
        for (const QPolygonF &line : lines) {
            if (line.isEmpty())
                continue;
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(QPen(edge, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolyline(line);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(path.colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolyline(line);
        }
        // The dot where the method ended, when that is near the plot.
        if (before && box.contains(*before)) {
            painter.setPen(QPen(edge, 1.0));
            painter.setBrush(path.colour);
            painter.drawEllipse(*before, 3.5, 3.5);
        }
    }
    painter.restore();
}

void MapPlot::paintEvent(QPaintEvent *)
{
    if (!fondoValido || fondo.devicePixelRatio() != devicePixelRatioF()
        || fondo.size() != size() * devicePixelRatioF())
        pintarFondo();
    QPainter painter(this);
    painter.drawImage(0, 0, fondo);
    painter.setClipRect(plotArea());
    dibujarOtrosRecorridos(painter);
    dibujarRecorrido(painter);
    dibujarCentro(painter);
    drawFocusFrame(painter, *this);
}

// While the map has the focus, a cross at the centre, where the keys zoom and
// Enter chooses a start: white arms over a dark edge with a gap in the middle,
// so that the point under it stays in sight.
void MapPlot::dibujarCentro(QPainter &painter) const
{
    if (!hasFocus() || !conTeclado)
        return;
    // On the middle of a pixel, so that the dark edge lies evenly either side.
    const QPointF middle = position(centre().x(), centre().y());
    const QPointF at(std::floor(middle.x()) + 0.5, std::floor(middle.y()) + 0.5);
    const double gap = 8, arm = 15; // clear of the current point's disc
    QLineF arms[4];
    for (int k = 0; k < 4; ++k) {
        const QPointF way = QLineF::fromPolar(1, 90 * k).p2();
        arms[k] = QLineF(at + gap * way, at + arm * way);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(40, 40, 40), 3.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawLines(arms, 4);
    painter.setPen(QPen(Qt::white, 1.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawLines(arms, 4);
    painter.restore();
}

void MapPlot::mousePressEvent(QMouseEvent *event)
{
    if (conTeclado) {
        conTeclado = false;
        update();
    }
    if (event->button() != Qt::LeftButton || !plotArea().contains(event->position().toPoint()))
        return;
    pulsado = event->position();
    marcoAlPulsar = marco;
    arrastrando = false;
}

void MapPlot::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    puntero = at;
    if (pulsado && (event->buttons() & Qt::LeftButton)) {
        if (!arrastrando && (at - *pulsado).manhattanLength() >= QApplication::startDragDistance())
            arrastrando = true;
        if (arrastrando) {
            const QRectF area = plotArea();
            const double dc = (at.x() - pulsado->x()) / area.width()
                    * (marcoAlPulsar.cHigh - marcoAlPulsar.cLow);
            const double dt = (at.y() - pulsado->y()) / area.height()
                    * (marcoAlPulsar.t0High - marcoAlPulsar.t0Low);
            setFrame({marcoAlPulsar.cLow - dc, marcoAlPulsar.cHigh - dc, marcoAlPulsar.t0Low + dt,
                      marcoAlPulsar.t0High + dt});
        }
    }
    anunciarPuntero();
}

void MapPlot::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !pulsado)
        return;
    const bool click = !arrastrando;
    pulsado.reset();
    arrastrando = false;
    // The line under the map shows the point the click commits.
    puntero = event->position();
    anunciarPuntero();
    if (click && plotArea().contains(event->position().toPoint())) {
        const QPointF point = rounded(pointAt(event->position()));
        emit puntoElegido(point.x(), point.y());
    }
}

// Zooms about the point under the pointer, which stays where it is.
void MapPlot::wheelEvent(QWheelEvent *event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0 || !plotArea().contains(event->position().toPoint()))
        return;
    const double factor = std::pow(kZoomPerNotch, notches);
    puntero = event->position();
    const QPointF under = pointAt(event->position());
    setFrame({under.x() - (under.x() - marco.cLow) * factor,
              under.x() + (marco.cHigh - under.x()) * factor,
              under.y() - (under.y() - marco.t0Low) * factor,
              under.y() + (marco.t0High - under.y()) * factor});
    anunciarPuntero();
    event->accept();
}

void MapPlot::leaveEvent(QEvent *)
{
    puntero.reset();
    anunciarPuntero();
}

// The keys act about the centre, which the line under the map then describes
// as it describes the point under the pointer: what Enter would commit.
void MapPlot::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const double cSpan = marco.cHigh - marco.cLow, t0Span = marco.t0High - marco.t0Low;
    const auto pan = [&](double across, double up) {
        setFrame({marco.cLow + across * cSpan, marco.cHigh + across * cSpan,
                  marco.t0Low + up * t0Span, marco.t0High + up * t0Span});
    };
    const auto zoom = [&](double factor) {
        const QPointF middle = centre();
        const double cHalf = cSpan / 2 * factor, t0Half = t0Span / 2 * factor;
        setFrame(
                {middle.x() - cHalf, middle.x() + cHalf, middle.y() - t0Half, middle.y() + t0Half});
    };
    // + and − as typed: Shift gives + on some keyboards, the keypad has both.
    const bool plain = modifiers == Qt::NoModifier;
    const bool typed = (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier;
    const int key = event->key();
    if (plain && key == Qt::Key_Left) {
        pan(-kPanPerKey, 0);
    } else if (plain && key == Qt::Key_Right) {
        pan(kPanPerKey, 0);
    } else if (plain && key == Qt::Key_Up) {
        pan(0, kPanPerKey);
    } else if (plain && key == Qt::Key_Down) {
        pan(0, -kPanPerKey);
    } else if (typed && key == Qt::Key_Plus) {
        zoom(kZoomPerNotch);
    } else if (typed && key == Qt::Key_Minus) {
        zoom(1 / kZoomPerNotch);
    } else if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        const QPointF point = rounded(centre());
        emit puntoElegido(point.x(), point.y());
    } else {
        return QWidget::keyPressEvent(event);
    }
    event->accept();
    conTeclado = true;
    senalarCentro();
}

void MapPlot::senalarCentro()
{
    const QPointF point = rounded(centre());
    emit punteroSobre(point.x(), point.y());
}

// Reached by the keyboard, the map describes its centre at once.
void MapPlot::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (event->reason() == Qt::PopupFocusReason)
        return;
    conTeclado = event->reason() != Qt::MouseFocusReason;
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        senalarCentro();
}

void MapPlot::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && !underMouse())
        emit punteroFuera();
}
