#pragma once

// The point file "datos.txt" as bytes, apart from any window or file: a count
// line, then the t text and the y text of each used row; every line ends in
// CR LF and every character is one Latin-1 byte, so any text the file can hold
// survives the round trip unchanged.

#include <QByteArray>
#include <QString>
#include <QStringList>

// The largest file a point file can be: 41 lines (the count and two for each of
// the twenty rows), each as long as a grid box holds (boxLength characters)
// plus its CR LF. With the boxes' 32767 characters that is 1,343,529 bytes.
qint64 pointFileLimit(int boxLength);

// Why a file larger than pointFileLimit is refused.
QString tooLargeReason();

// A file read and checked: the texts of its used rows, t then y for each row
// (twice the count), or, when it is refused, the reason in words for the user.
struct PointFile
{
    QStringList texts;
    QString refusal;
};

// From the file's bytes to its rows' texts or the reason for refusing it.
// boxLength is the longest text a grid box holds: a longer line would be cut.
PointFile parsePointFile(const QByteArray &bytes, int boxLength);

// The position of the first character of text the file cannot hold (one
// outside Latin-1), or -1 when every character fits.
qsizetype firstForeignCharacter(const QString &text);

// The file for the used rows' texts (t then y for each row), every text
// holding only characters the file can hold.
QByteArray pointFileBytes(const QStringList &texts);
