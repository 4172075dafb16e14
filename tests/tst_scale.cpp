#include "test_support.h"

#include "platform/picture_box.h"
#include "platform/picture_export.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>

namespace {

// Every window of this test is drawn at a device pixel ratio of 2, as on a
// screen scaled to 200 %.
constexpr qreal kRatio = 2.0;

QHash<QRgb, int> colourCounts(const QImage &image)
{
    QHash<QRgb, int> counts;
    for (int py = 0; py < image.height(); ++py)
        for (int px = 0; px < image.width(); ++px)
            ++counts[image.pixel(px, py) | 0xff000000];
    return counts;
}

// The rightmost column with ink, or -1.
int lastInkColumn(const QImage &picture)
{
    for (int px = picture.width() - 1; px >= 0; --px)
        for (int py = 0; py < picture.height(); ++py)
            if (picture.pixel(px, py) == qRgb(0, 0, 0))
                return px;
    return -1;
}

} // namespace

class tst_Scale : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void chartLandsWhereTheMappingPutsIt_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QPoint>("pixel"); // twips / 7.5, rounded
        QTest::addColumn<QColor>("expected");
        QTest::newRow("the curve at t = 0 is at 1200, 3000 twips")
                << QPointF(0, 5) << QPoint(160, 400) << kRed;
        QTest::newRow("the point (0, 5) is at 1200, 2000 twips")
                << QPointF(0, 5) << QPoint(160, 267) << kBlue;
        QTest::newRow("the point (-5, 10) is in the top-left corner")
                << QPointF(-5, 10) << QPoint(0, 0) << kBlue;
        QTest::newRow("the point (15, 0) reaches into the bottom-right corner")
                << QPointF(15, 0) << QPoint(639, 533) << kBlue;
        // 7.5 twips are half a pixel at ratio 1 but a whole device pixel here.
        QTest::newRow("a point 7.5 twips right of t = 0 reaches one device pixel further")
                << QPointF(7.5 / 240, 5) << QPoint(164, 267) << kBlue;
        QTest::newRow("and leaves the column left of it")
                << QPointF(7.5 / 240, 5) << QPoint(156, 267) << kLightGreen;
        QTest::newRow("above the curve the background is light green")
                << QPointF(0, 5) << QPoint(160, 40) << kLightGreen;
    }

    void chartLandsWhereTheMappingPutsIt()
    {
        QFETCH(QPointF, point);
        QFETCH(QPoint, pixel);
        QFETCH(QColor, expected);
        const auto form = chartForm({point});
        form->pintar();
        const QImage &chart = form->graf->image();
        QCOMPARE(chart.devicePixelRatio(), kRatio);
        QCOMPARE(chart.size(), QSize(640, 534));
        QCOMPARE(chart.pixelColor(pixel), expected);
    }

    void chartHasOnlyItsThreeColours()
    {
        const auto form = chartForm({QPointF(5, 8)}); // clear of the curve
        form->pintar();
        const QHash<QRgb, int> counts = colourCounts(form->graf->image());
        QCOMPARE(counts.size(), 3);
        // Each of the 161 samples is a 2 x 2 dot centred on its point; those at
        // t = -5 and t = 15 are centred on the left and right edges, so half of
        // each shows.
        QCOMPARE(counts.value(kRed.rgb()), 159 * 4 + 2 * 2);
        QCOMPARE(counts.value(kBlue.rgb()), 52); // a round dot 8 device pixels across
    }

    void drawingShowsOnScreenPixelForPixel()
    {
        const auto form = chartForm({QPointF(5, 5)});
        form->pinter();
        form->showChartBlock1(true);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QImage shown = form->graf->grab().toImage();
        QCOMPARE(shown.size(), QSize(640, 534));
        // The curve at t = -2 is centred at 720, 3761.6 twips: 96, 501.5 device pixels.
        QCOMPARE(shown.pixelColor(95, 501), kRed);
        QCOMPARE(shown.pixelColor(96, 502), kRed);
        QCOMPARE(shown.pixelColor(97, 503), kLightGreen); // a sample is 2 x 2, not blown up
        QCOMPARE(shown.pixelColor(320, 267), kBlue);
    }

    // "Guardar imagen…" saves twice the pixels the screen shows, marked to
    // print as large as at scale 1.
    void savedPngHasTwiceTheScreensPixels()
    {
        QTemporaryDir folder;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const auto form = chartView();
        saveDialogHook = [](QFileDialog &dialog) {
            dialog.selectFile(QStringLiteral("grafica"));
            // QFileDialog's own accept, which adds the extension.
            static_cast<QDialog &>(dialog).accept();
        };
        for (QAction *action : form->graf->actions())
            if (action->text() == QStringLiteral("Guardar imagen…"))
                action->trigger();
        saveDialogHook = nullptr;
        QDir::setCurrent(previous);

        const QImage saved(folder.filePath(QStringLiteral("grafica.png")));
        const QSize shown = form->imagenGrafica().size * kRatio;
        QCOMPARE(saved.size(), shown * 2);
        const qreal inches = form->imagenGrafica().size.width() / qreal(form->logicalDpiX());
        QCOMPARE_NEAR(saved.width() / (saved.dotsPerMeterX() * 0.0254), inches);
    }

    void picturesAreDrawnAtTheScreensResolution_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QSize>("pixels"); // the box, in device pixels
        QTest::newRow("the formula") << "funcion" << QSize(306, 178);
        QTest::newRow("the symbol a") << "Picture1" << QSize(66, 66);
        QTest::newRow("the symbol c") << "Picture2" << QSize(82, 66);
        QTest::newRow("the symbol t0") << "Picture3" << QSize(82, 66);
    }

    void picturesAreDrawnAtTheScreensResolution()
    {
        QFETCH(QString, box);
        QFETCH(QSize, pixels);
        const auto form = makeForm();
        const QImage &shown = control<PictureBox>(*form, box)->image();
        QCOMPARE(shown.size(), pixels);
        const QHash<QRgb, int> counts = colourCounts(shown);
        QCOMPARE(QSet<QRgb>(counts.keyBegin(), counts.keyEnd()),
                 QSet<QRgb>({qRgb(0, 0, 0), qRgb(255, 255, 255)}));
        // A bitmap blown up from 1x would be made of uniform 2 x 2 blocks.
        bool finerThanOnePixel = false;
        for (int py = 0; py + 1 < shown.height() && !finerThanOnePixel; py += 2)
            for (int px = 0; px + 1 < shown.width() && !finerThanOnePixel; px += 2)
                finerThanOnePixel = shown.pixel(px, py) != shown.pixel(px + 1, py + 1)
                        || shown.pixel(px, py) != shown.pixel(px + 1, py);
        QVERIFY(finerThanOnePixel);
    }

    void vectorSourcesAreTheBitmaps_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("the formula") << "funcion";
        QTest::newRow("the symbol a") << "a";
        QTest::newRow("the symbol c") << "c";
        QTest::newRow("the symbol t0") << "t0";
    }

    // Ratio 1 shows the bitmaps; every other ratio draws from the SVG files.
    // Both come from the same outlines, so both must be the same picture.
    void vectorSourcesAreTheBitmaps()
    {
        QFETCH(QString, name);
        const QString file = QStringLiteral(":/pictures/") + name;
        const QImage bitmap = QImage(file + QStringLiteral(".bmp"));
        const QImage once = twoColourPicture(file + QStringLiteral(".svg"), 1.0);
        QCOMPARE(once.size(), bitmap.size());
        // An edge that falls exactly on the ink threshold may tip one pixel.
        int differing = 0;
        for (int py = 0; py < bitmap.height(); ++py)
            for (int px = 0; px < bitmap.width(); ++px)
                differing += (once.pixel(px, py) != bitmap.pixel(px, py));
        QVERIFY2(differing <= 1, qPrintable(QString::number(differing)));

        // At ratio 2, a 1x pixel is black when most of its 2 x 2 block is.
        const QImage twice = twoColourPicture(file + QStringLiteral(".svg"), 2.0);
        QCOMPARE(twice.size(), bitmap.size() * 2);
        int agreeing = 0;
        for (int py = 0; py < bitmap.height(); ++py) {
            for (int px = 0; px < bitmap.width(); ++px) {
                int black = 0;
                for (const QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
                    black += twice.pixel(2 * px + d.x(), 2 * py + d.y()) == qRgb(0, 0, 0);
                if (black != 2)
                    agreeing += (black > 2) == (bitmap.pixel(px, py) == qRgb(0, 0, 0));
                else
                    ++agreeing;
            }
        }
        QVERIFY2(agreeing >= 0.99 * bitmap.width() * bitmap.height(),
                 qPrintable(QString::number(agreeing)));
    }

    void formulaFitsInsideItsBox_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("at ratio 1") << 1.0;
        QTest::newRow("at ratio 1.5") << 1.5;
        QTest::newRow("at ratio 2") << 2.0;
    }

    // The box is 153 pixels wide, its frame in the last column; the bitmap is
    // 160 wide. The closing parenthesis is the ink furthest right.
    void formulaFitsInsideItsBox()
    {
        QFETCH(qreal, ratio);
        const QImage formula = ratio == 1.0
                ? QImage(QStringLiteral(":/pictures/funcion.bmp"))
                : twoColourPicture(QStringLiteral(":/pictures/funcion.svg"), ratio);
        const int last = lastInkColumn(formula);
        QVERIFY2(last < 152 * ratio - 1, qPrintable(QString::number(last)));
        QVERIFY2(last > 140 * ratio, qPrintable(QString::number(last)));
    }
};

int main(int argc, char *argv[])
{
    qputenv("QT_SCALE_FACTOR", QByteArray::number(kRatio));
    QApplication app(argc, argv);
    tst_Scale test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scale.moc"
