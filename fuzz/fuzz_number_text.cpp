// Number <-> text under any input. The first byte chooses the locale (even: C,
// odd: Spanish, whose decimal separator is a comma); the rest is the text, as
// UTF-8. Reading may fault but never crash, and whatever reads as a number
// writes a text that reads back to the very same number and writes the same
// text again. When the rest is exactly eight bytes it is also taken as a double.

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

// The written text reads back to exactly `value` and is a fixed point of
// writing and reading.
void checkRoundTrip(double value)
{
    const QString written = numberToText(value);
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
    static const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    if (size == 0)
        return 0;
    QLocale::setDefault(data[0] % 2 == 0 ? QLocale::c() : spanish);
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
