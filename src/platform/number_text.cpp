#include "platform/number_text.h"

#include "numeric/fault.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <string>

QString numberToText(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const double magnitude = std::fabs(value);
    const char format = (magnitude >= 1e-4 && magnitude < 1e15) ? 'f' : 'e';
    return locale.toString(value, format, QLocale::FloatingPointShortest);
}

double textToNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        raiseFault();
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        raiseFault();
    return value;
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
    if (pos < size && (text[pos] == u'e' || text[pos] == u'E' || text[pos] == u'd'
                       || text[pos] == u'D')) {
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
