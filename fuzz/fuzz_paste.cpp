// Any text pasted into the grid, read by the same function Ctrl+V and a
// dropped file use, with no window. The first byte chooses the locale (even:
// Spanish, where the comma is the decimal separator; odd: C, where it
// separates fields) and the second the rows left below the pasted row (0 to
// 20); the rest is the text, as UTF-8. A reading refuses with a reason and no
// rows, or is an ordinary paste of one line, or gives cells that each read
// back to a number written as the program writes it or are empty, no more rows
// than fit, and a table that a copy of those rows pastes back as the very same
// cells (but for empty rows at its end, which a text cannot show). An empty
// cell comes only from the heading a copy writes: under any other heading the
// same lines are refused.

#include "datafile/point_text.h"
#include "platform/number_text.h"

#include <QLocale>
#include <QRegularExpression>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

[[noreturn]] void fail(const char *what, const QString &text)
{
    std::fprintf(stderr, "fuzz_paste: %s: text \"%s\", locale %s\n", what, qUtf8Printable(text),
                 qUtf8Printable(QLocale().name()));
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    QLocale::setDefault(data[0] % 2 ? QLocale::c() : QLocale(QLocale::Spanish, QLocale::Spain));
    const int room = data[1] % 21;
    const QString text
            = QString::fromUtf8(reinterpret_cast<const char *>(data) + 2, qsizetype(size) - 2);
    // Boxes of 40 characters bound the text at 1722 characters.
    const PastedTable table = parsePastedText(text, room, 40);

    if (!table.refusal.isEmpty()) {
        if (!table.texts.isEmpty() || table.leftOut != 0 || table.ordinaryPaste)
            fail("a refused paste gives rows", text);
        return 0;
    }
    if (table.ordinaryPaste) {
        if (table.texts.size() != 1)
            fail("an ordinary paste is not one text", text);
        return 0;
    }
    const qsizetype rows = table.texts.size() / 2;
    if (table.texts.size() % 2 != 0 || rows > room || table.leftOut < 0
        || (table.leftOut > 0 && rows != room))
        fail("the rows do not fit the room as they should", text);
    bool empty = false;
    for (const QString &cell : table.texts) {
        empty = empty || cell.isEmpty();
        const std::optional<double> value = readNumber(cell);
        if (!cell.isEmpty() && (!value || numberToText(*value) != cell))
            fail("a cell is not a number in normal form", text);
    }
    if (empty) {
        static const QRegularExpression lineEnd(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}]"));
        const qsizetype end = text.indexOf(lineEnd);
        const QString otherHeading = QStringLiteral("a\tb") + text.mid(end);
        if (end < 0 || parsePastedText(otherHeading, room, 40).refusal.isEmpty())
            fail("an empty cell under a heading of no copy", text);
    }
    QStringList whole = table.texts;
    while (whole.size() >= 2 && whole.last().isEmpty() && whole.at(whole.size() - 2).isEmpty())
        whole.resize(whole.size() - 2);
    if (!whole.isEmpty() && parsePastedText(pointTableText(whole), 20, 40).texts != whole)
        fail("a copy of the rows does not paste back", text);
    return 0;
}
