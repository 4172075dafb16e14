#include "report/informe_ajuste.h"

#include "platform/accessibility.h"
#include "platform/controls.h"
#include "platform/file_write.h"
#include "platform/message_box.h"
#include "platform/number_text.h"
#include "platform/palette.h"
#include "platform/picture_export.h"
#include "report/fit_plot.h"
#include "report/report_pdf.h"
#include "report/report_text.h"
#include "report/residual_plot.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

const QString kColumnTitles[2] = {QStringLiteral("Ajuste actual"), QStringLiteral("Mejor ajuste")};
const QString kParameterRows[kRowCells]
        = {QStringLiteral("valor"), QStringLiteral("error típico"), QStringLiteral("inferior 95 %"),
           QStringLiteral("superior 95 %"), QStringLiteral("resultado")};

const QString kSummaryRows[6] = {QStringLiteral("n, puntos"),
                                 QStringLiteral("p, parámetros libres"),
                                 QStringLiteral("n − p"),
                                 QStringLiteral("E, error cuadrático"),
                                 QStringLiteral("s, error residual"),
                                 QStringLiteral("R²")};
const QString kResidualColumns[4] = {QStringLiteral("t"), QStringLiteral("y"),
                                     QStringLiteral("f(t)"), QStringLiteral("y − f(t)")};

// The rows with a standard error, in the order they are laid out.
QString rowName(int row)
{
    return row < 3 ? kParameterNames[row] : kGrowthNames[row - 3];
}

QPushButton *button(const QString &text, const QString &name, const QString &description)
{
    auto *pushButton = new QPushButton(text);
    pushButton->setObjectName(name);
    pushButton->setAutoDefault(false);
    setAccessibleTexts(pushButton, text, description);
    return pushButton;
}

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

    // The figures and the residual table scroll on the left; the figure of
    // the fit and the residual plot stay in sight on the right.
    auto *contenido = new QWidget;
    auto *cuerpo = new QVBoxLayout(contenido);
    cuerpo->addWidget(crearResultados(), 0, Qt::AlignLeft);
    cuerpo->addSpacing(fontMetrics().height());
    cuerpo->addWidget(crearResiduos(), 0, Qt::AlignLeft);
    cuerpo->addStretch(1);
    auto *desplazable = new QScrollArea;
    desplazable->setWidget(contenido);
    desplazable->setWidgetResizable(true);
    desplazable->setFrameShape(QFrame::NoFrame);
    QWidget *graficas = crearGraficas();
    auto *divisor = new QSplitter(Qt::Horizontal);
    divisor->addWidget(desplazable);
    divisor->addWidget(graficas);
    divisor->setStretchFactor(0, 0);
    divisor->setStretchFactor(1, 1);
    divisor->setChildrenCollapsible(false);

    auto *copiarBoton = button(QStringLiteral("Copiar"), QStringLiteral("copiar"),
                               QStringLiteral("Copia el informe entero (Ctrl+C)."));
    copiarBoton->setToolTip(QStringLiteral("Copia el informe entero (Ctrl+C)"));
    auto *datosBoton = button(QStringLiteral("Copiar datos de la figura"),
                              QStringLiteral("copiarDatosFigura"),
                              QStringLiteral("Copia el mejor ajuste y sus bandas del 95 % en cada "
                                             "punto, separados por tabuladores."));
    auto *pdfBoton = button(QStringLiteral("Guardar PDF…"), QStringLiteral("guardarPdf"),
                            QStringLiteral("Guarda el informe, con la gráfica del ajuste y la de "
                                           "los residuos, en una página A4 en PDF."));
    auto *cerrar = button(QStringLiteral("Cerrar"), QStringLiteral("cerrar"),
                          QStringLiteral("Cierra el informe."));
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    for (QPushButton *b : {copiarBoton, datosBoton, pdfBoton, cerrar})
        botones->addWidget(b);

    auto *ventana = new QVBoxLayout(this);
    ventana->addWidget(divisor, 1);
    ventana->addLayout(botones);
    // The figures whole, without a horizontal scroll bar, and the plots at
    // their natural size; a window larger than the screen is shrunk to it
    // where it opens.
    const int izquierda
            = contenido->sizeHint().width() + desplazable->verticalScrollBar()->sizeHint().width();
    const QSize derecha = graficas->sizeHint();
    divisor->setSizes({izquierda, derecha.width()});
    const QMargins margenes = ventana->contentsMargins();
    resize(izquierda + divisor->handleWidth() + derecha.width() + margenes.left()
                   + margenes.right(),
           std::max(contenido->sizeHint().height(), derecha.height()) + ventana->spacing()
                   + copiarBoton->sizeHint().height() + margenes.top() + margenes.bottom());

    connect(copiarBoton, &QPushButton::clicked, this, &InformeAjuste::copiar);
    connect(datosBoton, &QPushButton::clicked, this, &InformeAjuste::copiarDatosFigura);
    connect(pdfBoton, &QPushButton::clicked, this,
            [this] { raiseEvent([this] { guardarPdf(); }); });
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
    for (int j = 0; j < kFilas; ++j) {
        grid->addWidget(heading(rowName(j)), row++, 0);
        for (int k = 1; k < kRowCells; ++k) {
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
    for (int j = 0; j < kFilas; ++j)
        for (int k = 0; k < kRowCells; ++k) {
            const QString name = k == 0  ? rowName(j)
                    : k == kRowCells - 1 ? QStringLiteral("resultado de ") + rowName(j)
                                         : rowName(j) + QStringLiteral(", ") + kParameterRows[k];
            Readout *r = cell(name + QStringLiteral(", ") + columnName, width);
            columna.filas[size_t(j)][size_t(k)] = r;
            grid->addWidget(r, row++, col);
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
    return residuosPanel;
}

// The figure of the fit over the residual plot, the figure the larger.
QWidget *InformeAjuste::crearGraficas()
{
    auto *panel = new QWidget;
    auto *columna = new QVBoxLayout(panel);
    columna->setContentsMargins(0, 0, 0, 0);
    figura = new FitPlot(panel);
    figura->setObjectName(QStringLiteral("graficaAjuste"));
    setAccessibleTexts(figura, QStringLiteral("Gráfica del ajuste con bandas de confianza"),
                       QString());
    offerPicture(figura, QStringLiteral("grafica-del-ajuste"), [this] {
        return Picture{figura->size(), [this](QPainter &painter) { figura->drawInto(painter); }};
    });
    addMenuEntry(figura, QStringLiteral("Copiar datos de la figura"),
                 [this] { copiarDatosFigura(); });
    columna->addWidget(figura, 3);
    columna->addWidget(heading(QStringLiteral("Residuos del ajuste actual")));
    grafica = new ResidualPlot(panel);
    grafica->setObjectName(QStringLiteral("graficaResiduos"));
    setAccessibleTexts(grafica, QStringLiteral("Gráfica de los residuos"),
                       QStringLiteral("Los residuos y − f(t) del ajuste actual frente a t, con "
                                      "la línea del cero."));
    columna->addWidget(grafica, 2);
    return panel;
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
        mostrarColumna(columnas[0], actual);
        const BestFit &best = vista.best();
        const ClaveMejor clave{
                best.whyNot, best.p, best.E, held.a, held.c, held.t0, vista.pointsRevision(),
                QLocale()};
        if (clave != claveMejor) {
            claveMejor.reset(); // a column half written is worked out again
            mejor = bestFitStatistics(best, held, points);
            mostrarColumna(columnas[1], mejor);
            claveMejor = clave;
        }
        aviso->setText(actual.atMinimum() ? QString() : kNotMinimum);
        mostrarResiduos();
        mostrarFigura(points);
    } catch (...) {
        // Only an allocation can fail here; the window keeps what it showed.
    }
}

void InformeAjuste::mostrarColumna(Columna &columna, const FitStatistics &fit)
{
    const GrowthFigures growth = growthFigures(fit);
    for (int j = 0; j < kFilas; ++j) {
        const QStringList cells
                = j < 3 ? parameterCells(fit, j) : growthCells(fit, growth[size_t(j - 3)]);
        for (int k = 0; k < kRowCells; ++k)
            columna.filas[size_t(j)][size_t(k)]->setText(cells.at(k));
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

// The figure, and what a screen reader hears of it: the best fit's results,
// or why there are no bands.
void InformeAjuste::mostrarFigura(const Points &points)
{
    FitFigure shown{{points.t.begin(), points.t.begin() + points.n},
                    {points.y.begin(), points.y.begin() + points.n},
                    actual.p,
                    mejor};
    figura->setFigure(shown);
    QStringList heard = figura->label();
    if (!figura->noBands().isEmpty())
        heard << figura->noBands();
    figura->setAccessibleDescription(
            QStringLiteral("Los puntos, el ajuste actual y el mejor ajuste frente a t, con las "
                           "bandas de confianza y de predicción del 95 % del mejor ajuste. ")
            + heard.join(QStringLiteral("; ")) + QLatin1Char('.'));
}

QList<QStringList> InformeAjuste::lineas() const
{
    return reportLines(mejor, actual);
}

QList<QStringList> InformeAjuste::lineasFigura() const
{
    const FitFigure &shown = figura->figure();
    return figureDataLines(mejor, Points{shown.t, shown.y, int(shown.t.size())});
}

void InformeAjuste::copiarDatosFigura() noexcept
{
    try {
        QApplication::clipboard()->setText(tabSeparated(lineasFigura()));
    } catch (...) {
        // Only an allocation can fail here; the clipboard keeps what it held.
    }
}

QByteArray InformeAjuste::documentoPdf() const
{
    QList<QStringList> lines = lineas();
    // Up to the residual table, whose points the page gives on their own and
    // whose residuals it plots.
    const QStringList residualHeading{QStringLiteral("t"), QStringLiteral("y"),
                                      QStringLiteral("f(t)"), QStringLiteral("y − f(t)")};
    const qsizetype residualLines = lines.indexOf(residualHeading);
    if (residualLines >= 0)
        lines = lines.mid(0, residualLines);
    return reportPdf({QLocale().toString(QDate::currentDate(), QLocale::LongFormat), lines,
                      figura->figure(), actual.residuals, font()});
}

void InformeAjuste::guardarPdf()
{
    const std::optional<SaveChoice> choice = chooseSaveName(
            this, QStringLiteral("Guardar PDF"), QStringLiteral("informe-del-ajuste"),
            {{QStringLiteral("Documento PDF (*.pdf)"), QStringLiteral("pdf")}});
    if (!choice)
        return;
    const QByteArray bytes = documentoPdf();
    const QString reason = bytes.isEmpty()
            ? QStringLiteral("no se pudo escribir el documento")
            : writeWholeFile(choice->fileName, bytes, choice->replace);
    if (!reason.isEmpty())
        msgBox(this, QStringLiteral("No se pudo guardar el PDF: ") + reason);
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
