#include "race/race_panel.h"

#include "platform/accessibility.h"
#include "platform/controls.h"
#include "platform/number_text.h"
#include "platform/picture_export.h"
#include "race/race_plot.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <exception>

namespace {

const QString kRunning = QStringLiteral("Calculando la carrera…");
const QString kNoStep = QStringLiteral("«Paso» no es un número: no hay carrera.");
const QString kFailed = QStringLiteral("No se pudo completar la carrera.");
const QString kNoBeta = QStringLiteral("β no es un número");
const QString kNoAlpha = QStringLiteral("α no es un número");

// The rows of why plain descent crawls: each figure's caption and its name
// for a screen reader (the copy's name where it has one).
const QString kCrawlCaptions[6] = {QStringLiteral("κ = λmax / λmin"),
                                   QStringLiteral("ρ con el paso actual"),
                                   QStringLiteral("pasos por factor 10, previstos"),
                                   QStringLiteral("pasos por factor 10, medidos"),
                                   QStringLiteral("paso óptimo, 2 / (λmin + λmax)"),
                                   QStringLiteral("ρ con el paso óptimo, (κ − 1) / (κ + 1)")};
const QString kCrawlDescriptions[6] = {
        QStringLiteral("El número de condición de la Hessiana del error en el mejor ajuste."),
        QStringLiteral("Cuánto se multiplica, en cada paso cerca del mínimo, la distancia al "
                       "mínimo en la dirección más lenta."),
        QStringLiteral("Los pasos que, según ρ, tarda el descenso en bajar E − E* un factor 10."),
        QStringLiteral("Los pasos por factor 10 que tardó el descenso de la carrera en sus "
                       "últimas décadas."),
        QStringLiteral("El paso fijo que hace más pequeño ρ."),
        QStringLiteral("El ρ que consigue el paso óptimo.")};

QLabel *heading(const QString &text)
{
    auto *label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// A read-only cell as the report's: window colours, a single border.
Readout *cell(const QString &name, int width, Qt::Alignment alignment)
{
    auto *readout = new Readout(nullptr);
    readout->setAlignment(alignment | Qt::AlignVCenter);
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

CarreraMetodos::CarreraMetodos(const FitView &vista, QWidget *parent)
    : QWidget(parent), vista(vista)
{
    setObjectName(QStringLiteral("carrera"));
    cola.setMaxThreadCount(1);

    contenido = new QWidget;
    auto *columna = new QVBoxLayout(contenido);
    columna->setContentsMargins(0, 0, 0, 0);
    estado = new Readout(nullptr);
    estado->setObjectName(QStringLiteral("estadoCarrera"));
    estado->setTextFormat(Qt::PlainText);
    estado->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    columna->addWidget(estado);
    grafica = new RacePlot(contenido);
    grafica->setObjectName(QStringLiteral("graficaCarrera"));
    columna->addWidget(grafica, 1);
    columna->addWidget(crearTabla());
    columna->addWidget(crearPorQue());
    copiar = new QPushButton(QStringLiteral("Copiar tabla"));
    copiar->setObjectName(QStringLiteral("copiarTabla"));
    copiar->setAutoDefault(false);
    copiar->setEnabled(false);
    auto *botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(copiar);
    columna->addLayout(botones);

    desplazable = new QScrollArea;
    desplazable->setWidget(contenido);
    desplazable->setWidgetResizable(true);
    desplazable->setFrameShape(QFrame::NoFrame);
    desplazable->setFocusPolicy(Qt::NoFocus); // the controls inside take the keys
    desplazable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *todo = new QVBoxLayout(this);
    todo->setContentsMargins(0, 0, 0, 0);
    todo->addWidget(desplazable);

    setAccessibleTexts(grafica, QStringLiteral("Gráfica de la carrera"),
                       QStringLiteral("El logaritmo de E − E* (de E sin mejor ajuste) de cada "
                                      "método frente a la iteración, en escala logarítmica."));
    makeReadout(estado, QStringLiteral("Estado de la carrera"));
    setAccessibleTexts(copiar, copiar->text(),
                       QStringLiteral("Copia la tabla de la carrera y el porqué del descenso, "
                                      "separados por tabuladores."));
    offerPicture(grafica, QStringLiteral("carrera"), [this] {
        return Picture{grafica->size(), [this](QPainter &painter) { grafica->drawInto(painter); }};
    });

    connect(copiar, &QPushButton::clicked, this, &CarreraMetodos::copiarTabla);
    for (QCheckBox *box : participa)
        connect(box, &QCheckBox::toggled, this, &CarreraMetodos::actualizar);
    const std::array<TextBox *, 3> boxes{betaMomento, betaNesterov, alfaAdam};
    for (size_t k = 0; k < boxes.size(); ++k)
        connect(boxes[k], &QLineEdit::editingFinished, this, [this, k, box = boxes[k]] {
            // A number is written back in the program's form, as the window's boxes are.
            ajustes[k] = readNumber(box->text());
            if (ajustes[k])
                box->setText(numberToText(*ajustes[k]));
            actualizar();
        });
}

CarreraMetodos::~CarreraMetodos()
{
    if (cancelar)
        cancelar->store(true);
    cola.waitForDone();
}

// The room of the content, and its width at least: only the height
// scrolls, on a screen too small for the whole panel.
QSize CarreraMetodos::sizeHint() const
{
    return contenido->sizeHint() + QSize(desplazable->verticalScrollBar()->sizeHint().width(), 0);
}

QSize CarreraMetodos::minimumSizeHint() const
{
    return QSize(contenido->minimumSizeHint().width()
                         + desplazable->verticalScrollBar()->sizeHint().width(),
                 8 * fontMetrics().height());
}

void CarreraMetodos::ordenarTabulacion(QWidget *antes)
{
    QList<QWidget *> order;
    for (Method method : kMethods) {
        order << participa[size_t(method)];
        if (method == Method::momentum)
            order << betaMomento;
        else if (method == Method::nesterov)
            order << betaNesterov;
        else if (method == Method::adam)
            order << alfaAdam;
    }
    order << grafica << copiar;
    for (QWidget *control : order) {
        QWidget::setTabOrder(antes, control);
        antes = control;
    }
}

// The table: a row per method with its check box, which names it, and its
// setting where it has one, then its four figures.
QWidget *CarreraMetodos::crearTabla()
{
    auto *tabla = new QWidget;
    auto *grid = new QGridLayout(tabla);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(5);
    // Plain headings, as the report's residual table has: bold ones would
    // widen the panel by the width of their letters alone.
    for (int k = 0; k < kRaceHeading.size(); ++k)
        grid->addWidget(new QLabel(kRaceHeading[k]), 0, k,
                        k == 0 ? Qt::AlignLeft : Qt::AlignHCenter);
    const QFontMetrics metrics = fontMetrics();
    const int widths[4] = {metrics.horizontalAdvance(QStringLiteral("100000")),
                           metrics.horizontalAdvance(QStringLiteral("200000")),
                           metrics.horizontalAdvance(QStringLiteral("0,000123457")),
                           metrics.horizontalAdvance(QStringLiteral(
                                   "Hessiana no definida positiva en la iteración 200"))};
    const int box = metrics.horizontalAdvance(QStringLiteral("0,0000"));
    const RaceSettings defaults;
    for (Method method : kMethods) {
        const int row = int(method) + 1;
        const QString name = methodText(method);
        auto *participaBox = new QCheckBox(name, tabla);
        participaBox->setChecked(true);
        setAccessibleTexts(participaBox, name, QStringLiteral("Toma parte en la carrera."));
        participa[size_t(method)] = participaBox;
        auto *metodo = new QHBoxLayout;
        metodo->setSpacing(2);
        metodo->addWidget(participaBox);
        metodo->addStretch(1);
        // β of Momento and Nesterov, α of Adam, beside the name.
        TextBox **setting = method == Method::momentum ? &betaMomento
                : method == Method::nesterov           ? &betaNesterov
                : method == Method::adam               ? &alfaAdam
                                                       : nullptr;
        if (setting) {
            const bool alpha = method == Method::adam;
            const QString symbol = alpha ? QStringLiteral("α") : QStringLiteral("β");
            auto *edit = new TextBox(tabla);
            edit->setText(numberToText(alpha ? defaults.adamAlpha
                                               : method == Method::momentum
                                               ? defaults.momentumBeta
                                               : defaults.nesterovBeta));
            edit->setFixedWidth(box + 10);
            setAccessibleTexts(edit, symbol + QStringLiteral(" de ") + name,
                               QStringLiteral("Se aplica con Intro o al salir de la casilla."));
            auto *caption = new QLabel(symbol, tabla);
            caption->setBuddy(edit);
            metodo->addWidget(caption);
            metodo->addWidget(edit);
            *setting = edit;
        }
        grid->addLayout(metodo, row, 0);
        for (int k = 0; k < 4; ++k) {
            Readout *readout = cell(kRaceHeading[k + 1] + QStringLiteral(", ") + name, widths[k],
                                    k == 3 ? Qt::AlignLeft : Qt::AlignRight);
            celdas[size_t(method)][size_t(k)] = readout;
            grid->addWidget(readout, row, k + 1);
        }
    }
    grid->setColumnStretch(4, 1);
    return tabla;
}

QWidget *CarreraMetodos::crearPorQue()
{
    auto *parte = new QWidget;
    auto *grid = new QGridLayout(parte);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    grid->addWidget(heading(QStringLiteral("Por qué se arrastra el descenso")), 0, 0, 1, 2);
    const int width = fontMetrics().horizontalAdvance(kNotApproaching);
    for (int k = 0; k < 6; ++k) {
        const QString name = k < kCrawlNames.size() ? kCrawlNames[k] : kCrawlCaptions[k];
        Readout *readout = cell(k == 0 ? QStringLiteral("κ, número de condición") : name,
                                k == 2 ? width : 0, Qt::AlignLeft);
        readout->setAccessibleDescription(kCrawlDescriptions[k]);
        porQue[size_t(k)] = readout;
        auto *caption = new QLabel(kCrawlCaptions[k]);
        caption->setBuddy(readout);
        grid->addWidget(caption, k + 1, 0);
        grid->addWidget(readout, k + 1, 1);
    }
    grid->setColumnStretch(1, 1);
    return parte;
}

CarreraMetodos::Clave CarreraMetodos::claveActual() const
{
    const std::vector<ErrorHistory::Column> &columns = vista.history().columns();
    const FitState &state = vista.state();
    const Parameters start
            = columns.empty() ? Parameters{state.a, state.c, state.t0} : columns.front().from;
    const Held held = vista.held();
    const BestFit &best = vista.best();
    Clave clave{start,
                {held.a, held.c, held.t0},
                vista.pointsRevision(),
                vista.stepSize(),
                ajustes,
                {},
                best.found(),
                best.found() ? best.E : 0.0,
                best.found() ? best.p : Parameters{}};
    for (Method method : kMethods)
        clave.enabled[size_t(method)] = participa[size_t(method)]->isChecked();
    return clave;
}

void CarreraMetodos::actualizar() noexcept
{
    if (!isVisible())
        return;
    try {
        const Clave clave = claveActual();
        if (clave != ultima)
            pedir(clave);
    } catch (const std::exception &) {
        // Only an allocation can fail here; the panel then keeps what it showed.
    }
}

void CarreraMetodos::detener() noexcept
{
    if (cancelar)
        cancelar->store(true);
    ultima.reset();
    aplicada = true;
}

// A new race in the pool, the one before it told to stop.
void CarreraMetodos::pedir(const Clave &clave)
{
    ultima = clave;
    if (cancelar)
        cancelar->store(true);
    aplicada = true;
    if (!clave.s) {
        sinCarrera(kNoStep);
        return;
    }
    RaceInput input;
    input.start = clave.start;
    input.held = {clave.held[0], clave.held[1], clave.held[2]};
    input.setPoints(vista.points());
    input.s = *clave.s;
    input.best = vista.best();
    const QString missing[3] = {kNoBeta, kNoBeta, kNoAlpha};
    const Method tuned[3] = {Method::momentum, Method::nesterov, Method::adam};
    double *values[3] = {&input.settings.momentumBeta, &input.settings.nesterovBeta,
                         &input.settings.adamAlpha};
    for (Method method : kMethods) {
        input.settings.enabled[size_t(method)] = clave.enabled[size_t(method)];
        ausentes[size_t(method)] = kNotTakingPart;
    }
    for (int k = 0; k < 3; ++k) {
        if (!clave.settings[size_t(k)] && clave.enabled[size_t(tuned[k])]) {
            input.settings.enabled[size_t(tuned[k])] = false;
            ausentes[size_t(tuned[k])] = missing[k];
        } else if (clave.settings[size_t(k)]) {
            *values[k] = *clave.settings[size_t(k)];
        }
    }
    pedida = input;

    cancelar = std::make_shared<std::atomic<bool>>(false);
    const std::uint64_t esta = ++numero;
    ++pedidas;
    aplicada = false;
    estado->setText(kRunning);
    tarea = QtConcurrent::run(&cola, [input, flag = cancelar]() noexcept {
        Resultado resultado;
        try {
            resultado.race = race(input, flag.get());
        } catch (...) {
            resultado.failed = true; // an allocation: the panel keeps what it showed
        }
        return resultado;
    });
    auto *vigia = new QFutureWatcher<Resultado>(this);
    connect(vigia, &QFutureWatcherBase::finished, this, [this, vigia, esta] {
        vigia->deleteLater();
        raiseEvent([&] { recibir(esta, vigia->result()); });
    });
    vigia->setFuture(tarea);
}

void CarreraMetodos::esperar()
{
    if (!tarea.isValid() || aplicada)
        return;
    tarea.waitForFinished();
    recibir(numero, tarea.result());
}

// The result of request `esta`, shown when it is the newest and complete.
void CarreraMetodos::recibir(std::uint64_t esta, const Resultado &resultado)
{
    if (esta != numero || aplicada)
        return;
    aplicada = true;
    if (resultado.failed) {
        estado->setText(kFailed);
        return;
    }
    if (!resultado.race)
        return; // cancelled: a newer request, or a stop, follows
    mostrado = RaceTable{*resultado.race, ausentes, pedida.start, pedida.s,
                         pedida.best.found() ? std::optional<double>(pedida.best.E) : std::nullopt};
    ++mostradas;
    mostrar();
}

void CarreraMetodos::mostrar()
{
    const RaceTable &table = *mostrado;
    for (Method method : kMethods) {
        const QStringList cells = methodCells(resultOf(table.race, method),
                                              table.absent[size_t(method)], Figures::shown);
        for (size_t k = 0; k < 4; ++k)
            celdas[size_t(method)][k]->setText(cells[qsizetype(k)]);
    }
    const QStringList crawl = crawlCells(table.race.crawl, Figures::shown);
    for (size_t k = 0; k < porQue.size(); ++k)
        porQue[k]->setText(crawl[qsizetype(k)]);
    grafica->setRace(&table.race, table.bestError);
    QString text = QStringLiteral("Salida: a = %1; c = %2; t0 = %3. Paso %4.")
                           .arg(numberToText(table.start.a), numberToText(table.start.c),
                                numberToText(table.start.t0), numberToText(table.step));
    if (!table.bestError)
        text += QStringLiteral(" Sin mejor ajuste: cada método llega a su límite.");
    estado->setText(text);
    copiar->setEnabled(true);
    emit caminosNuevos();
}

void CarreraMetodos::sinCarrera(const QString &motivo)
{
    mostrado.reset();
    for (auto &row : celdas)
        for (Readout *readout : row)
            readout->setText(QString());
    for (Readout *readout : porQue)
        readout->setText(QString());
    grafica->setRace(nullptr, std::nullopt);
    estado->setText(motivo);
    copiar->setEnabled(false);
    emit caminosNuevos();
}

QString CarreraMetodos::textoTabla() const
{
    return mostrado ? tabSeparatedLines(raceLines(*mostrado)) : QString();
}

void CarreraMetodos::copiarTabla() noexcept
{
    try {
        if (mostrado)
            QApplication::clipboard()->setText(textoTabla());
    } catch (...) {
        // Only an allocation can fail here; the clipboard keeps what it held.
    }
}
