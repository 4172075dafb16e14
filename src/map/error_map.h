#pragma once

#include "fit/fit_view.h"

#include <QByteArray>
#include <QPointF>
#include <QWidget>

#include <optional>

class CarreraMetodos;
class ColourKey;
class MapPlot;
class QCheckBox;
class QPushButton;
class Readout;

// "Mapa del error": a window of its own, beside the main one, with log10 E
// over the plane of c and t0 for the points in use, the descent's path on it
// and the best fit. It only reads the fit through `vista` and redraws on
// actualizar; a click on the map asks for a start there by puntoElegido,
// which the main window handles as it handles a typed value. "Comparar
// métodos" shows the race of methods beside the map, the window grown to hold
// it, and their paths on the map. Esc or the close button hide it; opened
// again, it comes back with the size and place it had.
class MapaError : public QWidget
{
    Q_OBJECT

public:
    // `parent` is the main window: the map is a window of its own that goes
    // when the main window goes.
    MapaError(const FitView &vista, QWidget *parent);
    ~MapaError() override;

    // Shows the window, framed afresh, or raises it when it is open.
    void abrir();
    // Reads the fit again; does nothing while the window is hidden. Never throws.
    void actualizar() noexcept;

    MapPlot *plano{};
    ColourKey *escala{};
    Readout *lectura{}; // what the map shows, and the point and E under the pointer
    QPushButton *encuadrar{};
    QCheckBox *comparar{};     // "Comparar métodos": shows and hides the race
    CarreraMetodos *carrera{}; // the race of methods, beside the map

signals:
    // A start chosen on the map, rounded to its resolution.
    void puntoElegido(double c, double t0);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void escribirLectura();
    void describir();
    void describirEscala();
    void mostrarCarrera(bool ver);
    void dibujarCaminos();

    const FitView &vista;
    std::optional<QPointF> puntero; // (c, t0) under the pointer
    QByteArray geometria;           // size and place when last closed
    int crecido{0};                 // the height the race's panel added
    int apretado{0};                // the width the screen's room took from the map then
};
