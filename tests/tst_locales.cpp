// Numbers and the data file under locales whose number conventions differ:
// comma and full-stop decimals, U+2212 minus signs, direction marks, native
// digits and odd group separators. The program writes plain ASCII under all of
// them and reads back whatever it writes.

#include "test_support.h"

#include "numeric/fault.h"
#include "platform/number_text.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cfloat>
#include <random>

namespace {

bool isAscii(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar ch) { return ch.unicode() < 128; });
}

// The number a text reads as; NaN when it does not read.
double read(const QString &text)
{
    try {
        return textToNumber(text);
    } catch (const Fault &) {
        return std::nan("");
    }
}

QStringList gridTexts(const Form1 &form)
{
    QStringList texts;
    for (int k = 0; k < 20; ++k)
        texts << form.xv(k)->text() << form.yv(k)->text();
    return texts;
}

// The locale's own way of writing a number, as Qt writes it (no grouping).
QString nativeText(const QLocale &locale, double value)
{
    QLocale own = locale;
    own.setNumberOptions(QLocale::OmitGroupSeparator);
    return own.toString(value, 'f', QLocale::FloatingPointShortest);
}

// The points of the window tests, typed as the program writes them but for
// one negative y cell typed in the locale's own form.
const QList<double> kT{-1, 0, 1, 2.5};
const QList<double> kY{-0.5, 2.5, 2, 3.25};

void typePoints(Form1 &form, const QLocale &locale)
{
    for (int k = 0; k < kT.size(); ++k) {
        form.xv(k)->setText(numberToText(kT.at(k)));
        form.yv(k)->setText(k == 0 ? nativeText(locale, kY.at(k)) : numberToText(kY.at(k)));
    }
}

} // namespace

class tst_Locales : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void numbersRoundTrip_data() { addLocales(); }
    void numbersRoundTrip();
    void window_data() { addLocales(); }
    void window();
    void dataFileRoundTrip_data() { addLocales(); }
    void dataFileRoundTrip();

private:
    // Every locale with the decimal separator the program uses under it, and
    // what sets the locale apart.
    static void addLocales()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QChar>("separator");
        const std::pair<const char *, const char *> comma[]
                = {{"es_ES", "a point groups"},
                   {"fr_FR", "a narrow no-break space groups"},
                   {"sv_SE", "the minus sign is U+2212 and the exponent is not Qt-readable"},
                   {"fi_FI", "the minus sign is U+2212"},
                   {"nb_NO", "the minus sign is U+2212"}};
        const std::pair<const char *, const char *> point[]
                = {{"de_CH", "U+2019 groups"},
                   {"en_US", "a comma groups"},
                   {"hi_IN", "a comma groups in Indian places"},
                   {"ar_EG", "Arabic-Indic digits, U+066B and a direction mark before the sign"},
                   {"fa_IR", "Persian digits, U+066B and a direction mark before U+2212"}};
        for (const auto &[name, trait] : comma)
            QTest::newRow(qPrintable(QStringLiteral("%1 writes a comma; %2").arg(name, trait)))
                    << QLocale(QString::fromLatin1(name)) << QChar(u',');
        for (const auto &[name, trait] : point)
            QTest::newRow(qPrintable(QStringLiteral("%1 writes a point; %2").arg(name, trait)))
                    << QLocale(QString::fromLatin1(name)) << QChar(u'.');
    }
};

void tst_Locales::numbersRoundTrip()
{
    QFETCH(QLocale, locale);
    QFETCH(QChar, separator);
    QLocale::setDefault(locale);
    QCOMPARE(decimalSeparator(), separator);
    const QChar other = separator == u',' ? u'.' : u',';

    QList<double> values{0.0,      -0.0,      5.0,     -5.0,
                         -1234.5,  0.1 + 0.2, 1.0 / 3, 1e-4,
                         -2.5e-5,  1e-300,    -1e-300, DBL_TRUE_MIN,
                         -DBL_MIN, 1e15,      -1e15,   999999999999999.0,
                         1e300,    -2.5e300,  DBL_MAX, -DBL_MAX};
    std::mt19937_64 random(20240610);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-320, 300);
    for (int k = 0; k < 500; ++k)
        values << (k % 2 ? -1 : 1) * mantissa(random) * std::pow(10.0, exponent(random));

    for (const double value : values) {
        const QString text = numberToText(value);
        const double back = read(text);
        if (!isAscii(text) || text.contains(other) || back != value || numberToText(back) != text)
            QFAIL(qPrintable(QStringLiteral("%1 is written \"%2\", which reads as %3")
                                     .arg(value, 0, 'g', 17)
                                     .arg(text)
                                     .arg(back, 0, 'g', 17)));
    }
    // The forms as they show: hyphen-minus, the separator, the exponent mark.
    QCOMPARE(numberToText(-1234.5), QStringLiteral("-1234") + separator + QStringLiteral("5"));
    QCOMPARE(numberToText(-1.5e-7), QStringLiteral("-1") + separator + QStringLiteral("5E-07"));
    QCOMPARE(numberToText(-0.0), QStringLiteral("0"));

    // A number in the locale's own form reads too: its minus sign (with its
    // direction mark), its digits.
    QCOMPARE(read(nativeText(locale, -1234.5)), -1234.5);
    QCOMPARE(read(nativeText(locale, 1234.5)), 1234.5);
    QCOMPARE(read(locale.negativeSign() + QStringLiteral("5")), -5.0);
    // Grouping never reads, nor the other of comma and full stop (under a
    // comma locale: the full stop).
    QVERIFY(std::isnan(
            read(QStringLiteral("1") + locale.groupSeparator() + QStringLiteral("234"))));
    QVERIFY(std::isnan(read(QStringLiteral("1") + other + QStringLiteral("5"))));
}

void tst_Locales::window()
{
    QFETCH(QLocale, locale);
    QFETCH(QChar, separator);
    MessageRecorder messages;
    auto form = makeForm(locale);

    // The start texts are ASCII and read back.
    const QList<std::pair<TextBox *, double>> starts{{form->Text1, 0.001}, {form->label9, 0.0},
                                                     {form->label10, 0.0}, {form->Lval, 5.0},
                                                     {form->Cval, 1.0},    {form->Tval, 0.0}};
    for (const auto &[box, value] : starts) {
        QVERIFY2(isAscii(box->text()), qPrintable(box->text()));
        QCOMPARE(read(box->text()), value);
    }

    // A full stop typed in the grid warns only where the comma is the separator.
    QTest::keyClick(form->xv(19), '.');
    QCOMPARE(messages.texts.size(), separator == u',' ? 1 : 0);
    form->xv(19)->clear();
    messages.texts.clear();

    // "Gráfica" rewrites the points in the program's form; a second capture
    // (back to the table and to the chart again) still takes every point, and
    // "Un paso" goes through without a message.
    typePoints(*form, locale);
    form->Command5_Click();
    QCOMPARE(form->n, int16_t(kT.size()));
    QCOMPARE(form->yv(0)->text(), numberToText(kY.at(0)));
    form->Command5_Click();
    form->Command5_Click();
    QCOMPARE(form->n, int16_t(kT.size()));
    for (int k = 0; k < kT.size(); ++k)
        QVERIFY(form->x(k) == kT.at(k) && form->y(k) == kY.at(k));
    form->paso->click();
    QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join(" | ")));
    for (TextBox *box : {form->Text1, form->Lval, form->Cval, form->Tval, form->label9})
        QVERIFY2(isAscii(box->text()) && !std::isnan(read(box->text())), qPrintable(box->text()));
}

void tst_Locales::dataFileRoundTrip()
{
    QFETCH(QLocale, locale);
    const QString previous = QDir::currentPath();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir::setCurrent(dir.path()));
    const auto restore = qScopeGuard([&] { QDir::setCurrent(previous); });

    MessageRecorder messages;
    auto saved = makeForm(locale);
    typePoints(*saved, locale);
    saved->Command1_Click();
    auto restored = makeForm(locale);
    restored->Recuperar_Click();

    QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join(" | ")));
    QFile file(QStringLiteral("datos.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(std::all_of(bytes.cbegin(), bytes.cend(),
                         [](char ch) { return static_cast<unsigned char>(ch) < 128; }),
             bytes.constData());
    QCOMPARE(gridTexts(*restored), gridTexts(*saved));
    restored->capturar();
    QCOMPARE(restored->n, int16_t(kT.size()));
    for (int k = 0; k < kT.size(); ++k)
        QVERIFY(restored->x(k) == kT.at(k) && restored->y(k) == kY.at(k));
}

QTEST_MAIN(tst_Locales)
#include "tst_locales.moc"
