#pragma once

// The one window of the program. An event reaches one of the handlers below
// (named control_Event) through despachar; the handler returns at once while
// `ocupado` is set, otherwise sets it, changes the state and the controls, and
// redraws the chart with pintar or pinter, which clear `ocupado` as their last
// step and emit estadoCambiado, on which the views that only show the fit read
// it again.
// Writing a scroll bar's Value from the program raises its Change inside the
// write; the busy flag turns that nested Change into a no-op. A numeric fault
// is thrown as a Fault and unwinds to the handler, whose fault path runs
// desbord: the message "Desbordamiento", the start-up parameters and a fresh
// chart. A handler that makes an undoable action holds an Accion for its body,
// one line after its busy test.
//
// Members are grouped below by subsystem, and each group's functions are
// defined in that subsystem's folder. docs/design.md maps the folders and
// tells how a view attaches and what undo keeps.

#include "fit/animacion.h"
#include "fit/constants.h"
#include "fit/fit_state.h"
#include "fit/fit_view.h"
#include "numeric/best_fit.h"
#include "numeric/descent.h"
#include "numeric/error_history.h"
#include "platform/accessibility.h"
#include "platform/controls.h"
#include "platform/picture_box.h"
#include "platform/picture_export.h"
#include "window/history_plot.h"
#include "window/undo.h"

#include <QUndoStack>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QComboBox;
struct ControlRow;
class InformeAjuste;
struct PastedTable;
class MapaError;
class QLabel;
class QPushButton;

class Form1 : public QWidget, public FitState, public FitView
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);

    // What views read; see the opening comment.
    const FitView &vista() const { return *this; }

    // The point arrays, not QWidget's position getters (QWidget::x() still reaches those).
    using FitState::x;
    using FitState::y;

    // ---- Controls shown in both views
    PictureBox *funcion{};    // picture of the model's formula
    QPushButton *Command1{};  // "Guardar": save the grid to datos.txt
    QPushButton *Recuperar{}; // "Recuperar": restore the grid from datos.txt
    QPushButton *Command5{};  // view switch, "Gráfica" / "Tabla"

    // ---- Data grid
    QLabel *Label11{};               // heading "t" of the t column
    QLabel *Label12{};               // heading "f(t)" of the y column
    ControlArray<TextBox, kRows> xv; // t of point k, row k
    ControlArray<TextBox, kRows> yv; // y of point k, row k
    QUndoStack pegados; // the grid's pastes and restores, undone one by one with Ctrl+Z in a cell

    // ---- Chart and its axis labels
    PictureBox *graf{}; // the chart: t from -5 to 15, values from 0 to 10
    LineShape *Line2{}; // vertical line at t = 0 inside graf
    QLabel *Final{};    // axis label 10, top of graf
    QLabel *inicio{};   // axis label 0, bottom of graf
    QLabel *Minimo{};   // axis label -5, left end
    QLabel *maximo{};   // axis label 15, right end
    QLabel *Label14{};  // axis label 0 under Line2

    // ---- Fitting: step buttons, step size, derivatives and error figures
    QLabel *Label1{};       // heading "Ajuste" of the step buttons
    QPushButton *paso{};    // one step
    QPushButton *paso3{};   // 100 steps
    QPushButton *paso4{};   // 10000 steps
    QLabel *Label2{};       // heading "Derivadas Parciales"
    Readout *Label6{};      // dE/da readout
    Readout *Label7{};      // dE/dc readout
    Readout *Label8{};      // dE/dt0 readout
    QLabel *Label3{};       // heading "Paso"
    TextBox *Text1{};       // step size of the descent
    QLabel *Label4{};       // heading "Error Cuadrático"
    TextBox *label9{};      // squared error E
    QLabel *Label5{};       // heading "Error normalizado (%)"
    TextBox *label10{};     // normalized error in %, magenta when E grew
    QPushButton *animar{};  // "Animar": runs the descent live; reads "Detener" while it runs
    QComboBox *velocidad{}; // steps a second of a run, from 1 to 10000

    // ---- Parameter rows: a (L), c (C), t0 (T)
    QLabel *Para{};         // heading "Coeficientes"
    CheckBox *Check1{};     // holds a fixed
    PictureBox *Picture1{}; // symbol a
    HScrollBar *LSCR{};     // a = position / 10 + 10 (kBarA)
    TextBox *Lval{};        // a as typed
    CheckBox *Check2{};     // holds c fixed
    PictureBox *Picture2{}; // symbol c
    HScrollBar *CSCR{};     // c = position / 10 (kBarC)
    TextBox *Cval{};        // c as typed
    CheckBox *Check3{};     // holds t0 fixed
    PictureBox *Picture3{}; // symbol t0
    HScrollBar *TSCR{};     // t0 = position / 5 (kBarT0)
    TextBox *Tval{};        // t0 as typed

    // ---- Panel under the step buttons: where the descent goes. Read-only: it
    // never writes the fit state, and a failure inside it stays inside it.
    QLabel *tituloHistorial{};  // heading "Historial del error"
    HistoryPlot *historial{};   // log10 E of every evaluation of the steps since the history began
    CheckBox *verMejor{};       // "Mostrar el mejor ajuste": fills the five readouts below
    QLabel *rotuloMejorA{};     // caption "a"
    Readout *mejorA{};          // a at the best fit
    QLabel *rotuloMejorC{};     // caption "c"
    Readout *mejorC{};          // c at the best fit
    QLabel *rotuloMejorT0{};    // caption "t0"
    Readout *mejorT0{};         // t0 at the best fit
    QLabel *rotuloMejorError{}; // caption "Error Cuadrático"
    Readout *mejorError{};      // E at the best fit
    QLabel *rotuloPasoMaximo{}; // caption "Paso máximo estable"
    Readout *pasoMaximo{};      // largest stable step size, 2 / λmax at the best fit
    ErrorHistory historia;      // what historial draws: the steps' errors in bounded memory
    QPushButton *verMapa{};     // "Mapa del error…": opens the map of E over c and t0
    MapaError *mapa{};          // the map's window, made when first opened
    QPushButton *verInforme{};  // "Informe del ajuste…": opens the fit report or raises it
    InformeAjuste *informe{};   // the fit report, a window of its own made on first use

    // The view groups, each in the order the program shows and hides it; the
    // panel closes the first block, which the recovery shows too. Made from
    // the table of controls (window/control_table.cpp).
    std::vector<QWidget *> chartBlock1;
    std::vector<QWidget *> chartBlock2;
    std::vector<QWidget *> gridHeadings; // Label11, Label12

    // ---- Undo and redo of the chart view's actions
    QAction *accionDeshacer{}; // "Deshacer <acción>": Ctrl+Z
    QAction *accionRehacer{};  // "Rehacer <acción>": Ctrl+Shift+Z, Ctrl+Y
    QAction *accionDetener{};  // Esc: ends a run of "Animar", enabled only while one goes
    QUndoStack pilaDeshacer;   // the last kLimiteDeshacer actions, with their states

    // Makes the handler it lives in one undoable action named `nombre`. An
    // action that leaves the state as it found it is not kept; one that ended
    // in the recovery is named "Desbordamiento". An Accion made while another
    // is open keeps nothing: the outer one holds the whole action.
    class Accion
    {
    public:
        Accion(Form1 &form, const QString &nombre);
        // A change from a scroll bar: the changes of one bar that follow one
        // another within half a second, or while its arrow is held, are one action.
        Accion(Form1 &form, const QString &nombre, const HScrollBar &barra);
        ~Accion();
        Accion(const Accion &) = delete;
        Accion &operator=(const Accion &) = delete;

    private:
        Form1 &form;
        QString nombre;
        bool rafaga{false};     // a scroll bar's change
        bool repitiendo{false}; // ... repeating while its arrow is held
        bool guarda{false};     // the outermost Accion: it keeps the action
        int desbordamientos{0};
        int excepciones{0};
        std::shared_ptr<const Instantanea> antes;
    };

    // ---- Window: start-up and view switch
    void Form_Load();
    void Command5_Click();
    void entrarEnGrafica();
    void showView(bool grafica);
    void showChartBlock1(bool visible);
    void showGrid(bool visible);
    void showChartBlock2(bool visible);

    // ---- Grid
    void capturar();
    void xv_KeyPress(int Index, int16_t &KeyAscii);
    void yv_KeyPress(int Index, int16_t &KeyAscii);
    // Rows of t and f(t) texts written from row `primera` down as one undo step.
    void ponerEnTabla(int primera, const QStringList &textos);
    // The whole grid changed by a handler since it held `antes` (t then f(t)
    // of each row, as textosTabla gives them), kept as one undo step.
    void anotarEnTabla(const QStringList &antes);
    void deshacerEnTabla();
    QStringList textosTabla() const;

    // ---- Parameter controls
    void LSCR_Change();
    void CSCR_Change();
    void TSCR_Change();
    void Lval_KeyPress(int16_t &KeyAscii);
    void Cval_KeyPress(int16_t &KeyAscii);
    void Tval_KeyPress(int16_t &KeyAscii);
    void Lval_LostFocus();
    void Cval_LostFocus();
    void Tval_LostFocus();
    void mapa_Click(double cMapa, double t0Mapa);

    // ---- Error figures, descent and recovery (the arithmetic is in numeric/)
    void evaluar();
    void mostrar();
    void colorAviso();
    void copiarResultados();
    void paso_Click();
    void paso3_Click();
    void paso4_Click();
    void desbord();

    // ---- "Animar": the descent run live on a timer (fit/animacion.cpp)
    void animar_Click();
    // One frame of a run: `pasos` steps, each the update of "Un paso", then
    // one redraw. The timer calls it with the steps due by the clock.
    void fotograma(int pasos);
    bool animando() const { return animacion.activa; }
    Animacion animacion; // the run going on, if any
    // Ends a run, kept for undo as one action; false when none was running.
    bool detenerAnimacion() noexcept;

    // ---- Chart
    void pintar();
    void pinter();
    void graf_Click();
    // The chart with its axis labels, as a picture that stands alone.
    Picture imagenGrafica() const;

    // ---- Data file
    void guardar();
    void Command1_Click();
    void Recuperar_Click();
    void recuperarDe(const QString &ruta);
    // The grid's rows from and to text: the clipboard, a dropped file.
    void pegar(int fila, TextBox *celda);
    void pegarTexto(int fila, TextBox *celda, const QString &texto);
    void pegarTabla(int fila, TextBox *celda, const PastedTable &tabla);
    void copiarTabla();
    void soltarArchivo(int fila, TextBox *celda, const QString &ruta);

    // ---- Panel: error history, best fit, and the buttons of the map and the report
    void verMejor_Click();
    void verMapa_Click();
    void reiniciarHistorial();
    void actualizarPanel() noexcept;
    void verInforme_Click();
    // The error history as a picture that stands alone.
    Picture imagenHistorial() const;

    // ---- Undo and redo
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void deshacer();
    void rehacer();
    // Puts a stored state back without raising the controls' handlers, then
    // redraws as pintar does; a fault goes to the recovery.
    void restaurar(const Instantanea &estado);
    void vaciarDeshacer();

protected:
    void closeEvent(QCloseEvent *event) override;

signals:
    // A handler has finished changing the fit state: views read it again.
    void estadoCambiado();

private:
    // The read-only face for views.
    const FitState &state() const override { return *this; }
    Held held() const override { return fijados(); }
    const ErrorHistory &history() const override { return historia; }
    const BestFit &best() const override;
    std::optional<double> stepSize() const override;

    // The window made from its table of controls: the controls with their
    // places, tab stops, names and view blocks, then each control's events.
    void crearControles(const std::vector<ControlRow> &filas);
    void conectarEventos(const std::vector<ControlRow> &filas);
    void crearDeshacer();
    // Runs an event's handler; every event of a control, of the undo keys and
    // of the map comes through here.
    // A running descent ends first, unless `sigueAnimando` (the event changes
    // neither the fit nor the points).
    void despachar(const std::function<void()> &manejador, bool sigueAnimando = false) noexcept;

    // One member of the parameter family: its field, controls, bar mapping and
    // name ("a", "c", "t0").
    void cambioBarra(double &parametro, HScrollBar *barra, TextBox *caja, const BarMapping &mapa,
                     const QString &nombre);
    void confirmarCaja(double &parametro, HScrollBar *barra, TextBox *caja, const BarMapping &mapa,
                       const QString &nombre, bool reanudarTrasFallo);
    void cambioFijado(const CheckBox *caja, int indice, const QString &nombre);

    // The fit state as the numeric core's plain values, and back.
    Parameters parametros() const;
    void guardarParametros(const Parameters &p);
    Held fijados() const;
    Points puntos() const;
    Sums sumas() const;
    void guardarSumas(const Sums &s);

    void dibujar(bool saltarFueraDeEscala);
    void lote(int N);
    BatchEnd descender(double s, int N);
    void actualizarParametros(double s);
    void publicarParametros();
    // The positions publicarParametros writes, checked without writing them.
    void comprobarBarras() const;
    // Runs a handler's body; a fault in it goes to desbord and ends the body.
    void enRecuperacion(const std::function<void()> &accion);

    // The best fit is recomputed only when the points, the held set or the
    // held values differ from those it was computed for.
    struct ClaveMejor
    {
        std::uint64_t puntos; // pointsRevision()
        std::array<bool, 3> fijados;
        std::array<double, 3> valores; // of the held parameters, 0 for a free one

        bool operator==(const ClaveMejor &) const = default;
    };
    ClaveMejor claveDelMejor(Held held) const;
    mutable std::optional<ClaveMejor> claveMejor;
    mutable BestFit mejor;

    // "Animar": the run, its frames and their end.
    void tictac();
    bool pasoAnimado();
    void terminarAnimacion() noexcept;
    void anunciarFiguras() noexcept;
    bool animacionDetenida{false}; // the event being dispatched ended a run
    bool detenidaAlEnfocar{false}; // ... or the focus moving to "Detener" just before it
    quint64 marcaAnimacion{0};     // marcaDeshacer as the last run's action was kept
    void crearAnimacion();

    // Undo's bookkeeping.
    Instantanea instantanea() const;
    bool enEstado(const Instantanea &estado) const;
    std::shared_ptr<const Instantanea> estadoActual() const;
    void guardarAccion(const QString &nombre, std::shared_ptr<const Instantanea> antes,
                       bool rafaga = false, bool repitiendo = false);
    void vaciarDeshacerSiCambianPuntos();
    int accionesAbiertas{0};         // Accion guards open now
    int desbordamientos{0};          // recoveries so far, so that an Accion sees one of its own
    quint64 marcaDeshacer{0};        // kept actions, undos and redos so far: a scroll bar's change
                                     // merges only into the action kept just before it
    std::uint64_t puntosDeshacer{0}; // the points the kept actions were made on, by their count
};
