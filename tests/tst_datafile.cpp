#include "test_support.h"

#include "platform/palette.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray readDatos()
{
    QFile file(QStringLiteral("datos.txt"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeDatos(const QByteArray &bytes)
{
    QFile file(QStringLiteral("datos.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every cell of the grid, row by row: t text, then y text.
QStringList gridTexts(const Form1 &form)
{
    QStringList texts;
    for (int k = 0; k < 20; ++k)
        texts << form.xv(k)->text() << form.yv(k)->text();
    return texts;
}

// Where the chart draws the value v at abscissa t, in pixels of graf.
QPoint chartPixel(const Form1 &form, double t, double v)
{
    return QPoint(qRound((240 * t + 1200) / 15.0),
                  qRound((form.escala - v) * 4000 / form.escala / 15.0));
}

// The one message a failed operation shows.
void expectOneMessage(const QStringList &texts, const QString &start)
{
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts.first().startsWith(start), qPrintable(texts.first()));
}

QStringList entriesHere()
{
    return QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class tst_DataFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void savesAndRestoresGrid_data();
    void savesAndRestoresGrid();
    void restoresFile_data();
    void restoresFile();
    void restoreTouchesNothingElse();
    void badFileChangesNothing_data();
    void badFileChangesNothing();
    void failedSaveKeepsOldFile();

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString previousDir;
};

void tst_DataFile::init()
{
    previousDir = QDir::currentPath();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    QVERIFY(QDir::setCurrent(dir->path()));
}

void tst_DataFile::cleanup()
{
    QDir::setCurrent(previousDir);
    dir.reset();
    QLocale::setDefault(QLocale::c());
}

void tst_DataFile::savesAndRestoresGrid_data()
{
    QTest::addColumn<QStringList>("tCells");
    QTest::addColumn<QStringList>("yCells");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("three points give the count and their texts")
            << QStringList{"0", "1", "2"} << QStringList{"1,5", "2,25", "4"}
            << QByteArray(" 3 \r\n0\r\n1,5\r\n1\r\n2,25\r\n2\r\n4\r\n");
    QTest::newRow("an empty grid gives the count line alone")
            << QStringList{} << QStringList{} << QByteArray(" 0 \r\n");
    QTest::newRow("an empty t cell in row 3 ends the file after row 2")
            << QStringList{"0", "1", "2", "", "4"} << QStringList{"5", "6", "7", "8", "9"}
            << QByteArray(" 3 \r\n0\r\n5\r\n1\r\n6\r\n2\r\n7\r\n");
    QTest::newRow("texts are written in their normal form")
            << QStringList{"1,50", "-02"} << QStringList{"3,0", "0,001"}
            << QByteArray(" 2 \r\n1,5\r\n3\r\n-2\r\n0,001\r\n");
    QTest::newRow("a text with an n tilde is no number and ends the file")
            << QStringList{"0", "1\u00f1"} << QStringList{"1", "2"}
            << QByteArray(" 1 \r\n0\r\n1\r\n");
    QStringList t, y;
    QByteArray full(" 20 \r\n");
    for (int k = 0; k < 20; ++k) {
        t << QString::number(k);
        y << QString::number(k * k);
        full += QByteArray::number(k) + "\r\n" + QByteArray::number(k * k) + "\r\n";
    }
    QTest::newRow("a full grid gives twenty points in 41 lines") << t << y << full;
}

void tst_DataFile::savesAndRestoresGrid()
{
    QFETCH(QStringList, tCells);
    QFETCH(QStringList, yCells);
    QFETCH(QByteArray, expected);
    auto form = makeForm(kSpanish);
    MessageRecorder messages;
    fillGrid(*form, tCells, yCells);

    form->Command1_Click();
    QCOMPARE(readDatos(), expected);
    // The second capture finds the texts already in normal form.
    form->Command1_Click();
    QCOMPARE(readDatos(), expected);
    const QStringList saved = gridTexts(*form).mid(0, 2 * form->n);

    // A second window, as in a later run, gets the used rows back and
    // nothing in the rows after them.
    auto other = makeForm(kSpanish);
    fillGrid(*other, QList<QString>(20, "9"), QList<QString>(20, "9"));
    other->Recuperar_Click();
    QCOMPARE(other->n, form->n);
    QCOMPARE(gridTexts(*other), saved + QList<QString>(40 - saved.size()));
    QCOMPARE(messages.texts, QStringList());
}

void tst_DataFile::restoresFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");
    const QByteArray fourLines("a\r\nb\r\nc\r\nd\r\n");
    QTest::newRow("a count of zero empties every row") << QByteArray(" 0 \r\n") << QStringList{};
    QTest::newRow("lines after the announced pairs are ignored")
            << QByteArray(" 1 \r\n7\r\n8\r\n9\r\n10\r\n") << QStringList{"7", "8"};
    QTest::newRow("a count of 2.5 rounds to the even 2")
            << QByteArray("2.5\r\n") + fourLines + "e\r\nf\r\n" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("a count of 1.5 rounds to the even 2")
            << QByteArray("1.5\r\n") + fourLines << QStringList{"a", "b", "c", "d"};
    QTest::newRow("a count of 2,5 stops at the comma")
            << QByteArray("2,5\r\n") + fourLines + "e\r\nf\r\n" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("lines ending in a line feed alone are read")
            << QByteArray(" 2 \n1\n2\n3\n4\n") << QStringList{"1", "2", "3", "4"};
    QTest::newRow("a last line without its line end is read")
            << QByteArray(" 1 \r\n5\r\n6") << QStringList{"5", "6"};
    QTest::newRow("texts are taken untouched, blanks and empty lines included")
            << QByteArray(" 2 \r\n 1,5 \r\n\r\nabc\r\n-\r\n")
            << QStringList{" 1,5 ", "", "abc", "-"};
    QTest::newRow("byte F1 reads as an n tilde")
            << QByteArray(" 1 \r\nse\xf1" "al\r\n2\r\n") << QStringList{"se\u00f1al", "2"};
}

void tst_DataFile::restoresFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    auto form = makeForm(kSpanish);
    MessageRecorder messages;
    fillGrid(*form, QList<QString>(20, "9"), QList<QString>(20, "9"));
    writeDatos(file);

    form->Recuperar_Click();
    QCOMPARE(form->n, int16_t(expected.size() / 2));
    QCOMPARE(gridTexts(*form), expected + QList<QString>(40 - expected.size(), QString()));
    QCOMPARE(messages.texts, QStringList());
}

void tst_DataFile::restoreTouchesNothingElse()
{
    auto form = makeForm(kSpanish);
    MessageRecorder messages;
    fillGrid(*form, {"2", "3"}, {"5", "6"});
    form->Command5_Click();
    QVERIFY(!form->modoDatos);
    const QPoint oldPoint = chartPixel(*form, 2, 5);
    const QPoint newPoint = chartPixel(*form, 8, 2);
    QCOMPARE(form->graf->image().pixelColor(oldPoint), qbColor(Azul));
    const QColor beforeAtNewPoint = form->graf->image().pixelColor(newPoint);
    QVERIFY(beforeAtNewPoint != qbColor(Azul));

    writeDatos(" 3 \r\n8\r\n2\r\n9\r\n1\r\n10\r\n0\r\n");
    form->Recuperar_Click();

    QCOMPARE(form->n, int16_t(3));
    QCOMPARE(form->xv(2)->text(), QStringLiteral("10"));
    QCOMPARE_NEAR(form->x(0), 2.0);
    QCOMPARE_NEAR(form->y(1), 6.0);
    QCOMPARE(form->xv(0)->backColor(), qbColor(Blanco));
    QCOMPARE(form->xv(2)->backColor(), qbColor(GrisClaro));
    QCOMPARE(form->graf->image().pixelColor(oldPoint), qbColor(Azul));
    QCOMPARE(form->graf->image().pixelColor(newPoint), beforeAtNewPoint);
    QVERIFY(!form->modoDatos);
    QCOMPARE(messages.texts, QStringList());
}

void tst_DataFile::badFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("a missing file") << QByteArray();
    QTest::newRow("an empty file") << QByteArray("");
    QTest::newRow("a count of 21 is beyond the grid")
            << QByteArray(" 21 \r\n") + QByteArray("1\r\n").repeated(42);
    QTest::newRow("a count of -1") << QByteArray("-1 \r\n1\r\n2\r\n");
    QTest::newRow("a count of 99999 is beyond 16 bits") << QByteArray(" 99999 \r\n");
    QTest::newRow("a count too large for a double") << QByteArray("1e999\r\n");
    QTest::newRow("fewer lines than the count announces")
            << QByteArray(" 3 \r\n1\r\n2\r\n3\r\n4\r\n5\r\n");
}

void tst_DataFile::badFileChangesNothing()
{
    QFETCH(QByteArray, file);
    auto form = makeForm(kSpanish);
    MessageRecorder messages;
    fillGrid(*form, {"1", "2"}, {"3", "4"});
    form->capturar();
    const QStringList before = gridTexts(*form);
    if (!file.isNull())
        writeDatos(file);

    form->Recuperar_Click();
    QCOMPARE(form->n, int16_t(2));
    QCOMPARE(gridTexts(*form), before);
    expectOneMessage(messages.texts, "No se pudo recuperar datos.txt");
}

void tst_DataFile::failedSaveKeepsOldFile()
{
    auto form = makeForm(kSpanish);
    fillGrid(*form, {"10", "20", "30"}, {"40", "50", "60"});
    {
        MessageRecorder messages;
        // A directory in the file's place defeats the write even for root.
        QVERIFY(QDir().mkdir("datos.txt"));
        form->Command1_Click();
        expectOneMessage(messages.texts, "No se pudo guardar datos.txt");
        QVERIFY(QFileInfo("datos.txt").isDir());
        QCOMPARE(entriesHere(), QStringList{"datos.txt"});
        QVERIFY(QDir().rmdir("datos.txt"));
    }

    MessageRecorder messages;
    const QByteArray old(" 1 \r\n1\r\n2\r\n");
    writeDatos(old);
    // A file size limit stops the write part-way whoever runs the test; the
    // signal it raises is ignored so the write just reports the error.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 8;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    form->Command1_Click();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    expectOneMessage(messages.texts, "No se pudo guardar datos.txt");
    QCOMPARE(readDatos(), old);
    QCOMPARE(entriesHere(), QStringList{"datos.txt"});
}

QTEST_MAIN(tst_DataFile)
#include "tst_datafile.moc"
