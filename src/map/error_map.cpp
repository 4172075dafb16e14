#include "map/error_map.h"

#include "fit/constants.h"
#include "map/colour_key.h"
#include "map/map_plot.h"
#include "numeric/decimal_rounding.h"
#include "numeric/error_surface.h"
#include "platform/accessibility.h"
#include "platform/number_text.h"
#include "platform/picture_export.h"
#include "platform/plot_axis.h"
#include "platform/window_place.h"
#include "race/race_panel.h"
#include "race/race_plot.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

QString valueText(double value)
{
    return std::isfinite(value) ? numberToText(roundToDigits(value, kMapDigits))
                                : QStringLiteral("sin valor");
}

// E where there are points; where there are none, no figure at all.
QString errorText(double value, const Points &points)
{
    return points.n > 0 ? valueText(value) : QStringLiteral("—");
}

} // namespace

MapaError::MapaError(const FitView &vista, QWidget *parent)
    : QWidget(parent, Qt::Window), vista(vista)
{
    setObjectName(QStringLiteral("mapaError"));
    setWindowTitle(QStringLiteral("Mapa del error"));
    plano = new MapPlot(vista, this);
    plano->setObjectName(QStringLiteral("plano"));
    escala = new ColourKey(this);
    escala->setObjectName(QStringLiteral("escala"));
    lectura = new Readout(this);
    lectura->setObjectName(QStringLiteral("lectura"));
    lectura->setTextFormat(Qt::PlainText);
    lectura->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // The window keeps room for a long line under the pointer, whose tool tip
    // cannot be reached while the pointer is on the map; a longer one is cut
    // on the right.
    lectura->setMinimumWidth(lectura->fontMetrics().horizontalAdvance(
            QStringLiteral("a óptimo en cada punto.   c = -0,0000;  t0 = -00,000;  a = -0,0000;  "
                           "E = 0,000E+00")));
    encuadrar = new QPushButton(QStringLiteral("Encuadrar"), this);
    encuadrar->setObjectName(QStringLiteral("encuadrar"));
    encuadrar->setAutoDefault(false);
    comparar = new QCheckBox(QStringLiteral("Comparar métodos"), this);
    comparar->setObjectName(QStringLiteral("comparar"));
    carrera = new CarreraMetodos(vista, this);
    carrera->hide();

    auto *arriba = new QHBoxLayout;
    arriba->addWidget(plano, 1);
    arriba->addWidget(escala);
    auto *abajo = new QHBoxLayout;
    abajo->addWidget(lectura, 1);
    abajo->addWidget(encuadrar);
    // On a line of its own, so that the map keeps its width.
    auto *mapaYLectura = new QVBoxLayout;
    mapaYLectura->addLayout(arriba, 1);
    mapaYLectura->addLayout(abajo);
    mapaYLectura->addWidget(comparar, 0, Qt::AlignLeft);
    auto *todo = new QHBoxLayout(this);
    todo->addLayout(mapaYLectura, 1);
    todo->addWidget(carrera);
    QWidget::setTabOrder(plano, encuadrar);
    QWidget::setTabOrder(encuadrar, comparar);
    carrera->ordenarTabulacion(comparar);

    setAccessibleTexts(this, QStringLiteral("Mapa del error"),
                       QStringLiteral("El logaritmo del error cuadrático sobre c y t0, con el "
                                      "recorrido del descenso y el mejor ajuste."));
    setAccessibleTexts(plano, QStringLiteral("Mapa del error sobre c y t0"), QString());
    setAccessibleTexts(escala, QStringLiteral("Escala de colores del error"), QString());
    makeReadout(lectura, QStringLiteral("Lectura del mapa"));
    setAccessibleTexts(encuadrar, encuadrar->text(),
                       QStringLiteral("Vuelve a encuadrar el recorrido, el punto actual y el "
                                      "mejor ajuste."));
    setAccessibleTexts(comparar, comparar->text(),
                       QStringLiteral("Muestra al lado del mapa una carrera de siete métodos "
                                      "desde el inicio del descenso, con sus caminos en el mapa."));

    // The map with its colour key beside it, so that the picture stands alone.
    offerPicture(plano, QStringLiteral("mapa-del-error"), [this] {
        const QSize mapa = plano->size();
        const QSize clave = escala->size();
        return Picture{QSize(mapa.width() + clave.width(), std::max(mapa.height(), clave.height())),
                       [this, mapa](QPainter &painter) {
                           plano->dibujar(painter);
                           escala->render(&painter, QPoint(mapa.width(), 0));
                       }};
    });

    connect(encuadrar, &QPushButton::clicked, plano, &MapPlot::encuadrar);
    connect(comparar, &QCheckBox::toggled, this, &MapaError::mostrarCarrera);
    connect(carrera, &CarreraMetodos::caminosNuevos, this, &MapaError::dibujarCaminos);
    connect(plano, &MapPlot::puntoElegido, this, &MapaError::puntoElegido);
    connect(plano, &MapPlot::superficieNueva, this, [this] {
        escala->setDecades(plano->lowDecade(), plano->highDecade());
        escala->setContent(plano->keyContent());
        describirEscala();
        escribirLectura();
    });
    connect(plano, &MapPlot::punteroSobre, this, [this](double c, double t0) {
        puntero = QPointF(c, t0);
        escribirLectura();
    });
    connect(plano, &MapPlot::punteroFuera, this, [this] {
        puntero.reset();
        escribirLectura();
    });
}

// QWidget's destructor closes the window, and the plot that loses the focus
// then tells that the pointer has left it: by then this is no longer a
// MapaError, so its controls no longer reach it.
MapaError::~MapaError()
{
    for (QObject *control : children())
        control->disconnect(this);
}

void MapaError::abrir()
{
    if (!isVisible()) {
        // The first time at the size that gives the map its 480 × 480 pixels,
        // which may exceed what Qt gives a new window on a small screen,
        // unless its placement on the screen has sized it already.
        if (geometria.isEmpty()) {
            if (!testAttribute(Qt::WA_Resized))
                resize(sizeHint());
        } else
            restoreGeometry(geometria);
        show();
        plano->actualizar(true);
        actualizar();
    }
    raise();
    activateWindow();
}

void MapaError::actualizar() noexcept
{
    if (!isVisible())
        return;
    try {
        plano->actualizar();
        escribirLectura();
        describir();
        carrera->actualizar();
    } catch (const std::exception &) {
        // Only an allocation can fail here; the window then keeps what it showed.
    }
}

// "a óptimo en cada punto" or "a = 8,05 (fijo)", then the point under the
// pointer with the E the map shows there (and a* when a is free): the values a
// click there would commit.
void MapaError::escribirLectura()
{
    const FitState &state = vista.state();
    const Held held = vista.held();
    QString text = held.a ? QStringLiteral("a = %1 (fijo)").arg(valueText(state.a))
                          : QStringLiteral("a óptimo en cada punto");
    if (puntero) {
        const Points points = vista.points();
        const double c = puntero->x(), t0 = puntero->y();
        text += QStringLiteral(".   c = %1;  t0 = %2").arg(numberToText(c), numberToText(t0));
        const double E = mapError(state.a, c, t0, held, points);
        const std::optional<double> best = optimalA(c, t0, points);
        if (!held.a && std::isfinite(E) && best)
            text += QStringLiteral(";  a = %1").arg(valueText(*best));
        text += QStringLiteral(";  E = %1").arg(errorText(E, points));
    }
    lectura->setText(text);
}

// The current point and its E, and the keys, for a screen reader.
void MapaError::describir()
{
    const FitState &state = vista.state();
    const Held held = vista.held();
    const Points points = vista.points();
    const double E = mapError(state.a, state.c, state.t0, {true, held.c, held.t0}, points);
    plano->setAccessibleDescription(
            QStringLiteral("Punto actual: c = %1; t0 = %2; error cuadrático %3. Las flechas "
                           "desplazan el mapa, + y − lo acercan y alejan, Intro empieza en el "
                           "centro.")
                    .arg(numberToText(state.c), numberToText(state.t0), errorText(E, points)));
}

// What the colour key shows, as the surface on show has it.
void MapaError::describirEscala()
{
    QString text;
    switch (escala->content()) {
    case KeyContent::decades:
        text = QStringLiteral("De %1 a %2, una década por línea de nivel.")
                       .arg(decadeText(escala->lowDecade()), decadeText(escala->highDecade()));
        break;
    case KeyContent::zero:
        text = plano->everyCellHasValue() ? QStringLiteral("E = 0 en todo el mapa.")
                                          : QStringLiteral("E = 0 donde el mapa tiene valor.");
        break;
    case KeyContent::noValue:
        text = QStringLiteral("Sin valor en todo el mapa.");
        break;
    }
    escala->setAccessibleDescription(text);
}

void MapaError::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MapaError::closeEvent(QCloseEvent *event)
{
    geometria = saveGeometry();
    carrera->detener();
    event->accept();
}

// The window grows by the panel's room, as far as the screen has it, and gives
// back what it took, the map's room included, keeping the map as it was.
void MapaError::mostrarCarrera(bool ver)
{
    if (ver == !carrera->isHidden())
        return;
    const int spacing = layout()->spacing();
    if (ver) {
        const QSize before = size();
        carrera->show();
        layout()->activate();
        const QSize panel = carrera->sizeHint();
        const QMargins margins = layout()->contentsMargins();
        const QSize wanted(
                before.width() + panel.width() + spacing,
                std::max(before.height(), panel.height() + margins.top() + margins.bottom()));
        resizeInRoom(this, wanted);
        apretado = std::max(0, wanted.width() - width());
        crecido = height() - before.height();
        carrera->actualizar();
        dibujarCaminos();
    } else {
        const QSize size(width() - carrera->width() - spacing + apretado, height() - crecido);
        carrera->detener();
        carrera->hide();
        layout()->activate(); // the window's least size without the panel
        plano->setExtraPaths({});
        crecido = apretado = 0;
        resize(size);
    }
}

// Each method's path of the race on show, in its colour, through both ends of
// every stretch, as the descent's own is drawn through its columns.
void MapaError::dibujarCaminos()
{
    std::vector<ExtraPath> paths;
    if (carrera->isVisibleTo(this) && carrera->resultado()) {
        for (const MethodResult &result : carrera->resultado()->race.methods) {
            ExtraPath path{{}, methodColour(result.method)};
            const auto add = [&path](const Parameters &p) {
                const QPointF point(p.c, p.t0);
                if (path.points.isEmpty() || path.points.last() != point)
                    path.points << point;
            };
            for (const PathStretch &stretch : result.path.stretches()) {
                add(stretch.from);
                add(stretch.to);
            }
            paths.push_back(std::move(path));
        }
    }
    plano->setExtraPaths(std::move(paths));
}
