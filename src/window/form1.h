#pragma once

// The one window of the program. An event reaches one of the handlers below
// (named control_Event); the handler returns at once while `ocupado` is set,
// otherwise sets it, changes the state and the controls, and redraws the chart
// with pintar or pinter, which clear `ocupado` as their last step. Writing a
// scroll bar's Value from the program raises its Change inside the write; the
// busy flag turns that nested Change into a no-op. A numeric fault is thrown as
// a Fault and unwinds to the handler, whose fault path runs desbord: the
// message "Desbordamiento", the start-up parameters and a fresh chart.
//
// Member functions are defined in the folder of their subsystem: window/
// (layout, start-up, view switch, grid, parameter controls), fit/ (model,
// error figures, descent, recovery), chart/ and datafile/.

#include "fit/fit_state.h"
#include "platform/controls.h"
#include "platform/picture_box.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;

class Form1 : public QWidget, public FitState
{
public:
    explicit Form1(QWidget *parent = nullptr);

    // The point arrays, not QWidget's position getters (QWidget::x() still reaches those).
    using FitState::x;
    using FitState::y;

    // ---- Controls shown in both views
    PictureBox *funcion{};
    QPushButton *Command1{};
    QPushButton *Recuperar{};
    QPushButton *Command5{};

    // ---- Data grid
    QLabel *Label11{};
    QLabel *Label12{};
    ControlArray<TextBox, 20> xv;
    ControlArray<TextBox, 20> yv;

    // ---- Chart and its axis labels
    PictureBox *graf{};
    LineShape *Line2{};
    QLabel *Final{};
    QLabel *inicio{};
    QLabel *Minimo{};
    QLabel *maximo{};
    QLabel *Label14{};

    // ---- Fitting: step buttons, step size, derivatives and error figures
    QLabel *Label1{};
    QPushButton *paso{};
    QPushButton *paso3{};
    QPushButton *paso4{};
    QLabel *Label2{};
    QLabel *Label6{};
    QLabel *Label7{};
    QLabel *Label8{};
    QLabel *Label3{};
    TextBox *Text1{};
    QLabel *Label4{};
    TextBox *label9{};
    QLabel *Label5{};
    TextBox *label10{};

    // ---- Parameter rows: a (L), c (C), t0 (T)
    QLabel *Para{};
    CheckBox *Check1{};
    PictureBox *Picture1{};
    HScrollBar *LSCR{};
    TextBox *Lval{};
    CheckBox *Check2{};
    PictureBox *Picture2{};
    HScrollBar *CSCR{};
    TextBox *Cval{};
    CheckBox *Check3{};
    PictureBox *Picture3{};
    HScrollBar *TSCR{};
    TextBox *Tval{};

    // The chart view's controls in the order the program shows and hides them.
    std::array<QWidget *, 19> chartBlock1;
    std::array<QWidget *, 14> chartBlock2;

    // ---- Window: start-up and view switch
    void Form_Load();
    void Command5_Click();
    void showView(bool grafica);
    void showChartBlock1(bool visible);
    void showGrid(bool visible);
    void showChartBlock2(bool visible);

    // ---- Grid
    void capturar();
    void xv_KeyPress(int Index, int16_t &KeyAscii);
    void yv_KeyPress(int Index, int16_t &KeyAscii);

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

    // ---- Model, error figures, descent and recovery
    double f(const double &t) const;
    double parL(const double &t) const;
    double parC(const double &t) const;
    double parT(const double &t) const;
    void evaluar();
    void mostrar();
    void colorAviso();
    void paso_Click();
    void paso3_Click();
    void paso4_Click();
    void desbord();

    // ---- Chart
    void pintar();
    void pinter();
    void graf_Click();

    // ---- Data file
    void guardar();
    void Command1_Click();
    void Recuperar_Click();

private:
    void crearControles();
    void conectarEventos();

    // One member of the parameter family: its field, controls and mapping
    // (parameter = position / escalaBarra + origen, position = escalaBarra * parameter
    // - escalaBarra * origen).
    void cambioBarra(double &parametro, HScrollBar *barra, TextBox *caja, double escalaBarra,
                     double origen);
    void confirmarCaja(double &parametro, HScrollBar *barra, TextBox *caja, double escalaBarra,
                       double origen, bool reanudarTrasFallo);

    void dibujar(bool saltarFueraDeEscala);
    void lote(int N);
    void actualizarParametros(double s);
    void publicarParametros();
    // Runs a handler's body; a fault in it goes to desbord and ends the body.
    void enRecuperacion(const std::function<void()> &accion);
};
