#include "test_support.h"

#include "datafile/point_file.h"
#include "map/colour_key.h"
#include "map/error_map.h"
#include "map/map_plot.h"
#include "report/informe_ajuste.h"

#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QSemaphore>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>

namespace {

const Sample kNoisy = logisticSample(8, 0.9, 6, 20, 0.1);

// The window over the noisy sample with the map open.
std::unique_ptr<Form1> withMap(const Sample &sample = kNoisy)
{
    auto form = chartView(sample);
    form->verMapa->click();
    return form;
}

QPoint pixelOf(const MapPlot &plano, double c, double t0)
{
    return plano.position(c, t0).toPoint();
}

// The pointer over a pixel of the map, sent directly: QTest moves the cursor
// only when it goes somewhere new.
void hover(MapPlot &plano, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, plano.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&plano, &move);
}

// A figure of a window by its accessible name.
QString figureText(const QWidget &window, const QString &name)
{
    for (QLabel *label : window.findChildren<QLabel *>())
        if (label->accessibleName() == name)
            return label->text();
    return QStringLiteral("<none>");
}

// Digits of a number's text from its first nonzero digit on.
int significantDigits(QString text)
{
    text.remove(QLatin1Char('-')).remove(QLatin1Char(',')).remove(QRegularExpression("^0+"));
    return int(text.size());
}

} // namespace

Q_DECLARE_METATYPE(Sample)

class tst_Map : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // A click commits c and t0 where it lands, to four digits, and a free a
    // at its best there, so the figures show the E the map showed; a held
    // parameter keeps its value. The history and the path start again.
    void clickCommitsTheStartThere_data()
    {
        QTest::addColumn<int>("held"); // the box ticked: 0 none, 1 a, 2 c, 3 t0
        QTest::newRow("nothing held") << 0;
        QTest::newRow("a held keeps a") << 1;
        QTest::newRow("c held keeps c") << 2;
        QTest::newRow("t0 held keeps t0") << 3;
    }

    void clickCommitsTheStartThere()
    {
        QFETCH(int, held);
        MessageRecorder messages;
        auto form = withMap();
        form->paso3->click();
        CheckBox *boxes[] = {form->Check1, form->Check2, form->Check3};
        if (held > 0)
            boxes[held - 1]->setValue(1);
        const Parameters before{form->a, form->c, form->t0};
        MapPlot &plano = *form->mapa->plano;
        const QPoint at = pixelOf(plano, 0.6, 4.0);
        hover(plano, at);
        const QString line = form->mapa->lectura->text();
        QTest::mouseClick(&plano, Qt::LeftButton, {}, at);

        const double pixel = (plano.frame().cHigh - plano.frame().cLow) / plano.plotArea().width();
        QCOMPARE(form->c == before.c, held == 2);
        QCOMPARE(form->t0 == before.t0, held == 3);
        QCOMPARE(form->a == before.a, held == 1);
        if (held != 2)
            QVERIFY(std::fabs(form->c - 0.6) <= pixel);
        const TextBox *shown[] = {form->Lval, form->Cval, form->Tval};
        for (int k = 0; k < 3; ++k)
            QVERIFY2(held == k + 1 || significantDigits(shown[k]->text()) <= 4,
                     qPrintable(shown[k]->text()));
        QCOMPARE(form->Cval->text(), numberToText(form->c));
        QCOMPARE(form->CSCR->value(), kBarC.position(form->c));
        // Where c and t0 both move, the E shown under the pointer, to its four digits.
        const QString shownE = line.section(QStringLiteral("E = "), 1);
        QVERIFY(held >= 2 || near(form->errorCuad, textToNumber(shownE), 1e-3));
        QCOMPARE(form->historia.count(), 0);
        QCOMPARE(plano.path(), QPolygonF({QPointF(form->c, form->t0)}));
        QVERIFY(messages.texts.isEmpty());
    }

    // The focused map: an arrow pans by a tenth, + zooms about the centre;
    // Enter chooses the centre, which the undo keys take back from the map's
    // window and the report's.
    void keysPanZoomAndChoose()
    {
        MessageRecorder messages;
        auto form = withMap();
        MapPlot &plano = *form->mapa->plano;
        QTRY_COMPARE(QApplication::focusWidget(), &plano);
        plano.setFrame({0.3, 1.3, 2, 6});
        QTest::keyClick(&plano, Qt::Key_Right);
        QTest::keyClick(&plano, Qt::Key_Plus);
        const MapFrame at = plano.frame(); // c 0.4 .. 1.4, then 0.5 .. 1.3
        QVERIFY(near(at.cLow, 0.5) && near(at.cHigh, 1.3) && near(at.t0Low, 2.4));
        QTest::keyClick(&plano, Qt::Key_Return);
        QVERIFY(near(form->c, 0.9) && form->t0 == 4);
        form->verInforme->click();
        for (QWidget *window : QList<QWidget *>{form->mapa, form->informe}) {
            window->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), window);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
            QVERIFY(form->c == 1 && form->t0 == 0);
            QTest::keyClick(window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
            QVERIFY(near(form->c, 0.9) && form->t0 == 4);
        }
        QVERIFY(messages.texts.isEmpty());
    }

    // A start beyond a bar, or where the evaluation overflows, is a fault:
    // one "Desbordamiento" and the start values.
    void faultyStartOverflowsOnce_data()
    {
        QTest::addColumn<Sample>("sample");
        QTest::addColumn<QPointF>("start"); // c, t0
        QTest::addColumn<bool>("clicked");  // else asked for by the signal
        QTest::newRow("a at its best beyond a's bar") << kNoisy << QPointF(0.3, 19.5) << true;
        QTest::newRow("a point where the derivatives overflow")
                << Sample{{0, 1, 600}, {1, 2, 3}} << QPointF(2, 0) << true;
        QTest::newRow("c beyond its bar") << kNoisy << QPointF(7, 0) << false;
    }

    void faultyStartOverflowsOnce()
    {
        QFETCH(Sample, sample);
        QFETCH(QPointF, start);
        QFETCH(bool, clicked);
        MessageRecorder messages;
        auto form = withMap(sample);
        form->paso->click();
        messages.texts.clear();
        MapPlot &plano = *form->mapa->plano;
        plano.setFrame({-6, 6, -20, 20});
        if (clicked)
            QTest::mouseClick(&plano, Qt::LeftButton, {}, pixelOf(plano, start.x(), start.y()));
        else
            emit form->mapa->puntoElegido(start.x(), start.y());
        QCOMPARE(messages.texts, QStringList{"Desbordamiento"});
        QVERIFY(form->a == 5 && form->c == 1 && form->t0 == 0 && !form->ocupado);
        QCOMPARE(form->historia.count(), 0);
    }

    // The path is the history's, restarting with it; the surface is computed
    // again only when what it shows changes, never on a step.
    void pathAndSurfaceFollowTheFit_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("pathPoints"); // -1: more than 2
        QTest::addColumn<bool>("recomputed");
        QTest::newRow("a step adds the point it left and the one it reached") << 0 << 2 << false;
        QTest::newRow("a batch ends at the current point") << 1 << -1 << false;
        QTest::newRow("a bar restarts the path, a free a leaves the surface") << 2 << 1 << false;
        QTest::newRow("holding a changes the surface") << 3 << 1 << true;
        QTest::newRow("and so does moving a held a") << 4 << 1 << true;
    }

    void pathAndSurfaceFollowTheFit()
    {
        QFETCH(int, action);
        QFETCH(int, pathPoints);
        QFETCH(bool, recomputed);
        auto form = withMap();
        const MapPlot &plano = *form->mapa->plano;
        if (action == 4)
            form->Check1->setValue(1);
        const int computed = plano.surfacesComputed();
        const QPointF start(form->c, form->t0);
        switch (action) {
        case 0:
            form->paso->click();
            break;
        case 1:
            form->paso4->click();
            break;
        case 2:
            form->LSCR->setValue(-40);
            break;
        case 3:
            form->Check1->setValue(1);
            break;
        case 4:
            form->LSCR->setValue(-40);
            break;
        }
        const QPolygonF path = plano.path();
        QCOMPARE(path.last(), QPointF(form->c, form->t0));
        if (pathPoints == -1)
            QVERIFY(path.size() > 2 && path.first() == start);
        else
            QCOMPARE(path.size(), pathPoints);
        QCOMPARE(plano.surfacesComputed() > computed, recomputed);
        QVERIFY(plano.accessibleDescription().contains(numberToText(form->c)));
    }

    // The default framing: what it frames, with a margin of 15 % and each side
    // at least a twelfth of its bar's range, inside the bars' ranges.
    void defaultFramingHoldsItsPoints_data()
    {
        QTest::addColumn<QList<QPointF>>("points"); // (c, t0)
        QTest::addColumn<QList<double>>("frame");   // c from, to, t0 from, to
        QTest::newRow("a lone start")
                << QList<QPointF>{{1, 0}} << QList<double>{0.35, 1.65, -13.0 / 6, 13.0 / 6};
        QTest::newRow("a path into the valley")
                << QList<QPointF>{{1, 0}, {0.8, 4}} << QList<double>{0.25, 1.55, -0.6, 4.6};
        QTest::newRow("a best fit beyond a bar is framed at the bar's end")
                << QList<QPointF>{{1, 0}, {0.9, 25}} << QList<double>{0.3, 1.6, -6, 20};
        QTest::newRow("near the end of a bar the frame moves inside")
                << QList<QPointF>{{5.9, 0}} << QList<double>{4.7, 6, -13.0 / 6, 13.0 / 6};
        QTest::newRow("more than the ranges is the ranges")
                << QList<QPointF>{{-6, -20}, {6, 20}} << QList<double>{-6, 6, -20, 20};
    }

    void defaultFramingHoldsItsPoints()
    {
        QFETCH(QList<QPointF>, points);
        QFETCH(QList<double>, frame);
        const MapFrame framed = frameAround({points.begin(), points.end()});
        const double sides[] = {framed.cLow, framed.cHigh, framed.t0Low, framed.t0High};
        for (int k = 0; k < 4; ++k)
            QCOMPARE_NEAR(sides[k], frame[k]);
    }

    // Where the evaluation would fault the map is grey; elsewhere it has a colour.
    // Bands shared out between the calling thread and the pool give the very
    // doubles of one pass, whatever is left for the last band; with every
    // thread of the pool busy, the caller takes them all instead of waiting.
    void surfaceOverCoresIsTheSurface_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("poolBusy");
        QTest::newRow("no row") << 0 << false;
        QTest::newRow("one row") << 1 << false;
        QTest::newRow("one whole band") << 16 << false;
        QTest::newRow("a band and a row") << 17 << false;
        QTest::newRow("many bands, the last one short") << 203 << false;
        QTest::newRow("many bands, every pool thread busy") << 203 << true;
    }

    void surfaceOverCoresIsTheSurface()
    {
        QFETCH(int, rows);
        QFETCH(bool, poolBusy);
        const int threads = poolBusy ? QThreadPool::globalInstance()->maxThreadCount() : 0;
        QSemaphore started, release;
        std::vector<QFuture<void>> busy;
        for (int k = 0; k < threads; ++k)
            busy.push_back(QtConcurrent::run([&] {
                started.release();
                release.acquire();
            }));
        started.acquire(threads);
        const SurfaceGrid grid{-1.5, 1.5, -20, 30, 23, rows};
        const std::vector<double> shared = surfaceOverCores(grid, 6, {}, kNoisy.points());
        release.release(threads);
        for (QFuture<void> &future : busy)
            future.waitForFinished();
        const std::vector<double> once = errorSurface(grid, 6, {}, kNoisy.points());
        QCOMPARE(shared.size(), size_t(23 * rows));
        QVERIFY(once.empty()
                || std::memcmp(shared.data(), once.data(), once.size() * sizeof(double)) == 0);
    }

    void greyWhereThereIsNoValue()
    {
        auto form = withMap(Sample{{0, 1, 600}, {1, 2, 3}});
        MapPlot &plano = *form->mapa->plano;
        plano.setFrame({-6, 6, -20, 20});
        const QImage image = plano.grab().toImage();
        // |c (600 - t0)| is beyond 709.78 from c = 1,19 on.
        QCOMPARE(image.pixel(plano.position(4, 0).toPoint()), kNoValueColour);
        QCOMPARE(image.pixel(plano.position(-4, 10).toPoint()), kNoValueColour);
        QVERIFY(image.pixel(plano.position(0.5, 0).toPoint()) != kNoValueColour);
        QVERIFY(image.pixel(plano.position(-0.5, -10).toPoint()) != kNoValueColour);
    }

    // The line under the map is what a move of the pointer to where it rests
    // would write: after a zoom (which near the bars' ends shifts the frame
    // under the pointer) and after a click, whose release commits the point.
    void lineFollowsThePointer()
    {
        auto form = withMap();
        MapaError &mapa = *form->mapa;
        MapPlot &plano = *mapa.plano;
        const QPoint at = plano.plotArea().topLeft() + QPoint(30, 25);
        hover(plano, at);
        const QString before = mapa.lectura->text();
        QWheelEvent out(at, plano.mapToGlobal(at), {}, {0, -12 * 120}, Qt::NoButton, {},
                        Qt::NoScrollPhase, false);
        QApplication::sendEvent(&plano, &out);
        const QString zoomed = mapa.lectura->text();
        hover(plano, at + QPoint(5, 5));
        hover(plano, at);
        QVERIFY(zoomed != before && zoomed == mapa.lectura->text());

        const QPoint centre = plano.plotArea().center();
        hover(plano, centre);
        QTest::mousePress(&plano, Qt::LeftButton, {}, centre);
        QTest::mouseRelease(&plano, Qt::LeftButton, {}, centre + QPoint(2, 1)); // still a click
        const QString line = mapa.lectura->text();
        QVERIFY2(line.contains("c = " + form->Cval->text() + ";")
                         && line.contains("t0 = " + form->Tval->text() + ";"),
                 qPrintable(line));
        // At its least width the window still shows the line whole.
        mapa.resize(mapa.minimumSizeHint());
        QTest::qWait(20);
        hover(plano, plano.plotArea().center() + QPoint(3, 3));
        QCOMPARE(mapa.lectura->shownText(), mapa.lectura->text());
    }

    // With no point left in use the map and the report show no fit: "—" for
    // E and the best fit, no residual row, and a key without values.
    void viewsFollowWhenNoPointIsLeft_data()
    {
        QTest::addColumn<bool>("restore"); // "Recuperar" of an empty file, or "Gráfica"
        QTest::newRow("Gráfica over an empty grid") << false;
        QTest::newRow("Recuperar of a file with no point in the chart view") << true;
    }

    void viewsFollowWhenNoPointIsLeft()
    {
        QFETCH(bool, restore);
        MessageRecorder messages;
        auto form = withMap();
        form->verInforme->click();
        QTemporaryDir dir;
        QFile file(dir.filePath("datos.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(pointFileBytes({})) > 0);
        file.close();
        if (restore) {
            form->recuperarDe(file.fileName());
        } else {
            form->Command5_Click();
            fillGrid(*form, {""}, {""});
            form->Command5_Click();
        }
        QCOMPARE(messages.texts, QStringList{"no hay datos introducidos"});
        const InformeAjuste &report = *form->informe;
        QCOMPARE(figureText(report, "n, puntos, ajuste actual"), QStringLiteral("0"));
        QCOMPARE(figureText(report, "E, error cuadrático, ajuste actual"), QStringLiteral("—"));
        QCOMPARE(figureText(report, "a, mejor ajuste"), QStringLiteral("—"));
        QVERIFY(!report.ajusteActual().residuals.size());
        MapaError &mapa = *form->mapa;
        hover(*mapa.plano, mapa.plano->plotArea().center());
        QVERIFY2(mapa.lectura->text().endsWith("E = —"), qPrintable(mapa.lectura->text()));
        QVERIFY(mapa.plano->accessibleDescription().contains("error cuadrático —."));
        QCOMPARE(mapa.escala->accessibleDescription(),
                 QStringLiteral("Sin valor en todo el mapa."));
    }

    // The colour key says what the surface holds, to the eye and to a screen
    // reader: with every y 0 and a free a, E is 0 everywhere, the bottom colour.
    void colourKeySaysWhatIsThere_data()
    {
        QTest::addColumn<bool>("holdA");
        QTest::addColumn<QString>("described");
        QTest::newRow("every y 0 with a free a is E = 0 everywhere")
                << false << "E = 0 en todo el mapa.";
        QTest::newRow("with a held at 5 E is a sum of squares over decades") << true << "De ";
    }

    void colourKeySaysWhatIsThere()
    {
        QFETCH(bool, holdA);
        QFETCH(QString, described);
        MessageRecorder messages; // a mean of 0 overflows the normalized error
        auto form = withMap(Sample{{0, 1, 2, 3}, {0, 0, 0, 0}});
        form->Check1->setValue(holdA ? 1 : 0);
        ColourKey &key = *form->mapa->escala;
        QVERIFY2(key.accessibleDescription().startsWith(described),
                 qPrintable(key.accessibleDescription()));
        const QImage bar = key.grab().toImage();
        const QRect along = key.barArea();
        const QRgb low = bar.pixel(along.center().x(), along.bottom() - 2);
        QCOMPARE(low == bar.pixel(along.center().x(), along.top() + 2), !holdA);
        QVERIFY(holdA || low == mapColour(0));
    }

    // With the map open the fit runs exactly as with it closed.
    void openMapChangesNothing()
    {
        MessageRecorder messages;
        auto closed = chartView(kNoisy);
        auto open = withMap();
        for (Form1 *form : {closed.get(), open.get()}) {
            form->paso->click();
            form->paso4->click();
        }
        QVERIFY(open->a == closed->a && open->c == closed->c && open->t0 == closed->t0);
        QVERIFY(open->errorCuad == closed->errorCuad && open->errorAnt == closed->errorAnt);
        QCOMPARE(shownState(*open), shownState(*closed));
        QCOMPARE(open->graf->image(), closed->graf->image());
        QVERIFY(messages.texts.isEmpty());
    }

    // The wheel zooms about the pointer, a drag pans without choosing a start,
    // "Encuadrar" frames the map again, Esc closes it, and it opens again
    // where it was; in the data view a click chooses nothing.
    void windowAndViewBehave()
    {
        auto form = withMap();
        MapaError &mapa = *form->mapa;
        MapPlot &plano = *mapa.plano;
        QCOMPARE(mapa.windowTitle(), QStringLiteral("Mapa del error"));
        QCOMPARE(plano.surfacesComputed(), 1); // opening computes the surface once
        const MapFrame framed = plano.frame();
        const QPointF pointer = plano.plotArea().center() + QPointF(40, 30);
        const QPointF under = plano.pointAt(pointer);
        QWheelEvent wheel(pointer, plano.mapToGlobal(pointer), {}, {0, 120}, Qt::NoButton, {},
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&plano, &wheel);
        QCOMPARE_NEAR(plano.frame().cHigh - plano.frame().cLow, 0.8 * (framed.cHigh - framed.cLow));
        QCOMPARE_NEAR(plano.pointAt(pointer).x(), under.x());
        QCOMPARE_NEAR(plano.pointAt(pointer).y(), under.y());

        const MapFrame zoomed = plano.frame();
        const QPoint from = pointer.toPoint();
        QTest::mousePress(&plano, Qt::LeftButton, {}, from);
        QTest::mouseMove(&plano, from + QPoint(50, 0));
        QTest::mouseRelease(&plano, Qt::LeftButton, {}, from + QPoint(50, 0));
        QCOMPARE_NEAR(plano.frame().cLow,
                      zoomed.cLow - 50.0 / plano.plotArea().width() * (zoomed.cHigh - zoomed.cLow));
        QVERIFY(form->a == 5 && form->c == 1 && form->t0 == 0);

        mapa.encuadrar->click();
        QVERIFY(plano.frame() == framed);

        mapa.move(mapa.pos() + QPoint(30, 20));
        mapa.resize(mapa.size() + QSize(60, 40));
        const QRect where = mapa.geometry();
        QTest::keyClick(&mapa, Qt::Key_Escape);
        QVERIFY(!mapa.isVisible());
        form->verMapa->click();
        QVERIFY(mapa.isVisible());
        QCOMPARE(mapa.geometry(), where);
        QCOMPARE(form->mapa, &mapa);

        // In the data view no box takes a value, nor does the map.
        form->Command5_Click();
        emit mapa.puntoElegido(0.5, 3);
        QVERIFY(form->a == 5 && form->c == 1 && form->t0 == 0 && form->modoDatos);
    }
};

QTEST_MAIN(tst_Map)
#include "tst_map.moc"
