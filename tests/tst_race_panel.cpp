#include "test_support.h"

#include "map/error_map.h"
#include "map/map_plot.h"
#include "race/race_panel.h"
#include "race/race_plot.h"

#include "race/race_text.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QRegularExpression>

namespace {

const Sample kNoisy = logisticSample(8, 0.9, 6, 20, 0.1);

// The window over the noisy sample, typed under the locale, with the map open
// and "Comparar métodos" ticked, the first race seen through.
std::unique_ptr<Form1> withRace(const QLocale &locale = kSpanish)
{
    auto form = makeForm(locale);
    for (size_t k = 0; k < kNoisy.t.size(); ++k) {
        form->xv(int(k))->setText(numberToText(kNoisy.t[k]));
        form->yv(int(k))->setText(numberToText(kNoisy.y[k]));
    }
    form->Command5_Click();
    form->verMapa->click();
    form->mapa->comparar->setChecked(true);
    form->mapa->carrera->esperar();
    return form;
}

CarreraMetodos &panelOf(Form1 &form)
{
    return *form.mapa->carrera;
}

// A box committed as a user commits it: its text, then the focus moving on.
void commit(QLineEdit *box, const QString &text)
{
    box->setText(text);
    emit box->editingFinished();
}

QStringList linesOf(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Whether a pixel within `reach` of `at` has about the colour.
bool colourNear(const QImage &image, QPointF at, const QColor &colour, int reach = 1)
{
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const QColor seen = image.pixelColor(at.toPoint() + QPoint(dx, dy));
            if (std::abs(seen.red() - colour.red()) + std::abs(seen.green() - colour.green())
                        + std::abs(seen.blue() - colour.blue())
                < 60)
                return true;
        }
    return false;
}

} // namespace

class tst_RacePanel : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // The race starts where the descent last started, the parameters of the
    // history's first evaluation, held parameters held; a step never moves
    // that start, so no step asks for a race.
    void startsWhereTheDescentLastStarted_data()
    {
        QTest::addColumn<QString>("cBefore");  // a new c typed before the steps, or none
        QTest::addColumn<int>("held");         // the box ticked before: 0 none, 1 a, 3 t0
        QTest::addColumn<QList<int>>("steps"); // the step buttons clicked then
        QTest::newRow("before any step, at the current parameters") << "" << 0 << QList<int>{};
        QTest::newRow("after a step and a batch, where the first step began")
                << "" << 0 << QList<int>{1, 10000};
        QTest::newRow("a new c in its box starts the race there")
                << "0,8" << 0 << QList<int>{100, 100};
        QTest::newRow("a held t0 stays held") << "" << 3 << QList<int>{1};
    }

    void startsWhereTheDescentLastStarted()
    {
        QFETCH(QString, cBefore);
        QFETCH(int, held);
        QFETCH(QList<int>, steps);
        MessageRecorder messages;
        auto form = withRace();
        if (!cBefore.isEmpty()) {
            form->paso3->click(); // a history that the new start restarts
            form->Cval->setText(cBefore);
            int16_t enter = 13;
            form->Cval_KeyPress(enter);
        }
        if (held == 1)
            form->Check1->setValue(1);
        if (held == 3)
            form->Check3->setValue(1);
        const Parameters before{form->a, form->c, form->t0};
        CarreraMetodos &panel = panelOf(*form);
        panel.esperar();
        const int asked = panel.carrerasPedidas();
        for (int count : steps)
            stepButton(*form, count)->click();
        panel.esperar();

        QCOMPARE(panel.carrerasPedidas(), asked);
        const RaceInput &input = panel.entrada();
        QVERIFY(input.start == before);
        QCOMPARE(input.held.t0, held == 3);
        QCOMPARE(input.n, 20);
        QCOMPARE(input.s, 0.001);
        QVERIFY(!steps.isEmpty() || form->historia.count() == 0);
        // Held, t0 never moves in any method.
        for (const MethodResult &result : panel.resultado()->race.methods)
            for (const PathStretch &stretch : result.path.stretches())
                QVERIFY(held != 3 || (stretch.from.t0 == before.t0 && stretch.to.t0 == before.t0));
        QVERIFY(messages.texts.isEmpty());
    }

    // A method whose arithmetic overflows ends in its result, in words; no
    // message box, no recovery: the window's fit stays as it was.
    void faultingMethodEndsInItsResult_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("momentumBeta");
        QTest::addColumn<int>("method");
        QTest::newRow("plain descent with a step far too large") << "1"
                                                                 << "0,9" << int(Method::descent);
        QTest::newRow("Momento with a β above 1") << "0,001"
                                                  << "1,5" << int(Method::momentum);
    }

    void faultingMethodEndsInItsResult()
    {
        QFETCH(QString, step);
        QFETCH(QString, momentumBeta);
        QFETCH(int, method);
        MessageRecorder messages;
        auto form = withRace();
        form->paso3->click();
        const QStringList shown = shownState(*form);
        const int64_t evaluations = form->historia.count();
        CarreraMetodos &panel = panelOf(*form);
        commit(form->Text1, step);
        commit(panel.betaMomento, momentumBeta);
        panel.esperar();

        const QString result = panel.celdas[size_t(method)][3]->text();
        QVERIFY2(QRegularExpression("^Desbordamiento en la iteración [1-9][0-9]*$")
                         .match(result)
                         .hasMatch(),
                 qPrintable(result));
        QVERIFY(messages.texts.isEmpty());
        QStringList expected = shown;
        expected.last() = step; // the step size's box holds what was typed
        QCOMPARE(shownState(*form), expected);
        QCOMPARE(form->historia.count(), evaluations);
        QVERIFY(!form->ocupado);
    }

    // Only the newest request's result is shown: a β changed while the race
    // of the old one runs replaces it before it is ever shown.
    void newerRequestSupersedesOlder()
    {
        auto form = chartView(kNoisy);
        form->verMapa->click();
        CarreraMetodos &panel = panelOf(*form);
        form->mapa->comparar->setChecked(true); // the first request, running
        commit(panel.betaMomento, "0,5");       // the second
        panel.esperar();
        QCoreApplication::processEvents(); // the first one's end, if it came, is dropped

        QCOMPARE(panel.carrerasPedidas(), 2);
        QCOMPARE(panel.carrerasMostradas(), 1);
        QCOMPARE(panel.entrada().settings.momentumBeta, 0.5);
        RaceInput older = panel.entrada();
        older.settings.momentumBeta = 0.9;
        const std::optional<MethodResult> newest = runMethod(Method::momentum, panel.entrada());
        const std::optional<MethodResult> old = runMethod(Method::momentum, older);
        QVERIFY(newest->iterations != old->iterations); // the two can be told apart
        QCOMPARE(panel.celdas[size_t(Method::momentum)][0]->text(),
                 numberToText(newest->iterations));
    }

    // "Copiar tabla": the heading, a line per method in the table's order
    // with every digit, a method that does not take part as such, then the
    // figures of the crawl by name; numbers read back as the program reads them.
    void copiesTheTable_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("under Spanish, with the decimal comma") << kSpanish;
        QTest::newRow("under C, with the decimal point") << QLocale::c();
    }

    void copiesTheTable()
    {
        QFETCH(QLocale, locale);
        MessageRecorder messages;
        auto form = withRace(locale);
        CarreraMetodos &panel = panelOf(*form);
        panel.participa[size_t(Method::newton)]->setChecked(false);
        panel.esperar();
        panel.copiar->click();
        const QStringList lines = linesOf(QApplication::clipboard()->text());

        QCOMPARE(lines.size(), 1 + kMethodCount + 5);
        QCOMPARE(lines[0], QString("método\titeraciones\tevaluaciones\tE final\tresultado"));
        const Race &race = panel.resultado()->race;
        for (int k = 0; k < kMethodCount; ++k) {
            const QStringList cells = lines[1 + k].split('\t');
            QCOMPARE(cells.size(), 5);
            QCOMPARE(cells[0], methodText(kMethods[size_t(k)]));
            if (kMethods[size_t(k)] == Method::newton) {
                QCOMPARE(cells.mid(1), QStringList({"—", "—", "—", "no participa"}));
                continue;
            }
            const MethodResult &result = race.methods[size_t(k)];
            QCOMPARE(textToNumber(cells[1]), double(result.iterations));
            QCOMPARE(textToNumber(cells[2]), double(result.evaluations));
            QCOMPARE(textToNumber(cells[3]), *result.finalError); // every digit
            QVERIFY(!cells[3].contains(locale == kSpanish ? '.' : ','));
        }
        QStringList names, values;
        for (int k = 1 + kMethodCount; k < lines.size(); ++k)
            names << lines[k].section('\t', 0, 0), values << lines[k].section('\t', 1);
        QCOMPARE(names,
                 QStringList({"κ", "ρ con el paso actual", "pasos por factor 10 (previstos)",
                              "pasos por factor 10 (medidos)", "paso óptimo"}));
        QCOMPARE(textToNumber(values[0]), race.crawl->condition);
        // Near the minimum plain descent goes as fast as ρ says.
        QVERIFY(near(textToNumber(values[3]), textToNumber(values[2]), 0.01));
        QVERIFY(messages.texts.isEmpty());
    }

    // A step size that is not a number races nothing, and says so; the map
    // draws no paths then, and those of the methods that run again once the
    // step reads, without computing its surface again.
    void stepThatIsNotANumberRacesNothing()
    {
        auto form = withRace();
        CarreraMetodos &panel = panelOf(*form);
        MapPlot &plano = *form->mapa->plano;
        const int surfaces = plano.surfacesComputed();
        QCOMPARE(plano.extraPaths().size(), size_t(kMethodCount));
        const int asked = panel.carrerasPedidas();
        commit(form->Text1, "abc");
        QCOMPARE(panel.estado->text(), QString("«Paso» no es un número: no hay carrera."));
        QVERIFY(!panel.resultado() && plano.extraPaths().empty() && !panel.copiar->isEnabled());
        QCOMPARE(panel.carrerasPedidas(), asked);
        commit(form->Text1, "0,002");
        commit(panel.alfaAdam, "x"); // Adam alone stays out, and says why
        panel.esperar();
        QCOMPARE(panel.entrada().s, 0.002);
        QCOMPARE(panel.celdas[size_t(Method::adam)][3]->text(), QString("α no es un número"));
        QCOMPARE(plano.extraPaths().size(), size_t(kMethodCount - 1));
        QCOMPARE(plano.surfacesComputed(), surfaces);
    }

    // Without a best fit (two points, three free parameters) nothing counts as
    // reached: the first-order methods run to their cap, the others stop at
    // theirs or at a matrix they cannot use, and the crawl has no figures.
    void withoutABestFitNothingIsReached()
    {
        MessageRecorder messages;
        auto form = chartView(); // the points (0; 2,5) and (1; 2)
        form->verMapa->click();
        CarreraMetodos &panel = panelOf(*form);
        form->mapa->comparar->setChecked(true);
        panel.esperar();
        QVERIFY(!form->vista().best().found());
        QVERIFY(panel.estado->text().endsWith("Sin mejor ajuste: cada método llega a su límite."));
        for (const MethodResult &result : panel.resultado()->race.methods) {
            QVERIFY(!result.reached());
            if (iterationCap(result.method) == kFirstOrderCap)
                QVERIFY(result.iterations == kFirstOrderCap || result.end == RaceEnd::fault);
        }
        const QStringList lines = linesOf(panel.textoTabla());
        for (int k = 1 + kMethodCount; k < lines.size(); ++k)
            QCOMPARE(lines[k].section('\t', 1), QString("—"));
        QVERIFY(messages.texts.isEmpty());
    }

    // The figures of the crawl as read: ρ near 1 keeps digits enough to tell
    // it from 1, a ρ of 1 or more predicts no approach, and the copy keeps
    // every digit.
    void crawlFiguresReadRight_data()
    {
        QTest::addColumn<double>("factor");     // ρ, with a prediction where below 1
        QTest::addColumn<bool>("copied");       // else shown
        QTest::addColumn<QString>("predicted"); // the cell, or "" for a number
        QTest::newRow("ρ just below 1 is not shown as 1") << 0.99999876 << false << "";
        QTest::newRow("ρ of the benchmarks' points") << 0.98791061 << false << "";
        QTest::newRow("a copied ρ keeps every digit") << 0.98791061488923900 << true << "";
        QTest::newRow("ρ of 1 or more predicts no approach")
                << 1.25 << false << "con este paso el descenso no se acerca al mínimo";
    }

    void crawlFiguresReadRight()
    {
        QFETCH(double, factor);
        QFETCH(bool, copied);
        QFETCH(QString, predicted);
        QLocale::setDefault(kSpanish);
        Crawl crawl;
        crawl.condition = 3.5;
        crawl.factor = factor;
        if (factor < 1)
            crawl.predicted = std::log(10.0) / (-2 * std::log(factor));
        const QStringList cells = crawlCells(crawl, copied ? Figures::copied : Figures::shown);
        const double shown = textToNumber(cells[1]);
        QVERIFY2(shown != 1, qPrintable(cells[1]));
        if (copied)
            QCOMPARE(shown, factor);
        else // the distance from 1 to three digits
            QVERIFY2(near(1 - shown, 1 - factor, 5e-3), qPrintable(cells[1]));
        if (!predicted.isEmpty())
            QCOMPARE(cells[2], predicted);
        else
            QVERIFY(near(textToNumber(cells[2]), *crawl.predicted, copied ? 0 : 1e-3));
        QCOMPARE(cells[3], QString("—")); // nothing measured
    }

    // Each method's E lies on the plot where its iteration and E − E* fall,
    // in its colour; on the map, an extra path is drawn in its colour over
    // the picture, also where it runs off beyond any pixel.
    void linesLieWhereTheirFiguresFall()
    {
        auto form = withRace();
        CarreraMetodos &panel = panelOf(*form);
        RacePlot &plot = *panel.grafica;
        const QImage picture = plot.grab().toImage();
        const MethodResult &adam = panel.resultado()->race.methods[size_t(Method::adam)];
        const std::vector<PathStretch> &stretches = adam.path.stretches();
        for (size_t k : {size_t(70), stretches.size() / 2, stretches.size() - 1}) {
            const PathStretch &stretch = stretches[k];
            QVERIFY2(colourNear(picture, plot.position(stretch.last, stretch.lastError),
                                methodColour(Method::adam)),
                     qPrintable(QString::number(k)));
        }

        MapPlot &plano = *form->mapa->plano;
        plano.setFrame({0, 2, 0, 8});
        const QPointF from(1.5, 7); // up-right of the path and the best fit
        const QPointF farOff(1.5 + 1e12, 7 - 1e12);
        const QColor colour(255, 0, 255);
        plano.setExtraPaths({{QPolygonF{from, farOff}, colour}});
        const QImage map = plano.grab().toImage();
        const QPointF start = plano.position(from.x(), from.y());
        const QPointF way = plano.position(from.x() + 1, from.y() - 1) - start;
        // Halfway from the start to where the line leaves the plot on the right.
        const double across = (plano.plotArea().right() - start.x()) / 2;
        QVERIFY(colourNear(map, start + way * (across / way.x()), colour));
    }

    // Every control and every cell has a Spanish name, the plot too, and the
    // keyboard reaches the panel after the map's own controls.
    void namedAndReachedByKeyboard()
    {
        auto form = withRace();
        MapaError &mapa = *form->mapa;
        CarreraMetodos &panel = panelOf(*form);
        const QStringList columns{"iteraciones", "evaluaciones", "E final", "resultado"};
        for (Method method : kMethods) {
            const QString name = methodText(method);
            QCOMPARE(panel.participa[size_t(method)]->accessibleName(), name);
            for (int k = 0; k < 4; ++k)
                QCOMPARE(panel.celdas[size_t(method)][size_t(k)]->accessibleName(),
                         columns[k] + ", " + name);
        }
        QCOMPARE(panel.betaMomento->accessibleName(), QString("β de Momento"));
        QCOMPARE(panel.betaNesterov->accessibleName(), QString("β de Nesterov"));
        QCOMPARE(panel.alfaAdam->accessibleName(), QString("α de Adam"));
        QCOMPARE(panel.grafica->accessibleName(), QString("Gráfica de la carrera"));
        QCOMPARE(mapa.comparar->accessibleName(), QString("Comparar métodos"));
        for (QWidget *control : panel.findChildren<QWidget *>())
            QVERIFY2(control->focusPolicy() == Qt::NoFocus || !control->isVisible()
                             || !control->accessibleName().isEmpty(),
                     qPrintable(control->metaObject()->className()));

        QList<QWidget *> expected{mapa.plano, mapa.encuadrar, mapa.comparar};
        for (Method method : kMethods) {
            expected << panel.participa[size_t(method)];
            if (method == Method::momentum)
                expected << panel.betaMomento;
            if (method == Method::nesterov)
                expected << panel.betaNesterov;
            if (method == Method::adam)
                expected << panel.alfaAdam;
        }
        expected << panel.grafica << panel.copiar;
        QList<QWidget *> tabs{mapa.plano};
        for (QWidget *at = mapa.plano->nextInFocusChain(); tabs.size() < expected.size();
             at = at->nextInFocusChain())
            if (at->focusPolicy() & Qt::TabFocus && at->isVisible())
                tabs << at;
        QCOMPARE(tabs, expected);
        QVERIFY(panel.grafica->actions().size() == 2); // "Copiar imagen", "Guardar imagen…"
    }

    // The panel widens the window and gives the room back; closing the map
    // or the whole program while a race runs is safe.
    void panelComesAndGoesSafely()
    {
        auto form = chartView(kNoisy);
        form->verMapa->click();
        MapaError &mapa = *form->mapa;
        const QSize alone = mapa.size();
        mapa.comparar->setChecked(true);
        QVERIFY(mapa.carrera->isVisible() && mapa.width() > alone.width());
        mapa.comparar->setChecked(false);
        QVERIFY(!mapa.carrera->isVisible() && mapa.plano->extraPaths().empty());
        QCOMPARE(mapa.size(), alone);

        // Hidden, the panel asks for nothing, whatever changes.
        const int asked = mapa.carrera->carrerasPedidas();
        commit(form->Text1, "0,002");
        QCOMPARE(mapa.carrera->carrerasPedidas(), asked);

        mapa.comparar->setChecked(true);
        QVERIFY(mapa.carrera->enCurso());
        mapa.close();
        commit(form->Text1, "0,003");
        QCOMPARE(mapa.carrera->carrerasPedidas(), asked + 1);
        form->verMapa->click();
        QVERIFY(mapa.carrera->enCurso()); // asked again on opening
        form.reset();                     // the program ends while it runs
    }
};

QTEST_MAIN(tst_RacePanel)
#include "tst_race_panel.moc"
