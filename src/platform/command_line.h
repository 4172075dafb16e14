#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

class QTextStream;

// Reads the command line before any window exists, so that --help and
// --version work without a display: they print to `out` and end the program.
// The optional folder becomes the current folder, where "datos.txt" is read
// and written. A folder that does not exist or cannot be entered, an unknown
// option or a second folder is reported on `err` and ends the program with
// status 2. Returns the exit status when the program must end at once, and
// nothing when the window is to open. `argv` holds the arguments as the system
// passed them, bytes not yet decoded, so that a folder is entered by its bytes.
std::optional<int> applyCommandLine(const QList<QByteArray> &argv, QTextStream &out,
                                    QTextStream &err);
