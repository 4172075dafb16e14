#pragma once

// Points as plain text, the way spreadsheets and text files hold them: one
// row a line, the t field and the f(t) field apart by a tab, a semicolon or
// blanks (or a comma, where the comma is not the decimal separator). This is
// what a paste into the grid reads, what a dropped text file is read as, and
// what a copy of the grid writes. A first line whose fields all hold letters
// is a heading; under the heading a copy writes, "t<TAB>f(t)", an empty field
// is an empty cell and a blank line an empty row.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// A pasted text read and checked: the cells' texts of the rows that fit (t then
// f(t) for each row, written as the program writes numbers), how many rows did
// not fit, or, when it is refused, the reason in words for the user. A text of
// one field with no separator is no table: it is pasted as it stands, into the
// one cell.
struct PastedTable
{
    QStringList texts;
    int leftOut{0};
    QString refusal;
    bool ordinaryPaste{false};
};

// From a pasted text to its rows. `room` is how many grid rows lie from the
// row pasted into down to the last one; a text longer than a point file can be
// (for boxes of boxLength characters) is refused before it is read.
PastedTable parsePastedText(const QString &text, int room, int boxLength);

// From an HTML text (a spreadsheet's or a web page's table on the clipboard)
// to its rows: the first table's cells are the fields; a page with no table is
// read as its plain text. Bound as parsePastedText bounds a text.
PastedTable parsePastedHtml(const QString &html, int room, int boxLength);

// The grid's rows as a table with the heading line "t<TAB>f(t)"; `texts` holds
// t then f(t) for each row, as the cells show them, empty cells included.
QString pointTableText(const QStringList &texts);

// The text of a dropped file: UTF-8, or UTF-16/32 with a byte-order mark, or
// else Latin-1. Nothing when the bytes are no text (a NUL byte without a mark).
std::optional<QString> textOfFile(const QByteArray &bytes);
