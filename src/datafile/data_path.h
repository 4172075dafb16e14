#pragma once

// Reading and writing "datos.txt" where its name leads, without blocking and
// without writing through a link someone else planted. The name is followed
// once, one component at a time through open folders: symbolic links are
// followed only when they belong to the user running the program or to the
// owner of the folder they lie in (the rule the kernel applies in shared
// sticky folders), and what the name leads to must be a regular file or
// nothing at all. What is then read or written is reached from the folder
// found, never by looking the whole name up again.

#include <QByteArray>
#include <QString>

#include <functional>

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

// Makes `bytes` the whole of the file a name leads to, or gives the reason it
// cannot; an empty reason means done. The bytes go to a new file beside the
// old one, synced to disk and renamed over it in the same folder, so the old
// file stays whole until the new one is complete, a failure leaves nothing
// behind, and a link put in the file's place after the check is replaced
// rather than written through. A file that existed keeps its mode.
QString writeDataFile(const QString &name, const QByteArray &bytes);

// When set, writeDataFile calls it once it has decided where the file goes and
// before it writes anything there. Tests plant in it what another user could
// plant at that moment.
extern std::function<void()> dataFileCheckedHook;
