#include "test_support.h"

#include "numeric/best_fit.h"
#include "platform/accessibility.h"
#include "platform/picture_export.h"
#include "report/fit_plot.h"
#include "report/informe_ajuste.h"
#include "report/residual_plot.h"

#include <QAccessible>
#include <QClipboard>
#include <QDate>
#include <QFileDialog>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cmath>

namespace {

// The report of the window, opened with its button.
InformeAjuste *openReport(Form1 &form)
{
    QTest::mouseClick(form.verInforme, Qt::LeftButton);
    return form.informe;
}

// A figure of the report by its accessible name, as a screen reader finds it.
Readout *figure(InformeAjuste *report, const QString &name)
{
    for (Readout *readout : report->findChildren<Readout *>())
        if (readout->accessibleName() == name)
            return readout;
    return nullptr;
}

// NIST's Rat42 (y = b1 / (1 + e^(b2 − b3 x))), in a grid order that is not
// the order of t, with the certified b1 = a, b3 = c, their standard errors
// and the residual standard deviation, and t(0,975; 6) from the printed table.
const QStringList kRat42T{"79", "9", "42", "14", "63", "21", "57", "28", "70"};
const QStringList kRat42Y{"67,08", "8,93",  "39,35", "10,8", "61,73",
                          "18,59", "56,11", "22,33", "64,62"};
constexpr double kRat42B1 = 72.462237576, kRat42SeB1 = 1.7340283401;
constexpr double kRat42B2 = 2.6180768402, kRat42B3 = 0.067359200066;
constexpr double kRat42SeB3 = 0.0034465663377, kRat42S = 1.1587725499, kT975Six = 2.446911851;

// The circumference in millimetres of an orange tree at 118 … 1582 days
// (tree 1 of the classic orange-tree growth data).
const QStringList kOrangeT{"118", "484", "664", "1004", "1231", "1372", "1582"};
const QStringList kOrangeY{"30", "58", "87", "115", "120", "142", "145"};

QStringList cellsOf(const QList<QStringList> &lines, const QString &section, const QString &row)
{
    const qsizetype start = lines.indexOf(QStringList{section});
    for (qsizetype k = start + 1; start >= 0 && k < lines.size() && lines.at(k).size() > 1; ++k)
        if (lines.at(k).first() == row)
            return lines.at(k);
    return {};
}

// The texts of the best fit's column, in the report's order.
QStringList bestColumn(InformeAjuste *report)
{
    QStringList texts;
    for (Readout *readout : report->findChildren<Readout *>())
        if (readout->accessibleName().endsWith(QStringLiteral(", mejor ajuste")))
            texts << readout->text();
    return texts;
}

void typeAndEnter(TextBox *box, const QString &text)
{
    box->clear();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

class tst_Report : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void opensOnceRaisesAndCloses()
    {
        auto form = chartView();
        form->show();
        InformeAjuste *report = openReport(*form);
        QVERIFY(report && report->isVisible());
        QVERIFY(report->isWindow() && !report->isModal());
        QCOMPARE(report->windowTitle(), QStringLiteral("Informe del ajuste"));
        QCOMPARE(openReport(*form), report);
        QCOMPARE(form->findChildren<InformeAjuste *>().size(), 1);

        QTest::keyClick(report, Qt::Key_Escape);
        QVERIFY(!report->isVisible());
        QVERIFY(openReport(*form)->isVisible());
        form->close();
        QVERIFY(!report->isVisible());
    }

    // Hidden, the report reads nothing; shown again, it catches up.
    void computesOnlyWhileShown()
    {
        auto form = chartView(logisticSample(8, 0.9, 6, 12, 0.1));
        InformeAjuste *report = openReport(*form);
        Readout *a = figure(report, QStringLiteral("a, ajuste actual"));
        QVERIFY(a);
        QCOMPARE(a->text(), numberToText(form->a));
        report->close();
        QTest::mouseClick(form->paso3, Qt::LeftButton);
        QVERIFY(a->text() != numberToText(form->a));
        QCOMPARE(report->ajusteActual().p.a, 5.0);
        openReport(*form);
        QCOMPARE(a->text(), numberToText(form->a));
    }

    // The best fit's column is kept over a step, and written again after
    // each thing it shows depends on: the same texts as a report opened
    // afresh on the changed state.
    void bestColumnFollowsItsInputs_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("a step leaves it as it was") << "step";
        QTest::newRow("a held box") << "held";
        QTest::newRow("a point") << "point";
    }
    void bestColumnFollowsItsInputs()
    {
        QFETCH(QString, change);
        const Sample sample = logisticSample(8, 0.9, 6, 12, 0.1);
        // Both forms take a step, the change and a step; the first with its report open.
        auto form = chartView(sample), twin = chartView(sample);
        InformeAjuste *report = openReport(*form);
        QStringList before;
        for (Form1 *f : {form.get(), twin.get()}) {
            QTest::mouseClick(f->paso4, Qt::LeftButton);
            if (f == form.get())
                before = bestColumn(report);
            if (change == QLatin1String("held"))
                f->Check2->setValue(1);
            if (change == QLatin1String("point")) {
                f->Command5_Click();
                f->yv(3)->setText(QStringLiteral("4,5"));
                f->Command5_Click();
            }
            QTest::mouseClick(f->paso4, Qt::LeftButton);
        }
        const QStringList fresh = bestColumn(openReport(*twin));
        QCOMPARE(bestColumn(report), fresh);
        QCOMPARE(fresh == before, change == QLatin1String("step"));
    }

    // Two points for three free parameters: "—" in the cells, no message,
    // and the figures reach a screen reader by name and through their text.
    void noAnswerShowsDashes()
    {
        MessageRecorder messages;
        auto form = chartView();
        InformeAjuste *report = openReport(*form);
        for (const QString &name :
             {QStringLiteral("a, error típico, ajuste actual"),
              QStringLiteral("t0, superior 95 %, ajuste actual"),
              QStringLiteral("s, error residual, ajuste actual"), QStringLiteral("a, mejor ajuste"),
              QStringLiteral("correlación de a y c, mejor ajuste")}) {
            Readout *cell = figure(report, name);
            QVERIFY2(cell, qPrintable(name));
            QCOMPARE(cell->text(), QStringLiteral("—"));
        }
        Readout *E = figure(report, QStringLiteral("E, error cuadrático, ajuste actual"));
        QCOMPARE(E->text(), form->label9->text());
        QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(E);
        QCOMPARE(heard->text(QAccessible::Name),
                 QStringLiteral("E, error cuadrático, ajuste actual"));
        QCOMPARE(heard->textInterface()->text(0, 100), form->label9->text());
        QVERIFY(heard->state().readOnly);
        QVERIFY(messages.texts.isEmpty());
    }

    // f = a / 2 with c held at 0 and t0 held, over y = 1, 2, 3: the best a is
    // 2ȳ = 4 with E = 2, s = 1 and a standard error of 2 / √3; the current
    // a = 5 leaves residuals −1,5, −0,5, 0,5. Two degrees of freedom give
    // t = 0,95 / √(2 · 0,975 · 0,025).
    void copiedTextLineByLine()
    {
        auto form = chartView({"0", "1", "2"}, {"1", "2", "3"});
        form->Check2->setValue(1);
        form->Check3->setValue(1);
        typeAndEnter(form->Cval, QStringLiteral("0"));
        InformeAjuste *report = openReport(*form);
        QTest::keyClick(report, Qt::Key_C, Qt::ControlModifier);
        const QMimeData *copied = QApplication::clipboard()->mimeData();
        QVERIFY(copied);

        const double t = 0.95 / std::sqrt(2 * 0.975 * 0.025);
        const double errorBest = 2 / std::sqrt(3.0);
        const double s = std::sqrt(2.75 / 2), errorNow = 2 * s / std::sqrt(3.0);
        const QString fijo = QStringLiteral("fijo"), none = QStringLiteral("—");
        // With c held at 0 the two times and the lag have no value, and the
        // slope a c / 4 is 0 whatever a is: an error of 0, which has no result.
        const QList<QVariantList> growth{{"tiempo de duplicación", none, none, none, none, none},
                                         {"tiempo del 10 % al 90 %", none, none, none, none, none},
                                         {"pendiente máxima", 0.0, 0.0, 0.0, 0.0, none},
                                         {"tiempo de latencia", none, none, none, none, none}};
        const QList<QVariantList> expected
                = QList<QVariantList>{{"parámetro", "valor", "error típico", "inferior 95 %",
                                       "superior 95 %", "resultado"},
                                      {"Mejor ajuste"},
                                      {"a", 4.0, errorBest, 4 - t * errorBest, 4 + t * errorBest,
                                       "4,0 ± 1,2"},
                                      {"c", 0.0, fijo},
                                      {"t0", 0.0, fijo}}
                + growth
                + QList<QVariantList>{{"Ajuste actual"},
                                      {"a", 5.0, errorNow, 5 - t * errorNow, 5 + t * errorNow,
                                       "5,0 ± 1,4"},
                                      {"c", 0.0, fijo},
                                      {"t0", 0.0, fijo}}
                + growth
                + QList<QVariantList>{
                        {"el ajuste actual no es un mínimo: las incertidumbres son orientativas"},
                        {"", "Mejor ajuste", "Ajuste actual"},
                        {"E", 2.0, 2.75},
                        {"s", 1.0, s},
                        {"R²", 0.0, -0.375},
                        {"n", 3.0, 3.0},
                        {"p", 1.0, 1.0},
                        {"t", "y", "f(t)", "y − f(t)"},
                        {0.0, 1.0, 2.5, -1.5},
                        {1.0, 2.0, 2.5, -0.5},
                        {2.0, 3.0, 2.5, 0.5}};

        const QStringList lines = copied->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), expected.size() + 1);
        QCOMPARE(lines.last(), QString());
        for (qsizetype k = 0; k < expected.size(); ++k) {
            const QStringList cells = lines.at(k).split(QLatin1Char('\t'));
            QCOMPARE(cells.size(), expected.at(k).size());
            for (qsizetype j = 0; j < cells.size(); ++j) {
                const QVariant &want = expected.at(k).at(j);
                if (want.typeId() != QMetaType::Double) {
                    QCOMPARE(cells.at(j), want.toString());
                    continue;
                }
                // Read under es_ES, which refuses a full stop as the separator.
                const std::optional<double> number = readNumber(cells.at(j));
                QVERIFY2(number, qPrintable(lines.at(k)));
                QVERIFY2(near(*number, want.toDouble(), 1e-9, 1e-12), qPrintable(lines.at(k)));
            }
        }
        QCOMPARE(copied->html().count(QStringLiteral("<tr>")), expected.size());
        QVERIFY(copied->html().contains(QStringLiteral("<td>fijo</td>")));
    }

    // A report cell whose text fits its width: every figure of the report is
    // shown whole however long, its column as wide as the longest, and a
    // figure beyond the double range is "—" while the rest of its row shows.
    void reportCellsFitTheirText_data()
    {
        QTest::addColumn<QStringList>("t");
        QTest::addColumn<QStringList>("y");
        QTest::addColumn<int>("batches"); // clicks of "10000 pasos"
        QStringList t, y;
        for (int k = 0; k < 15; ++k) { // to four decimals: residuals like -1,7214707048740507E-05
            t << QString::number(k);
            y << QLocale(kSpanish).toString(8 / (1 + std::exp(-0.9 * (k - 6))), 'f', 4);
        }
        QTest::newRow("fifteen points to four decimals after three batches") << t << y << 3;
        // At t = -40 the curve is near 2E-17: the residual is as long as the y.
        QTest::newRow("t, y and y − f(t) of twenty-three characters")
                << QStringList{"-0,00012345678901234567", "-40", "2"}
                << QStringList{"1", "-0,00012345678901234567", "-3,0000000000000004E-05"} << 0;
        QTest::newRow("y near 1E299 leaves only E without a figure")
                << QStringList{"0", "1", "2"} << QStringList{"1E+299", "-2,5E+299", "3E+299"} << 0;
    }

    void reportCellsFitTheirText()
    {
        QFETCH(QStringList, t);
        QFETCH(QStringList, y);
        QFETCH(int, batches);
        MessageRecorder messages;
        auto form = chartView(t, y);
        for (int k = 0; k < batches; ++k)
            form->paso4->click();
        InformeAjuste *report = openReport(*form);
        report->resize(300, 300); // every column at its least width, the window scrolling
        QTest::qWait(20);         // the layouts take the new widths
        for (QLabel *label : report->findChildren<QLabel *>()) {
            auto *cell = dynamic_cast<Readout *>(label); // Readout has no meta-object of its own
            if (!cell || !cell->isVisibleTo(report))
                continue;
            // Where QLabel puts a framed text: inside the frame, half an "x" from its side.
            const int room = cell->contentsRect().width()
                    - cell->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
            QVERIFY2(cell->fontMetrics().horizontalAdvance(cell->text()) <= room,
                     qPrintable(cell->accessibleName() + ": " + cell->text()));
        }
        for (int k = 0; k < t.size(); ++k) {
            const QString row = QStringLiteral(", fila %1").arg(k + 1);
            QCOMPARE(figure(report, "y" + row)->text(), form->yv(k)->text());
            QVERIFY(readNumber(figure(report, "y − f(t)" + row)->text()));
        }
        const QString E
                = figure(report, QStringLiteral("E, error cuadrático, ajuste actual"))->text();
        QCOMPARE(E == QStringLiteral("—"), !messages.texts.isEmpty()); // "Desbordamiento"
    }

    // Long labels of t near both ends of the plot stand whole inside its
    // border: under the plot there are as many dark pixels as the two labels
    // have when drawn on their own.
    void residualPlotLabelsAreWhole()
    {
        ResidualPlot plot(nullptr);
        plot.resize(400, 150);
        const double first = -0.00012345678901234567, last = 12345.678901234567;
        plot.setResiduals({{first, 1, 1.5, -0.5}, {last, 2, 1.5, 0.5}});
        const auto dark = [](const QImage &image, QRect where) {
            int count = 0;
            for (int y = where.top(); y <= where.bottom(); ++y)
                for (int x = where.left(); x <= where.right(); ++x)
                    count += qGray(image.pixel(x, y)) < 128;
            return count;
        };
        const int under = dark(plot.grab().toImage(),
                               QRect(QPoint(1, plot.plotArea().bottom() + 2),
                                     QPoint(plot.width() - 2, plot.height() - 2)));
        QImage alone(800, 60, QImage::Format_RGB32);
        alone.fill(Qt::white);
        QPainter painter(&alone);
        painter.setFont(plot.font());
        painter.drawText(QPoint(10, 40), numberToText(first));
        painter.drawText(QPoint(400, 40), numberToText(last));
        painter.end();
        const int whole = dark(alone, alone.rect());
        QVERIFY2(whole > 100 && std::abs(under - whole) <= whole / 20,
                 qPrintable(QStringLiteral("%1 dark pixels of %2").arg(under).arg(whole)));
    }

    // The zero line is whole device pixels at every ratio: in a column away
    // from the points, every pixel is black or white, and the black ones are
    // one run as thick as the ratio's whole part.
    void residualPlotIsCrisp_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::newRow("scale 1") << 1.0;
        QTest::newRow("scale 1,5") << 1.5;
        QTest::newRow("scale 2") << 2.0;
    }

    void residualPlotIsCrisp()
    {
        QFETCH(double, ratio);
        ResidualPlot plot(nullptr);
        plot.resize(300, 150);
        plot.setResiduals({{0, 1, 1.5, -0.5}, {10, 2, 1.5, 0.5}});
        QImage image(QSize(300, 150) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        plot.render(&image);
        const int x = int(plot.position(5, 0).x() * ratio);
        int black = 0, first = -1, last = -1;
        for (int y = int(plot.plotArea().top() * ratio); y < int(plot.plotArea().bottom() * ratio);
             ++y) {
            const QColor colour = image.pixelColor(x, y);
            QVERIFY2(colour == Qt::black || colour == Qt::white, qPrintable(colour.name()));
            if (colour == Qt::black) {
                ++black;
                first = first < 0 ? y : first;
                last = y;
            }
        }
        QCOMPARE(black, int(ratio));
        QCOMPARE(last - first + 1, black);
        QVERIFY(std::abs(first - plot.position(5, 0).y() * ratio) <= 1);
    }

    // Each row with a standard error ends in its result, rounded by hand here
    // from the certified figures of Rat42 (ln 2 / b3 and its error ln 2 · se /
    // b3² for the doubling time), with the locale's decimal separator; the
    // figure's label says the same.
    void resultEndsEachRow_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("results"); // a, c, tiempo de duplicación
        QTest::newRow("under es_ES with a decimal comma")
                << kSpanish << QStringList{"72,5 ± 1,7", "0,0674 ± 0,0034", "10,29 ± 0,53"};
        QTest::newRow("under C with a full stop")
                << QLocale::c() << QStringList{"72.5 ± 1.7", "0.0674 ± 0.0034", "10.29 ± 0.53"};
    }

    void resultEndsEachRow()
    {
        QFETCH(QLocale, locale);
        QFETCH(QStringList, results);
        auto form = makeForm(locale);
        QStringList t = kRat42T, y = kRat42Y;
        if (locale.decimalPoint() == QLatin1Char('.'))
            y.replaceInStrings(QStringLiteral(","), QStringLiteral("."));
        fillGrid(*form, t, y);
        form->Command5_Click();
        InformeAjuste *report = openReport(*form);
        report->copiar();
        const QList<QStringList> lines = report->lineas();
        QCOMPARE(QApplication::clipboard()->text(), tabSeparated(lines));
        QCOMPARE(lines.first().last(), QStringLiteral("resultado"));
        const QStringList rows{"a", "c", "tiempo de duplicación"};
        for (int k = 0; k < rows.size(); ++k) {
            const QStringList cells = cellsOf(lines, QStringLiteral("Mejor ajuste"), rows.at(k));
            QCOMPARE(cells.size(), 6);
            QCOMPARE(cells.last(), results.at(k));
            QCOMPARE(figure(report, "resultado de " + rows.at(k) + ", mejor ajuste")->text(),
                     results.at(k));
        }
        // The doubling time's interval is the image of c's: ln 2 / c_sup … ln 2 / c_inf.
        const QStringList doubling = cellsOf(lines, "Mejor ajuste", "tiempo de duplicación");
        const double cLow = kRat42B3 - kT975Six * kRat42SeB3,
                     cHigh = kRat42B3 + kT975Six * kRat42SeB3;
        QVERIFY(near(textToNumber(doubling.at(3)), std::log(2.0) / cHigh, 1e-7));
        QVERIFY(near(textToNumber(doubling.at(4)), std::log(2.0) / cLow, 1e-7));
        const QStringList label = report->graficaAjuste()->label();
        QCOMPARE(label.mid(0, 2), (QStringList{"a = " + results.at(0), "c = " + results.at(1)}));
        QVERIFY(label.last().startsWith(QStringLiteral("R² = ")));
    }

    // "Copiar datos de la figura": the heading, then one line per point in
    // grid order. Rat42's curve agrees with the certified parameters and its
    // bands with the certified s, since the prediction band's half-width
    // squared exceeds the confidence band's by (t s)²; three points for three
    // parameters have a curve through them and no bands; two, no best fit.
    void figureDataAsCopied_data()
    {
        QTest::addColumn<QStringList>("t");
        QTest::addColumn<QStringList>("y");
        QTest::addColumn<QString>("noBands"); // empty: the bands are drawn
        QTest::newRow("Rat42 in an order that is not t's") << kRat42T << kRat42Y << QString();
        QTest::newRow("three points for three parameters")
                << QStringList{"2", "0", "1"} << QStringList{"3", "1", "2"}
                << "sin bandas: con n = p no queda ningún grado de libertad";
        QTest::newRow("two points leave no best fit")
                << QStringList{"0", "1"} << QStringList{"2,5", "2"}
                << "sin bandas: no hay un mejor ajuste único";
    }

    void figureDataAsCopied()
    {
        QFETCH(QStringList, t);
        QFETCH(QStringList, y);
        QFETCH(QString, noBands);
        auto form = chartView(t, y);
        InformeAjuste *report = openReport(*form);
        QTest::mouseClick(report->findChild<QPushButton *>("copiarDatosFigura"), Qt::LeftButton);
        const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.first(),
                 QStringLiteral("t\tf(t)\tconfianza inferior 95 %\tconfianza "
                                "superior 95 %\tpredicción inferior 95 %\t"
                                "predicción superior 95 %"));
        QCOMPARE(lines.size(), t.size() + 2);
        QCOMPARE(lines.last(), QString());
        const bool best = report->mejorAjuste().reason != NoAnswer::noBestFit;
        for (int k = 0; k < t.size(); ++k) {
            const QStringList cells = lines.at(k + 1).split(QLatin1Char('\t'));
            QCOMPARE(cells.size(), 6);
            QCOMPARE(cells.at(0), t.at(k));
            if (!best) {
                QCOMPARE(cells.mid(1), QStringList(5, QStringLiteral("—")));
                continue;
            }
            const double f = textToNumber(cells.at(1)), x = textToNumber(t.at(k));
            if (!noBands.isEmpty()) { // through the three points
                QVERIFY(near(f, textToNumber(y.at(k)), 1e-7));
                QCOMPARE(cells.mid(2), QStringList(4, QStringLiteral("—")));
                continue;
            }
            QVERIFY(near(f, kRat42B1 / (1 + std::exp(kRat42B2 - kRat42B3 * x)), 1e-8));
            double ends[4];
            for (int j = 0; j < 4; ++j)
                ends[j] = textToNumber(cells.at(j + 2)) - f;
            QVERIFY(near(-ends[0], ends[1], 1e-6) && near(-ends[2], ends[3], 1e-6));
            const double q = kT975Six * kRat42S;
            QVERIFY(near(ends[3] * ends[3] - ends[1] * ends[1], q * q, 1e-7));
        }
        const FitPlot *plot = report->graficaAjuste();
        QCOMPARE(plot->noBands(), noBands);
        QCOMPARE(plot->label().isEmpty(), !best);
        QCOMPARE(plot->accessibleDescription().contains(noBands), true);
    }

    // The new cells, the figure and the buttons reach a screen reader by
    // their Spanish names; a result is heard as it is shown.
    void newFiguresAreNamed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("heard"); // empty: not checked
        QTest::newRow("the doubling time's error in the best fit")
                << "tiempo de duplicación, error típico, mejor ajuste"
                << "0,52652410";
        QTest::newRow("the result of a in the best fit") << "resultado de a, mejor ajuste"
                                                         << "72,5 ± 1,7";
        QTest::newRow("the lag in the current fit") << "tiempo de latencia, ajuste actual"
                                                    << "-2";
        QTest::newRow("the 10 to 90 % time of the current fit, whose c may be 0, has no upper end")
                << "tiempo del 10 % al 90 %, superior 95 %, ajuste actual"
                << "∞";
        QTest::newRow("the figure") << "Gráfica del ajuste con bandas de confianza"
                                    << "";
        QTest::newRow("the PDF button") << "Guardar PDF…"
                                        << "";
        QTest::newRow("the figure's data button") << "Copiar datos de la figura"
                                                  << "";
    }

    void newFiguresAreNamed()
    {
        QFETCH(QString, name);
        QFETCH(QString, heard);
        auto form = chartView(kRat42T, kRat42Y);
        InformeAjuste *report = openReport(*form);
        QWidget *found = nullptr;
        for (QWidget *widget : report->findChildren<QWidget *>())
            if (QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name) == name)
                found = widget;
        QVERIFY2(found, qPrintable(name));
        if (!heard.isEmpty()) {
            QAccessibleInterface *readout = QAccessible::queryAccessibleInterface(found);
            QVERIFY(readout->textInterface());
            QVERIFY2(readout->textInterface()->text(0, 100).startsWith(heard),
                     qPrintable(readout->textInterface()->text(0, 100)));
        }
    }

    // Days and millimetres overflow the main window's derivatives at the
    // start values: "Gráfica" says "Desbordamiento". The report still finds
    // the best fit (E, summed here on its own, is least there along every
    // parameter), draws it with its bands and gives its growth figures; the
    // current fit, whose curve is flat over the points, has no errors.
    void pointsInTheirOwnUnits()
    {
        MessageRecorder messages;
        auto form = chartView(kOrangeT, kOrangeY);
        QCOMPARE(messages.texts, QStringList{"Desbordamiento"});
        InformeAjuste *report = openReport(*form);
        const FitStatistics &best = report->mejorAjuste();
        QVERIFY(best.hasErrors());
        auto E = [](double a, double c, double t0) {
            double sum = 0;
            for (int k = 0; k < kOrangeT.size(); ++k) {
                const double r = kOrangeY.at(k).toDouble()
                        - a / (1 + std::exp(-c * (kOrangeT.at(k).toDouble() - t0)));
                sum += r * r;
            }
            return sum;
        };
        const double least = E(best.p.a, best.p.c, best.p.t0);
        for (const double h : {-1e-4, 1e-4}) {
            QVERIFY(E(best.p.a * (1 + h), best.p.c, best.p.t0) > least);
            QVERIFY(E(best.p.a, best.p.c * (1 + h), best.p.t0) > least);
            QVERIFY(E(best.p.a, best.p.c, best.p.t0 * (1 + h)) > least);
        }
        QVERIFY(best.p.a > 100 && best.p.a < 200 && best.p.t0 > 118 && best.p.t0 < 1582);
        const FitPlot *plot = report->graficaAjuste();
        QVERIFY(plot->hasBands());
        QVERIFY(plot->yRange().low <= 30 && plot->yRange().high >= 145);
        QVERIFY(plot->tRange().low <= 118 && plot->tRange().high >= 1582);
        const double doubling
                = textToNumber(figure(report, "tiempo de duplicación, mejor ajuste")->text());
        QVERIFY(near(doubling, std::log(2.0) / best.p.c, 1e-12));
        QVERIFY(figure(report, "resultado de tiempo de latencia, mejor ajuste")->text()
                != QStringLiteral("—"));
        for (const char *name : {"a, error típico, ajuste actual",
                                 "tiempo de duplicación, error típico, ajuste actual",
                                 "resultado de a, ajuste actual"})
            QCOMPARE(figure(report, name)->text(), QStringLiteral("—"));
        QCOMPARE(figure(report, "a, ajuste actual")->text(), QStringLiteral("5"));
    }

    // "Guardar PDF…" writes one A4 page of vectors and text: pdftotext reads
    // the title, the date, a point, the growth figures and the results back,
    // pdfimages finds no picture in it. A folder that is not there is a
    // message that says why, and leaves nothing.
    void savesThePdf_data()
    {
        QTest::addColumn<QString>("folder"); // under the temporary folder
        QTest::addColumn<bool>("saved");
        QTest::newRow("a new name in the current folder") << "" << true;
        QTest::newRow("a folder that does not exist") << "no-existe/" << false;
    }

    void savesThePdf()
    {
        QFETCH(QString, folder);
        QFETCH(bool, saved);
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
        const QString pdfimages = QStandardPaths::findExecutable(QStringLiteral("pdfimages"));
        if (pdftotext.isEmpty() || pdfinfo.isEmpty() || pdfimages.isEmpty())
            QSKIP("pdftotext, pdfinfo or pdfimages is missing: scripts/deps.sh installs "
                  "poppler-utils");
        MessageRecorder messages;
        QTemporaryDir dir;
        const QString name = dir.filePath(folder + QStringLiteral("informe"));
        saveDialogHook = [&name](QFileDialog &dialog) {
            dialog.selectFile(name);
            static_cast<QDialog &>(dialog).accept();
        };
        auto form = chartView(kRat42T, kRat42Y);
        InformeAjuste *report = openReport(*form);
        QTest::mouseClick(report->findChild<QPushButton *>("guardarPdf"), Qt::LeftButton);
        saveDialogHook = nullptr;
        const QStringList left = QDir(dir.path()).entryList(QDir::Files);
        if (!saved) {
            QCOMPARE(messages.texts.size(), 1);
            QVERIFY2(messages.texts.first().startsWith("No se pudo guardar el PDF: ")
                             && messages.texts.first().size() > 30,
                     qPrintable(messages.texts.first()));
            QVERIFY(left.isEmpty());
            return;
        }
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join('\n')));
        QCOMPARE(left, QStringList{"informe.pdf"});
        const QString file = name + QStringLiteral(".pdf");
        auto run = [](const QString &program, const QStringList &arguments) {
            QProcess process;
            process.start(program, arguments);
            process.waitForFinished(30000);
            return QString::fromUtf8(process.readAllStandardOutput());
        };
        const QString text = run(pdftotext, {file, QStringLiteral("-")});
        for (const QString &shown :
             {QStringLiteral("Informe del ajuste"),
              QLocale(kSpanish).toString(QDate::currentDate(), QLocale::LongFormat),
              QStringLiteral("8,93"), QStringLiteral("tiempo de duplicación"),
              QStringLiteral("tiempo de latencia"), QStringLiteral("10,29 ± 0,53"),
              QStringLiteral("a = 72,5 ± 1,7"), QStringLiteral("Residuos del ajuste actual")})
            QVERIFY2(text.contains(shown), qPrintable(shown + " not in:\n" + text));
        const QString info = run(pdfinfo, {file});
        QVERIFY2(info.contains(QRegularExpression("Pages: +1\n")), qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("(A4)")), qPrintable(info));
        const QStringList images = run(pdfimages, {QStringLiteral("-list"), file})
                                           .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(images.size(), 2); // the list's two lines of heading, and no image
    }

    // The figure and the residual plot are both in sight at the report's
    // default size, and the figure's axis line is whole device pixels at
    // every ratio: across it, between two ticks, every pixel is black or
    // white and the black ones are one run as thick as the ratio's whole part.
    void figureIsInSightAndCrisp_data()
    {
        QTest::addColumn<double>("ratio");
        QTest::newRow("scale 1") << 1.0;
        QTest::newRow("scale 1,5") << 1.5;
        QTest::newRow("scale 2") << 2.0;
    }

    void figureIsInSightAndCrisp()
    {
        QFETCH(double, ratio);
        auto form = chartView(kRat42T, kRat42Y);
        form->show();
        InformeAjuste *report = openReport(*form);
        QVERIFY(QTest::qWaitForWindowExposed(report));
        FitPlot *plot = report->graficaAjuste();
        for (const QWidget *shown :
             {static_cast<QWidget *>(plot), report->findChild<QWidget *>("graficaResiduos")}) {
            QVERIFY(shown->isVisible());
            const QRect where(shown->mapTo(report, QPoint()), shown->size());
            QVERIFY(report->rect().contains(where));
            QVERIFY(shown->height() >= shown->fontMetrics().height() * 8);
        }

        QImage image(plot->size() * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        plot->render(&image);
        const QRect area = plot->plotArea();
        const std::vector<AxisTick> ticks
                = AxisScale::linear(plot->yRange().high, plot->yRange().low, area.top(),
                                    area.bottom())
                          .ticksEvery(50);
        QVERIFY(ticks.size() >= 2);
        const int y = int((ticks[0].at + ticks[1].at) / 2 * ratio);
        int black = 0, first = -1;
        for (int x = int(2 * ratio); x <= int((area.left() + 1) * ratio); ++x) {
            const QColor colour = image.pixelColor(x, y);
            QVERIFY2(colour == Qt::black || colour == Qt::white, qPrintable(colour.name()));
            if (colour == Qt::black) {
                first = first < 0 ? x : first;
                ++black;
            }
        }
        QCOMPARE(black, int(ratio));
        QVERIFY(std::abs(first - area.left() * ratio) <= 1);
    }

    // The figure frames the points and a curve near them, but a runaway
    // current fit leaves the plot rather than squash the points; the legend
    // and the label keep clear of the points and of each other.
    void figureFramesThePoints_data()
    {
        QTest::addColumn<QList<double>>("t");
        QTest::addColumn<QList<double>>("y");
        QTest::addColumn<double>("a"); // of the current fit, with c = 1 and t0 = 0
        QTest::addColumn<double>("least");
        QTest::addColumn<double>("most"); // the frame lies within these ends and holds the points
        QTest::newRow("a current fit a little above the points is framed whole")
                << QList<double>{0, 1} << QList<double>{2.5, 2} << 5.0 << 1.0 << 4.0;
        QTest::newRow("a current fit a million high leaves the plot")
                << QList<double>{0, 1, 2} << QList<double>{1, 2, 3} << 1e6 << -10.0 << 10.0;
        QTest::newRow("a current fit a million deep leaves the plot")
                << QList<double>{0, 1, 2} << QList<double>{1, 2, 3} << -1e6 << -10.0 << 10.0;
        QTest::newRow("Rat42 with the current fit at the start values")
                << QList<double>{9, 14, 21, 28, 42, 57, 63, 70, 79}
                << QList<double>{8.93, 10.8, 18.59, 22.33, 39.35, 56.11, 61.73, 64.62, 67.08} << 5.0
                << -80.0 << 160.0;
    }

    void figureFramesThePoints()
    {
        QFETCH(QList<double>, t);
        QFETCH(QList<double>, y);
        QFETCH(double, a);
        QFETCH(double, least);
        QFETCH(double, most);
        const std::vector<double> ts(t.begin(), t.end()), ys(y.begin(), y.end());
        const Points points{ts, ys, int(ts.size())};
        FitPlot plot(nullptr);
        plot.resize(600, 400);
        plot.setFigure(
                {ts, ys, {a, 1, 0}, bestFitStatistics(bestFit({5, 1, 0}, {}, points), {}, points)});
        const ValueRange frame = plot.yRange();
        QVERIFY2(frame.low >= least && frame.high <= most,
                 qPrintable(QStringLiteral("%1 .. %2").arg(frame.low).arg(frame.high)));
        if (a == 5 && t.size() == 2)
            QVERIFY(frame.high >= 5 / (1 + std::exp(-1.0)));
        const QRect legend = plot.legendBox(), label = plot.labelBox();
        QVERIFY(!legend.isNull() && plot.plotArea().contains(legend));
        QVERIFY(label.isNull() || !label.intersects(legend));
        for (int k = 0; k < t.size(); ++k) {
            QVERIFY(frame.low < y.at(k) && y.at(k) < frame.high);
            const QPoint at = plot.position(t.at(k), y.at(k)).toPoint();
            QVERIFY2(!legend.contains(at) && !label.contains(at), qPrintable(QString::number(k)));
        }
    }

    // The figure's menu offers its picture and its data, as the other plots do.
    void figureMenuCopiesItsPicture()
    {
        auto form = chartView(kRat42T, kRat42Y);
        InformeAjuste *report = openReport(*form);
        FitPlot *plot = report->graficaAjuste();
        QStringList entries;
        for (QAction *action : plot->actions())
            entries << action->text();
        QCOMPARE(entries,
                 (QStringList{"Copiar imagen", "Guardar imagen…", "Copiar datos de la figura"}));
        plot->actions().first()->trigger();
        const QImage copied = QApplication::clipboard()->image();
        QCOMPARE(copied.size(), plot->size() * plot->devicePixelRatioF());
        // The dashed curve of the best fit crosses the middle of the plot in
        // black: within a dash's length of where the certified curve lies.
        const QPoint middle
                = plot->position(40, kRat42B1 / (1 + std::exp(kRat42B2 - kRat42B3 * 40))).toPoint();
        int black = 0;
        for (int dx = -6; dx <= 6; ++dx)
            for (int dy = -6; dy <= 6; ++dy)
                black += qRed(copied.pixel(middle + QPoint(dx, dy))) < 64
                        && qBlue(copied.pixel(middle + QPoint(dx, dy))) < 64;
        QVERIFY(black >= 4);
    }
};

QTEST_MAIN(tst_Report)
#include "tst_report.moc"
