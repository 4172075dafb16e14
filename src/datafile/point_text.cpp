#include "datafile/point_text.h"

#include "datafile/point_file.h"
#include "platform/number_text.h"

#include <QStringDecoder>

#include <algorithm>
#include <vector>

namespace {

// Lines end in CR LF, LF or CR; blank lines at the end are no rows.
QStringList linesOf(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype k = 0; k < text.size(); ++k) {
        if (text[k] != u'\r' && text[k] != u'\n')
            continue;
        lines << text.mid(start, k - start);
        if (text[k] == u'\r' && k + 1 < text.size() && text[k + 1] == u'\n')
            ++k;
        start = k + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return lines;
}

// A line's fields, apart by the first of tab, semicolon and (where it is no
// decimal separator) comma that the line holds, or else by runs of blanks.
// Only the plain blank separates: a no-break space is a group separator.
QStringList fieldsOf(const QString &line, bool commaSeparates)
{
    for (const char16_t separator : {u'\t', u';', u','}) {
        if (separator == u',' && !commaSeparates)
            continue;
        if (line.contains(separator)) {
            QStringList fields = line.split(separator);
            for (QString &field : fields)
                field = field.trimmed();
            return fields;
        }
    }
    return line.trimmed().split(u' ', Qt::SkipEmptyParts);
}

// A field as a number: in the program's or the locale's form, or, where the
// paste writes its decimals with a full stop and the program with a comma,
// with the full stop as the decimal separator.
std::optional<double> readField(const QString &field, bool fullStop)
{
    if (fullStop) {
        QString withComma = field;
        withComma.replace(u'.', u',');
        if (const std::optional<double> value = readNumber(withComma))
            return value;
    }
    return readNumber(field);
}

PastedTable refused(const QString &reason)
{
    PastedTable table;
    table.refusal = reason;
    return table;
}

} // namespace

PastedTable parsePastedText(const QString &text, int room, int boxLength)
{
    if (text.size() > pointFileLimit(boxLength))
        return refused(QStringLiteral("el texto es demasiado grande para una tabla de puntos"));
    const bool commaIsDecimal = decimalSeparator() == u',';
    const QStringList lines = linesOf(text);
    std::vector<QStringList> rows;
    for (const QString &line : lines)
        rows.push_back(fieldsOf(line, !commaIsDecimal));

    PastedTable table;
    if (rows.size() <= 1 && (rows.empty() || rows.front().size() <= 1)) {
        table.ordinaryPaste = true;
        table.texts << lines.value(0);
        return table;
    }

    // A heading: the first line's two fields both read as no number, in any form.
    const auto isNumber
            = [&](const QString &field) { return readField(field, commaIsDecimal).has_value(); };
    const size_t first = rows.front().size() == 2 && !isNumber(rows.front().at(0))
                    && !isNumber(rows.front().at(1))
            ? 1
            : 0;

    // The full stop is the decimal separator when the paste writes its
    // decimals with it alone.
    bool fullStop = false, comma = false;
    for (size_t k = first; k < rows.size(); ++k) {
        for (const QString &field : rows[k]) {
            fullStop = fullStop || field.contains(u'.');
            comma = comma || field.contains(u',');
        }
    }
    fullStop = fullStop && !comma && commaIsDecimal;

    int taken = 0;
    for (size_t k = first; k < rows.size(); ++k) {
        const int line = int(k) + 1;
        const QStringList &fields = rows[k];
        if (fields.size() != 2 || fields.at(0).isEmpty() || fields.at(1).isEmpty())
            return refused(QStringLiteral("la línea %1 no tiene dos números").arg(line));
        QString cells[2];
        for (int column = 0; column < 2; ++column) {
            const std::optional<double> value = readField(fields.at(column), fullStop);
            if (!value) {
                // A long field is shown by its start.
                QString shown = fields.at(column);
                if (shown.size() > 20)
                    shown = shown.left(20) + QStringLiteral("…");
                return refused(
                        QStringLiteral("el valor de %1 de la línea %2 («%3») no es un número")
                                .arg(column == 0 ? QStringLiteral("t") : QStringLiteral("f(t)"))
                                .arg(line)
                                .arg(shown));
            }
            cells[column] = numberToText(*value);
        }
        if (taken < room) {
            table.texts << cells[0] << cells[1];
            ++taken;
        } else {
            ++table.leftOut;
        }
    }
    return table;
}

QString pointTableText(const QStringList &texts)
{
    QString table = QStringLiteral("t\tf(t)\n");
    for (qsizetype k = 0; k + 1 < texts.size(); k += 2)
        table += texts.at(k) + u'\t' + texts.at(k + 1) + u'\n';
    return table;
}

std::optional<QString> textOfFile(const QByteArray &bytes)
{
    // A byte-order mark names the encoding (and is not part of the text).
    if (const std::optional<QStringConverter::Encoding> marked
        = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*marked);
        return QString(decoder(bytes));
    }
    if (bytes.contains('\0'))
        return std::nullopt;
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}
