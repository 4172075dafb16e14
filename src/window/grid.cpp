#include "window/form1.h"

#include "platform/message_box.h"
#include "platform/number_text.h"
#include "platform/palette.h"

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
