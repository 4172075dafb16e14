#pragma once

// A file the user saves by name, written whole or not at all.

#include <QByteArray>
#include <QString>

// Whether a name already taken may be replaced: the user has been asked and
// agreed, or the name must still be free when the file is put in its place.
enum class Replace { Allowed, Never };

// Makes `bytes` the file `name`, or gives the reason it cannot; an empty
// reason means done. The bytes go to a new file in the same folder, synced to
// disk and renamed onto the name, so a failure leaves nothing behind and an
// old file whole. The rename replaces the name itself: a symbolic link there
// is replaced by the file, and what it led to stays as it was. A file that
// was there keeps its mode. Only a name that holds a file or a link, or
// nothing, is written; a folder, a device or a pipe is refused.
QString writeWholeFile(const QString &name, const QByteArray &bytes, Replace replace);
