#include "datafile/data_path.h"

#include "datafile/point_file.h"

#include <QByteArrayList>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::function<void()> dataFileCheckedHook;

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
    // Whether the descriptor was closed without an error: for a written file,
    // the last chance to hear of a failed write.
    bool close()
    {
        const int closing = std::exchange(fd, -1);
        return closing < 0 || ::close(closing) == 0;
    }

private:
    int fd;
};

// A name opened where it lies, without following it: a handle on the entry
// itself, a link included, that reads nothing and cannot block.
Descriptor entryAt(int folder, const QByteArray &name)
{
    return Descriptor(::openat(folder, name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
}

// Where a name leads: a folder held open and the file's name in it.
struct Place
{
    Descriptor folder;  // not open when a folder on the way is missing
    QByteArray name;    // the last component, looked up in `folder` only
    QByteArray shown;   // the name after its links, as the messages show it
    bool exists{false}; // a regular file stands there
    mode_t mode{0};     // that file's permissions
    QString refusal;    // why the name may not be used, in words for the user
};

Place refused(const QString &reason)
{
    Place place;
    place.refusal = reason;
    return place;
}

// Follows a name to its place. Every component is looked up once, in the
// folder the previous one opened; a link's target is read from the link that
// was checked, and its components are walked the same way.
Place locate(const QString &name)
{
    const QString unreachable = QStringLiteral("no se puede acceder al archivo");
    Place place;
    place.shown = QFile::encodeName(name);

    // The components still to walk, the next one last.
    QByteArrayList pending;
    const auto walk = [&pending](const QByteArray &path) {
        const QByteArrayList parts = path.split('/');
        // An empty component (a leading or doubled slash) stays where it is.
        for (auto part = parts.rbegin(); part != parts.rend(); ++part)
            pending << (part->isEmpty() ? QByteArray(".") : *part);
    };
    const auto start = [](const QByteArray &path) {
        return Descriptor(
                ::open(path.startsWith('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    };

    Descriptor folder = start(place.shown);
    if (folder.get() < 0)
        return refused(unreachable);
    walk(place.shown);
    int links = 0;
    bool lastFollowed = false; // whether the last component has been a link
    while (!pending.isEmpty()) {
        const QByteArray part = pending.takeLast();
        const bool last = pending.isEmpty();
        Descriptor entry = entryAt(folder.get(), part);
        struct stat info = {};
        if (entry.get() < 0) {
            if (errno != ENOENT && errno != ENOTDIR)
                return refused(unreachable);
            // Nothing there: a new file, or a folder on the way is missing.
            if (last) {
                place.folder = std::move(folder);
                place.name = part;
            }
            return place;
        }
        if (::fstatat(entry.get(), "", &info, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) != 0)
            return refused(unreachable);

        // How a reason names what it is about: the name itself, where its
        // links have led so far, or a folder on the way.
        QString subject = QStringLiteral("es ");
        if (!last)
            subject = QStringLiteral("pasa por ");
        else if (lastFollowed)
            subject = QStringLiteral("lleva a %1, que es ").arg(quoted(place.shown));
        if (S_ISLNK(info.st_mode)) {
            if (links == kMostLinks)
                return refused(QStringLiteral("lleva a través de demasiados enlaces"));
            ++links;
            struct stat folderInfo = {};
            if (::fstatat(folder.get(), "", &folderInfo, AT_EMPTY_PATH) != 0)
                return refused(unreachable);
            if (info.st_uid != ::geteuid() && info.st_uid != folderInfo.st_uid)
                return refused(
                        subject
                        + QStringLiteral("un enlace de otro usuario, y por seguridad no se sigue"));
            char target[PATH_MAX];
            const ssize_t length = ::readlinkat(entry.get(), "", target, sizeof target);
            if (length <= 0 || length == ssize_t(sizeof target))
                return refused(unreachable);
            const QByteArray next(target, length);
            if (next.startsWith('/')) {
                folder = start(next);
                if (folder.get() < 0)
                    return refused(unreachable);
            }
            if (last) {
                // A relative target is relative to the folder the link lies in.
                const QByteArray in = folderOf(place.shown);
                place.shown = next.startsWith('/') || in == "." ? next : in + '/' + next;
                lastFollowed = true;
            }
            walk(next);
            continue;
        }
        if (!last) {
            // A file where a folder should be: the name leads nowhere.
            if (!S_ISDIR(info.st_mode))
                return place;
            folder = std::move(entry);
            continue;
        }
        if (!S_ISREG(info.st_mode))
            return refused(subject + kindOf(info.st_mode) + QStringLiteral(", no un archivo"));
        place.folder = std::move(folder);
        place.name = part;
        place.exists = true;
        place.mode = info.st_mode & 07777;
        return place;
    }
    return place;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += wrote;
    }
    return true;
}

} // namespace

DataBytes readDataFile(const QString &name, qint64 limit)
{
    const Place place = locate(name);
    if (!place.refusal.isEmpty())
        return {{}, place.refusal};
    if (!place.exists) {
        QString missing = QStringLiteral("el archivo no existe");
        if (place.shown != QFile::encodeName(name))
            missing += QStringLiteral(" (el enlace lleva a %1)").arg(quoted(place.shown));
        return {{}, missing};
    }

    // The name was a regular file a moment ago; should it have been replaced
    // since, the open neither follows a link nor waits for a writer, and the
    // type is checked again on what was opened.
    const QString unreadable = QStringLiteral("no se puede leer el archivo");
    Descriptor file(::openat(place.folder.get(), place.name.constData(),
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info = {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0)
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
        const ssize_t got = ::read(file.get(), buffer, size_t(wanted));
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

QString writeDataFile(const QString &name, const QByteArray &bytes)
{
    const QString unwritable = QStringLiteral("no se puede escribir el archivo");
    const Place place = locate(name);
    if (!place.refusal.isEmpty())
        return place.refusal;
    if (place.folder.get() < 0)
        return unwritable;
    if (dataFileCheckedHook)
        dataFileCheckedHook();

    // A fresh name beside the file, never an entry that was already there: in
    // a shared folder someone else may have taken a name first.
    const int folder = place.folder.get();
    QByteArray temporary;
    Descriptor file;
    for (int attempt = 0; attempt < 100 && file.get() < 0; ++attempt) {
        temporary = '.' + place.name + '.'
                + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        file = Descriptor(::openat(folder, temporary.constData(),
                                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (file.get() < 0 && errno != EEXIST)
            return unwritable;
    }
    if (file.get() < 0)
        return unwritable;

    // A new file gets the mode the umask leaves; one that existed keeps its own.
    const bool written = (!place.exists || ::fchmod(file.get(), place.mode) == 0)
            && writeAll(file.get(), bytes) && ::fsync(file.get()) == 0 && file.close()
            && ::renameat(folder, temporary.constData(), folder, place.name.constData()) == 0;
    if (!written) {
        ::unlinkat(folder, temporary.constData(), 0);
        return unwritable;
    }
    return {};
}
