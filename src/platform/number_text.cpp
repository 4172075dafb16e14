#include "platform/number_text.h"

#include "numeric/fault.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <string>
#include <utility>

QChar decimalSeparator()
{
    const QString locale = QLocale().decimalPoint();
    return locale == QLatin1String(",") ? QLatin1Char(',') : QLatin1Char('.');
}

QString numberToText(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    // Qt's C locale writes the shortest digits in ASCII, with an upper-case
    // exponent mark under 'E' and at least two exponent digits: what the
    // Spanish locale wrote before, byte for byte, but for the decimal comma.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    const double magnitude = std::fabs(value);
    const char format = (magnitude >= 1e-4 && magnitude < 1e15) ? 'f' : 'E';
    QString text = c.toString(value, format, QLocale::FloatingPointShortest);
    const QChar separator = decimalSeparator();
    if (separator != QLatin1Char('.'))
        text.replace(QLatin1Char('.'), separator);
    return text;
}

namespace {

// The locale's own signs as ASCII '-' and '+', typed with or without the
// direction mark Qt puts before them (Arabic: U+061C then '-'; Persian: U+200E
// then U+2212; Swedish: U+2212 alone). Qt's reader reads none of these forms
// under the Arabic and Persian locales.
QString asciiSigns(QString text, const QLocale &locale)
{
    const auto bare = [](QString sign) {
        sign.remove(QChar(0x061C)).remove(QChar(0x200E)).remove(QChar(0x200F));
        return sign;
    };
    const std::pair<QString, QLatin1Char> signs[] = {{locale.negativeSign(), QLatin1Char('-')},
                                                     {locale.positiveSign(), QLatin1Char('+')}};
    for (const auto &[sign, ascii] : signs) {
        text.replace(sign, QString(ascii));
        if (!bare(sign).isEmpty())
            text.replace(bare(sign), QString(ascii));
    }
    return text;
}

// The program's own form: ASCII digits, signs, exponent marks and the decimal
// separator of decimalSeparator(); the other of comma and full stop is refused
// here (a group separator, or a full stop where the comma separates decimals).
bool readProgramForm(const QString &text, double &value)
{
    const QChar separator = decimalSeparator();
    QString plain;
    plain.reserve(text.size());
    for (const QChar ch : text) {
        if ((ch >= u'0' && ch <= u'9') || ch == u'+' || ch == u'-' || ch == u'e' || ch == u'E')
            plain += ch;
        else if (ch == separator)
            plain += QLatin1Char('.');
        else
            return false;
    }
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    value = c.toDouble(plain, &ok);
    return ok;
}

} // namespace

std::optional<double> readNumber(const QString &text)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    const QString trimmed = asciiSigns(text.trimmed(), locale);
    if (trimmed.isEmpty())
        return std::nullopt;
    // The program's own form first, so that every text it writes reads back
    // whatever Qt's reader makes of it (Qt does not read back a negative number
    // it writes under the Arabic and Persian locales, nor an exponent under
    // Swedish); then the rest of the locale's own form, as Qt reads it: native
    // digits, the locale's decimal separator.
    double value = 0.0;
    bool ok = readProgramForm(trimmed, value);
    if (!ok)
        value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double textToNumber(const QString &text)
{
    const std::optional<double> value = readNumber(text);
    if (!value)
        raiseFault();
    return *value;
}

double leadingNumber(const QString &text)
{
    // Collect the longest prefix that forms [sign] digits [. digits] [E [sign] digits],
    // skipping blanks anywhere in it.
    std::string number;
    int pos = 0;
    const int size = int(text.size());
    auto skipBlanks = [&] {
        while (pos < size && (text[pos] == u' ' || text[pos] == u'\t'))
            ++pos;
    };
    auto takeDigits = [&] {
        int taken = 0;
        for (skipBlanks(); pos < size && text[pos] >= u'0' && text[pos] <= u'9'; skipBlanks()) {
            number += char(text[pos++].unicode());
            ++taken;
        }
        return taken;
    };

    skipBlanks();
    if (pos < size && (text[pos] == u'+' || text[pos] == u'-'))
        number += char(text[pos++].unicode());
    int mantissaDigits = takeDigits();
    if (pos < size && text[pos] == u'.') {
        number += '.';
        ++pos;
        mantissaDigits += takeDigits();
    }
    if (mantissaDigits == 0)
        return 0.0;
    if (pos < size
        && (text[pos] == u'e' || text[pos] == u'E' || text[pos] == u'd' || text[pos] == u'D')) {
        std::string exponent = "e";
        int save = pos;
        ++pos;
        skipBlanks();
        if (pos < size && (text[pos] == u'+' || text[pos] == u'-'))
            exponent += char(text[pos++].unicode());
        const std::string before = number;
        number.clear();
        if (takeDigits() > 0)
            number = before + exponent + number;
        else {
            number = before;
            pos = save;
        }
    }

    const char *first = number.data();
    if (*first == '+')
        ++first;
    double value = 0.0;
    const auto result = std::from_chars(first, number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars reports underflow the same way; only overflow is a fault.
        // (The C locale reader here, because strtod follows the process locale.)
        if (std::isinf(QLocale::c().toDouble(QString::fromLatin1(number))))
            raiseFault();
        return 0.0;
    }
    return value;
}
