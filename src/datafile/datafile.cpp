#include "window/form1.h"

#include "platform/message_box.h"
#include "platform/number_text.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

const QString kNombreArchivo = QStringLiteral("datos.txt");

// The file is in the single-byte character set: Latin-1 maps every byte to
// one character and back, so any text survives the round trip unchanged.
QByteArray linea(const QString &texto)
{
    return texto.toLatin1() + "\r\n";
}

} // namespace

void Form1::guardar()
{
    capturar();
    // Written beside the old file and renamed over it: a failed save leaves
    // the previous datos.txt whole.
    QSaveFile archivo(kNombreArchivo);
    if (archivo.open(QIODevice::WriteOnly)) {
        // The count framed as numbers are in text files: a sign position, the
        // digits, a blank.
        archivo.write(linea(QStringLiteral(" %1 ").arg(n)));
        for (int k = 0; k <= n - 1; ++k) {
            archivo.write(linea(xv(k)->text()));
            archivo.write(linea(yv(k)->text()));
        }
        // A write that runs out of room can end part-way; flush() reports it
        // where commit() alone would not, and the old file then stays.
        if (archivo.flush() && archivo.commit())
            return;
    }
    msgBox(this, QStringLiteral("No se pudo guardar datos.txt: no se puede escribir el archivo"));
}

void Form1::Command1_Click()
{
    guardar();
}

void Form1::Recuperar_Click()
{
    // The whole file is read and checked before anything changes, so a
    // missing, short or damaged file leaves the grid and the count as they were.
    QFile archivo(kNombreArchivo);
    if (!archivo.open(QIODevice::ReadOnly)) {
        msgBox(this, QStringLiteral("No se pudo recuperar datos.txt: ")
                             + (archivo.exists() ? QStringLiteral("no se puede leer el archivo")
                                                 : QStringLiteral("el archivo no existe")));
        return;
    }
    const QByteArray contenido = archivo.readAll();
    archivo.close();

    // Lines end in CR LF; a bare LF is accepted as well.
    QStringList lineas = QString::fromLatin1(contenido).split(QLatin1Char('\n'));
    if (contenido.isEmpty() || contenido.endsWith('\n'))
        lineas.removeLast();
    for (QString &texto : lineas) {
        if (texto.endsWith(QLatin1Char('\r')))
            texto.chop(1);
    }

    QString motivo;
    int cuenta = 0;
    if (lineas.isEmpty()) {
        motivo = QStringLiteral("el archivo está vacío");
    } else {
        // The count is read the same whatever the locale: a point is the only
        // decimal separator, and the reader stops at anything else.
        try {
            const double leido = leadingNumber(lineas.first());
            cuenta = roundToPosition(leido);
            if (cuenta < 0 || cuenta > 20)
                motivo = QStringLiteral("el número de puntos no está entre 0 y 20");
            else if (lineas.size() - 1 < 2 * cuenta)
                motivo = QStringLiteral("faltan líneas de datos");
            // A text box would silently cut a longer line short.
            else if (std::any_of(lineas.cbegin() + 1, lineas.cbegin() + 1 + 2 * cuenta,
                                 [&](const QString &texto) {
                                     return texto.size() > xv(0)->maxLength();
                                 }))
                motivo = QStringLiteral("una línea de datos es demasiado larga");
        } catch (const Fault &) {
            motivo = QStringLiteral("el número de puntos no está entre 0 y 20");
        }
    }
    if (!motivo.isEmpty()) {
        msgBox(this, QStringLiteral("No se pudo recuperar datos.txt: ") + motivo);
        return;
    }

    n = int16_t(cuenta);
    for (int k = 0; k <= n - 1; ++k) {
        xv(k)->setText(lineas.at(1 + 2 * k));
        yv(k)->setText(lineas.at(2 + 2 * k));
    }
    for (int k = n; k <= 19; ++k) {
        xv(k)->setText(QString());
        yv(k)->setText(QString());
    }
}
