#include "window/control_table.h"

#include "platform/number_text.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <type_traits>

using namespace Qt::StringLiterals;
using enum ViewBlock;

namespace {

// Each row opens with its kind and the member it fills.
ControlMember label(Member<QLabel> member)
{
    return member;
}
// A label that looks like a read-only field and is heard as one.
ControlMember readout(Member<Readout> member)
{
    return member;
}
ControlMember button(Member<QPushButton> member)
{
    return member;
}
ControlMember textBox(Member<TextBox> member)
{
    return member;
}
ControlMember checkBox(Member<CheckBox> member)
{
    return member;
}
ControlMember scrollBar(Member<HScrollBar> member)
{
    return member;
}
ControlMember pictureBox(Member<PictureBox> member)
{
    return member;
}
ControlMember comboBox(Member<QComboBox> member)
{
    return member;
}
ControlMember historyPlot(Member<HistoryPlot> member)
{
    return member;
}
ControlMember lineIn(Member<PictureBox> box, Member<LineShape> line, QLine ends)
{
    return LineIn{line, box, ends};
}

constexpr auto kCentredLeft = Qt::AlignLeft | Qt::AlignVCenter;
const QString kCopyResults = u"Copiar resultados"_s;

// Row k of the grid, k from 0: the t cell and the f(t) cell, 480 twips below
// the row above; the third t cell is 30 twips taller. The Tab key walks the
// whole t column before the f(t) column. Rows go in and out as text from and
// into either cell of a row.
void appendGridRow(std::vector<ControlRow> &rows, int k)
{
    const int top = 720 + 480 * k;
    const auto cell = [&](auto column, const QString &name, const QString &heading, QRect place,
                          int tab, int order, auto keyPress) {
        rows.push_back({.control = GridCell{column, k},
                        .name = name + u"(%1)"_s.arg(k),
                        .place = place,
                        .tab = tab,
                        .spokenName = heading + u", fila %1"_s.arg(k + 1),
                        .block = {Grid, order},
                        .onCellKeyPress = keyPress,
                        .onPaste = &Form1::pegar,
                        .onCopy = &Form1::copiarTabla,
                        .onUndo = &Form1::deshacerEnTabla,
                        .onDropFile = &Form1::soltarArchivo,
                        .menu = {u"Copiar tabla"_s, &Form1::copiarTabla}});
    };
    cell(&Form1::xv, u"xv"_s, u"t"_s, {360, top, 1935, k == 2 ? 405 : 375}, 29 + k, 2 * k,
         &Form1::xv_KeyPress);
    cell(&Form1::yv, u"yv"_s, u"f(t)"_s, {2640, top, 2415, 375}, 49 + k, 2 * k + 1,
         &Form1::yv_KeyPress);
}

} // namespace

std::vector<ControlRow> controlTable()
{
    const QString holds = u"Marcada, el parámetro %1 queda fijo durante el ajuste."_s;

    // Shown in both views.
    std::vector<ControlRow> rows{
            {.control = pictureBox(&Form1::funcion),
             .name = u"funcion"_s,
             .place = {6120, 120, 2295, 1335},
             .tab = 1,
             .image = u"funcion"_s,
             .spokenName = u"Fórmula del modelo"_s,
             .description = u"f(t) = a / (1 + e^(−c·(t − t0)))"_s},
            {.control = button(&Form1::Command1),
             .name = u"Command1"_s,
             .text = u"Guardar"_s,
             .place = {9000, 360, 1455, 375},
             .tab = 77,
             .handler = &Form1::Command1_Click},
            {.control = button(&Form1::Recuperar),
             .name = u"Recuperar"_s,
             .text = u"Recuperar"_s,
             .place = {9000, 840, 1455, 375},
             .tab = 78,
             .handler = &Form1::Recuperar_Click},
            {.control = button(&Form1::Command5),
             .name = u"Command5"_s,
             .text = u"Gráfica"_s,
             .place = {9120, 1320, 1215, 375},
             .tab = 28,
             .handler = &Form1::Command5_Click},

            // Data-entry view.
            {.control = label(&Form1::Label11),
             .name = u"Label11"_s,
             .text = u"t"_s,
             .place = {1200, 120, 495, 495},
             .tab = 69,
             .points = 13.5,
             .block = {GridHeadings, 0}},
            {.control = label(&Form1::Label12),
             .name = u"Label12"_s,
             .text = u"f(t)"_s,
             .place = {3600, 120, 495, 375},
             .tab = 70,
             .points = 13.5,
             .block = {GridHeadings, 1}},
    };
    for (int k = 0; k < kRows; ++k)
        appendGridRow(rows, k);

    // Chart view: the chart and its axis labels.
    const ControlRow chart[] = {
            {.control = pictureBox(&Form1::graf),
             .name = u"graf"_s,
             .place = {600, 240, 4800, 4000},
             .tab = 0,
             .spokenName = u"Gráfica de la curva y los puntos"_s,
             .description
             = u"La curva en rojo y los puntos en azul; t de −5 a 15, f(t) de 0 a 10."_s,
             .block = {Chart1, 4},
             .handler = &Form1::graf_Click,
             .offer = {u"grafica"_s, &Form1::imagenGrafica}},
            // Seen or not with the chart it lies in.
            {.control = lineIn(&Form1::graf, &Form1::Line2, {1200, 0, 1200, 4000}),
             .name = u"Line2"_s},
            {.control = label(&Form1::Final),
             .name = u"Final"_s,
             .text = u"10"_s,
             .place = {0, 120, 495, 255},
             .tab = 15,
             .alignment = Qt::AlignRight | Qt::AlignTop,
             .block = {Chart1, 1}},
            {.control = label(&Form1::inicio),
             .name = u"inicio"_s,
             .text = u"0"_s,
             .place = {120, 3960, 375, 255},
             .tab = 14,
             .alignment = Qt::AlignRight | Qt::AlignTop,
             .block = {Chart1, 0}},
            {.control = label(&Form1::Minimo),
             .name = u"Minimo"_s,
             .text = u"-5"_s,
             .place = {480, 4320, 375, 255},
             .tab = 12,
             .alignment = Qt::AlignHCenter | Qt::AlignTop,
             .block = {Chart1, 2}},
            {.control = label(&Form1::maximo),
             .name = u"maximo"_s,
             .text = u"15"_s,
             .place = {5160, 4320, 375, 255},
             .tab = 13,
             .alignment = Qt::AlignHCenter | Qt::AlignTop,
             .block = {Chart1, 3}},
            {.control = label(&Form1::Label14),
             .name = u"Label14"_s,
             .text = u"0"_s,
             .place = {1800, 4320, 255, 255},
             .tab = 71,
             .block = {Chart2, 0}},

            // The step buttons, the step size, the derivatives and the error
            // figures. The numeric texts are written from their numbers, so
            // they read back under any locale ("0,001" under a decimal comma).
            {.control = label(&Form1::Label1),
             .name = u"Label1"_s,
             .text = u"Ajuste"_s,
             .place = {240, 4680, 975, 375},
             .tab = 16,
             .points = 12,
             .block = {Chart1, 8}},
            {.control = button(&Form1::paso),
             .name = u"paso"_s,
             .text = u"Un paso"_s,
             .place = {0, 5520, 1095, 375},
             .tab = 21,
             .block = {Chart1, 5},
             .handler = &Form1::paso_Click,
             .undoKeys = true},
            {.control = button(&Form1::paso3),
             .name = u"paso3"_s,
             .text = u"100 pasos"_s,
             .place = {0, 5880, 1095, 375},
             .tab = 22,
             .block = {Chart1, 6},
             .handler = &Form1::paso3_Click,
             .undoKeys = true},
            {.control = button(&Form1::paso4),
             .name = u"paso4"_s,
             .text = u"10000 pasos"_s,
             .place = {0, 6240, 1095, 375},
             .tab = 23,
             .block = {Chart1, 7},
             .handler = &Form1::paso4_Click,
             .undoKeys = true},
            {.control = label(&Form1::Label2),
             .name = u"Label2"_s,
             .text = u"Derivadas Parciales"_s,
             .place = {1320, 4680, 2175, 375},
             .tab = 17,
             .points = 12,
             .block = {Chart1, 9},
             .menu = {kCopyResults, &Form1::copiarResultados}},
            {.control = readout(&Form1::Label6),
             .name = u"Label6"_s,
             .place = {1320, 5160, 2295, 375},
             .tab = 24,
             .spokenName = u"Derivadas Parciales, respecto de a"_s,
             .block = {Chart1, 13},
             .menu = {kCopyResults, &Form1::copiarResultados}},
            {.control = readout(&Form1::Label7),
             .name = u"Label7"_s,
             .place = {1320, 5640, 2295, 375},
             .tab = 25,
             .spokenName = u"Derivadas Parciales, respecto de c"_s,
             .block = {Chart1, 14},
             .menu = {kCopyResults, &Form1::copiarResultados}},
            {.control = readout(&Form1::Label8),
             .name = u"Label8"_s,
             .place = {1320, 6120, 2295, 375},
             .tab = 26,
             .spokenName = u"Derivadas Parciales, respecto de t0"_s,
             .block = {Chart1, 15},
             .menu = {kCopyResults, &Form1::copiarResultados}},
            {.control = label(&Form1::Label3),
             .name = u"Label3"_s,
             .text = u"Paso"_s,
             .place = {3840, 4680, 1095, 375},
             .tab = 18,
             .points = 12,
             .block = {Chart1, 10}},
            {.control = textBox(&Form1::Text1),
             .name = u"Text1"_s,
             .text = numberToText(0.001),
             .place = {3840, 5160, 1215, 375},
             .tab = 27,
             .spokenName = u"Paso"_s,
             .description = u"Tamaño del paso del descenso"_s,
             .block = {Chart1, 18},
             .leavesOnEscape = true},
            // "Animar" runs the descent live, at the speed chosen under it;
            // they take the tab stops after every other control.
            {.control = button(&Form1::animar),
             .name = u"animar"_s,
             .text = u"Animar"_s,
             .place = {3840, 5640, 1560, 375},
             .tab = 83,
             .spokenName = u"Animar el descenso"_s,
             .description = u"Da los pasos del descenso uno tras otro, a la velocidad elegida, "
                            u"hasta que se pulsa otra vez, Esc o cualquier control del ajuste."_s,
             .block = {Chart1, 34},
             .handler = &Form1::animar_Click,
             .undoKeys = true},
            {.control = comboBox(&Form1::velocidad),
             .name = u"velocidad"_s,
             .text = u"100 pasos/s"_s,
             .entries = {u"1 paso/s"_s, u"10 pasos/s"_s, u"100 pasos/s"_s, u"1000 pasos/s"_s,
                         u"10000 pasos/s"_s},
             .place = {3840, 6120, 1560, 375},
             .tab = 84,
             .spokenName = u"Velocidad del descenso"_s,
             .description = u"Pasos por segundo de la animación."_s,
             .block = {Chart1, 35},
             .undoKeys = true},
            {.control = label(&Form1::Label4),
             .name = u"Label4"_s,
             .text = u"Error Cuadrático"_s,
             .place = {5520, 4680, 2175, 375},
             .tab = 19,
             .points = 12,
             .block = {Chart1, 11},
             .menu = {kCopyResults, &Form1::copiarResultados}},
            {.control = textBox(&Form1::label9),
             .name = u"label9"_s,
             .text = numberToText(0),
             .place = {5520, 5160, 5055, 375},
             .tab = 75,
             .spokenName = u"Error Cuadrático"_s,
             .block = {Chart1, 16},
             .menu = {kCopyResults, &Form1::copiarResultados}},
            {.control = label(&Form1::Label5),
             .name = u"Label5"_s,
             .text = u"Error normalizado (%)"_s,
             .place = {5520, 5640, 5055, 255},
             .tab = 20,
             .points = 12,
             .block = {Chart1, 12},
             .menu = {kCopyResults, &Form1::copiarResultados}},
            {.control = textBox(&Form1::label10),
             .name = u"label10"_s,
             .text = numberToText(0),
             .place = {5520, 6120, 5055, 375},
             .tab = 76,
             .spokenName = u"Error normalizado (%)"_s,
             .block = {Chart1, 17},
             .menu = {kCopyResults, &Form1::copiarResultados}},

            // The parameter rows: a hold box, the symbol, a thin scroll bar and,
            // under its lower edge, the box.
            {.control = label(&Form1::Para),
             .name = u"Para"_s,
             .text = u"Coeficientes"_s,
             .place = {5760, 2040, 1335, 255},
             .tab = 2,
             .points = 12,
             .block = {Chart2, 10}},
            {.control = checkBox(&Form1::Check1),
             .name = u"Check1"_s,
             .place = {5520, 2640, 255, 375},
             .tab = 72,
             .toolTip = u"Fijar parámetro a"_s,
             .spokenName = u"Fijar parámetro a"_s,
             .description = holds.arg(u"a"_s),
             .block = {Chart2, 1},
             .handler = &Form1::Check1_Click,
             .viewsFollow = true,
             .undoKeys = true},
            {.control = pictureBox(&Form1::Picture1),
             .name = u"Picture1"_s,
             .place = {5760, 2520, 495, 495},
             .tab = 3,
             .image = u"a"_s,
             .spokenName = u"Símbolo del parámetro a"_s,
             .block = {Chart2, 11},
             .undoKeys = true},
            {.control = scrollBar(&Form1::LSCR),
             .name = u"LSCR"_s,
             .place = {6360, 2520, 4215, 135},
             .tab = 9,
             .bar = kBarA,
             .onTop = true,
             .spokenName = u"Barra de a"_s,
             .block = {Chart2, 4},
             .handler = &Form1::LSCR_Change,
             .undoKeys = true},
            {.control = textBox(&Form1::Lval),
             .name = u"Lval"_s,
             .text = numberToText(5),
             .place = {6360, 2640, 4185, 345},
             .tab = 6,
             .spokenName = u"a"_s,
             .block = {Chart2, 5},
             .onKeyPress = &Form1::Lval_KeyPress,
             .onLostFocus = &Form1::Lval_LostFocus,
             .undoKeys = true,
             .leavesOnEscape = true},
            {.control = checkBox(&Form1::Check2),
             .name = u"Check2"_s,
             .place = {5520, 3240, 255, 375},
             .tab = 73,
             .toolTip = u"Fijar parámetro c"_s,
             .spokenName = u"Fijar parámetro c"_s,
             .description = holds.arg(u"c"_s),
             .block = {Chart2, 2},
             .handler = &Form1::Check2_Click,
             .viewsFollow = true,
             .undoKeys = true},
            {.control = pictureBox(&Form1::Picture2),
             .name = u"Picture2"_s,
             .place = {5760, 3120, 615, 495},
             .tab = 4,
             .image = u"c"_s,
             .spokenName = u"Símbolo del parámetro c"_s,
             .block = {Chart2, 12},
             .undoKeys = true},
            {.control = scrollBar(&Form1::CSCR),
             .name = u"CSCR"_s,
             .place = {6360, 3120, 4215, 135},
             .tab = 10,
             .bar = kBarC,
             .onTop = true,
             .spokenName = u"Barra de c"_s,
             .block = {Chart2, 6},
             .handler = &Form1::CSCR_Change,
             .undoKeys = true},
            {.control = textBox(&Form1::Cval),
             .name = u"Cval"_s,
             .text = numberToText(1),
             .place = {6360, 3240, 4185, 345},
             .tab = 8,
             .spokenName = u"c"_s,
             .block = {Chart2, 7},
             .onKeyPress = &Form1::Cval_KeyPress,
             .onLostFocus = &Form1::Cval_LostFocus,
             .undoKeys = true,
             .leavesOnEscape = true},
            {.control = checkBox(&Form1::Check3),
             .name = u"Check3"_s,
             .place = {5520, 3720, 255, 495},
             .tab = 74,
             .toolTip = u"Fijar parámetro t0"_s,
             .spokenName = u"Fijar parámetro t0"_s,
             .description = holds.arg(u"t0"_s),
             .block = {Chart2, 3},
             .handler = &Form1::Check3_Click,
             .viewsFollow = true,
             .undoKeys = true},
            {.control = pictureBox(&Form1::Picture3),
             .name = u"Picture3"_s,
             .place = {5760, 3720, 615, 495},
             .tab = 5,
             .image = u"t0"_s,
             .spokenName = u"Símbolo del parámetro t0"_s,
             .block = {Chart2, 13},
             .undoKeys = true},
            {.control = scrollBar(&Form1::TSCR),
             .name = u"TSCR"_s,
             .place = {6360, 3720, 4215, 135},
             .tab = 11,
             .bar = kBarT0,
             .onTop = true,
             .spokenName = u"Barra de t0"_s,
             .block = {Chart2, 8},
             .handler = &Form1::TSCR_Change,
             .undoKeys = true},
            {.control = textBox(&Form1::Tval),
             .name = u"Tval"_s,
             .text = numberToText(0),
             .place = {6360, 3840, 4185, 345},
             .tab = 7,
             .spokenName = u"t0"_s,
             .block = {Chart2, 9},
             .onKeyPress = &Form1::Tval_KeyPress,
             .onLostFocus = &Form1::Tval_LostFocus,
             .undoKeys = true,
             .leavesOnEscape = true},

            // The panel under the step buttons, which closes the first block:
            // the error history and, on request, the best fit. verMejor,
            // verMapa, verInforme and the history take the tab stops after the
            // laid-out ones, 79 to 82. Each row of the best fit is a caption
            // named rotulo<Name> and a readout named <name>.
            {.control = label(&Form1::tituloHistorial),
             .name = u"tituloHistorial"_s,
             .text = u"Historial del error"_s,
             .place = {240, 6840, 3255, 375},
             .points = 12,
             .block = {Chart1, 19}},
            {.control = historyPlot(&Form1::historial),
             .name = u"historial"_s,
             .place = {240, 7320, 5055, 2775},
             .tab = 82,
             .spokenName = u"Historial del error"_s,
             .description = u"El logaritmo del error cuadrático en cada paso del ajuste."_s,
             .block = {Chart1, 20},
             .offer = {u"historial"_s, &Form1::imagenHistorial}},
            {.control = checkBox(&Form1::verMejor),
             .name = u"verMejor"_s,
             .text = u"Mostrar el mejor ajuste"_s,
             .place = {5520, 6840, 5055, 375},
             .tab = 79,
             .block = {Chart1, 21},
             .handler = &Form1::verMejor_Click,
             .runGoesOn = true},
            {.control = label(&Form1::rotuloMejorA),
             .name = u"rotuloMejorA"_s,
             .text = u"a"_s,
             .place = {5520, 7320, 2055, 375},
             .alignment = kCentredLeft,
             .block = {Chart1, 22}},
            {.control = readout(&Form1::mejorA),
             .name = u"mejorA"_s,
             .place = {7680, 7320, 2895, 375},
             .spokenName = u"Mejor ajuste, a"_s,
             .block = {Chart1, 23}},
            {.control = label(&Form1::rotuloMejorC),
             .name = u"rotuloMejorC"_s,
             .text = u"c"_s,
             .place = {5520, 7800, 2055, 375},
             .alignment = kCentredLeft,
             .block = {Chart1, 24}},
            {.control = readout(&Form1::mejorC),
             .name = u"mejorC"_s,
             .place = {7680, 7800, 2895, 375},
             .spokenName = u"Mejor ajuste, c"_s,
             .block = {Chart1, 25}},
            {.control = label(&Form1::rotuloMejorT0),
             .name = u"rotuloMejorT0"_s,
             .text = u"t0"_s,
             .place = {5520, 8280, 2055, 375},
             .alignment = kCentredLeft,
             .block = {Chart1, 26}},
            {.control = readout(&Form1::mejorT0),
             .name = u"mejorT0"_s,
             .place = {7680, 8280, 2895, 375},
             .spokenName = u"Mejor ajuste, t0"_s,
             .block = {Chart1, 27}},
            {.control = label(&Form1::rotuloMejorError),
             .name = u"rotuloMejorError"_s,
             .text = u"Error Cuadrático"_s,
             .place = {5520, 8760, 2055, 375},
             .alignment = kCentredLeft,
             .block = {Chart1, 28}},
            {.control = readout(&Form1::mejorError),
             .name = u"mejorError"_s,
             .place = {7680, 8760, 2895, 375},
             .spokenName = u"Mejor ajuste, Error Cuadrático"_s,
             .block = {Chart1, 29}},
            {.control = label(&Form1::rotuloPasoMaximo),
             .name = u"rotuloPasoMaximo"_s,
             .text = u"Paso máximo estable"_s,
             .place = {5520, 9240, 2055, 375},
             .alignment = kCentredLeft,
             .block = {Chart1, 30}},
            {.control = readout(&Form1::pasoMaximo),
             .name = u"pasoMaximo"_s,
             .place = {7680, 9240, 2895, 375},
             .spokenName = u"Paso máximo estable"_s,
             .block = {Chart1, 31}},
            {.control = button(&Form1::verMapa),
             .name = u"verMapa"_s,
             .text = u"Mapa del error…"_s,
             .place = {5520, 9720, 2415, 375},
             .tab = 80,
             .spokenName = u"Mapa del error"_s,
             .description
             = u"Abre el mapa del error sobre c y t0, con el recorrido del descenso."_s,
             .block = {Chart1, 32},
             .handler = &Form1::verMapa_Click,
             .runGoesOn = true},
            {.control = button(&Form1::verInforme),
             .name = u"verInforme"_s,
             .text = u"Informe del ajuste…"_s,
             .place = {8160, 9720, 2415, 375},
             .tab = 81,
             .block = {Chart1, 33},
             .handler = &Form1::verInforme_Click,
             .runGoesOn = true},
    };
    rows.insert(rows.end(), std::begin(chart), std::end(chart));
    return rows;
}

QWidget *controlOf(const Form1 &form, const ControlRow &row)
{
    return std::visit(
            [&form](const auto &member) -> QWidget * {
                using Kind = std::decay_t<decltype(member)>;
                if constexpr (std::is_same_v<Kind, GridCell>)
                    return (form.*member.column)(member.row);
                else if constexpr (std::is_same_v<Kind, LineIn>)
                    return form.*member.line;
                else
                    return form.*member;
            },
            row.control);
}
