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

// Controls are created in twips and collected with their tab index, so the
// focus order can be set once all exist.
struct Builder
{
    QWidget *form;
    std::vector<std::pair<int, QWidget *>> tabOrder;

    template <typename Control>
    Control *place(Control *control, int left, int top, int width, int height, int tabIndex)
    {
        control->setGeometry(twipRect(left, top, width, height));
        if (tabIndex >= 0)
            tabOrder.emplace_back(tabIndex, control);
        return control;
    }

    QLabel *label(const QString &caption, int left, int top, int width, int height, int tabIndex,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop)
    {
        auto *control = new QLabel(caption, form);
        control->setAlignment(alignment);
        return place(control, left, top, width, height, tabIndex);
    }

    QLabel *heading(const QString &caption, double points, int left, int top, int width,
                    int height, int tabIndex)
    {
        QLabel *control = label(caption, left, top, width, height, tabIndex);
        control->setFont(sansSerif(points));
        return control;
    }

    // A label that looks like a read-only field: window colours, single border.
    Readout *readout(int left, int top, int width, int height, int tabIndex)
    {
        auto *control = new Readout(form);
        control->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        control->setFrameStyle(QFrame::Box | QFrame::Plain);
        control->setAutoFillBackground(true);
        QPalette colours = control->palette();
        colours.setColor(QPalette::Window, colours.color(QPalette::Base));
        colours.setColor(QPalette::WindowText, colours.color(QPalette::Text));
        control->setPalette(colours);
        return place(control, left, top, width, height, tabIndex);
    }

    QPushButton *button(const QString &caption, int left, int top, int width, int height,
                        int tabIndex)
    {
        auto *control = new QPushButton(caption, form);
        control->setFocusPolicy(Qt::StrongFocus);
        control->setAutoDefault(false);
        return place(control, left, top, width, height, tabIndex);
    }

    TextBox *textBox(const QString &text, int left, int top, int width, int height, int tabIndex)
    {
        auto *control = new TextBox(form);
        control->setText(text);
        return place(control, left, top, width, height, tabIndex);
    }

    // `picture` names a bitmap and its vector source among the resources.
    PictureBox *pictureBox(const QString &picture, int left, int top, int width, int height,
                           int tabIndex)
    {
        auto *control = place(new PictureBox(form), left, top, width, height, tabIndex);
        if (!picture.isEmpty()) {
            const QString file = QStringLiteral(":/pictures/") + picture;
            control->setPicture(QImage(file + QStringLiteral(".bmp")),
                                file + QStringLiteral(".svg"));
        }
        return control;
    }

    CheckBox *checkBox(const QString &toolTip, int left, int top, int width, int height,
                       int tabIndex)
    {
        auto *control = new CheckBox(form);
        control->setToolTip(toolTip);
        return place(control, left, top, width, height, tabIndex);
    }

    HScrollBar *scrollBar(int min, int max, int left, int top, int width, int height,
                          int tabIndex)
    {
        return place(new HScrollBar(form, min, max), left, top, width, height, tabIndex);
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
    };
    for (const auto &[control, name, description] : named)
        setAccessibleTexts(control, name, description);
    makeReadout(f.Label6, derivative.arg(QStringLiteral("a")));
    makeReadout(f.Label7, derivative.arg(QStringLiteral("c")));
    makeReadout(f.Label8, derivative.arg(QStringLiteral("t0")));
    setAccessibleTexts(f.historial, f.tituloHistorial->text(),
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
    funcion = b.pictureBox(QStringLiteral("funcion"), 6120, 120, 2295, 1335, 1);
    Command1 = b.button(QStringLiteral("Guardar"), 9000, 360, 1455, 375, 77);
    Recuperar = b.button(QStringLiteral("Recuperar"), 9000, 840, 1455, 375, 78);
    Command5 = b.button(QStringLiteral("Gráfica"), 9120, 1320, 1215, 375, 28);

    // Data-entry view.
    Label11 = b.heading(QStringLiteral("t"), 13.5, 1200, 120, 495, 495, 69);
    Label12 = b.heading(QStringLiteral("f(t)"), 13.5, 3600, 120, 495, 375, 70);
    for (int k = 0; k < xv.size(); ++k) {
        const int top = 720 + 480 * k;
        xv.items[k] = b.textBox(QString(), 360, top, 1935, k == 2 ? 405 : 375, 29 + k);
        yv.items[k] = b.textBox(QString(), 2640, top, 2415, 375, 49 + k);
    }

    // Chart view.
    graf = b.pictureBox(QString(), 600, 240, 4800, 4000, 0);
    Line2 = new LineShape(graf, 1200, 0, 1200, 4000);
    Final = b.label(QStringLiteral("10"), 0, 120, 495, 255, 15, Qt::AlignRight | Qt::AlignTop);
    inicio = b.label(QStringLiteral("0"), 120, 3960, 375, 255, 14, Qt::AlignRight | Qt::AlignTop);
    Minimo = b.label(QStringLiteral("-5"), 480, 4320, 375, 255, 12, Qt::AlignHCenter | Qt::AlignTop);
    maximo = b.label(QStringLiteral("15"), 5160, 4320, 375, 255, 13, Qt::AlignHCenter | Qt::AlignTop);
    Label14 = b.label(QStringLiteral("0"), 1800, 4320, 255, 255, 71);

    Label1 = b.heading(QStringLiteral("Ajuste"), 12, 240, 4680, 975, 375, 16);
    paso = b.button(QStringLiteral("Un paso"), 0, 5520, 1095, 375, 21);
    paso3 = b.button(QStringLiteral("100 pasos"), 0, 5880, 1095, 375, 22);
    paso4 = b.button(QStringLiteral("10000 pasos"), 0, 6240, 1095, 375, 23);
    Label2 = b.heading(QStringLiteral("Derivadas Parciales"), 12, 1320, 4680, 2175, 375, 17);
    Label6 = b.readout(1320, 5160, 2295, 375, 24);
    Label7 = b.readout(1320, 5640, 2295, 375, 25);
    Label8 = b.readout(1320, 6120, 2295, 375, 26);
    Label3 = b.heading(QStringLiteral("Paso"), 12, 3840, 4680, 1095, 375, 18);
    // The numeric texts are written from their numbers, so they read back
    // under any locale ("0,001" under a decimal comma).
    Text1 = b.textBox(numberToText(0.001), 3840, 5160, 1215, 375, 27);
    Label4 = b.heading(QStringLiteral("Error Cuadrático"), 12, 5520, 4680, 2175, 375, 19);
    label9 = b.textBox(numberToText(0), 5520, 5160, 5055, 375, 75);
    Label5 = b.heading(QStringLiteral("Error normalizado (%)"), 12, 5520, 5640, 5055, 255, 20);
    label10 = b.textBox(numberToText(0), 5520, 6120, 5055, 375, 76);

    Para = b.heading(QStringLiteral("Coeficientes"), 12, 5760, 2040, 1335, 255, 2);
    Check1 = b.checkBox(QStringLiteral("Fijar parámetro a"), 5520, 2640, 255, 375, 72);
    Picture1 = b.pictureBox(QStringLiteral("a"), 5760, 2520, 495, 495, 3);
    LSCR = b.scrollBar(-100, 100, 6360, 2520, 4215, 135, 9);
    Lval = b.textBox(numberToText(5), 6360, 2640, 4185, 345, 6);
    Check2 = b.checkBox(QStringLiteral("Fijar parámetro c"), 5520, 3240, 255, 375, 73);
    Picture2 = b.pictureBox(QStringLiteral("c"), 5760, 3120, 615, 495, 4);
    CSCR = b.scrollBar(-60, 60, 6360, 3120, 4215, 135, 10);
    Cval = b.textBox(numberToText(1), 6360, 3240, 4185, 345, 8);
    Check3 = b.checkBox(QStringLiteral("Fijar parámetro t0"), 5520, 3720, 255, 495, 74);
    Picture3 = b.pictureBox(QStringLiteral("t0"), 5760, 3720, 615, 495, 5);
    TSCR = b.scrollBar(-100, 100, 6360, 3720, 4215, 135, 11);
    Tval = b.textBox(numberToText(0), 6360, 3840, 4185, 345, 7);

    // Panel under the step buttons: the error history and, on request, the
    // best fit. Only verMejor takes a tab stop.
    tituloHistorial =
            b.heading(QStringLiteral("Historial del error"), 12, 240, 6840, 3255, 375, -1);
    historial = b.place(new HistoryPlot(this, historia), 240, 7320, 5055, 2775, -1);
    verMejor = b.checkBox(QString(), 5520, 6840, 5055, 375, 79);
    verMejor->setText(QStringLiteral("Mostrar el mejor ajuste"));
    const auto fila = [&b](const QString &caption, int top, QLabel *&rotulo, Readout *&lectura) {
        rotulo = b.label(caption, 5520, top, 2055, 375, -1, Qt::AlignLeft | Qt::AlignVCenter);
        lectura = b.readout(7680, top, 2895, 375, -1);
    };
    fila(QStringLiteral("a"), 7320, rotuloMejorA, mejorA);
    fila(QStringLiteral("c"), 7800, rotuloMejorC, mejorC);
    fila(QStringLiteral("t0"), 8280, rotuloMejorT0, mejorT0);
    fila(QStringLiteral("Error Cuadrático"), 8760, rotuloMejorError, mejorError);
    fila(QStringLiteral("Paso máximo estable"), 9240, rotuloPasoMaximo, pasoMaximo);

    // Each scroll bar overlaps the top of its text box and stays visible above it.
    LSCR->raise();
    CSCR->raise();
    TSCR->raise();

    b.applyTabOrder();
    nameControls(*this);

    chartBlock1 = {inicio, Final,  Minimo, maximo, graf,   paso,   paso3,
                   paso4,  Label1, Label2, Label3, Label4, Label5, Label6,
                   Label7, Label8, label9, label10, Text1,
                   // The panel.
                   tituloHistorial, historial, verMejor, rotuloMejorA, mejorA, rotuloMejorC,
                   mejorC, rotuloMejorT0, mejorT0, rotuloMejorError, mejorError,
                   rotuloPasoMaximo, pasoMaximo};
    chartBlock2 = {Label14, Check1, Check2, Check3,   LSCR,     Lval,    CSCR,
                   Cval,    TSCR,   Tval,   Para,     Picture1, Picture2, Picture3};
}

void Form1::conectarEventos()
{
    connect(Command5, &QPushButton::clicked, this, [this] { raiseEvent([this] { Command5_Click(); }); });
    connect(paso, &QPushButton::clicked, this, [this] { raiseEvent([this] { paso_Click(); }); });
    connect(paso3, &QPushButton::clicked, this, [this] { raiseEvent([this] { paso3_Click(); }); });
    connect(paso4, &QPushButton::clicked, this, [this] { raiseEvent([this] { paso4_Click(); }); });
    connect(Command1, &QPushButton::clicked, this, [this] { raiseEvent([this] { Command1_Click(); }); });
    connect(Recuperar, &QPushButton::clicked, this,
            [this] { raiseEvent([this] { Recuperar_Click(); }); });
    graf->onClick = [this] { graf_Click(); };
    // After the box's own stateChanged, which keeps its Value.
    connect(verMejor, &QCheckBox::stateChanged, this,
            [this] { raiseEvent([this] { verMejor_Click(); }); });
    // The best fit depends on which parameters are held: the panel follows a
    // change of the boxes at once, while the descent reads them at its next
    // evaluation as before.
    for (CheckBox *box : {Check1, Check2, Check3})
        connect(box, &QCheckBox::stateChanged, this, [this] { actualizarPanel(); });

    for (int k = 0; k < xv.size(); ++k) {
        xv.items[k]->onKeyPress = [this, k](int16_t &KeyAscii) { xv_KeyPress(k, KeyAscii); };
        yv.items[k]->onKeyPress = [this, k](int16_t &KeyAscii) { yv_KeyPress(k, KeyAscii); };
    }

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
