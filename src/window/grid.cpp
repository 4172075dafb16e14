#include "window/form1.h"

#include "platform/message_box.h"
#include "platform/number_text.h"
#include "platform/palette.h"

#include <QUndoCommand>

#include <algorithm>
#include <utility>
#include <vector>

void Form1::capturar()
{
    // A row is taken when both its texts read as numbers; the scan stops at
    // the first empty t cell or the first text that does not read.
    try {
        for (i = 0; i <= kLastRow; ++i) {
            if (xv(i)->text().isEmpty())
                break;
            x(i) = textToNumber(xv(i)->text());
            xv(i)->setText(numberToText(x(i)));
            y(i) = textToNumber(yv(i)->text());
            yv(i)->setText(numberToText(y(i)));
            xv(i)->setBackColor(qbColor(Blanco));
            yv(i)->setBackColor(qbColor(Blanco));
        }
    } catch (const Fault &) { }
    n = i;
    for (i = n; i <= kLastRow; ++i) {
        xv(i)->setBackColor(qbColor(GrisClaro));
        yv(i)->setBackColor(qbColor(GrisClaro));
    }
}

namespace {

// Where the program's decimal separator is the comma a full stop is not a
// decimal point: warn about it, but let the key through as typed. Where the
// full stop is the decimal separator there is nothing to warn about.
void avisarPunto(QWidget *form, int16_t KeyAscii)
{
    if (KeyAscii == '.' && decimalSeparator() != QLatin1Char('.'))
        msgBox(form, QStringLiteral("Utilice la coma"));
}

} // namespace

void Form1::xv_KeyPress(int, int16_t &KeyAscii)
{
    avisarPunto(this, KeyAscii);
}

void Form1::yv_KeyPress(int, int16_t &KeyAscii)
{
    avisarPunto(this, KeyAscii);
}

namespace {

// One paste or restore as one step of the grid's undo history: the cells it
// wrote, each with its text before and after.
class PegadoEnTabla : public QUndoCommand
{
public:
    struct Celda
    {
        TextBox *caja;
        QString antes;
        QString despues;
    };

    // `escrito`: the cells already show their texts after, so the push that
    // keeps the step writes nothing.
    explicit PegadoEnTabla(std::vector<Celda> celdas, bool escrito = false)
        : celdas(std::move(celdas)), escrito(escrito)
    { }

    void redo() override
    {
        if (std::exchange(escrito, false))
            return;
        for (const Celda &celda : celdas)
            celda.caja->setText(celda.despues);
    }
    void undo() override
    {
        for (const Celda &celda : celdas)
            celda.caja->setText(celda.antes);
    }
    // Whether the cells still show what the paste wrote; once one has been
    // typed over or restored, undoing would throw that away.
    bool vigente() const
    {
        return std::all_of(celdas.cbegin(), celdas.cend(),
                           [](const Celda &celda) { return celda.caja->text() == celda.despues; });
    }

private:
    std::vector<Celda> celdas;
    bool escrito;
};

} // namespace

void Form1::ponerEnTabla(int primera, const QStringList &textos)
{
    std::vector<PegadoEnTabla::Celda> celdas;
    for (int k = 0; 2 * k + 1 < textos.size() && primera + k <= kLastRow; ++k) {
        TextBox *t = xv(primera + k);
        TextBox *f = yv(primera + k);
        celdas.push_back({t, t->text(), textos.at(2 * k)});
        celdas.push_back({f, f->text(), textos.at(2 * k + 1)});
    }
    // Pushing the step writes the cells.
    pegados.push(new PegadoEnTabla(std::move(celdas)));
}

void Form1::anotarEnTabla(const QStringList &antes)
{
    const QStringList ahora = textosTabla();
    if (ahora == antes)
        return;
    std::vector<PegadoEnTabla::Celda> celdas;
    for (int k = 0; k <= kLastRow; ++k) {
        celdas.push_back({xv(k), antes.at(2 * k), ahora.at(2 * k)});
        celdas.push_back({yv(k), antes.at(2 * k + 1), ahora.at(2 * k + 1)});
    }
    pegados.push(new PegadoEnTabla(std::move(celdas), true));
}

QStringList Form1::textosTabla() const
{
    QStringList textos;
    for (int k = 0; k <= kLastRow; ++k)
        textos << xv(k)->text() << yv(k)->text();
    return textos;
}

void Form1::deshacerEnTabla()
{
    if (!pegados.canUndo())
        return;
    const auto *ultimo = static_cast<const PegadoEnTabla *>(pegados.command(pegados.index() - 1));
    // A paste overtaken by later changes is history no more: it and every
    // step before it are forgotten, and no cell changes.
    if (ultimo->vigente())
        pegados.undo();
    else
        pegados.clear();
}
