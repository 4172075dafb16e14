#include "datafile/data_path.h"

#include "datafile/point_file.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the kernel follows in one path.
constexpr int kMostLinks = 40;

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("una carpeta");
    if (S_ISFIFO(mode))
        return QStringLiteral("una tubería con nombre (FIFO)");
    if (S_ISSOCK(mode))
        return QStringLiteral("un socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("un dispositivo");
    return QStringLiteral("algo especial");
}

QString quoted(const QByteArray &path)
{
    return QStringLiteral("«%1»").arg(QFile::decodeName(path));
}

// The folder a path lies in, as a path of its own.
QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

DataPath refused(const QString &reason)
{
    return {{}, false, reason};
}

// Closes the descriptor whichever way the reading ends.
struct Descriptor
{
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

DataPath resolveDataPath(const QString &name)
{
    QByteArray path = QFile::encodeName(name);
    for (int links = 0;; ++links) {
        // How a reason names what it is about: the name itself, or where its
        // links have led so far.
        const QString subject = links == 0
                ? QStringLiteral("es ")
                : QStringLiteral("lleva a %1, que es ").arg(quoted(path));
        struct stat info = {};
        if (::lstat(path.constData(), &info) != 0) {
            if (errno == ENOENT || errno == ENOTDIR)
                return {QFile::decodeName(path), false, {}};
            return refused(QStringLiteral("no se puede acceder al archivo"));
        }
        if (S_ISREG(info.st_mode))
            return {QFile::decodeName(path), true, {}};
        if (!S_ISLNK(info.st_mode))
            return refused(subject + kindOf(info.st_mode) + QStringLiteral(", no un archivo"));
        if (links == kMostLinks)
            return refused(QStringLiteral("lleva a través de demasiados enlaces"));

        const QByteArray folder = folderOf(path);
        struct stat folderInfo = {};
        if (::stat(folder.constData(), &folderInfo) != 0)
            return refused(QStringLiteral("no se puede acceder al archivo"));
        if (info.st_uid != ::geteuid() && info.st_uid != folderInfo.st_uid)
            return refused(
                    subject
                    + QStringLiteral("un enlace de otro usuario, y por seguridad no se sigue"));

        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        if (length <= 0 || length == ssize_t(sizeof target))
            return refused(QStringLiteral("no se puede acceder al archivo"));
        // A relative target is relative to the folder the link lies in.
        const QByteArray next(target, length);
        path = next.startsWith('/') || folder == "." ? next : folder + '/' + next;
    }
}

DataBytes readDataFile(const QString &name, qint64 limit)
{
    const DataPath target = resolveDataPath(name);
    if (!target.refusal.isEmpty())
        return {{}, target.refusal};
    if (!target.exists) {
        QString missing = QStringLiteral("el archivo no existe");
        if (target.path != name)
            missing += QStringLiteral(" (el enlace lleva a %1)")
                               .arg(quoted(QFile::encodeName(target.path)));
        return {{}, missing};
    }

    // The path was a regular file a moment ago; should it have been replaced
    // since, the open neither follows a link nor waits for a writer, and the
    // type is checked again on what was opened.
    const QString unreadable = QStringLiteral("no se puede leer el archivo");
    Descriptor file {::open(QFile::encodeName(target.path).constData(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    struct stat info = {};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0)
        return {{}, unreadable};
    if (!S_ISREG(info.st_mode))
        return {{},
                QStringLiteral("es ") + kindOf(info.st_mode) + QStringLiteral(", no un archivo")};
    if (info.st_size > limit)
        return {{}, tooLargeReason()};

    QByteArray bytes;
    char buffer[65536];
    while (bytes.size() <= limit) {
        const qint64 wanted = std::min<qint64>(sizeof buffer, limit + 1 - bytes.size());
        const ssize_t got = ::read(file.fd, buffer, size_t(wanted));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {{}, unreadable};
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    if (bytes.size() > limit)
        return {{}, tooLargeReason()};
    return {bytes, {}};
}
