#pragma once

// Where "datos.txt" may be read from and written to, decided before anything is
// opened, so that nothing blocks and nothing outside the user's reach is
// written through a link someone else planted.

#include <QByteArray>
#include <QString>

// The file a name leads to. Symbolic links are followed only when they belong
// to the user running the program or to the owner of the folder they lie in,
// the rule the kernel applies in shared sticky folders. What the name leads to
// must be a regular file or nothing at all.
struct DataPath
{
    QString path; // the name after its links; empty when refused
    bool exists {false}; // false: the name (or the last link) leads nowhere
    QString refusal; // why the name may not be used, in words for the user
};

DataPath resolveDataPath(const QString &name);

// The whole of the regular file a name leads to, or the reason it cannot be
// read. A file larger than `limit` bytes is refused before it is read, and the
// reading stops after limit + 1 bytes, so a file that grows meanwhile (or one
// whose size the system does not know) cannot fill the memory.
struct DataBytes
{
    QByteArray bytes;
    QString refusal;
};

DataBytes readDataFile(const QString &name, qint64 limit);
