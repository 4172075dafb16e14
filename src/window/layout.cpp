#include "window/form1.h"

#include "platform/accessibility.h"
#include "platform/number_text.h"
#include "platform/twips.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// "MS Sans Serif" is rarely installed outside its home system; these faces
// have close metrics and keep the captions within their boxes.
void registerFontSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans")});
}

QFont sansSerif(double points)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

// Controls are created in twips, named by their layout names (so that they can
// be found by name) and collected with their tab index, so the focus order can
// be set once all exist.
struct Builder
{
    QWidget *form;
    std::vector<std::pair<int, QWidget *>> tabOrder;

    template <typename Control>
    Control *place(Control *control, const QString &name, int left, int top, int width, int height,
                   int tabIndex)
    {
        control->setObjectName(name);
        control->setGeometry(twipRect(left, top, width, height));
        if (tabIndex >= 0)
            tabOrder.emplace_back(tabIndex, control);
        return control;
    }

    QLabel *label(const QString &name, const QString &caption, int left, int top, int width,
                  int height, int tabIndex, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop)
    {
        auto *control = new QLabel(caption, form);
        control->setAlignment(alignment);
        return place(control, name, left, top, width, height, tabIndex);
    }

    QLabel *heading(const QString &name, const QString &caption, double points, int left, int top,
                    int width, int height, int tabIndex)
    {
        QLabel *control = label(name, caption, left, top, width, height, tabIndex);
        control->setFont(sansSerif(points));
        return control;
    }

    // A label that looks like a read-only field: window colours, single border.
    Readout *readout(const QString &name, int left, int top, int width, int height, int tabIndex)
    {
        auto *control = new Readout(form);
        control->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        control->setFrameStyle(QFrame::Box | QFrame::Plain);
        control->setAutoFillBackground(true);
        QPalette colours = control->palette();
        colours.setColor(QPalette::Window, colours.color(QPalette::Base));
        colours.setColor(QPalette::WindowText, colours.color(QPalette::Text));
        control->setPalette(colours);
        return place(control, name, left, top, width, height, tabIndex);
    }

    QPushButton *button(const QString &name, const QString &caption, int left, int top, int width,
                        int height, int tabIndex)
    {
        auto *control = new QPushButton(caption, form);
        control->setFocusPolicy(Qt::StrongFocus);
        control->setAutoDefault(false);
        return place(control, name, left, top, width, height, tabIndex);
    }

    TextBox *textBox(const QString &name, const QString &text, int left, int top, int width,
                     int height, int tabIndex)
    {
        auto *control = new TextBox(form);
        control->setText(text);
        return place(control, name, left, top, width, height, tabIndex);
    }

    // `picture` names a bitmap and its vector source among the resources.
    PictureBox *pictureBox(const QString &name, const QString &picture, int left, int top,
                           int width, int height, int tabIndex)
    {
        auto *control = place(new PictureBox(form), name, left, top, width, height, tabIndex);
        if (!picture.isEmpty()) {
            const QString file = QStringLiteral(":/pictures/") + picture;
            control->setPicture(QImage(file + QStringLiteral(".bmp")),
                                file + QStringLiteral(".svg"));
        }
        return control;
    }

    CheckBox *checkBox(const QString &name, const QString &toolTip, int left, int top, int width,
                       int height, int tabIndex)
    {
        auto *control = new CheckBox(form);
        control->setToolTip(toolTip);
        return place(control, name, left, top, width, height, tabIndex);
    }

    HScrollBar *scrollBar(const QString &name, const BarMapping &mapa, int left, int top, int width,
                          int height, int tabIndex)
    {
        return place(new HScrollBar(form, mapa.min, mapa.max), name, left, top, width, height,
                     tabIndex);
    }

    void applyTabOrder()
    {
        std::sort(tabOrder.begin(), tabOrder.end(),
                  [](const auto &l, const auto &r) { return l.first < r.first; });
        QWidget *previous = nullptr;
        for (const auto &[index, control] : tabOrder) {
            if (control->focusPolicy() == Qt::NoFocus)
                continue;
            if (previous)
                QWidget::setTabOrder(previous, control);
            previous = control;
        }
    }
};

// What a screen reader says for each control that takes the focus or shows a
// figure; one row per control. Buttons and the other labels are read by their
// captions. The figures are named by the headings above them.
void nameControls(Form1 &f)
{
    const QString tickHolds
            = QStringLiteral("Marcada, el parámetro %1 queda fijo durante el ajuste.");
    const QString derivative = f.Label2->text() + QStringLiteral(", respecto de %1");
    const struct
    {
        QWidget *control;
        QString name;
        QString description;
    } named[] = {
            {f.funcion, QStringLiteral("Fórmula del modelo"),
             QStringLiteral("f(t) = a / (1 + e^(−c·(t − t0)))")},
            {f.graf, QStringLiteral("Gráfica de la curva y los puntos"),
             QStringLiteral(
                     "La curva en rojo y los puntos en azul; t de −5 a 15, f(t) de 0 a 10.")},
            {f.Picture1, QStringLiteral("Símbolo del parámetro a"), {}},
            {f.Picture2, QStringLiteral("Símbolo del parámetro c"), {}},
            {f.Picture3, QStringLiteral("Símbolo del parámetro t0"), {}},
            {f.Lval, QStringLiteral("a"), {}},
            {f.Cval, QStringLiteral("c"), {}},
            {f.Tval, QStringLiteral("t0"), {}},
            {f.LSCR, QStringLiteral("Barra de a"), {}},
            {f.CSCR, QStringLiteral("Barra de c"), {}},
            {f.TSCR, QStringLiteral("Barra de t0"), {}},
            {f.Check1, f.Check1->toolTip(), tickHolds.arg(QStringLiteral("a"))},
            {f.Check2, f.Check2->toolTip(), tickHolds.arg(QStringLiteral("c"))},
            {f.Check3, f.Check3->toolTip(), tickHolds.arg(QStringLiteral("t0"))},
            {f.Text1, f.Label3->text(), QStringLiteral("Tamaño del paso del descenso")},
            {f.label9, f.Label4->text(), {}},
            {f.label10, f.Label5->text(), {}},
            {f.verMapa, QStringLiteral("Mapa del error"),
             QStringLiteral("Abre el mapa del error sobre c y t0, con el recorrido del descenso.")},
    };
    for (const auto &[control, name, description] : named)
        setAccessibleTexts(control, name, description);
    makeReadout(f.Label6, derivative.arg(QStringLiteral("a")));
    makeReadout(f.Label7, derivative.arg(QStringLiteral("c")));
    makeReadout(f.Label8, derivative.arg(QStringLiteral("t0")));
    setAccessibleTexts(
            f.historial, f.tituloHistorial->text(),
            QStringLiteral("El logaritmo del error cuadrático en cada paso del ajuste."));
    const QString best = QStringLiteral("Mejor ajuste, %1");
    makeReadout(f.mejorA, best.arg(QStringLiteral("a")));
    makeReadout(f.mejorC, best.arg(QStringLiteral("c")));
    makeReadout(f.mejorT0, best.arg(QStringLiteral("t0")));
    makeReadout(f.mejorError, best.arg(f.rotuloMejorError->text()));
    makeReadout(f.pasoMaximo, f.rotuloPasoMaximo->text());
    for (int k = 0; k < f.xv.size(); ++k) {
        setAccessibleTexts(f.xv(k), QStringLiteral("t, fila %1").arg(k + 1), {});
        setAccessibleTexts(f.yv(k), QStringLiteral("f(t), fila %1").arg(k + 1), {});
    }
}

} // namespace

Form1::Form1(QWidget *parent) : QWidget(parent)
{
    crearControles();
    crearDeshacer();
    conectarEventos();
    Form_Load();
}

void Form1::crearControles()
{
    registerFontSubstitutes();
    // The classic default face and size: the captions were measured for it.
    setFont(sansSerif(8));
    setWindowTitle(QStringLiteral("Ajuste de Curvas Logísticas."));
    resize(twipsToPixels(10860), twipsToPixels(10365));

    Builder b{this, {}};

    // Shown in both views.
    funcion = b.pictureBox(QStringLiteral("funcion"), QStringLiteral("funcion"), 6120, 120, 2295,
                           1335, 1);
    Command1 = b.button(QStringLiteral("Command1"), QStringLiteral("Guardar"), 9000, 360, 1455, 375,
                        77);
    Recuperar = b.button(QStringLiteral("Recuperar"), QStringLiteral("Recuperar"), 9000, 840, 1455,
                         375, 78);
    Command5 = b.button(QStringLiteral("Command5"), QStringLiteral("Gráfica"), 9120, 1320, 1215,
                        375, 28);

    // Data-entry view.
    Label11 = b.heading(QStringLiteral("Label11"), QStringLiteral("t"), 13.5, 1200, 120, 495, 495,
                        69);
    Label12 = b.heading(QStringLiteral("Label12"), QStringLiteral("f(t)"), 13.5, 3600, 120, 495,
                        375, 70);
    for (int k = 0; k < xv.size(); ++k) {
        const int top = 720 + 480 * k;
        xv.items[k] = b.textBox(QStringLiteral("xv(%1)").arg(k), QString(), 360, top, 1935,
                                k == 2 ? 405 : 375, 29 + k);
        yv.items[k] = b.textBox(QStringLiteral("yv(%1)").arg(k), QString(), 2640, top, 2415, 375,
                                49 + k);
    }

    // Chart view.
    graf = b.pictureBox(QStringLiteral("graf"), QString(), 600, 240, 4800, 4000, 0);
    Line2 = new LineShape(graf, 1200, 0, 1200, 4000);
    Line2->setObjectName(QStringLiteral("Line2"));
    Final = b.label(QStringLiteral("Final"), QStringLiteral("10"), 0, 120, 495, 255, 15,
                    Qt::AlignRight | Qt::AlignTop);
    inicio = b.label(QStringLiteral("inicio"), QStringLiteral("0"), 120, 3960, 375, 255, 14,
                     Qt::AlignRight | Qt::AlignTop);
    Minimo = b.label(QStringLiteral("Minimo"), QStringLiteral("-5"), 480, 4320, 375, 255, 12,
                     Qt::AlignHCenter | Qt::AlignTop);
    maximo = b.label(QStringLiteral("maximo"), QStringLiteral("15"), 5160, 4320, 375, 255, 13,
                     Qt::AlignHCenter | Qt::AlignTop);
    Label14 = b.label(QStringLiteral("Label14"), QStringLiteral("0"), 1800, 4320, 255, 255, 71);

    Label1 = b.heading(QStringLiteral("Label1"), QStringLiteral("Ajuste"), 12, 240, 4680, 975, 375,
                       16);
    paso = b.button(QStringLiteral("paso"), QStringLiteral("Un paso"), 0, 5520, 1095, 375, 21);
    paso3 = b.button(QStringLiteral("paso3"), QStringLiteral("100 pasos"), 0, 5880, 1095, 375, 22);
    paso4 = b.button(QStringLiteral("paso4"), QStringLiteral("10000 pasos"), 0, 6240, 1095, 375,
                     23);
    Label2 = b.heading(QStringLiteral("Label2"), QStringLiteral("Derivadas Parciales"), 12, 1320,
                       4680, 2175, 375, 17);
    Label6 = b.readout(QStringLiteral("Label6"), 1320, 5160, 2295, 375, 24);
    Label7 = b.readout(QStringLiteral("Label7"), 1320, 5640, 2295, 375, 25);
    Label8 = b.readout(QStringLiteral("Label8"), 1320, 6120, 2295, 375, 26);
    Label3 = b.heading(QStringLiteral("Label3"), QStringLiteral("Paso"), 12, 3840, 4680, 1095, 375,
                       18);
    // The numeric texts are written from their numbers, so they read back
    // under any locale ("0,001" under a decimal comma).
    Text1 = b.textBox(QStringLiteral("Text1"), numberToText(0.001), 3840, 5160, 1215, 375, 27);
    Label4 = b.heading(QStringLiteral("Label4"), QStringLiteral("Error Cuadrático"), 12, 5520, 4680,
                       2175, 375, 19);
    label9 = b.textBox(QStringLiteral("label9"), numberToText(0), 5520, 5160, 5055, 375, 75);
    Label5 = b.heading(QStringLiteral("Label5"), QStringLiteral("Error normalizado (%)"), 12, 5520,
                       5640, 5055, 255, 20);
    label10 = b.textBox(QStringLiteral("label10"), numberToText(0), 5520, 6120, 5055, 375, 76);

    Para = b.heading(QStringLiteral("Para"), QStringLiteral("Coeficientes"), 12, 5760, 2040, 1335,
                     255, 2);
    Check1 = b.checkBox(QStringLiteral("Check1"), QStringLiteral("Fijar parámetro a"), 5520, 2640,
                        255, 375, 72);
    Picture1 = b.pictureBox(QStringLiteral("Picture1"), QStringLiteral("a"), 5760, 2520, 495, 495,
                            3);
    LSCR = b.scrollBar(QStringLiteral("LSCR"), kBarA, 6360, 2520, 4215, 135, 9);
    Lval = b.textBox(QStringLiteral("Lval"), numberToText(5), 6360, 2640, 4185, 345, 6);
    Check2 = b.checkBox(QStringLiteral("Check2"), QStringLiteral("Fijar parámetro c"), 5520, 3240,
                        255, 375, 73);
    Picture2 = b.pictureBox(QStringLiteral("Picture2"), QStringLiteral("c"), 5760, 3120, 615, 495,
                            4);
    CSCR = b.scrollBar(QStringLiteral("CSCR"), kBarC, 6360, 3120, 4215, 135, 10);
    Cval = b.textBox(QStringLiteral("Cval"), numberToText(1), 6360, 3240, 4185, 345, 8);
    Check3 = b.checkBox(QStringLiteral("Check3"), QStringLiteral("Fijar parámetro t0"), 5520, 3720,
                        255, 495, 74);
    Picture3 = b.pictureBox(QStringLiteral("Picture3"), QStringLiteral("t0"), 5760, 3720, 615, 495,
                            5);
    TSCR = b.scrollBar(QStringLiteral("TSCR"), kBarT0, 6360, 3720, 4215, 135, 11);
    Tval = b.textBox(QStringLiteral("Tval"), numberToText(0), 6360, 3840, 4185, 345, 7);

    // Panel under the step buttons: the error history and, on request, the
    // best fit. verMejor, verMapa, verInforme and the history take the tab
    // stops after the laid-out ones, 79 to 82.
    tituloHistorial
            = b.heading(QStringLiteral("tituloHistorial"), QStringLiteral("Historial del error"),
                        12, 240, 6840, 3255, 375, -1);
    historial = b.place(new HistoryPlot(this, historia), QStringLiteral("historial"), 240, 7320,
                        5055, 2775, 82);
    verMejor = b.checkBox(QStringLiteral("verMejor"), QString(), 5520, 6840, 5055, 375, 79);
    verMejor->setText(QStringLiteral("Mostrar el mejor ajuste"));
    // One row of the best fit: a caption named rotulo<Name> and a readout named <name>.
    const auto fila = [&b](const QString &nombre, const QString &caption, int top, QLabel *&rotulo,
                           Readout *&lectura) {
        rotulo = b.label(QStringLiteral("rotulo") + nombre.at(0).toUpper() + nombre.mid(1), caption,
                         5520, top, 2055, 375, -1, Qt::AlignLeft | Qt::AlignVCenter);
        lectura = b.readout(nombre, 7680, top, 2895, 375, -1);
    };
    fila(QStringLiteral("mejorA"), QStringLiteral("a"), 7320, rotuloMejorA, mejorA);
    fila(QStringLiteral("mejorC"), QStringLiteral("c"), 7800, rotuloMejorC, mejorC);
    fila(QStringLiteral("mejorT0"), QStringLiteral("t0"), 8280, rotuloMejorT0, mejorT0);
    fila(QStringLiteral("mejorError"), QStringLiteral("Error Cuadrático"), 8760, rotuloMejorError,
         mejorError);
    fila(QStringLiteral("pasoMaximo"), QStringLiteral("Paso máximo estable"), 9240,
         rotuloPasoMaximo, pasoMaximo);
    verMapa = b.button(QStringLiteral("verMapa"), QStringLiteral("Mapa del error…"), 5520, 9720,
                       2415, 375, 80);
    verInforme = b.button(QStringLiteral("verInforme"), QStringLiteral("Informe del ajuste…"), 8160,
                          9720, 2415, 375, 81);

    // Each scroll bar overlaps the top of its text box and stays visible above it.
    LSCR->raise();
    CSCR->raise();
    TSCR->raise();

    b.applyTabOrder();
    nameControls(*this);

    chartBlock1 = {inicio, Final, Minimo, maximo, graf, paso, paso3, paso4, Label1, Label2, Label3,
                   Label4, Label5, Label6, Label7, Label8, label9, label10, Text1,
                   // The panel.
                   tituloHistorial, historial, verMejor, rotuloMejorA, mejorA, rotuloMejorC, mejorC,
                   rotuloMejorT0, mejorT0, rotuloMejorError, mejorError, rotuloPasoMaximo,
                   pasoMaximo, verMapa, verInforme};
    chartBlock2 = {Label14, Check1, Check2, Check3, LSCR,     Lval,     CSCR,
                   Cval,    TSCR,   Tval,   Para,   Picture1, Picture2, Picture3};
}

void Form1::conectarEventos()
{
    connect(Command5, &QPushButton::clicked, this,
            [this] { raiseEvent([this] { Command5_Click(); }); });
    connect(paso, &QPushButton::clicked, this, [this] { raiseEvent([this] { paso_Click(); }); });
    connect(paso3, &QPushButton::clicked, this, [this] { raiseEvent([this] { paso3_Click(); }); });
    connect(paso4, &QPushButton::clicked, this, [this] { raiseEvent([this] { paso4_Click(); }); });
    connect(Command1, &QPushButton::clicked, this,
            [this] { raiseEvent([this] { Command1_Click(); }); });
    connect(Recuperar, &QPushButton::clicked, this,
            [this] { raiseEvent([this] { Recuperar_Click(); }); });
    graf->onClick = [this] { graf_Click(); };
    // After the box's own stateChanged, which keeps its Value.
    connect(verMejor, &QCheckBox::stateChanged, this,
            [this] { raiseEvent([this] { verMejor_Click(); }); });
    // After each hold box's own stateChanged too: ticking one is an action to undo.
    connect(Check1, &QCheckBox::stateChanged, this,
            [this] { raiseEvent([this] { Check1_Click(); }); });
    connect(Check2, &QCheckBox::stateChanged, this,
            [this] { raiseEvent([this] { Check2_Click(); }); });
    connect(Check3, &QCheckBox::stateChanged, this,
            [this] { raiseEvent([this] { Check3_Click(); }); });
    connect(verMapa, &QPushButton::clicked, this,
            [this] { raiseEvent([this] { verMapa_Click(); }); });
    // Views depend on which parameters are held: they follow a change of the
    // boxes at once, while the descent reads them at its next evaluation.
    for (CheckBox *box : {Check1, Check2, Check3})
        connect(box, &QCheckBox::stateChanged, this, &Form1::estadoCambiado);
    connect(this, &Form1::estadoCambiado, this, &Form1::actualizarPanel);
    connect(verInforme, &QPushButton::clicked, this,
            [this] { raiseEvent([this] { verInforme_Click(); }); });

    for (int k = 0; k < xv.size(); ++k) {
        xv.items[k]->onKeyPress = [this, k](int16_t &KeyAscii) { xv_KeyPress(k, KeyAscii); };
        yv.items[k]->onKeyPress = [this, k](int16_t &KeyAscii) { yv_KeyPress(k, KeyAscii); };
        // Rows in and out as text, from and into either cell of row k.
        for (TextBox *celda : {xv.items[k], yv.items[k]}) {
            celda->onPaste = [this, k, celda] { pegar(k, celda); };
            celda->onCopy = [this] { copiarTabla(); };
            celda->onUndo = [this] { deshacerEnTabla(); };
            celda->onDropFile
                    = [this, k, celda](const QString &ruta) { soltarArchivo(k, celda, ruta); };
            addMenuEntry(celda, QStringLiteral("Copiar tabla"), [this] { copiarTabla(); });
        }
    }

    // Pictures and figures out.
    offerPicture(graf, QStringLiteral("grafica"), [this] { return imagenGrafica(); });
    offerPicture(historial, QStringLiteral("historial"), [this] {
        return Picture{historial->size(),
                       [this](QPainter &painter) { historial->drawInto(painter); }};
    });
    for (QWidget *cifra : std::initializer_list<QWidget *>{Label2, Label6, Label7, Label8, Label4,
                                                           label9, Label5, label10})
        addMenuEntry(cifra, QStringLiteral("Copiar resultados"), [this] { copiarResultados(); });

    LSCR->onChange = [this] { LSCR_Change(); };
    CSCR->onChange = [this] { CSCR_Change(); };
    TSCR->onChange = [this] { TSCR_Change(); };
    Lval->onKeyPress = [this](int16_t &KeyAscii) { Lval_KeyPress(KeyAscii); };
    Cval->onKeyPress = [this](int16_t &KeyAscii) { Cval_KeyPress(KeyAscii); };
    Tval->onKeyPress = [this](int16_t &KeyAscii) { Tval_KeyPress(KeyAscii); };
    Lval->onLostFocus = [this] { Lval_LostFocus(); };
    Cval->onLostFocus = [this] { Cval_LostFocus(); };
    Tval->onLostFocus = [this] { Tval_LostFocus(); };
}
