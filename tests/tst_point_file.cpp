// The point file read from its bytes, with no window and no application.

#include "datafile/data_path.h"
#include "datafile/point_file.h"

#include <QTest>

namespace {

// What a grid box holds.
constexpr int kBoxLength = 32767;

} // namespace

class tst_PointFile : public QObject
{
    Q_OBJECT

private slots:
    void readsFile_data();
    void readsFile();
    void refusesFile_data();
    void refusesFile();
    void readingStopsAtTheBoundWhateverTheSizeSays();
};

void tst_PointFile::readsFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");
    const QByteArray fourLines("a\r\nb\r\nc\r\nd\r\n");
    QTest::newRow("a count of zero takes no row") << QByteArray(" 0 \r\n") << QStringList{};
    QTest::newRow("lines after the announced pairs are ignored")
            << QByteArray(" 1 \r\n7\r\n8\r\n9\r\n10\r\n") << QStringList{"7", "8"};
    QTest::newRow("a count of 2.5 rounds to the even 2") << QByteArray("2.5\r\n") + fourLines
                    + "e\r\nf\r\n" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("a count of 1.5 rounds to the even 2")
            << QByteArray("1.5\r\n") + fourLines << QStringList{"a", "b", "c", "d"};
    QTest::newRow("a count of 2,5 stops at the comma") << QByteArray("2,5\r\n") + fourLines
                    + "e\r\nf\r\n" << QStringList{"a", "b", "c", "d"};
    QTest::newRow("a signed count after a tab is read")
            << QByteArray("\t+1\r\nx\r\ny\r\n") << QStringList{"x", "y"};
    QTest::newRow("lines ending in a line feed alone are read")
            << QByteArray(" 2 \n1\n2\n3\n4\n") << QStringList{"1", "2", "3", "4"};
    QTest::newRow("a last line without its line end is read")
            << QByteArray(" 1 \r\n5\r\n6") << QStringList{"5", "6"};
    QTest::newRow("texts are taken untouched, blanks and empty lines included")
            << QByteArray(" 2 \r\n 1,5 \r\n\r\nabc\r\n-\r\n")
            << QStringList{" 1,5 ", "", "abc", "-"};
    QTest::newRow("byte F1 reads as an n tilde") << QByteArray(" 1 \r\nse\xf1"
                                                               "al\r\n2\r\n")
                                                 << QStringList{"se\u00f1al", "2"};
    QTest::newRow("a line as long as a box is taken whole")
            << QByteArray(" 1 \r\n") + QByteArray(kBoxLength, '7') + "\r\n8\r\n"
            << QStringList{QString(kBoxLength, u'7'), "8"};
    QByteArray atTheBound(" 1 \r\n5\r\n6\r\n");
    atTheBound += QByteArray(pointFileLimit(kBoxLength) - atTheBound.size(), 'x');
    QTest::newRow("a file exactly at the size bound is read")
            << atTheBound << QStringList{"5", "6"};
}

void tst_PointFile::readsFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    const PointFile read = parsePointFile(file, kBoxLength);
    QCOMPARE(read.refusal, QString());
    QCOMPARE(read.texts, expected);
}

void tst_PointFile::refusesFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reason");
    const QString notPoints = QStringLiteral("no es un archivo de puntos");
    const QString outOfRange = QStringLiteral("no está entre 0 y 20");
    QTest::newRow("an empty file") << QByteArray("") << QStringLiteral("vacío");
    QTest::newRow("letters in the first line") << QByteArray("abc\r\n1\r\n2\r\n") << notPoints;
    QTest::newRow("an empty first line") << QByteArray("\r\n1\r\n2\r\n") << notPoints;
    QTest::newRow("a sign and blanks without a digit") << QByteArray(" - \r\n") << notPoints;
    QTest::newRow("a picture") << QByteArray::fromHex("89504e470d0a1a0a0000000d49484452")
                               << notPoints;
    QTest::newRow("a UTF-16 text behind its byte-order mark") << QByteArray("\xff\xfe \0"
                                                                            "1\0 \0\r\0\n\0",
                                                                            12)
                                                              << notPoints;
    QTest::newRow("a count of 21 is beyond the grid")
            << QByteArray(" 21 \r\n") + QByteArray("1\r\n").repeated(42) << outOfRange;
    QTest::newRow("a count of -1") << QByteArray("-1 \r\n1\r\n2\r\n") << outOfRange;
    QTest::newRow("a count of 99999 is beyond 16 bits") << QByteArray(" 99999 \r\n") << outOfRange;
    QTest::newRow("a count too large for a double") << QByteArray("1e999\r\n") << outOfRange;
    QTest::newRow("fewer lines than the count announces")
            << QByteArray(" 3 \r\n1\r\n2\r\n3\r\n4\r\n5\r\n") << QStringLiteral("faltan líneas");
    QTest::newRow("a used line longer than a box")
            << QByteArray(" 1 \r\n") + QByteArray(kBoxLength + 1, '7') + "\r\n8\r\n"
            << QStringLiteral("demasiado larga");
    QByteArray overTheBound(" 1 \r\n5\r\n6\r\n");
    overTheBound += QByteArray(pointFileLimit(kBoxLength) + 1 - overTheBound.size(), 'x');
    QTest::newRow("a file one byte over the size bound")
            << overTheBound << QStringLiteral("demasiado grande");
}

void tst_PointFile::refusesFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, reason);
    const PointFile read = parsePointFile(file, kBoxLength);
    QVERIFY2(read.refusal.contains(reason), qPrintable(read.refusal));
    QCOMPARE(read.texts, QStringList());
}

void tst_PointFile::readingStopsAtTheBoundWhateverTheSizeSays()
{
    // The system gives this regular file's size as 0, like a file still
    // growing; its text is longer than the bound all the same.
    const QString growing = QStringLiteral("/proc/self/maps");
    QFileInfo info(growing);
    if (!info.isFile() || info.size() != 0)
        QSKIP("no /proc/self/maps of unknown size here");
    const DataBytes read = readDataFile(growing, 16);
    QCOMPARE(read.refusal, tooLargeReason());
    QCOMPARE(read.bytes, QByteArray());
    QVERIFY(readDataFile(growing, 1 << 20).bytes.size() > 16);
}

QTEST_APPLESS_MAIN(tst_PointFile)
#include "tst_point_file.moc"
