#include "test_support.h"

#include <QColor>

namespace {

const QColor kWhite(255, 255, 255);
const QColor kGrey(192, 192, 192);
constexpr double kSentinel = -12345.5;

QStringList texts(const ControlArray<TextBox, 20> &column)
{
    QStringList result;
    for (int k = 0; k < column.size(); ++k)
        result << column(k)->text();
    return result;
}

// The cells as typed, padded with empty rows to the full grid.
QStringList padded(QStringList column)
{
    while (column.size() < 20)
        column << QString();
    return column;
}

} // namespace

class tst_Grid : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void capture_data();
    void capture();
    void fullStopWarning_data();
    void fullStopWarning();
};

void tst_Grid::capture_data()
{
    QTest::addColumn<QStringList>("tTyped");
    QTest::addColumn<QStringList>("yTyped");
    QTest::addColumn<int>("expectedCount");
    QTest::addColumn<QStringList>("tShown");
    QTest::addColumn<QStringList>("yShown");
    QTest::addColumn<double>("tOfStopRow"); // x(n) afterwards; the sentinel when untouched

    QTest::newRow("an empty grid takes nothing")
            << QStringList{} << QStringList{} << 0 << QStringList{} << QStringList{} << kSentinel;

    const QStringList tGap{"0", "1", "2", "3", "4", "", "06", "7,50", "8"};
    const QStringList yGap{"1", "2", "3", "4", "5", "6", "07", "1,50", "9"};
    QTest::newRow("an empty t cell in row 5 ends the scan above the filled rows")
            << tGap << yGap << 5 << tGap << yGap << kSentinel;

    const QStringList tLetters{"0", "1", "2", "abc", "4"};
    const QStringList yLetters{"1", "2", "3", "1,50", "5"};
    QTest::newRow("letters in the t cell of row 3 stop the scan and stay as typed")
            << tLetters << yLetters << 3 << tLetters << yLetters << kSentinel;

    QTest::newRow("an empty y cell after a good t keeps the rewritten t")
            << QStringList{"0", "1", "2", "2,50", "4"} << QStringList{"1", "2", "3", "", "5"} << 3
            << QStringList{"0", "1", "2", "2,5", "4"} << QStringList{"1", "2", "3", "", "5"} << 2.5;

    QTest::newRow("leading and trailing zeros are rewritten away")
            << QStringList{"007", "-0,250"} << QStringList{"1,50", "+3"} << 2
            << QStringList{"7", "-0,25"} << QStringList{"1,5", "3"} << kSentinel;

    QTest::newRow("blanks only in a t cell are not empty and fail")
            << QStringList{"1", "   ", "3"} << QStringList{"2", "4", "6"} << 1
            << QStringList{"1", "   ", "3"} << QStringList{"2", "4", "6"} << kSentinel;

    QTest::newRow("a full stop is not a decimal point under the comma locale")
            << QStringList{"1", "2.5"} << QStringList{"2", "4"} << 1 << QStringList{"1", "2.5"}
            << QStringList{"2", "4"} << kSentinel;

    QStringList all;
    for (int k = 0; k < 20; ++k)
        all << QString::number(k);
    QTest::newRow("twenty full rows are all taken and index 20 is never written")
            << all << all << 20 << all << all << kSentinel;
}

void tst_Grid::capture()
{
    QFETCH(QStringList, tTyped);
    QFETCH(QStringList, yTyped);
    QFETCH(int, expectedCount);
    QFETCH(QStringList, tShown);
    QFETCH(QStringList, yShown);
    QFETCH(double, tOfStopRow);

    auto form = makeForm(kSpanish);
    fillGrid(*form, tTyped, yTyped);
    for (int k = 0; k <= 20; ++k)
        form->x(k) = form->y(k) = kSentinel;

    form->capturar();

    QCOMPARE(form->n, expectedCount);
    QCOMPARE(form->i, 20);
    QCOMPARE(texts(form->xv), padded(tShown));
    QCOMPARE(texts(form->yv), padded(yShown));
    for (int k = 0; k < 20; ++k) {
        const QColor expected = k < expectedCount ? kWhite : kGrey;
        QCOMPARE(form->xv(k)->backColor(), expected);
        QCOMPARE(form->yv(k)->backColor(), expected);
    }
    for (int k = 0; k <= 20; ++k) {
        const bool taken = k < expectedCount;
        QCOMPARE_NEAR(form->x(k),
                      taken                        ? kSpanish.toDouble(tShown.at(k))
                              : k == expectedCount ? tOfStopRow
                                                   : kSentinel);
        QCOMPARE_NEAR(form->y(k), taken ? kSpanish.toDouble(yShown.at(k)) : kSentinel);
    }

    // The rewritten texts read back to the same numbers and print the same.
    form->capturar();
    QCOMPARE(form->n, expectedCount);
    QCOMPARE(texts(form->xv), padded(tShown));
    QCOMPARE(texts(form->yv), padded(yShown));
}

void tst_Grid::fullStopWarning_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<bool>("yColumn");
    QTest::addColumn<char>("key");
    QTest::addColumn<int>("warnings");

    QTest::newRow("a full stop in a t cell warns under the comma locale")
            << kSpanish << false << '.' << 1;
    QTest::newRow("a full stop in a y cell warns under the comma locale")
            << kSpanish << true << '.' << 1;
    QTest::newRow("a full stop is the decimal point under C and passes silently")
            << QLocale::c() << false << '.' << 0;
    QTest::newRow("a digit passes silently") << kSpanish << false << '7' << 0;
    QTest::newRow("a comma passes silently") << kSpanish << true << ',' << 0;
    QTest::newRow("a letter passes silently") << kSpanish << false << 'x' << 0;
}

void tst_Grid::fullStopWarning()
{
    QFETCH(QLocale, locale);
    QFETCH(bool, yColumn);
    QFETCH(char, key);
    QFETCH(int, warnings);

    auto form = makeForm(locale);
    TextBox *cell = yColumn ? form->yv(7) : form->xv(7);
    cell->setText(QStringLiteral("1"));
    MessageRecorder recorder;

    QTest::keyClick(cell, key);

    QCOMPARE(recorder.texts, QStringList(warnings, QStringLiteral("Utilice la coma")));
    // The key is neither cancelled nor replaced: it enters once the box is closed.
    QCOMPARE(cell->text(), QStringLiteral("1") + QLatin1Char(key));
}

QTEST_MAIN(tst_Grid)
#include "tst_grid.moc"
