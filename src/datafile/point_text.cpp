#include "datafile/point_text.h"

#include "datafile/point_file.h"
#include "platform/number_text.h"

#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <vector>

namespace {

// The marks that right-to-left text puts around numbers: left-to-right mark,
// right-to-left mark and Arabic letter mark. They say how to show a field,
// not what it holds.
bool isDirectionMark(QChar ch)
{
    return ch == u'\u200e' || ch == u'\u200f' || ch == u'\u061c';
}

// A field without the blanks and direction marks around it.
QString bare(const QString &field)
{
    const auto around = [](QChar ch) { return ch.isSpace() || isDirectionMark(ch); };
    qsizetype start = 0, end = field.size();
    while (start < end && around(field[start]))
        ++start;
    while (end > start && around(field[end - 1]))
        --end;
    return field.mid(start, end - start);
}

// Lines end in CR LF, LF or CR, and at the Unicode line and paragraph
// separators that word processors write; blank lines at the end are no rows.
QStringList linesOf(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const QChar ch = text[k];
        if (ch != u'\r' && ch != u'\n' && ch != u'\u2028' && ch != u'\u2029')
            continue;
        lines << text.mid(start, k - start);
        if (ch == u'\r' && k + 1 < text.size() && text[k + 1] == u'\n')
            ++k;
        start = k + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    while (!lines.isEmpty() && bare(lines.last()).isEmpty())
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
                field = bare(field);
            return fields;
        }
    }
    QStringList fields = bare(line).split(u' ', Qt::SkipEmptyParts);
    for (QString &field : fields)
        field = bare(field);
    fields.removeAll(QString());
    return fields;
}

// The heading "Copiar tabla" writes. Under it an empty field is an empty cell
// and a blank line an empty row, so that a copy of any grid pastes back whole.
bool isOwnHeading(const QString &line)
{
    return line.contains(u'\t') && fieldsOf(line, false) == QStringList{"t", "f(t)"};
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

// A heading names the columns: two fields or more, each holding a letter and
// none a number in any form ("1E5" holds a letter and is a number). A line of
// numbers in a form that does not read ("1.234,5") is no heading: it gets its
// message.
bool isHeading(const QStringList &fields)
{
    const auto named = [](const QString &field) {
        return std::any_of(field.cbegin(), field.cend(), [](QChar ch) { return ch.isLetter(); })
                && !readField(field, true);
    };
    return fields.size() >= 2 && std::all_of(fields.cbegin(), fields.cend(), named);
}

// A field as a message shows it: a long one by its start, whole characters
// only, and control characters as visible signs, since a NUL would end the
// message where it stands.
QString shown(const QString &field)
{
    qsizetype length = field.size();
    if (length > 20)
        length = field.at(19).isHighSurrogate() ? 19 : 20;
    QString text = field.left(length);
    for (QChar &ch : text) {
        if (ch.unicode() < 0x20)
            ch = QChar(0x2400 + ch.unicode()); // the control pictures, ␀ to ␟
        else if (ch == u'\x7f')
            ch = QChar(0x2421);
        else if (ch.category() == QChar::Other_Control)
            ch = QChar(0xfffd);
    }
    return length < field.size() ? text + QStringLiteral("…") : text;
}

QString column(int k)
{
    return k == 0 ? QStringLiteral("t") : QStringLiteral("f(t)");
}

PastedTable refused(const QString &reason)
{
    PastedTable table;
    table.refusal = reason;
    return table;
}

// Why a row's fields do not make a row, or nothing when they do. Under the
// program's own heading an empty field is an empty cell.
QString fieldsProblem(const QStringList &fields, int line, bool ownTable)
{
    if (fields.isEmpty())
        return ownTable ? QString() : QStringLiteral("la línea %1 está en blanco").arg(line);
    if (fields.size() == 1)
        return QStringLiteral("la línea %1 no tiene dos números").arg(line);
    for (int k = 0; k < 2; ++k) {
        if (fields.at(k).isEmpty() && !ownTable)
            return QStringLiteral("el valor de %1 de la línea %2 está vacío")
                    .arg(column(k))
                    .arg(line);
    }
    const QStringList extra = fields.mid(2);
    if (extra.isEmpty())
        return {};
    if (std::all_of(extra.cbegin(), extra.cend(), [](const QString &f) { return f.isEmpty(); }))
        return QStringLiteral("la línea %1 acaba en un separador de más: tras t y f(t) no puede "
                              "haber otro campo, ni vacío")
                .arg(line);
    if (fields.size() == 3)
        return QStringLiteral("la línea %1 tiene un tercer campo («%2»): una fila tiene solo t "
                              "y f(t)")
                .arg(line)
                .arg(shown(extra.first()));
    return QStringLiteral("la línea %1 tiene %2 campos: una fila tiene solo t y f(t)")
            .arg(line)
            .arg(fields.size());
}

// The rows read and checked, the first of them a heading or not.
PastedTable readRows(const std::vector<QStringList> &rows, bool ownTable, int room)
{
    const size_t first = isHeading(rows.front()) ? 1 : 0;
    if (first == rows.size()) {
        QStringList names;
        for (const QString &field : rows.front())
            names << shown(field);
        return refused(QStringLiteral("el texto solo tiene el encabezado «%1»: no hay filas de "
                                      "números que pegar")
                               .arg(names.join(QStringLiteral("», «"))));
    }

    // The full stop is the decimal separator when the paste writes its
    // decimals with it alone.
    bool fullStop = false, comma = false;
    for (size_t k = first; k < rows.size(); ++k) {
        for (const QString &field : rows[k]) {
            fullStop = fullStop || field.contains(u'.');
            comma = comma || field.contains(u',');
        }
    }
    fullStop = fullStop && !comma && decimalSeparator() == u',';

    PastedTable table;
    int taken = 0;
    for (size_t k = first; k < rows.size(); ++k) {
        const int line = int(k) + 1;
        const QStringList &fields = rows[k];
        if (const QString problem = fieldsProblem(fields, line, ownTable); !problem.isEmpty())
            return refused(problem);
        QString cells[2];
        for (int c = 0; c < 2 && c < fields.size(); ++c) {
            if (fields.at(c).isEmpty())
                continue;
            const std::optional<double> value = readField(fields.at(c), fullStop);
            if (!value)
                return refused(
                        QStringLiteral("el valor de %1 de la línea %2 («%3») no es un número")
                                .arg(column(c))
                                .arg(line)
                                .arg(shown(fields.at(c))));
            cells[c] = numberToText(*value);
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

// The plain text of a table cell; its paragraphs apart by U+2029.
QString cellText(const QTextTable &table, int row, int col)
{
    const QTextTableCell cell = table.cellAt(row, col);
    // A cell spanning several columns or rows holds its text once, in its first.
    if (cell.row() != row || cell.column() != col)
        return {};
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return bare(cursor.selectedText());
}

} // namespace

PastedTable parsePastedText(const QString &text, int room, int boxLength)
{
    if (text.size() > pointFileLimit(boxLength))
        return refused(QStringLiteral("el texto es demasiado grande para una tabla de puntos"));
    if (text.isEmpty())
        return refused(QStringLiteral("el texto está vacío"));
    const QStringList lines = linesOf(text);
    if (lines.isEmpty())
        return refused(QStringLiteral("el texto solo tiene espacios en blanco"));

    const bool commaSeparates = decimalSeparator() != u',';
    std::vector<QStringList> rows;
    for (const QString &line : lines)
        rows.push_back(fieldsOf(line, commaSeparates));
    if (rows.size() == 1 && rows.front().size() <= 1) {
        PastedTable table;
        table.ordinaryPaste = true;
        table.texts << lines.front();
        return table;
    }
    return readRows(rows, isOwnHeading(lines.front()), room);
}

PastedTable parsePastedHtml(const QString &html, int room, int boxLength)
{
    if (html.size() > pointFileLimit(boxLength))
        return refused(QStringLiteral("el texto es demasiado grande para una tabla de puntos"));
    // Qt's own HTML import reads the page; the first table at its top level
    // is the one taken, cell by cell.
    QTextDocument document;
    document.setHtml(html);
    const QTextFrame *root = document.rootFrame();
    for (auto it = root->begin(); !it.atEnd(); ++it) {
        const auto *table = qobject_cast<const QTextTable *>(it.currentFrame());
        if (!table)
            continue;
        // Columns and rows empty to the table's end are no fields and no rows.
        std::vector<QStringList> rows;
        int columns = 0;
        for (int r = 0; r < table->rows(); ++r) {
            QStringList fields;
            for (int c = 0; c < table->columns(); ++c) {
                fields << cellText(*table, r, c);
                if (!fields.last().isEmpty())
                    columns = std::max(columns, c + 1);
            }
            rows.push_back(fields);
        }
        for (QStringList &fields : rows)
            fields = fields.mid(0, columns);
        while (!rows.empty() && rows.back().join(QString()).isEmpty())
            rows.pop_back();
        if (rows.empty())
            return refused(QStringLiteral("la tabla no tiene ningún valor"));
        if (rows.size() == 1 && rows.front().size() == 1) {
            PastedTable one;
            one.ordinaryPaste = true;
            one.texts << rows.front().front();
            return one;
        }
        return readRows(rows, false, room);
    }
    // No table: the page's text, as a text would be pasted.
    return parsePastedText(document.toPlainText(), room, boxLength);
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
