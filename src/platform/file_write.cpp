#include "platform/file_write.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// An open descriptor, closed when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : fd(fd) { }
    Descriptor(Descriptor &&other) noexcept : fd(std::exchange(other.fd, -1)) { }
    Descriptor &operator=(Descriptor &&other) noexcept
    {
        std::swap(fd, other.fd);
        return *this;
    }
    ~Descriptor() { close(); }

    int get() const { return fd; }
    // Whether the descriptor closed without an error: for a written file, the
    // last chance to hear of a failed write.
    bool close()
    {
        const int closing = std::exchange(fd, -1);
        return closing < 0 || ::close(closing) == 0;
    }

private:
    int fd;
};

// A failed system call's error number in words for the user, in Spanish
// whatever the locale: the common ones from this table, any other as the
// system words it.
QString systemReason(int error)
{
    switch (error) {
    case EACCES:
        return QStringLiteral("permiso denegado");
    case EPERM:
        return QStringLiteral("operación no permitida");
    case EROFS:
        return QStringLiteral("sistema de archivos de solo lectura");
    case ENOSPC:
        return QStringLiteral("no queda espacio en el dispositivo");
    case EDQUOT:
        return QStringLiteral("se ha superado la cuota de disco");
    case EFBIG:
        return QStringLiteral("el archivo supera el tamaño permitido");
    case ENOENT:
        return QStringLiteral("la carpeta no existe");
    case ENOTDIR:
        return QStringLiteral("una parte de la ruta no es una carpeta");
    case ENAMETOOLONG:
        return QStringLiteral("el nombre es demasiado largo");
    case EEXIST:
        return QStringLiteral("ya existe");
    case ELOOP:
        return QStringLiteral("demasiados enlaces simbólicos");
    case EIO:
        return QStringLiteral("error de entrada/salida");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("demasiados archivos abiertos");
    case ENOMEM:
        return QStringLiteral("no queda memoria");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0)
            return false;
        if (wrote == 0) {
            errno = ENOSPC;
            return false;
        }
        done += wrote;
    }
    return true;
}

// Renames `from` onto `to` in one folder, failing with EEXIST where `to` is
// taken and may not be replaced. A file system that cannot refuse in the
// rename itself is asked first, which leaves a moment for a race.
bool renameOnto(int folder, const QByteArray &from, const QByteArray &to, Replace replace)
{
    if (replace == Replace::Allowed)
        return ::renameat(folder, from.constData(), folder, to.constData()) == 0;
    if (::renameat2(folder, from.constData(), folder, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    struct stat info = {};
    if (::fstatat(folder, to.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(folder, from.constData(), folder, to.constData()) == 0;
}

} // namespace

QString writeWholeFile(const QString &name, const QByteArray &bytes, Replace replace)
{
    const QFileInfo info(name);
    const QString quoted = QStringLiteral("«%1»").arg(name);
    const auto cannot = [&](const char *what) {
        return QStringLiteral("no se puede %1 el archivo %2 (%3)")
                .arg(QLatin1String(what), quoted, systemReason(errno));
    };
    const Descriptor folder(::open(QFile::encodeName(info.absolutePath()).constData(),
                                   O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return cannot("crear");
    const QByteArray entry = QFile::encodeName(info.fileName());

    // What the name holds now, a link taken as itself.
    struct stat old = {};
    const bool taken = ::fstatat(folder.get(), entry.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!taken && errno != ENOENT)
        return cannot("crear");
    if (taken && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode))
        return QStringLiteral("%1 no es un archivo").arg(quoted);
    if (taken && replace == Replace::Never) {
        errno = EEXIST;
        return cannot("crear");
    }

    // A fresh name, never an entry that was there already: in a shared folder
    // someone else may have taken a name first.
    QByteArray temporary;
    Descriptor file;
    for (int attempt = 0; attempt < 100 && file.get() < 0; ++attempt) {
        temporary = '.' + entry + '.'
                + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        file = Descriptor(::openat(folder.get(), temporary.constData(),
                                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (file.get() < 0 && errno != EEXIST)
            break;
    }
    if (file.get() < 0)
        return cannot("crear");

    // A new file gets the mode the umask leaves; one that was there keeps its own.
    const bool written
            = (!taken || !S_ISREG(old.st_mode) || ::fchmod(file.get(), old.st_mode & 07777) == 0)
            && writeAll(file.get(), bytes) && ::fsync(file.get()) == 0 && file.close()
            && renameOnto(folder.get(), temporary, entry, replace);
    if (!written) {
        const QString reason = cannot("escribir");
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return reason;
    }
    return {};
}
