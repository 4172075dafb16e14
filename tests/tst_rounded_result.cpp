// Results rounded to their uncertainty, in the numeric core. The oracle is
// the texts a student writes by hand from the value and the error as the
// program shows them; each result is also read back and must lie within half
// a unit of its last place of the value and the error it came from.

#include "core_support.h"
#include "numeric/rounded_result.h"

#include <charconv>
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
        QTest::newRow("the error to two digits and the value to its place")
                << 8.0512 << 0.148 << "8,05 ± 0,15";
        QTest::newRow("a small value keeps its leading zeros")
                << 0.002761 << 0.000512 << "0,00276 ± 0,00051";
        QTest::newRow("an error just below a power of ten keeps its decade")
                << 0.0995 << 0.00149 << "0,0995 ± 0,0015";
        QTest::newRow("a value carried into the next power of ten keeps the zeros of its place")
                << 99.95 << 1.49 << "100,0 ± 1,5";
        QTest::newRow("an error of thirty leaves the value whole") << 316.0 << 30.97 << "316 ± 31";
        QTest::newRow("an error carried into the next decade keeps two digits there")
                << 0.0996 << 0.00996 << "0,100 ± 0,010";
        QTest::newRow("an error in the hundreds rounds the value to tens")
                << 937.0 << 466.0 << "940 ± 470";
        QTest::newRow("a negative value keeps its sign") << -8.0512 << 0.148 << "-8,05 ± 0,15";
        QTest::newRow("a value far below its error rounds to zero")
                << 0.0001 << 12.0 << "0 ± 12";
        QTest::newRow("and loses its sign there") << -0.0001 << 12.0 << "0 ± 12";
        QTest::newRow("a zero keeps the decimals of its place") << 0.0001 << 0.12 << "0,00 ± 0,12";
        QTest::newRow("halves round up on the digits as written, the value's")
                << 2.675 << 0.149 << "2,68 ± 0,15";
        QTest::newRow("and the error's") << 1.0 << 0.145 << "1,00 ± 0,15";
        QTest::newRow("an error rounding up to 1e-4 stays in fixed notation")
                << 0.5 << 0.0000995 << "0,50000 ± 0,00010";
        QTest::newRow("an error below 1e-4 takes the value's exponent")
                << 0.5 << 0.0000994 << "(5,00000 ± 0,00099)E-01";
        QTest::newRow("a small value and its error share an exponent")
                << 1e-7 << 3e-9 << "(1,000 ± 0,030)E-07";
        QTest::newRow("a value below a million stays in fixed notation")
                << 999999.4 << 1.0 << "999999,4 ± 1,0";
        QTest::newRow("a value rounding up to a million takes an exponent")
                << 999999.96 << 1.0 << "(1,0000000 ± 0,0000010)E+06";
        QTest::newRow("an error rounding up to a million takes an exponent, the error's")
                << 5.0 << 999999.4 << "(0,0 ± 1,0)E+06";
        QTest::newRow("a large exponent has three digits")
                << 1.5e300 << 2e298 << "(1,500 ± 0,020)E+300";
        QTest::newRow("seventeen significant digits are the most a value shows")
                << 8.0 << 1.1e-15 << "(8,0000000000000000 ± 0,0000000000000011)E+00";
        QTest::newRow("an error below the value's own rounding has no result")
                << 8.0 << 1e-17 << "";
        QTest::newRow("an error of 0 has no result") << 8.0 << 0.0 << "";
        QTest::newRow("a negative error has no result") << 8.0 << -0.1 << "";
        QTest::newRow("an error that is not a number has no result") << 8.0 << qQNaN() << "";
        QTest::newRow("an infinite value has no result") << qInf() << 0.1 << "";
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
        auto readBack = [](const std::string &whole, const std::string &fraction, double power) {
            const std::string text = whole + "." + fraction + "e" + std::to_string(int(power));
            double x = qQNaN();
            std::from_chars(text.data(), text.data() + text.size(), x);
            return x;
        };
        const int power = result->exponent.value_or(0);
        const double v = readBack(result->valueWhole, result->valueFraction, power);
        const double e = readBack(result->errorWhole, result->errorFraction, power);
        // Both to the place of the error's second significant digit.
        const double unit = std::pow(10.0, std::floor(std::log10(e * 1.000001)) - 1);
        QVERIFY(std::fabs((result->negative ? -v : v) - value) <= unit * (0.5 + 1e-9));
        QVERIFY(std::fabs(e - error) <= unit * (0.5 + 1e-9));
    }
};

QTEST_APPLESS_MAIN(tst_RoundedResult)
#include "tst_rounded_result.moc"
