#include "window/form1.h"

#include "platform/controls.h"

#include <QAction>
#include <QPushButton>
#include <QUndoCommand>

#include <chrono>
#include <exception>
#include <utility>

// Undo keeps whole states, not changes: each action holds the state before it
// and after it, so undoing or redoing any of them needs nothing but its own
// pair, and a redo never runs the descent again.

namespace {

using Reloj = std::chrono::steady_clock;

// A scroll bar's changes this close together are one action.
constexpr auto kRafaga = std::chrono::milliseconds(500);

// The id of a scroll bar's change. It merges into the action before it only
// when that is a change of the same bar (the same name), kept just before it.
constexpr int kIdRafaga = 1;

class AccionAjuste : public QUndoCommand
{
public:
    AccionAjuste(Form1 &form, const QString &nombre, std::shared_ptr<const Instantanea> antes,
                 std::shared_ptr<const Instantanea> despues, bool rafaga, bool repitiendo,
                 quint64 marca)
        : QUndoCommand(nombre), form(form), antes(std::move(antes)), despues(std::move(despues)),
          rafaga(rafaga), repitiendo(repitiendo), marca(marca)
    { }

    const std::shared_ptr<const Instantanea> &estadoDespues() const { return despues; }
    void cambiarDespues(std::shared_ptr<const Instantanea> estado) { despues = std::move(estado); }

    void undo() override { form.restaurar(*antes); }

    // QUndoStack::push calls this at once; the handler has done that work.
    void redo() override
    {
        if (hecha) {
            hecha = false;
            return;
        }
        form.restaurar(*despues);
    }

    int id() const override { return rafaga ? kIdRafaga : -1; }

    bool mergeWith(const QUndoCommand *otra) override
    {
        const auto *siguiente = static_cast<const AccionAjuste *>(otra);
        if (siguiente->text() != text() || siguiente->marca != marca + 1
            || !(siguiente->repitiendo || siguiente->hora - hora <= kRafaga))
            return false;
        despues = siguiente->despues;
        hora = siguiente->hora;
        marca = siguiente->marca;
        // A run that ends where it began leaves nothing to undo.
        setObsolete(antes == despues || *despues == *antes);
        return true;
    }

private:
    Form1 &form;
    std::shared_ptr<const Instantanea> antes;
    std::shared_ptr<const Instantanea> despues;
    bool rafaga;
    bool repitiendo;
    quint64 marca;
    Reloj::time_point hora{Reloj::now()};
    bool hecha{true};
};

} // namespace

// ---------------------------------------------------------------- Actions

Form1::Accion::Accion(Form1 &form, const QString &nombre)
    : form(form), nombre(nombre), guarda(form.accionesAbiertas++ == 0),
      desbordamientos(form.desbordamientos), excepciones(std::uncaught_exceptions())
{
    // An action that cannot be kept (no memory for its state) is dropped;
    // the handler goes on.
    try {
        if (guarda)
            antes = form.estadoActual();
    } catch (const std::exception &) { }
}

Form1::Accion::Accion(Form1 &form, const QString &nombre, const HScrollBar &barra)
    : Accion(form, nombre)
{
    rafaga = true;
    repitiendo = barra.repeating();
}

Form1::Accion::~Accion()
{
    --form.accionesAbiertas;
    if (!guarda || std::uncaught_exceptions() > excepciones)
        return;
    const bool desbordo = form.desbordamientos != desbordamientos;
    form.guardarAccion(desbordo ? QStringLiteral("Desbordamiento") : nombre, std::move(antes),
                       rafaga && !desbordo, repitiendo);
}

Instantanea Form1::instantanea() const
{
    return {a, c, t0, Text1->text(), {Check1->value(), Check2->value(), Check3->value()}, historia};
}

bool Form1::enEstado(const Instantanea &estado) const
{
    return estado.a == a && estado.c == c && estado.t0 == t0 && estado.paso == Text1->text()
            && estado.fijados[0] == Check1->value() && estado.fijados[1] == Check2->value()
            && estado.fijados[2] == Check3->value() && estado.historia == historia;
}

// The state now. Usually it is the state the last kept action left, which is
// then shared rather than copied.
std::shared_ptr<const Instantanea> Form1::estadoActual() const
{
    const int indice = pilaDeshacer.index();
    if (indice > 0) {
        const auto *ultima = static_cast<const AccionAjuste *>(pilaDeshacer.command(indice - 1));
        if (enEstado(*ultima->estadoDespues()))
            return ultima->estadoDespues();
    }
    return std::make_shared<const Instantanea>(instantanea());
}

// Keeps an action that changed something. Nothing here may throw into the
// handler that has just finished: an action that cannot be kept is dropped.
void Form1::guardarAccion(const QString &nombre, std::shared_ptr<const Instantanea> antes,
                          bool rafaga, bool repitiendo)
{
    try {
        if (!antes || enEstado(*antes))
            return;
        auto despues = std::make_shared<const Instantanea>(instantanea());
        ++marcaDeshacer;
        pilaDeshacer.push(new AccionAjuste(*this, nombre, std::move(antes), std::move(despues),
                                           rafaga, repitiendo, marcaDeshacer));
    } catch (const std::exception &) { }
}

// The box has changed already; the state before differs only in its Value.
void Form1::cambioFijado(const CheckBox *caja, int indice, const QString &nombre)
{
    if (ocupado)
        return;
    try {
        // A run of "Animar" that this click ended was kept with the box as it
        // is now: it ended with the box as it was.
        if (animacionDetenida && marcaAnimacion == marcaDeshacer && pilaDeshacer.index() > 0) {
            auto *animada = static_cast<AccionAjuste *>(
                    const_cast<QUndoCommand *>(pilaDeshacer.command(pilaDeshacer.index() - 1)));
            Instantanea fin = *animada->estadoDespues();
            fin.fijados[size_t(indice)] = caja->previousValue();
            animada->cambiarDespues(std::make_shared<const Instantanea>(std::move(fin)));
        }
        Instantanea antes = instantanea();
        antes.fijados[size_t(indice)] = caja->previousValue();
        guardarAccion((caja->value() != 0 ? QStringLiteral("fijar ") : QStringLiteral("soltar "))
                              + nombre,
                      std::make_shared<const Instantanea>(std::move(antes)));
    } catch (const std::exception &) { }
}

void Form1::Check1_Click()
{
    cambioFijado(Check1, 0, QStringLiteral("a"));
}

void Form1::Check2_Click()
{
    cambioFijado(Check2, 1, QStringLiteral("c"));
}

void Form1::Check3_Click()
{
    cambioFijado(Check3, 2, QStringLiteral("t0"));
}

// ---------------------------------------------------------------- Undo and redo

void Form1::deshacer()
{
    if (ocupado || modoDatos || !pilaDeshacer.canUndo())
        return;
    ++marcaDeshacer;
    pilaDeshacer.undo();
}

void Form1::rehacer()
{
    if (ocupado || modoDatos || !pilaDeshacer.canRedo())
        return;
    ++marcaDeshacer;
    pilaDeshacer.redo();
}

// Written as publicarParametros writes them, with `ocupado` set so the bars'
// and boxes' own handlers do nothing; the history is assigned into the one the
// panel draws, keeping its reserved room. The figures and the colour of the
// normalized error come from pintar, at the restored parameters.
void Form1::restaurar(const Instantanea &estado)
{
    ocupado = true;
    enRecuperacion([&] {
        a = estado.a;
        c = estado.c;
        t0 = estado.t0;
        historia = estado.historia;
        Text1->setText(estado.paso);
        Check1->setValue(estado.fijados[0]);
        Check2->setValue(estado.fijados[1]);
        Check3->setValue(estado.fijados[2]);
        publicarParametros();
        pintar();
    });
}

void Form1::vaciarDeshacer()
{
    ++marcaDeshacer;
    pilaDeshacer.clear();
}

// Actions belong to the points they were made on; undo never changes them.
void Form1::vaciarDeshacerSiCambianPuntos()
{
    const std::uint64_t puntos = pointsRevision();
    if (puntos != puntosDeshacer)
        vaciarDeshacer();
    puntosDeshacer = puntos;
}

// ---------------------------------------------------------------- Menus and keys

void Form1::crearDeshacer()
{
    pilaDeshacer.setUndoLimit(kLimiteDeshacer);
    accionDeshacer = new QAction(QStringLiteral("Deshacer"), this);
    accionDeshacer->setObjectName(QStringLiteral("accionDeshacer"));
    accionDeshacer->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    accionRehacer = new QAction(QStringLiteral("Rehacer"), this);
    accionRehacer->setObjectName(QStringLiteral("accionRehacer"));
    accionRehacer->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    const auto nombrar = [](QAction *accion, const QString &verbo) {
        return [accion, verbo](const QString &que) {
            accion->setText(que.isEmpty() ? verbo : verbo + QLatin1Char(' ') + que);
        };
    };
    connect(&pilaDeshacer, &QUndoStack::undoTextChanged, accionDeshacer,
            nombrar(accionDeshacer, QStringLiteral("Deshacer")));
    connect(&pilaDeshacer, &QUndoStack::redoTextChanged, accionRehacer,
            nombrar(accionRehacer, QStringLiteral("Rehacer")));
    connect(&pilaDeshacer, &QUndoStack::canUndoChanged, accionDeshacer, &QAction::setEnabled);
    connect(&pilaDeshacer, &QUndoStack::canRedoChanged, accionRehacer, &QAction::setEnabled);
    accionDeshacer->setEnabled(false);
    accionRehacer->setEnabled(false);
    connect(accionDeshacer, &QAction::triggered, this,
            [this] { despachar([this] { deshacer(); }); });
    connect(accionRehacer, &QAction::triggered, this, [this] { despachar([this] { rehacer(); }); });
    // The controls that offer the two keys, and the boxes that Esc leaves,
    // are marked in the table of controls (undoKeys, leavesOnEscape).
}
