#include "window/form1.h"

#include "datafile/point_text.h"
#include "platform/message_box.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

// The grid's rows in and out as text: a paste from the clipboard (or a
// dropped file's text) is read and checked whole before a cell changes; the
// copy writes what a paste reads back.

void Form1::pegar(int fila, TextBox *celda)
{
    // The plain text where there is one; a table copied from some spreadsheets
    // and pages comes as HTML alone.
    const QMimeData *datos = QGuiApplication::clipboard()->mimeData();
    const QString texto = datos ? datos->text() : QString();
    if (texto.isEmpty() && datos && datos->hasHtml()) {
        pegarTabla(fila, celda, parsePastedHtml(datos->html(), kRows - fila, celda->maxLength()));
        return;
    }
    if (texto.isEmpty() && !(datos && datos->hasText())) {
        msgBox(this, QStringLiteral("No se pudo pegar: el portapapeles no tiene texto"));
        return;
    }
    pegarTexto(fila, celda, texto);
}

void Form1::pegarTexto(int fila, TextBox *celda, const QString &texto)
{
    pegarTabla(fila, celda, parsePastedText(texto, kRows - fila, celda->maxLength()));
}

void Form1::pegarTabla(int fila, TextBox *celda, const PastedTable &tabla)
{
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
    // Down to the last row with a text, empty cells and rows included: under
    // the heading the copy writes, a paste takes them as empty cells.
    QStringList textos = textosTabla();
    while (!textos.isEmpty() && textos.last().isEmpty())
        textos.removeLast();
    if (textos.size() % 2 != 0)
        textos << QString();
    QGuiApplication::clipboard()->setText(pointTableText(textos));
}
