// Any bytes as "datos.txt", restored into a real window. Restoring either
// completes (the count in 0..20, each used row holding its two lines as
// stored, every other row empty) or shows one message and changes nothing;
// either way the points themselves wait for the next capture.

#include "numeric/fault.h"
#include "platform/message_box.h"
#include "platform/number_text.h"
#include "window/form1.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStringList>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// The window before every restore: recognisable texts in every cell, a count
// and points of its own, which a restore leaves to the next capture.
constexpr int kCountBefore = 7;
constexpr int kBoxLength = 40;

double pointBefore(int k)
{
    return 0.25 * k - 1.0;
}

QString cellBefore(char column, int row)
{
    return QStringLiteral("%1%2-antes").arg(QLatin1Char(column)).arg(row);
}

[[noreturn]] void fail(const char *what, int row = -1)
{
    std::fprintf(stderr, "fuzz_datafile: %s (row %d)\n", what, row);
    std::abort();
}

Form1 &window()
{
    // Created once and never destroyed: tearing Qt down at exit is no part of
    // what is tested here.
    static Form1 *form = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_datafile";
        static char *argv[] = {name, nullptr};
        new QApplication(argc, argv);
        QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
        auto *created = new Form1;
        // The boxes' real limit (32767 characters) lies beyond the inputs the
        // fuzzer makes; a small one lets it reach lines that do not fit.
        for (int k = 0; k < 20; ++k) {
            created->xv(k)->setMaxLength(kBoxLength);
            created->yv(k)->setMaxLength(kBoxLength);
        }
        return created;
    }();
    return *form;
}

// The restore reads "datos.txt" from the working directory. Each input is
// written to a private one, entered only for the restore: libFuzzer's own
// paths may be relative to the directory it was started in.
const QTemporaryDir &privateDirectory()
{
    static const QTemporaryDir directory;
    if (!directory.isValid())
        fail("no private working directory");
    return directory;
}

// The file's lines as the restore must take them: the bytes as Latin-1, split
// at each line feed, with a carriage return before the line feed dropped; a
// final line feed ends the last line rather than starting another.
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

// The count a complete restore must set, or -1 when the file cannot restore
// completely: no line, a count beyond the 16-bit range or outside 0..20, fewer
// lines than the count announces, or a used line longer than a box holds.
int expectedCount(const QStringList &lines)
{
    if (lines.isEmpty())
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
    Form1 &form = window();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString directory = privateDirectory().path();
    {
        QFile file(directory + QStringLiteral("/datos.txt"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(bytes) != bytes.size())
            fail("cannot write datos.txt");
    }

    for (int k = 0; k < 20; ++k) {
        form.xv(k)->setText(cellBefore('x', k));
        form.yv(k)->setText(cellBefore('y', k));
    }
    form.n = kCountBefore;
    for (int k = 0; k <= 20; ++k) {
        form.x(k) = pointBefore(k);
        form.y(k) = -pointBefore(k);
    }

    int messages = 0;
    messageBoxHook = [&messages](const QString &) { ++messages; };
    const QString startedIn = QDir::currentPath();
    if (!QDir::setCurrent(directory))
        fail("cannot enter the private working directory");
    form.Recuperar_Click();
    QDir::setCurrent(startedIn);
    messageBoxHook = nullptr;

    const QStringList lines = linesOf(bytes);
    const int count = expectedCount(lines);
    const bool complete = count >= 0;

    for (int k = 0; k <= 20; ++k) {
        if (form.x(k) != pointBefore(k) || form.y(k) != -pointBefore(k))
            fail("the points changed", k);
    }
    if (form.ocupado)
        fail("the window is left busy");
    if (messages > 1)
        fail("more than one message");
    if (messages == 1) {
        if (complete)
            fail("a message for a file that restores completely");
        if (form.n != kCountBefore)
            fail("the count changed although the restore was refused");
        for (int k = 0; k < 20; ++k) {
            if (form.xv(k)->text() != cellBefore('x', k)
                || form.yv(k)->text() != cellBefore('y', k))
                fail("a row changed although the restore was refused", k);
        }
        return 0;
    }

    if (!complete)
        fail("no message for a file that cannot restore completely");
    if (form.n != count)
        fail("the count is not the file's count");
    for (int k = 0; k < 20; ++k) {
        const QString x = k < count ? lines.at(1 + 2 * k) : QString();
        const QString y = k < count ? lines.at(2 + 2 * k) : QString();
        if (form.xv(k)->text() != x || form.yv(k)->text() != y)
            fail(k < count ? "a used row does not hold its lines" : "an unused row is not empty",
                 k);
    }
    return 0;
}
