#include "fit/animacion.h"

#include "platform/accessibility.h"
#include "platform/number_text.h"
#include "platform/palette.h"
#include "window/form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QPushButton>

#include <algorithm>

// "Animar" runs the descent on a timer, each step the very update of "Un
// paso", and redraws once a frame; between frames the event loop runs, so the
// window repaints and takes input, and any event that changes the fit ends the
// run first (in despachar). The whole run is one undoable action.

namespace {

constexpr std::int64_t kNsPorSegundo = 1'000'000'000;
// The readouts tell a screen reader their figures at most this often during a run.
constexpr std::int64_t kAnuncioNs = 500'000'000;

} // namespace

// ---------------------------------------------------------------- The pace

void RitmoDescenso::empezar(int pasosPorSegundo, std::int64_t ahora)
{
    velocidad = pasosPorSegundo;
    origen = ahora;
    tomados = 0;
}

int RitmoDescenso::debidos(int pasosPorSegundo, std::int64_t ahora)
{
    if (pasosPorSegundo != velocidad)
        empezar(pasosPorSegundo, ahora);
    const std::int64_t debidosAhora = velocidad * (ahora - origen) / kNsPorSegundo - tomados;
    const int maximo = tope(velocidad);
    if (debidosAhora > maximo) {
        // Behind after a stall: what was missed is dropped, not caught up with.
        empezar(velocidad, ahora);
        return maximo;
    }
    tomados += debidosAhora;
    return int(debidosAhora);
}

int RitmoDescenso::tope(int pasosPorSegundo)
{
    return std::max(kFotogramasDeRetraso,
                    pasosPorSegundo * kFotogramasDeRetraso / kFotogramasPorSegundo);
}

int RitmoDescenso::intervalo(int pasosPorSegundo)
{
    constexpr int kMinimo = (1000 + kFotogramasPorSegundo - 1) / kFotogramasPorSegundo;
    return std::max(kMinimo, 1000 / std::max(1, pasosPorSegundo));
}

// ---------------------------------------------------------------- The run

namespace {

int velocidadElegida(const QComboBox *eleccion)
{
    const int k = std::clamp(eleccion->currentIndex(), 0, int(std::size(kVelocidades)) - 1);
    return kVelocidades[k];
}

} // namespace

// Starts a run with the step size read as a step button reads it; a text that
// is not a number is the fault it is for a step button. A second press ends
// the run in despachar, before this runs.
void Form1::animar_Click()
{
    if (animacionDetenida || ocupado || animando())
        return;
    std::shared_ptr<const Instantanea> antes;
    try {
        antes = estadoActual();
    } catch (const std::exception &) {
        // No memory for the state before: the run goes on without its undo.
    }
    const int recuperaciones = desbordamientos;
    ocupado = true;
    enRecuperacion([&] {
        const double s = textToNumber(Text1->text());
        Text1->setText(numberToText(s));
        animacion.paso = s;
        animacion.antes = antes;
        animacion.desbordamientos = recuperaciones;
        animacion.activa = true;
        animacion.reloj.start();
        animacion.anuncio = 0;
        const int velocidadAhora = velocidadElegida(velocidad);
        animacion.ritmo.empezar(velocidadAhora, 0);
        animacion.temporizador.setTimerType(Qt::PreciseTimer);
        animacion.temporizador.start(RitmoDescenso::intervalo(velocidadAhora));
        animar->setText(QStringLiteral("Detener"));
        accionDetener->setEnabled(true);
        holdAnnouncements(true);
        ocupado = false;
    });
    if (!animando())
        guardarAccion(QStringLiteral("Desbordamiento"), antes);
}

void Form1::tictac()
{
    if (!animando())
        return;
    const int velocidadAhora = velocidadElegida(velocidad);
    const int pasos = animacion.ritmo.debidos(velocidadAhora, animacion.reloj.nsecsElapsed());
    // Set only when it changes: setting it restarts the timer.
    if (const int ms = RitmoDescenso::intervalo(velocidadAhora);
        ms != animacion.temporizador.interval())
        animacion.temporizador.setInterval(ms);
    fotograma(pasos);
}

// One step exactly as paso_Click takes it, with every check it makes (the
// normalized error it shows, the positions it writes), but with the controls
// written once at the end of the frame. True when it moved a parameter.
bool Form1::pasoAnimado()
{
    errorAnt = errorCuad;
    evaluar();
    const Parameters antes = parametros();
    historia.add(errorCuad, antes);
    normalizedError(errorCuad, n, mediaY);
    actualizarParametros(animacion.paso);
    comprobarBarras();
    return a != antes.a || c != antes.c || t0 != antes.t0;
}

void Form1::fotograma(int pasos)
{
    if (!animando() || ocupado || pasos <= 0)
        return;
    ocupado = true;
    const double errorInicio = errorCuad;
    bool movio = false;
    try {
        for (int k = 0; k < pasos; ++k)
            movio = pasoAnimado() || movio;
        mostrar();
        // The colour of the figures' rule, over the whole frame.
        label10->setBackColor(qbColor(errorGrew(errorCuad, errorInicio) ? Magenta : Blanco));
        publicarParametros();
        pinter();
    } catch (const Fault &) {
        // Ended before the recovery, whose message box runs an event loop of its own.
        terminarAnimacion();
        desbord();
        guardarAccion(QStringLiteral("Desbordamiento"), std::move(animacion.antes));
        return;
    }
    if (!movio) {
        // No step moved: the descent no longer moves in double precision. (A
        // step above the stable bound that settles into a cycle, back to the
        // same doubles every few steps, moves at every step and goes on.)
        detenerAnimacion();
        return;
    }
    const std::int64_t instante = animacion.reloj.nsecsElapsed();
    if (instante - animacion.anuncio >= kAnuncioNs) {
        animacion.anuncio = instante;
        tellHeldAnnouncements();
    }
}

// The timer stops, the button reads "Animar" again and what the readouts
// held back is told.
void Form1::terminarAnimacion() noexcept
{
    animacion.activa = false;
    animacion.temporizador.stop();
    animar->setText(QStringLiteral("Animar"));
    accionDetener->setEnabled(false);
    holdAnnouncements(false);
}

bool Form1::detenerAnimacion() noexcept
{
    if (!animando())
        return false;
    terminarAnimacion();
    const quint64 marca = marcaDeshacer;
    guardarAccion(desbordamientos != animacion.desbordamientos ? QStringLiteral("Desbordamiento")
                                                               : QStringLiteral("animación"),
                  std::move(animacion.antes));
    marcaAnimacion = marcaDeshacer != marca ? marcaDeshacer : 0;
    return true;
}

void Form1::closeEvent(QCloseEvent *event)
{
    detenerAnimacion();
    QWidget::closeEvent(event);
}

// ---------------------------------------------------------------- Set-up

// The timer and Esc, which ends a run in this window and in the map's and the
// report's (Form1 adds the action to them as it makes them).
void Form1::crearAnimacion()
{
    connect(&animacion.temporizador, &QTimer::timeout, this, &Form1::tictac);
    accionDetener = new QAction(QStringLiteral("Detener la animación"), this);
    accionDetener->setObjectName(QStringLiteral("accionDetener"));
    accionDetener->setShortcut(QKeySequence(Qt::Key_Escape));
    accionDetener->setShortcutContext(Qt::WindowShortcut);
    accionDetener->setEnabled(false);
    addAction(accionDetener);
    connect(accionDetener, &QAction::triggered, this, [this] { despachar([] {}); });
}
