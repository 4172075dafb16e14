// Number <-> text under any input. The first byte chooses the locale, by its
// remainder modulo 6 ('0' C, '1' Spanish, '2' Swedish, '3' Arabic (Egypt),
// '4' Persian, '5' French): decimal comma or point, U+2212 minus signs,
// direction marks, native digits. The rest is the text, as UTF-8. Reading may
// fault but never crash, and whatever reads as a number writes a text of ASCII
// only that reads back to the very same number and writes the same text
// again. When the rest is exactly eight bytes it is also taken as a double.

#include "numeric/fault.h"
#include "platform/number_text.h"

#include <QLocale>
#include <QString>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void fail(const char *what, const QString &text, double value)
{
    std::fprintf(stderr, "fuzz_number_text: %s: text \"%s\", value %.17g, locale %s\n", what,
                 qUtf8Printable(text), value, qUtf8Printable(QLocale().name()));
    std::abort();
}

// The written text is ASCII, reads back to exactly `value` and is a fixed
// point of writing and reading.
void checkRoundTrip(double value)
{
    const QString written = numberToText(value);
    for (const QChar ch : written) {
        if (ch.unicode() >= 128)
            fail("a written number holds a character outside ASCII", written, value);
    }
    double again = 0.0;
    try {
        again = textToNumber(written);
    } catch (const Fault &) {
        fail("a written number does not read back", written, value);
    }
    // -0 is written "0" and reads back as +0, which compares equal.
    if (again != value)
        fail("a written number reads back as another value", written, value);
    if (numberToText(again) != written)
        fail("a number read back writes another text", written, value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QLocale locales[] = {QLocale::c(),
                                      QLocale(QLocale::Spanish, QLocale::Spain),
                                      QLocale(QLocale::Swedish, QLocale::Sweden),
                                      QLocale(QLocale::Arabic, QLocale::Egypt),
                                      QLocale(QLocale::Persian, QLocale::Iran),
                                      QLocale(QLocale::French, QLocale::France)};
    if (size == 0)
        return 0;
    QLocale::setDefault(locales[data[0] % 6]);
    const char *rest = reinterpret_cast<const char *>(data + 1);
    const qsizetype restSize = qsizetype(size - 1);
    const QString text = QString::fromUtf8(rest, restSize);

    try {
        const double value = textToNumber(text);
        if (!std::isfinite(value))
            fail("a text reads as a number that is not finite", text, value);
        checkRoundTrip(value);
    } catch (const Fault &) {
        // Not a number in this locale.
    }

    try {
        const double count = leadingNumber(text);
        if (!std::isfinite(count))
            fail("the count reader gives a number that is not finite", text, count);
    } catch (const Fault &) {
        // A count beyond the double range.
    }

    if (restSize == sizeof(double)) {
        double value = 0.0;
        std::memcpy(&value, rest, sizeof value);
        // The program writes finite numbers only: every result is checked first.
        if (std::isfinite(value))
            checkRoundTrip(value);
    }
    return 0;
}
