#include "report/informe_ajuste.h"

#include "platform/accessibility.h"
#include "platform/number_text.h"
#include "platform/palette.h"
#include "report/report_text.h"
#include "report/residual_plot.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

const QString kColumnTitles[2] = {QStringLiteral("Ajuste actual"), QStringLiteral("Mejor ajuste")};
const QString kParameterRows[4]
        = {QStringLiteral("valor"), QStringLiteral("error típico"), QStringLiteral("inferior 95 %"),
           QStringLiteral("superior 95 %")};
const QString kSummaryRows[6] = {QStringLiteral("n, puntos"),
                                 QStringLiteral("p, parámetros libres"),
                                 QStringLiteral("n − p"),
                                 QStringLiteral("E, error cuadrático"),
                                 QStringLiteral("s, error residual"),
                                 QStringLiteral("R²")};
const QString kResidualColumns[4] = {QStringLiteral("t"), QStringLiteral("y"),
                                     QStringLiteral("f(t)"), QStringLiteral("y − f(t)")};

QLabel *heading(const QString &text)
{
    auto *label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// A read-only cell like the main window's readouts: window colours, a single
// border, the figure to the right; wide enough for a long figure, so the
// columns keep their width as the figures change, and wider for a longer one,
// so that a column takes the width of its longest figure and none is cut.
Readout *cell(const QString &name, int width)
{
    auto *readout = new Readout(nullptr);
    readout->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    readout->setFrameStyle(QFrame::Box | QFrame::Plain);
    readout->setAutoFillBackground(true);
    QPalette colours = readout->palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Base));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Text));
    readout->setPalette(colours);
    readout->setLeastWidth(width);
    makeReadout(readout, name);
    return readout;
}

} // namespace

InformeAjuste::InformeAjuste(const FitView &vista, QWidget *parent)
    : QWidget(parent, Qt::Window), vista(vista)
{
    setObjectName(QStringLiteral("informe"));
    setWindowTitle(QStringLiteral("Informe del ajuste"));
    // A window of its own does not take its parent's face on its own.
    setFont(parent->font());

    auto *contenido = new QWidget;
    auto *cuerpo = new QHBoxLayout(contenido);
    cuerpo->addWidget(crearResultados(), 0, Qt::AlignTop);
    cuerpo->addWidget(crearResiduos(), 1);
    auto *desplazable = new QScrollArea;
    desplazable->setWidget(contenido);
    desplazable->setWidgetResizable(true);
    desplazable->setFrameShape(QFrame::NoFrame);

    auto *copiarBoton = new QPushButton(QStringLiteral("Copiar"));
    copiarBoton->setObjectName(QStringLiteral("copiar"));
    copiarBoton->setToolTip(QStringLiteral("Copia el informe entero (Ctrl+C)"));
    auto *cerrar = new QPushButton(QStringLiteral("Cerrar"));
    cerrar->setObjectName(QStringLiteral("cerrar"));
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(copiarBoton);
    botones->addWidget(cerrar);

    auto *ventana = new QVBoxLayout(this);
    ventana->addWidget(desplazable, 1);
    ventana->addLayout(botones);
    resize(contenido->sizeHint() + QSize(24, 24 + copiarBoton->sizeHint().height()));

    connect(copiarBoton, &QPushButton::clicked, this, &InformeAjuste::copiar);
    connect(cerrar, &QPushButton::clicked, this, &QWidget::close);
    // Closed with the main window, which does not close its child windows.
    parent->installEventFilter(this);
}

QWidget *InformeAjuste::crearResultados()
{
    auto *resultados = new QWidget;
    auto *grid = new QGridLayout(resultados);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    for (int c = 0; c < 2; ++c)
        crearColumna(columnas[size_t(c)], kColumnTitles[c], grid, c + 1);
    int row = 1;
    for (int j = 0; j < 3; ++j) {
        grid->addWidget(heading(kParameterNames[j]), row++, 0);
        for (int k = 1; k < 4; ++k) {
            auto *label = new QLabel(kParameterRows[k]);
            label->setIndent(2 * fontMetrics().horizontalAdvance(QLatin1Char('x')));
            grid->addWidget(label, row++, 0);
        }
    }
    for (const QString &name : kSummaryRows)
        grid->addWidget(new QLabel(name), row++, 0);
    grid->addWidget(heading(QStringLiteral("Correlación")), row++, 0, Qt::AlignTop);

    aviso = new QLabel;
    aviso->setObjectName(QStringLiteral("aviso"));
    aviso->setWordWrap(true);
    QPalette rojo = aviso->palette();
    rojo.setColor(QPalette::WindowText, qbColor(Rojo));
    aviso->setPalette(rojo);
    // Room for the warning whether or not it shows, so nothing moves when it does.
    aviso->setMinimumHeight(2 * aviso->fontMetrics().height());
    grid->addWidget(aviso, row, 0, 1, 3, Qt::AlignTop);
    grid->setRowStretch(row + 1, 1);
    return resultados;
}

// One column of figures in the results grid, and its correlation matrix in
// the row after the summary.
void InformeAjuste::crearColumna(Columna &columna, const QString &titulo, QGridLayout *grid,
                                 int col)
{
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("-0,00012345678901234567"));
    const QString columnName = titulo.toLower();
    grid->addWidget(heading(titulo), 0, col, Qt::AlignHCenter);
    int row = 1;
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 4; ++k) {
            const QString name = k == 0
                    ? kParameterNames[j]
                    : kParameterNames[j] + QStringLiteral(", ") + kParameterRows[k];
            columna.parametros[size_t(j)][size_t(k)]
                    = cell(name + QStringLiteral(", ") + columnName, width);
            grid->addWidget(columna.parametros[size_t(j)][size_t(k)], row++, col);
        }
    for (size_t k = 0; k < columna.resumen.size(); ++k) {
        columna.resumen[k] = cell(kSummaryRows[k] + QStringLiteral(", ") + columnName, width);
        grid->addWidget(columna.resumen[k], row++, col);
    }

    // The matrix of the free parameters; a held one's row and column hide.
    auto *matriz = new QGridLayout;
    matriz->setSpacing(2);
    const int narrow = fontMetrics().horizontalAdvance(QStringLiteral("-0,00000"));
    for (int i = 0; i < 3; ++i) {
        auto *fila = new QLabel(kParameterNames[i]);
        auto *columnaRotulo = new QLabel(kParameterNames[i]);
        columnaRotulo->setAlignment(Qt::AlignHCenter);
        columna.rotulosCorrelacion[size_t(i)] = fila;
        columna.rotulosCorrelacion[size_t(i + 3)] = columnaRotulo;
        matriz->addWidget(fila, i + 1, 0);
        matriz->addWidget(columnaRotulo, 0, i + 1);
        for (int j = 0; j < 3; ++j) {
            Readout *r = cell(QStringLiteral("correlación de %1 y %2, %3")
                                      .arg(kParameterNames[i], kParameterNames[j], columnName),
                              narrow);
            columna.correlacion[size_t(i)][size_t(j)] = r;
            matriz->addWidget(r, i + 1, j + 1);
        }
    }
    grid->addLayout(matriz, row, col);
}

QWidget *InformeAjuste::crearResiduos()
{
    auto *residuosPanel = new QWidget;
    auto *columna = new QVBoxLayout(residuosPanel);
    columna->setContentsMargins(0, 0, 0, 0);
    columna->addWidget(heading(QStringLiteral("Residuos del ajuste actual")));
    auto *tabla = new QGridLayout;
    tabla->setVerticalSpacing(2);
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("-0,00012345678901234567"));
    for (int k = 0; k < 4; ++k)
        tabla->addWidget(new QLabel(kResidualColumns[k]), 0, k, Qt::AlignHCenter);
    for (int row = 0; row < kRows; ++row)
        for (int k = 0; k < 4; ++k) {
            Readout *r
                    = cell(kResidualColumns[k] + QStringLiteral(", fila %1").arg(row + 1), width);
            residuos[size_t(row)][size_t(k)] = r;
            tabla->addWidget(r, row + 1, k);
        }
    columna->addLayout(tabla);
    grafica = new ResidualPlot(residuosPanel);
    grafica->setObjectName(QStringLiteral("graficaResiduos"));
    setAccessibleTexts(grafica, QStringLiteral("Gráfica de los residuos"),
                       QStringLiteral("Los residuos y − f(t) del ajuste actual frente a t, con "
                                      "la línea del cero."));
    columna->addWidget(grafica, 1);
    return residuosPanel;
}

void InformeAjuste::actualizar() noexcept
{
    if (isVisible())
        calcular();
}

void InformeAjuste::showEvent(QShowEvent *event)
{
    calcular();
    QWidget::showEvent(event);
}

// Esc and Ctrl+C reach the window from whichever of its controls has the
// focus, as they do in a dialog: the controls pass on the keys they ignore.
void InformeAjuste::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel))
        close();
    else if (event->matches(QKeySequence::Copy))
        copiar();
    else
        QWidget::keyPressEvent(event);
}

bool InformeAjuste::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Close)
        close();
    return QWidget::eventFilter(watched, event);
}

void InformeAjuste::calcular() noexcept
{
    try {
        const FitState &state = vista.state();
        const Points points = vista.points();
        const Held held = vista.held();
        actual = fitStatistics(Parameters{state.a, state.c, state.t0}, held, points);
        mejor = bestFitStatistics(vista.best(), held, points);
        mostrarColumna(columnas[0], actual);
        mostrarColumna(columnas[1], mejor);
        aviso->setText(actual.atMinimum() ? QString() : kNotMinimum);
        mostrarResiduos();
    } catch (...) {
        // Only an allocation can fail here; the window keeps what it showed.
    }
}

void InformeAjuste::mostrarColumna(Columna &columna, const FitStatistics &fit)
{
    for (int j = 0; j < 3; ++j) {
        const QStringList cells = parameterCells(fit, j);
        for (int k = 0; k < 4; ++k)
            columna.parametros[size_t(j)][size_t(k)]->setText(cells.at(k));
    }
    const QString counts[3] = {numberToText(fit.n), numberToText(fit.free), numberToText(fit.dof)};
    for (size_t k = 0; k < 3; ++k)
        columna.resumen[k]->setText(counts[k]);
    columna.resumen[3]->setText(figureText(fit.E));
    columna.resumen[4]->setText(figureText(fit.s));
    columna.resumen[5]->setText(figureText(fit.R2));
    for (int i = 0; i < 3; ++i) {
        const bool free = !isHeld(fit.held, i);
        columna.rotulosCorrelacion[size_t(i)]->setVisible(free);
        columna.rotulosCorrelacion[size_t(i + 3)]->setVisible(free);
        for (int j = 0; j < 3; ++j) {
            Readout *r = columna.correlacion[size_t(i)][size_t(j)];
            r->setVisible(free && !isHeld(fit.held, j));
            r->setText(correlationText(fit, i, j));
        }
    }
}

void InformeAjuste::mostrarResiduos()
{
    const std::vector<ResidualRow> &rows = actual.residuals;
    for (size_t row = 0; row < residuos.size(); ++row) {
        const bool shown = row < rows.size();
        for (size_t k = 0; k < 4; ++k) {
            Readout *r = residuos[row][k];
            r->setVisible(shown);
            if (!shown)
                continue;
            const double figures[4] = {rows[row].t, rows[row].y, rows[row].f, rows[row].r};
            r->setText(figureText(figures[k]));
        }
    }
    grafica->setResiduals(rows);
}

QList<QStringList> InformeAjuste::lineas() const
{
    return reportLines(mejor, actual);
}

void InformeAjuste::copiar() noexcept
{
    try {
        const QList<QStringList> lines = lineas();
        auto *datos = new QMimeData;
        datos->setText(tabSeparated(lines));
        datos->setHtml(htmlTable(lines));
        QApplication::clipboard()->setMimeData(datos);
    } catch (...) {
        // Only an allocation can fail here; the clipboard keeps what it held.
    }
}
