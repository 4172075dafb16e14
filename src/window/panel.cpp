#include "window/form1.h"

#include "map/error_map.h"
#include "platform/number_text.h"
#include "platform/window_place.h"
#include "report/informe_ajuste.h"

#include <QLabel>

#include <exception>

// The panel under the step buttons only reads the fit state. The step
// handlers and batches record their errors in `historia`; the panel redraws
// on estadoCambiado, once at the end of every handler.

void Form1::verMejor_Click()
{
    actualizarPanel();
}

// The map is made when first asked for and kept, hidden when closed, for the
// rest of the run; it follows every change of the fit while it is shown, and a
// start chosen on it goes through mapa_Click.
void Form1::verMapa_Click()
{
    if (!mapa) {
        mapa = new MapaError(vista(), this);
        connect(this, &Form1::estadoCambiado, mapa, &MapaError::actualizar);
        connect(mapa, &MapaError::puntoElegido, this, [this](double cMapa, double t0Mapa) {
            despachar([=, this] { mapa_Click(cMapa, t0Mapa); });
        });
        // The race of methods in the map's window uses the step size: it reads
        // it again once a new one is committed, as well as after every handler.
        connect(Text1, &QLineEdit::editingFinished, mapa, &MapaError::actualizar);
        // Ctrl+Z, the redo keys and Esc ending a run act on the fit from the map's window too.
        mapa->addActions({accionDeshacer, accionRehacer, accionDetener});
        placeBeside(mapa, this);
    }
    mapa->abrir();
}

void Form1::reiniciarHistorial()
{
    historia.clear();
}

// The points in use (by their count), which parameters are held and their
// values: all the best fit depends on.
Form1::ClaveMejor Form1::claveDelMejor(Held held) const
{
    return {pointsRevision(),
            {held.a, held.c, held.t0},
            {held.a ? a : 0.0, held.c ? c : 0.0, held.t0 ? t0 : 0.0}};
}

const BestFit &Form1::best() const
{
    const Held held = fijados();
    const ClaveMejor clave = claveDelMejor(held);
    if (!claveMejor || clave != *claveMejor) {
        mejor = bestFit(parametros(), held, puntos());
        claveMejor = clave;
    }
    return mejor;
}

std::optional<double> Form1::stepSize() const
{
    return readNumber(Text1->text());
}

void Form1::actualizarPanel() noexcept
{
    try {
        const bool ver = verMejor->value() != 0;
        // Read only when ticked; unticked, every readout is empty.
        const bool hay = ver && best().found();
        auto lectura = [&](double value) {
            return !ver ? QString() : hay ? numberToText(value) : QStringLiteral("—");
        };
        mejorA->setText(lectura(mejor.p.a));
        mejorC->setText(lectura(mejor.p.c));
        mejorT0->setText(lectura(mejor.p.t0));
        mejorError->setText(lectura(mejor.E));
        pasoMaximo->setText(lectura(mejor.maxStep));
        historial->refresh(hay ? std::optional<double>(mejor.E) : std::nullopt);
    } catch (const std::exception &) {
        // Only an allocation can fail here; the panel then keeps what it showed.
    }
}

// The report is made on first use and kept, hidden when closed: it reads the
// fit only while shown.
void Form1::verInforme_Click()
{
    if (!informe) {
        informe = new InformeAjuste(vista(), this);
        connect(this, &Form1::estadoCambiado, informe, &InformeAjuste::actualizar);
        informe->addActions({accionDeshacer, accionRehacer, accionDetener});
        placeBeside(informe, this);
    }
    informe->show();
    informe->raise();
    informe->activateWindow();
}

Picture Form1::imagenHistorial() const
{
    return Picture{historial->size(), [this](QPainter &painter) { historial->drawInto(painter); }};
}
