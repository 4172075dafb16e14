#include "window/form1.h"

#include "platform/accessibility.h"
#include "platform/twips.h"
#include "window/control_table.h"

#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <utility>
#include <vector>

// The window is made from its table of controls (control_table.cpp): these
// loops give each kind of control its settings, and each row its place, tab
// stop, names, view block and events.

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

// The control named by its layout name (so that it can be found by name) at
// its place in twips.
template <typename Control>
Control *place(Control *control, const ControlRow &row)
{
    control->setObjectName(row.name);
    control->setGeometry(
            twipRect(row.place.x(), row.place.y(), row.place.width(), row.place.height()));
    return control;
}

// ---- One maker per kind: the control of the row, in the member it fills.

QWidget *make(Form1 &form, const ControlRow &row, Member<QLabel> member)
{
    auto *control = new QLabel(row.text, &form);
    control->setAlignment(row.alignment ? row.alignment : Qt::AlignLeft | Qt::AlignTop);
    return form.*member = place(control, row);
}

// A label that looks like a read-only field: window colours, single border.
QWidget *make(Form1 &form, const ControlRow &row, Member<Readout> member)
{
    auto *control = new Readout(&form);
    control->setAlignment(row.alignment ? row.alignment : Qt::AlignLeft | Qt::AlignVCenter);
    control->setFrameStyle(QFrame::Box | QFrame::Plain);
    control->setAutoFillBackground(true);
    QPalette colours = control->palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Base));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Text));
    control->setPalette(colours);
    return form.*member = place(control, row);
}

QWidget *make(Form1 &form, const ControlRow &row, Member<QPushButton> member)
{
    auto *control = new QPushButton(row.text, &form);
    control->setFocusPolicy(Qt::StrongFocus);
    control->setAutoDefault(false);
    return form.*member = place(control, row);
}

TextBox *makeTextBox(Form1 &form, const ControlRow &row)
{
    auto *control = new TextBox(&form);
    control->setText(row.text);
    control->leavesOnEscape = row.leavesOnEscape;
    return place(control, row);
}

QWidget *make(Form1 &form, const ControlRow &row, Member<TextBox> member)
{
    return form.*member = makeTextBox(form, row);
}

QWidget *make(Form1 &form, const ControlRow &row, const GridCell &cell)
{
    return (form.*cell.column).items[cell.row] = makeTextBox(form, row);
}

QWidget *make(Form1 &form, const ControlRow &row, Member<CheckBox> member)
{
    auto *control = new CheckBox(&form);
    control->setToolTip(row.toolTip);
    place(control, row);
    if (!row.text.isEmpty())
        control->setText(row.text);
    return form.*member = control;
}

QWidget *make(Form1 &form, const ControlRow &row, Member<HScrollBar> member)
{
    return form.*member = place(new HScrollBar(&form, row.bar.min, row.bar.max), row);
}

// `image` names a bitmap and its vector source among the resources.
QWidget *make(Form1 &form, const ControlRow &row, Member<PictureBox> member)
{
    auto *control = place(new PictureBox(&form), row);
    if (!row.image.isEmpty()) {
        const QString file = QStringLiteral(":/pictures/") + row.image;
        control->setPicture(QImage(file + QStringLiteral(".bmp")), file + QStringLiteral(".svg"));
    }
    return form.*member = control;
}

// A choice among its entries, the row's text chosen.
QWidget *make(Form1 &form, const ControlRow &row, Member<QComboBox> member)
{
    auto *control = new QComboBox(&form);
    control->addItems(row.entries);
    control->setCurrentIndex(int(row.entries.indexOf(row.text)));
    control->setFocusPolicy(Qt::StrongFocus);
    return form.*member = place(control, row);
}

QWidget *make(Form1 &form, const ControlRow &row, Member<HistoryPlot> member)
{
    return form.*member = place(new HistoryPlot(&form, form.historia), row);
}

QWidget *make(Form1 &form, const ControlRow &row, const LineIn &line)
{
    auto *control = new LineShape(form.*line.box, line.ends.x1(), line.ends.y1(), line.ends.x2(),
                                  line.ends.y2());
    control->setObjectName(row.name);
    return form.*line.line = control;
}

// What a screen reader says for the control, where the row says more than its caption.
void nameAloud(QWidget *control, const ControlRow &row)
{
    if (auto *figure = dynamic_cast<Readout *>(control)) {
        if (!row.spokenName.isEmpty())
            makeReadout(figure, row.spokenName);
    } else if (!row.spokenName.isEmpty() || !row.description.isEmpty()) {
        setAccessibleTexts(control, row.spokenName, row.description);
    }
}

// The controls of `pairs` by their numbers, lowest first.
std::vector<QWidget *> inOrder(std::vector<std::pair<int, QWidget *>> pairs)
{
    std::sort(pairs.begin(), pairs.end(),
              [](const auto &l, const auto &r) { return l.first < r.first; });
    std::vector<QWidget *> controls;
    for (const auto &[number, control] : pairs)
        controls.push_back(control);
    return controls;
}

} // namespace

Form1::Form1(QWidget *parent) : QWidget(parent)
{
    const std::vector<ControlRow> filas = controlTable();
    crearControles(filas);
    crearDeshacer();
    crearAnimacion();
    conectarEventos(filas);
    Form_Load();
}

void Form1::crearControles(const std::vector<ControlRow> &filas)
{
    registerFontSubstitutes();
    // The classic default face and size: the captions were measured for it.
    setFont(sansSerif(8));
    setWindowTitle(QStringLiteral("Ajuste de Curvas Logísticas."));
    resize(twipsToPixels(10860), twipsToPixels(10365));

    std::vector<std::pair<int, QWidget *>> tabStops, block1, block2, headings;
    std::vector<QWidget *> controles;
    for (const ControlRow &fila : filas) {
        QWidget *control = std::visit([&](const auto &member) { return make(*this, fila, member); },
                                      fila.control);
        if (fila.points > 0)
            control->setFont(sansSerif(fila.points));
        if (fila.tab >= 0)
            tabStops.emplace_back(fila.tab, control);
        if (fila.block.block == ViewBlock::Chart1)
            block1.emplace_back(fila.block.order, control);
        else if (fila.block.block == ViewBlock::Chart2)
            block2.emplace_back(fila.block.order, control);
        else if (fila.block.block == ViewBlock::GridHeadings)
            headings.emplace_back(fila.block.order, control);
        controles.push_back(control);
    }

    // A scroll bar overlaps the top of its text box and stays visible above it.
    for (size_t k = 0; k < filas.size(); ++k)
        if (filas[k].onTop)
            controles[k]->raise();

    // Focus skips the controls that never take it.
    QWidget *previous = nullptr;
    for (QWidget *control : inOrder(tabStops)) {
        if (control->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }

    for (size_t k = 0; k < filas.size(); ++k)
        nameAloud(controles[k], filas[k]);

    chartBlock1 = inOrder(block1);
    chartBlock2 = inOrder(block2);
    gridHeadings = inOrder(headings);
}

// Each event goes through despachar, bound to the row's handler.
void Form1::conectarEventos(const std::vector<ControlRow> &filas)
{
    for (const ControlRow &fila : filas) {
        const auto enviar = [this](void (Form1::*manejador)(), bool sigue) {
            return [this, manejador, sigue] {
                despachar([this, manejador] { (this->*manejador)(); }, sigue);
            };
        };
        QWidget *control = controlOf(*this, fila);
        if (fila.handler) {
            if (auto *boton = qobject_cast<QPushButton *>(control))
                connect(boton, &QPushButton::clicked, this, enviar(fila.handler, fila.runGoesOn));
            else if (auto *casilla = qobject_cast<QCheckBox *>(control))
                connect(casilla, &QCheckBox::stateChanged, this,
                        enviar(fila.handler, fila.runGoesOn));
            else if (auto *imagen = dynamic_cast<PictureBox *>(control))
                imagen->onClick = enviar(fila.handler, fila.runGoesOn);
            else if (auto *barra = dynamic_cast<HScrollBar *>(control))
                barra->onChange = enviar(fila.handler, fila.runGoesOn);
        }
        if (auto *casilla = qobject_cast<QCheckBox *>(control); casilla && fila.viewsFollow)
            connect(casilla, &QCheckBox::stateChanged, this, &Form1::estadoCambiado);

        if (auto *caja = dynamic_cast<TextBox *>(control)) {
            if (const auto manejador = fila.onKeyPress)
                caja->onKeyPress = [this, manejador](int16_t &KeyAscii) {
                    despachar([&] { (this->*manejador)(KeyAscii); });
                };
            if (const auto manejador = fila.onLostFocus)
                caja->onLostFocus = [this, manejador] {
                    const bool corria = animando();
                    despachar([this, manejador] { (this->*manejador)(); });
                    // The focus went to "Detener" with a press on it: the
                    // click that follows is the press that ended the run.
                    if (corria && !animando() && QApplication::focusWidget() == animar)
                        detenidaAlEnfocar = true;
                };
        }

        if (const auto *celda = std::get_if<GridCell>(&fila.control)) {
            TextBox *caja = (this->*celda->column)(celda->row);
            const int k = celda->row;
            if (const auto manejador = fila.onCellKeyPress)
                caja->onKeyPress = [this, manejador, k](int16_t &KeyAscii) {
                    despachar([&] { (this->*manejador)(k, KeyAscii); });
                };
            if (const auto manejador = fila.onPaste)
                caja->onPaste = [this, manejador, k, caja] {
                    despachar([=, this] { (this->*manejador)(k, caja); });
                };
            if (fila.onCopy)
                caja->onCopy = enviar(fila.onCopy, fila.runGoesOn);
            if (fila.onUndo)
                caja->onUndo = enviar(fila.onUndo, fila.runGoesOn);
            if (const auto manejador = fila.onDropFile)
                caja->onDropFile = [this, manejador, k, caja](const QString &ruta) {
                    despachar([&] { (this->*manejador)(k, caja, ruta); });
                };
        }

        // A menu entry copies ("Copiar resultados", "Copiar tabla"): a running
        // descent goes on through it.
        if (fila.menu.handler)
            addMenuEntry(control, fila.menu.text, enviar(fila.menu.handler, true));
        // The picture is read when an entry is chosen; reading it changes nothing.
        if (const auto imagen = fila.offer.picture)
            offerPicture(control, fila.offer.file, [this, imagen] { return (this->*imagen)(); });
        if (fila.undoKeys)
            offerActions(control, {accionDeshacer, accionRehacer});
    }
    connect(this, &Form1::estadoCambiado, this, &Form1::actualizarPanel);
}

// Every event of the window's controls, of its undo keys and of the map's
// choice of a start reaches its handler here. Whatever must act before any
// handler runs goes first in this function: a running descent ends before the
// event changes the fit (not inside a handler, whose own writes to the bars
// come back here while `ocupado` is set).
void Form1::despachar(const std::function<void()> &manejador, bool sigueAnimando) noexcept
{
    animacionDetenida = (!sigueAnimando && !ocupado && detenerAnimacion())
            || std::exchange(detenidaAlEnfocar, false);
    raiseEvent(manejador);
}
