// Any bytes as the contents of "datos.txt", read and checked by the same
// function the "Recuperar" button uses, with no application and no window.
// The reading either gives the texts of the rows the count announces, exactly
// as stored, or refuses the file with a reason; a restatement of the file's
// rules below says which, and a disagreement aborts.
//
// The file's size is part of what varies: the box length here is small, and
// the size bound follows from it, so inputs fall on both sides of it. The file's
// type is not: the reading sees bytes only, and the checks of the file itself
// have a table of tests of their own.

#include "datafile/point_file.h"
#include "numeric/fault.h"
#include "platform/number_text.h"

#include <QByteArray>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The boxes' real limit (32767 characters) lies beyond the inputs the fuzzer
// makes; a small one lets it reach lines that do not fit and files beyond the
// size bound (41 lines of 40 characters and their line ends: 1722 bytes).
constexpr int kBoxLength = 40;
constexpr qsizetype kSizeBound = 41 * (kBoxLength + 2);

[[noreturn]] void fail(const char *what, int line = -1)
{
    std::fprintf(stderr, "fuzz_datafile: %s (line %d)\n", what, line);
    std::abort();
}

// The file's lines: the bytes as Latin-1, split at each line feed, with a
// carriage return before the line feed dropped; a final line feed ends the
// last line rather than starting another.
QStringList linesOf(const QByteArray &bytes)
{
    QStringList lines;
    QString line;
    for (const char byte : bytes) {
        if (byte == '\n') {
            if (line.endsWith(QLatin1Char('\r')))
                line.chop(1);
            lines << line;
            line.clear();
        } else {
            line += QChar(uchar(byte));
        }
    }
    if (!bytes.isEmpty() && !bytes.endsWith('\n')) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        lines << line;
    }
    return lines;
}

// Blanks, an optional sign, then a digit.
bool countLineBeginsWithNumber(const QString &line)
{
    int pos = 0;
    while (pos < line.size() && (line[pos] == u' ' || line[pos] == u'\t'))
        ++pos;
    if (pos < line.size() && (line[pos] == u'+' || line[pos] == u'-'))
        ++pos;
    return pos < line.size() && line[pos] >= u'0' && line[pos] <= u'9';
}

// The count a reading must give, or -1 when the file must be refused: larger
// than the bound, no line, a count line that does not begin with a number, a
// count beyond the 16-bit range or outside 0..20, fewer lines than the count
// announces, or a used line longer than a box holds.
int expectedCount(const QByteArray &bytes, const QStringList &lines)
{
    if (bytes.size() > kSizeBound || lines.isEmpty() || !countLineBeginsWithNumber(lines.first()))
        return -1;
    int count = 0;
    try {
        count = roundToPosition(leadingNumber(lines.first()));
    } catch (const Fault &) {
        return -1;
    }
    if (count < 0 || count > 20 || lines.size() < 1 + 2 * count)
        return -1;
    for (int line = 1; line <= 2 * count; ++line) {
        if (lines.at(line).size() > kBoxLength)
            return -1;
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const PointFile read = parsePointFile(bytes, kBoxLength);
    const QStringList lines = linesOf(bytes);
    const int count = expectedCount(bytes, lines);

    if (count < 0) {
        if (read.refusal.isEmpty())
            fail("a file that cannot restore completely is taken");
        if (!read.texts.isEmpty())
            fail("a refused file gives texts");
        return 0;
    }
    if (!read.refusal.isEmpty())
        fail("a file that restores completely is refused");
    if (read.texts.size() != 2 * count)
        fail("the texts are not the count's rows");
    for (int line = 1; line <= 2 * count; ++line) {
        if (read.texts.at(line - 1) != lines.at(line))
            fail("a text is not its line as stored", line);
    }
    return 0;
}
