// Results rounded to their uncertainty, in the numeric core. The oracle is
// the texts a student writes by hand from the value and the error as the
// program shows them; each result is also read back and must lie within half
// a unit of its last place of the value and the error it came from.

#include "core_support.h"
#include "numeric/rounded_result.h"

#include <cmath>
#include <string>

class tst_RoundedResult : public QObject
{
    Q_OBJECT

private slots:
    void rounding_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("error");
        QTest::addColumn<QString>("expected"); // empty: no result
        QTest::newRow("two digits of error, the value to their place")
                << 8.0512 << 0.148 << "8,05 ± 0,15";
        QTest::newRow("a small value keeps its leading zeros")
                << 0.002761 << 0.000512 << "0,00276 ± 0,00051";
        QTest::newRow("an error just below a power of ten")
                << 0.0995 << 0.00149 << "0,0995 ± 0,0015";
        QTest::newRow("a value carried to a power of ten keeps its place")
                << 99.95 << 1.49 << "100,0 ± 1,5";
        QTest::newRow("an error of thirty leaves the value whole") << 316.0 << 30.97 << "316 ± 31";
        QTest::newRow("an error carried a decade keeps two digits")
                << 0.0996 << 0.00996 << "0,100 ± 0,010";
        QTest::newRow("an error in hundreds rounds to tens") << 937.0 << 466.0 << "940 ± 470";
        QTest::newRow("a negative value keeps its sign") << -8.0512 << 0.148 << "-8,05 ± 0,15";
        QTest::newRow("a value far below its error rounds to 0") << 0.0001 << 12.0 << "0 ± 12";
        QTest::newRow("and loses its sign there") << -0.0001 << 12.0 << "0 ± 12";
        QTest::newRow("a zero keeps the decimals of its place") << 0.0001 << 0.12 << "0,00 ± 0,12";
        QTest::newRow("halves of the value as written round up") << 2.675 << 0.149 << "2,68 ± 0,15";
        QTest::newRow("and those of the error") << 1.0 << 0.145 << "1,00 ± 0,15";
        QTest::newRow("an error rounding to 1e-4 is fixed")
                << 0.5 << 0.0000995 << "0,50000 ± 0,00010";
        QTest::newRow("one below 1e-4 takes the value's exponent")
                << 0.5 << 0.0000994 << "(5,00000 ± 0,00099)E-01";
        QTest::newRow("small numbers share an exponent") << 1e-7 << 3e-9 << "(1,000 ± 0,030)E-07";
        QTest::newRow("a value below a million is fixed") << 999999.4 << 1.0 << "999999,4 ± 1,0";
        QTest::newRow("one rounding to a million is not")
                << 999999.96 << 1.0 << "(1,0000000 ± 0,0000010)E+06";
        QTest::newRow("nor an error rounding to a million") << 5.0 << 999999.4 << "(0,0 ± 1,0)E+06";
        QTest::newRow("a large exponent has three digits")
                << 1.5e300 << 2e298 << "(1,500 ± 0,020)E+300";
        QTest::newRow("seventeen digits are the most a value shows")
                << 8.0 << 1.1e-15 << "(8,0000000000000000 ± 0,0000000000000011)E+00";
        QTest::newRow("an error below the value's own rounding has none") << 8.0 << 1e-17 << "";
        QTest::newRow("an error of 0 has none") << 8.0 << 0.0 << "";
        QTest::newRow("a negative error has none") << 8.0 << -0.1 << "";
        QTest::newRow("an error that is not a number has none") << 8.0 << qQNaN() << "";
        QTest::newRow("an infinite value has none") << qInf() << 0.1 << "";
    }

    void rounding()
    {
        QFETCH(double, value);
        QFETCH(double, error);
        QFETCH(QString, expected);
        const std::optional<RoundedResult> result = roundToUncertainty(value, error);
        QCOMPARE(result.has_value(), !expected.isEmpty());
        if (!result)
            return;
        QCOMPARE(QString::fromStdString(resultText(*result, ',')), expected);
        QCOMPARE(QString::fromStdString(resultText(*result, '.')),
                 QString(expected).replace(u',', u'.'));

        QCOMPARE(int(result->valueFraction.size()), result->decimals);
        QCOMPARE(int(result->errorFraction.size()), result->decimals);
        // Read back (strtod in the C locale of a test without an application),
        // both lie within half a unit of the error's second significant digit.
        std::string power = "e";
        power += std::to_string(result->exponent.value_or(0));
        const double v = std::stod(result->valueWhole + "." + result->valueFraction + power);
        const double e = std::stod(result->errorWhole + "." + result->errorFraction + power);
        const double unit = std::pow(10.0, std::floor(std::log10(e * 1.000001)) - 1);
        QVERIFY(std::fabs((result->negative ? -v : v) - value) <= unit * (0.5 + 1e-9));
        QVERIFY(std::fabs(e - error) <= unit * (0.5 + 1e-9));
    }
};

QTEST_APPLESS_MAIN(tst_RoundedResult)
#include "tst_rounded_result.moc"
