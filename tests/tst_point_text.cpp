#include "core_support.h"

#include "datafile/point_file.h"
#include "datafile/point_text.h"

#include <QLocale>

namespace {

const QLocale kSpanish(QLocale::Spanish, QLocale::Spain);

// Twenty-two rows "k<TAB>k", with `bad` in place of the f(t) of the last.
QString rows22(const QString &bad = QString())
{
    QString text;
    for (int k = 1; k <= 22; ++k)
        text += QStringLiteral("%1\t%2\n")
                        .arg(k)
                        .arg(k == 22 && !bad.isEmpty() ? bad : QString::number(k));
    return text;
}

QStringList cells(int from, int to)
{
    QStringList texts;
    for (int k = from; k <= to; ++k)
        texts << QString::number(k) << QString::number(k);
    return texts;
}

} // namespace

class tst_PointText : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void parsesPaste_data();
    void parsesPaste();
};

void tst_PointText::parsesPaste_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("room");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("leftOut");
    QTest::addColumn<QString>("refusal");

    const QLocale es = kSpanish;
    const QLocale c = QLocale::c();
    QTest::newRow("tabs, as a spreadsheet copies, rewritten in normal form")
            << es << "0\t1,50\r\n-2\t007\r\n"
            << 20 << QStringList{"0", "1,5", "-2", "7"} << 0 << "";
    QTest::newRow("semicolons with blanks around the fields")
            << es << "0 ; 2,5\n1;3E2" << 20 << QStringList{"0", "2,5", "1", "300"} << 0 << "";
    QTest::newRow("runs of blanks and CR line ends")
            << es << "  0    2,5 \r1 3\r" << 20 << QStringList{"0", "2,5", "1", "3"} << 0 << "";
    QTest::newRow("under C the comma separates the fields")
            << c << "0,1.5\n1, 3\n"
            << 20 << QStringList{"0", "1.5", "1", "3"} << 0 << "";
    QTest::newRow("under es_ES the comma is a decimal, and the blank separates")
            << es << "0,5 1,25" << 20 << QStringList{"0,5", "1,25"} << 0 << "";
    QTest::newRow("a heading line of two words is skipped")
            << es << "t\tf(t)\n0\t1\n"
            << 20 << QStringList{"0", "1"} << 0 << "";
    QTest::newRow("full stops alone are decimals under es_ES")
            << es << "0.5\t1.25\n1\t2" << 20 << QStringList{"0,5", "1,25", "1", "2"} << 0 << "";
    QTest::newRow("1.234 under es_ES is not a thousand")
            << es << "1.234 2" << 20 << QStringList{"1,234", "2"} << 0 << "";
    QTest::newRow("rows past the room are left out and counted")
            << es << rows22() << 20 << cells(1, 20) << 2 << "";
    QTest::newRow("from row 17 three rows fit") << es << rows22() << 3 << cells(1, 3) << 19 << "";

    QTest::newRow("letters refuse the paste, naming line and column")
            << es << "0\t1\n1\tabc\n"
            << 20 << QStringList{} << 0 << "el valor de f(t) de la línea 2 («abc») no es un número";
    QTest::newRow("a group separator is refused")
            << es << "1.234,5\t2" << 20 << QStringList{} << 0
            << "el valor de t de la línea 1 («1.234,5») no es un número";
    QTest::newRow("a full stop among decimal commas is refused")
            << es << "1,5\t2\n2.5\t3" << 20 << QStringList{} << 0
            << "el valor de t de la línea 2 («2.5») no es un número";
    QTest::newRow("two full stops are no number")
            << es << "1.2.3\t2" << 20 << QStringList{} << 0
            << "el valor de t de la línea 1 («1.2.3») no es un número";
    QTest::newRow("one field in a row of a table") << es << "0\t1\n2\n3\t4" << 20 << QStringList{}
                                                   << 0 << "la línea 2 no tiene dos números";
    QTest::newRow("an empty field inside a row is named")
            << es << "t;f(t)\n0;\n"
            << 20 << QStringList{} << 0 << "el valor de f(t) de la línea 2 está vacío";
    QTest::newRow("a heading of one word is no heading")
            << es << "datos\n0\t1" << 20 << QStringList{} << 0 << "la línea 1 no tiene dos números";
    QTest::newRow("a no-break space groups, it does not separate")
            << es << QStringLiteral("1\u00a0234 2") << 20 << QStringList{} << 0
            << QStringLiteral("el valor de t de la línea 1 («1\u00a0234») no es un número");
    QTest::newRow("a bad row below the rows that fit still refuses")
            << es << rows22("x") << 20 << QStringList{} << 0
            << "el valor de f(t) de la línea 22 («x») no es un número";
    // What used to paste nothing, or a heading dropped, without a word.
    QTest::newRow("grouped numbers under es_ES are no heading")
            << es << "1.234,5\t2.345,6\n1\t2" << 20 << QStringList{} << 0
            << "el valor de t de la línea 1 («1.234,5») no es un número";
    QTest::newRow("decimal commas under en_US are no heading")
            << QLocale(QLocale::English, QLocale::UnitedStates) << "1,5\t2,5\n3\t4" << 20
            << QStringList{} << 0 << "el valor de t de la línea 1 («1,5») no es un número";
    QTest::newRow("numbers wrapped in direction marks read")
            << es << QStringLiteral("\u200f1,5\u200f\t\u200f-2\u200f\n\u200e3\u061c 4") << 20
            << QStringList{"1,5", "-2", "3", "4"} << 0 << "";
    QTest::newRow("a heading of letters with units is skipped")
            << es << "tiempo (s)\taltura (cm)\n1\t2" << 20 << QStringList{"1", "2"} << 0 << "";
    QTest::newRow("exponents hold a letter and are still numbers")
            << es << "1E5\t2e-3" << 20 << QStringList{"100000", "0,002"} << 0 << "";
    QTest::newRow("a lone line of two words is a heading with no rows")
            << es << "abc\tdef\n"
            << 20 << QStringList{} << 0
            << "el texto solo tiene el encabezado «abc», «def»: no hay filas de números que pegar";
    QTest::newRow("an empty text") << es << "" << 20 << QStringList{} << 0 << "el texto está vacío";
    QTest::newRow("a text of blanks, line ends and marks")
            << es << QStringLiteral(" \t\r\n \u200f\n") << 20 << QStringList{} << 0
            << "el texto solo tiene espacios en blanco";
    QTest::newRow("a tab at the end is a third field, empty")
            << es << "1\t2\t\n"
            << 20 << QStringList{} << 0
            << "la línea 1 acaba en un separador de más: tras t y f(t) no puede haber otro campo, "
               "ni vacío";
    QTest::newRow("two semicolons at the end are extra fields, empty")
            << es << "0;1\n1;2;;" << 20 << QStringList{} << 0
            << "la línea 2 acaba en un separador de más: tras t y f(t) no puede haber otro campo, "
               "ni vacío";
    QTest::newRow("three columns name the third field")
            << es << "1\t2\t3" << 20 << QStringList{} << 0
            << "la línea 1 tiene un tercer campo («3»): una fila tiene solo t y f(t)";
    QTest::newRow("four columns are counted")
            << es << "1;2;;x" << 20 << QStringList{} << 0
            << "la línea 1 tiene 4 campos: una fila tiene solo t y f(t)";
    QTest::newRow("a blank line between rows is named")
            << es << "0\t1\n\n2\t3" << 20 << QStringList{} << 0 << "la línea 2 está en blanco";
    QTest::newRow("under the copy's heading empty fields are empty cells and rows")
            << es << "t\tf(t)\n1\t\n\t2\n\t\n\n3\t4,50\n"
            << 20 << QStringList{"1", "", "", "2", "", "", "", "", "3", "4,5"} << 0 << "";
    QTest::newRow("under the copy's heading the rows past the room are still counted")
            << es << "t\tf(t)\n1\t\n\t\n3\t4" << 2 << QStringList{"1", "", "", ""} << 1 << "";
    QTest::newRow("the line and paragraph separators end lines")
            << es << QStringLiteral("0\t1\u20282\t3\u2029") << 20 << QStringList{"0", "1", "2", "3"}
            << 0 << "";
    QTest::newRow("a NUL is shown, not the end of the message")
            << es << QStringLiteral("0\t1\n1\t2") + QChar(0) + QStringLiteral("3\x7f") << 20
            << QStringList{} << 0
            << QStringLiteral("el valor de f(t) de la línea 2 («2\u24003\u2421») no es un número");
    QTest::newRow("a long field is cut before a whole character")
            << es << QStringLiteral("0\t0123456789012345678\U0001d7ce") << 20 << QStringList{} << 0
            << QStringLiteral("el valor de f(t) de la línea 1 («0123456789012345678…») no es un "
                              "número");
    QTest::newRow("a text larger than a point file is refused")
            << es << QString(pointFileLimit(10) + 1, u'1') << 20 << QStringList{} << 0
            << "el texto es demasiado grande para una tabla de puntos";
}

void tst_PointText::parsesPaste()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(int, room);
    QFETCH(QStringList, texts);
    QFETCH(int, leftOut);
    QFETCH(QString, refusal);

    QLocale::setDefault(locale);
    const PastedTable table = parsePastedText(text, room, 10);
    QCOMPARE(table.refusal, refusal);
    QCOMPARE(table.texts, texts);
    QCOMPARE(table.leftOut, leftOut);
    QVERIFY(!table.ordinaryPaste);
}

QTEST_MAIN(tst_PointText)
#include "tst_point_text.moc"
