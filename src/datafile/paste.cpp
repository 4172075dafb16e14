#include "window/form1.h"

#include "datafile/point_text.h"
#include "platform/message_box.h"

#include <QClipboard>
#include <QGuiApplication>

// The grid's rows in and out as text: a paste from the clipboard (or a
// dropped file's text) is read and checked whole before a cell changes; the
// copy writes what a paste reads back.

void Form1::pegar(int fila, TextBox *celda)
{
    pegarTexto(fila, celda, QGuiApplication::clipboard()->text());
}

void Form1::pegarTexto(int fila, TextBox *celda, const QString &texto)
{
    const PastedTable tabla = parsePastedText(texto, kRows - fila, celda->maxLength());
    if (!tabla.refusal.isEmpty()) {
        msgBox(this, QStringLiteral("No se pudo pegar: ") + tabla.refusal);
        return;
    }
    if (tabla.ordinaryPaste) {
        celda->insert(tabla.texts.value(0));
        return;
    }
    if (!tabla.texts.isEmpty())
        ponerEnTabla(fila, tabla.texts);
    if (tabla.leftOut == 1)
        msgBox(this,
               QStringLiteral("No se pegó 1 fila: no cabe en la tabla, que tiene %1 filas.")
                       .arg(kRows));
    else if (tabla.leftOut > 1)
        msgBox(this,
               QStringLiteral("No se pegaron %1 filas: no caben en la tabla, que tiene %2 filas.")
                       .arg(tabla.leftOut)
                       .arg(kRows));
}

void Form1::copiarTabla()
{
    // Down to the first row whose two cells are empty.
    QStringList textos;
    for (int k = 0; k <= kLastRow; ++k) {
        if (xv(k)->text().isEmpty() && yv(k)->text().isEmpty())
            break;
        textos << xv(k)->text() << yv(k)->text();
    }
    QGuiApplication::clipboard()->setText(pointTableText(textos));
}
