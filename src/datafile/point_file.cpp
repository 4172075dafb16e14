#include "datafile/point_file.h"

#include "fit/constants.h"
#include "numeric/fault.h"
#include "platform/number_text.h"

#include <algorithm>

namespace {

// The first `most` lines. Lines end in CR LF; a bare LF is accepted as well,
// and a last line without its line end is still a line.
QStringList linesOf(const QByteArray &bytes, int most)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size() && lines.size() < most) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArrayView line(bytes.constData() + start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines << QString::fromLatin1(line);
        start = end + 1;
    }
    return lines;
}

// A count line begins with a number: after blanks and an optional sign comes a
// digit. Text, a picture or a byte-order mark in its place means the file is
// something else, which must not empty the grid as a count of 0 would.
bool beginsWithNumber(const QString &line)
{
    qsizetype pos = 0;
    while (pos < line.size() && (line[pos] == u' ' || line[pos] == u'\t'))
        ++pos;
    if (pos < line.size() && (line[pos] == u'+' || line[pos] == u'-'))
        ++pos;
    return pos < line.size() && line[pos] >= u'0' && line[pos] <= u'9';
}

} // namespace

qint64 pointFileLimit(int boxLength)
{
    return kFileLines * (qint64(boxLength) + 2);
}

QString tooLargeReason()
{
    return QStringLiteral("es demasiado grande para ser un archivo de puntos");
}

PointFile parsePointFile(const QByteArray &bytes, int boxLength)
{
    if (bytes.size() > pointFileLimit(boxLength))
        return {{}, tooLargeReason()};
    // The count and its pairs are all that is read; lines after them are ignored.
    const QStringList lines = linesOf(bytes, kFileLines);
    if (lines.isEmpty())
        return {{}, QStringLiteral("el archivo está vacío")};
    if (!beginsWithNumber(lines.first()))
        return {{},
                QStringLiteral("no es un archivo de puntos: su primera línea no empieza por un "
                               "número")};

    const QString outOfRange
            = QStringLiteral("el número de puntos no está entre 0 y %1").arg(kRows);
    int count = 0;
    try {
        // The count is read the same whatever the locale: a point is the only
        // decimal separator, and the reader stops at anything else.
        count = roundToPosition(leadingNumber(lines.first()));
    } catch (const Fault &) {
        return {{}, outOfRange};
    }
    if (count < 0 || count > kRows)
        return {{}, outOfRange};
    if (lines.size() - 1 < 2 * count)
        return {{}, QStringLiteral("faltan líneas de datos")};
    const QStringList texts = lines.mid(1, 2 * count);
    // A text box would silently cut a longer line short.
    if (std::any_of(texts.cbegin(), texts.cend(),
                    [&](const QString &text) { return text.size() > boxLength; }))
        return {{}, QStringLiteral("una línea de datos es demasiado larga")};
    return {texts, {}};
}

qsizetype firstForeignCharacter(const QString &text)
{
    const auto found = std::find_if(text.cbegin(), text.cend(),
                                    [](QChar character) { return character.unicode() > 0xff; });
    return found == text.cend() ? -1 : found - text.cbegin();
}

QByteArray pointFileBytes(const QStringList &texts)
{
    // The count framed as numbers are in text files: a sign position, the
    // digits, a blank.
    QByteArray bytes = " " + QByteArray::number(texts.size() / 2) + " \r\n";
    for (const QString &text : texts)
        bytes += text.toLatin1() + "\r\n";
    return bytes;
}
