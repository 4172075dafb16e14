#include "window/form1.h"

#include "datafile/data_path.h"
#include "datafile/point_file.h"
#include "datafile/point_text.h"
#include "platform/message_box.h"
#include "platform/number_text.h"

#include <QFileInfo>
#include <QStringList>

namespace {

const QString kNombreArchivo = QStringLiteral("datos.txt");

// A cell as the user finds it: the grid shows no row numbers, so rows are
// counted from 1 at the top, and the columns go by their headings.
QString celda(int fila, bool columnaT)
{
    return QStringLiteral("el valor de %1 de la fila %2")
            .arg(columnaT ? QStringLiteral("t") : QStringLiteral("f(t)"))
            .arg(fila + 1);
}

// Why a cell's text cannot go into the file, or nothing when it can.
QString motivoCelda(const QString &texto, int fila, bool columnaT, bool legible)
{
    const qsizetype ajeno = firstForeignCharacter(texto);
    if (ajeno >= 0) {
        // A character beyond the 16-bit range comes as a surrogate pair.
        const QString caracter = texto.mid(ajeno, texto.at(ajeno).isHighSurrogate() ? 2 : 1);
        return celda(fila, columnaT)
                + QStringLiteral(" tiene el carácter «%1», que el archivo no admite").arg(caracter);
    }
    if (!legible)
        return celda(fila, columnaT) + QStringLiteral(" no es un número");
    return {};
}

// Why the grid, as the capture left it, cannot be saved, or nothing when it
// can: a character the file cannot hold in a row taken, or a text that stopped
// the capture.
QString motivoParaNoGuardar(const Form1 &form)
{
    for (int k = 0; k <= form.n - 1; ++k) {
        QString motivo = motivoCelda(form.xv(k)->text(), k, true, true);
        if (motivo.isEmpty())
            motivo = motivoCelda(form.yv(k)->text(), k, false, true);
        if (!motivo.isEmpty())
            return motivo;
    }
    // The capture ends at an empty t cell, where the user ends the data, or at
    // the first text it cannot read; the t of that row is read first.
    const int k = form.n;
    if (k > kLastRow || form.xv(k)->text().isEmpty())
        return {};
    if (!readNumber(form.xv(k)->text()))
        return motivoCelda(form.xv(k)->text(), k, true, false);
    return motivoCelda(form.yv(k)->text(), k, false, false);
}

// The texts of the rows the capture took, t then y for each.
QStringList textosTomados(const Form1 &form)
{
    QStringList textos;
    for (int k = 0; k <= form.n - 1; ++k)
        textos << form.xv(k)->text() << form.yv(k)->text();
    return textos;
}

} // namespace

void Form1::guardar()
{
    capturar();
    QString motivo = motivoParaNoGuardar(*this);
    if (motivo.isEmpty())
        motivo = writeDataFile(kNombreArchivo, pointFileBytes(textosTomados(*this)));
    if (!motivo.isEmpty())
        msgBox(this, QStringLiteral("No se pudo guardar datos.txt: ") + motivo);
}

void Form1::Command1_Click()
{
    guardar();
}

void Form1::Recuperar_Click()
{
    recuperarDe(kNombreArchivo);
}

void Form1::recuperarDe(const QString &ruta)
{
    // In the chart view a restore redraws, which must wait for a handler that
    // is still midway (its busy flag set).
    const bool enGrafica = !modoDatos;
    if (enGrafica && ocupado)
        return;

    // Everything is read and checked before anything changes, so a refused
    // file leaves the grid and the count as they were.
    const int largo = xv(0)->maxLength();
    const DataBytes leido = readDataFile(ruta, pointFileLimit(largo));
    const PointFile archivo = leido.refusal.isEmpty() ? parsePointFile(leido.bytes, largo)
                                                      : PointFile{{}, leido.refusal};
    if (!archivo.refusal.isEmpty()) {
        msgBox(this,
               QStringLiteral("No se pudo recuperar %1: ").arg(QFileInfo(ruta).fileName())
                       + archivo.refusal);
        return;
    }

    // The grid before is one Ctrl+Z away in a cell, as before a paste. Undoing
    // it puts back the cells' texts only: the points in use stay until the
    // next "Gráfica" captures the cells.
    const QStringList antes = textosTabla();
    n = int16_t(archivo.texts.size() / 2);
    vaciarDeshacer();
    for (int k = 0; k <= kLastRow; ++k) {
        xv(k)->setText(k < n ? archivo.texts.at(2 * k) : QString());
        yv(k)->setText(k < n ? archivo.texts.at(2 * k + 1) : QString());
    }

    // The chart on screen must show, and the steps fit, the restored points,
    // not the count of the new ones over the values of the old. In the data
    // view the next "Gráfica" captures them.
    if (enGrafica) {
        // Going back to the grid (no point restored) hides a parameter box that
        // may hold the focus; its LostFocus finds the flag set.
        ocupado = true;
        entrarEnGrafica();
        ocupado = false;
    }
    // After the capture, which writes the texts in normal form.
    anotarEnTabla(antes);
}

void Form1::soltarArchivo(int fila, TextBox *celda, const QString &ruta)
{
    // A point file of the program's own is read as "Recuperar" reads it.
    if (QFileInfo(ruta).fileName() == kNombreArchivo) {
        recuperarDe(ruta);
        return;
    }
    // Any other file is a pasted text, read with the same checks and bound.
    const DataBytes leido = readDataFile(ruta, pointFileLimit(celda->maxLength()));
    const std::optional<QString> texto
            = leido.refusal.isEmpty() ? textOfFile(leido.bytes) : std::nullopt;
    if (!texto) {
        const QString motivo = leido.refusal.isEmpty() ? QStringLiteral("no es un archivo de texto")
                                                       : leido.refusal;
        msgBox(this,
               QStringLiteral("No se pudo leer %1: ").arg(QFileInfo(ruta).fileName()) + motivo);
        return;
    }
    pegarTexto(fila, celda, *texto);
}
