#pragma once

#include "fit/fit_view.h"
#include "map/colour_key.h"
#include "numeric/error_surface.h"
#include "platform/plot_axis.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QMargins>
#include <QPolygonF>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

// The rectangle of the plane on show: c across, t0 up.
struct MapFrame
{
    double cLow{0.0}, cHigh{1.0};
    double t0Low{0.0}, t0High{1.0};

    bool operator==(const MapFrame &) const = default;
};

// The rectangle the default framing takes around the given (c, t0): each side
// at least a twelfth of its bar's range, a margin of 15 % all round, and all
// of it within the bars' ranges.
MapFrame frameAround(const std::vector<QPointF> &points);

// errorSurface computed in bands of rows by the calling thread and, on Qt
// Concurrent's global pool, one thread per other core; the same values, row
// for row.
std::vector<double> surfaceOverCores(const SurfaceGrid &grid, double a, Held held,
                                     const Points &points);

// A path drawn over the map besides the descent's own: its points in (c, t0),
// in order, and its colour.
struct ExtraPath
{
    QPolygonF points;
    QColor colour;
};

// log10 E over the plane of c and t0 with the descent's path on it. The
// surface is a grid of at most 256 × 256 cells, drawn smoothed to the plot's
// size in device pixels with a contour line at every decade of E; it is
// computed again only when the points, the held set, a held value, the framing
// or the grid changes, so a step only moves the path and the marker. The
// wheel zooms about the pointer, a drag pans, and a click (a press and release
// with no drag between) chooses a start there. With the focus, shown by a
// frame (and, unless a click gave it, a cross at the centre), the arrows
// pan, + and − zoom about the centre and Enter chooses the start there.
class MapPlot : public QWidget
{
    Q_OBJECT

public:
    MapPlot(const FitView &vista, QWidget *parent);

    // Reads the fit state again: the surface if what it depends on has
    // changed, the path, the marker and the best fit always. A new set of
    // points frames the map again, as `encuadrarDeNuevo` asks. Never throws.
    void actualizar(bool encuadrarDeNuevo = false) noexcept;
    // The default framing: the path so far, the current point and the best
    // fit when there is one.
    void encuadrar();

    MapFrame frame() const { return marco; }
    void setFrame(const MapFrame &frame);
    QRect plotArea() const;
    // Where (c, t0) lies in the widget's pixels, and the (c, t0) at a pixel.
    QPointF position(double c, double t0) const;
    QPointF pointAt(QPointF pixel) const;
    // (c, t0) rounded to the map's resolution: four significant digits, or
    // finer where a pixel is finer than that.
    QPointF rounded(QPointF point) const;
    // The middle of the framing, where the keys zoom and Enter chooses a start.
    QPointF centre() const;

    // The path as drawn, in (c, t0): both ends of every column of the error
    // history, then the current point; a point equal to the one before is left out.
    QPolygonF path() const;
    std::optional<QPointF> bestPoint() const { return mejor; }
    // The colour scale runs over these whole decades of E.
    int lowDecade() const { return low; }
    int highDecade() const { return high; }
    // What the surface holds, for its key, and whether E has a value in every cell.
    KeyContent keyContent() const { return contenido; }
    bool everyCellHasValue() const { return completo; }
    // How often the surface has been computed: for the tests that a step does not.
    int surfacesComputed() const { return computed; }

    // Paths drawn over the surface and under the descent's own path, each a
    // line in its colour over an edge that sets it off, ending in a dot of
    // its colour. Setting them repaints the plot and leaves the surface as it is.
    void setExtraPaths(std::vector<ExtraPath> paths);
    const std::vector<ExtraPath> &extraPaths() const { return otros; }

    // The map as the window shows it, into any painter in the widget's
    // pixels: the surface as a picture, the lines and the text as drawn.
    void dibujar(QPainter &painter) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A click at (c, t0), rounded to the map's resolution.
    void puntoElegido(double c, double t0);
    // The pointer is over (c, t0) of the plot, or has left it; told again
    // whenever the point under the pointer changes, by a move, a zoom, a pan
    // or a click.
    void punteroSobre(double c, double t0);
    void punteroFuera();
    // The surface, and with it the colour scale, has been computed again.
    void superficieNueva();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void medirMargenes();
    AxisScale cAxis() const;
    AxisScale t0Axis() const;
    SurfaceGrid rejillaPedida() const;
    std::vector<double> claveSuperficie() const;
    void calcularSuperficie();
    void trazarContornos(const std::vector<double> &values);
    void pintarFondo();
    void dibujarFondo(QPainter &painter) const;
    void dibujarEjes(QPainter &painter) const;
    void dibujarRecorrido(QPainter &painter) const;
    void dibujarOtrosRecorridos(QPainter &painter) const;
    void dibujarCentro(QPainter &painter) const;
    void senalarCentro();

    const FitView &vista;
    QMargins margenes; // around the plot, for the axes
    MapFrame marco;
    SurfaceGrid rejilla;
    std::vector<double> clave;       // what the surface on show was computed for
    std::uint64_t encuadrado{~0ULL}; // the points it was framed for, by their count
    QImage imagen;                   // one pixel per cell
    std::vector<QLineF> contornos;   // in the grid's cells, 0 .. columns across
    QImage fondo;                    // surface, contours and axes in device pixels
    bool fondoValido{false};
    int low{0}, high{1};
    KeyContent contenido{KeyContent::decades};
    bool completo{true};
    int computed{0};
    std::optional<QPointF> mejor; // the best fit's (c, t0)
    std::vector<ExtraPath> otros;

    void anunciarPuntero();
    std::optional<QPointF> puntero;   // in the widget's pixels, while it is over the widget
    std::optional<QPointF> anunciado; // the (c, t0) last told by punteroSobre

    // A press on the plot: a click unless the pointer moves beyond the drag
    // distance before the release, which makes it a drag.
    std::optional<QPointF> pulsado;
    MapFrame marcoAlPulsar;
    bool arrastrando{false};
    // The cross at the centre shows while the focus is the keyboard's: not
    // after a click, which chooses where the pointer is.
    bool conTeclado{false};
};
