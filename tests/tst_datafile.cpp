#include "test_support.h"

#include "datafile/data_path.h"
#include "platform/palette.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

QByteArray readDatos(const QString &path = QStringLiteral("datos.txt"))
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeDatos(const QByteArray &bytes)
{
    QFile file(QStringLiteral("datos.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every cell of the grid, row by row: t text, then y text.
QStringList gridTexts(const Form1 &form)
{
    QStringList texts;
    for (int k = 0; k < 20; ++k)
        texts << form.xv(k)->text() << form.yv(k)->text();
    return texts;
}

// Where the chart draws the value v at abscissa t, in pixels of graf.
QPoint chartPixel(const Form1 &form, double t, double v)
{
    return QPoint(qRound((240 * t + 1200) / 15.0),
                  qRound((form.escala - v) * 4000 / form.escala / 15.0));
}

// The one message a failed operation shows: how it starts and the reason it gives.
bool isOneMessage(const QStringList &texts, const QString &start, const QString &reason = {})
{
    return texts.size() == 1 && texts.first().startsWith(start) && texts.first().contains(reason);
}

QStringList entriesHere()
{
    return QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// What stands at a path, looked at without opening anything that could block:
// its type, owner and inode, where a link leads, and a regular file's bytes.
QByteArray snapshot(const QByteArray &path = "datos.txt")
{
    struct stat info = {};
    if (lstat(path.constData(), &info) != 0)
        return "<nothing>";
    QByteArray seen = QByteArray::number(info.st_mode, 8) + ' ' + QByteArray::number(info.st_uid)
            + ' ' + QByteArray::number(info.st_ino);
    if (S_ISLNK(info.st_mode)) {
        char target[4096];
        const ssize_t length = readlink(path.constData(), target, sizeof target);
        const QByteArray to(target, int(qMax<ssize_t>(length, 0)));
        seen += " -> " + to + " (" + snapshot(to) + ")";
    } else if (S_ISREG(info.st_mode)) {
        QFile file(QString::fromLocal8Bit(path));
        seen += ' ' + (file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>");
    }
    return seen;
}

// What "datos.txt" is made to be before an operation.
enum Datos {
    Missing,
    GoodFile,
    Folder,
    Fifo,
    DeviceNode,
    LinkToZero,
    LinkToFifo,
    DanglingLink,
    ForeignLink,
    ForeignFolderLink
};

const QByteArray kGoodFile(" 5 \r\n0\r\n1\r\n1\r\n2\r\n2\r\n3\r\n3\r\n4\r\n4\r\n5\r\n");
// Nobody's user and group: the owner of a planted link.
constexpr uid_t kOtherUser = 65534;

// Makes "datos.txt" of the given kind. Gives what went wrong, "root" when
// this kind needs privileges the test runs without, or nothing.
QByteArray makeDatos(Datos kind)
{
    const bool root = geteuid() == 0;
    const auto check = [](bool done, const char *what) {
        return done ? QByteArray() : QByteArray(what) + ": " + strerror(errno);
    };
    // Root in a container may still be denied device nodes and other users.
    const auto privileged = [&](bool done, const char *what) {
        return !done && (errno == EPERM || errno == EINVAL) ? QByteArray("root")
                                                            : check(done, what);
    };
    switch (kind) {
    case Missing:
        return {};
    case GoodFile: {
        QFile file("datos.txt");
        return check(file.open(QIODevice::WriteOnly) && file.write(kGoodFile) == kGoodFile.size(),
                     "write");
    }
    case Folder:
        return check(mkdir("datos.txt", 0755) == 0, "mkdir");
    case Fifo:
        return check(mkfifo("datos.txt", 0644) == 0, "mkfifo");
    case DeviceNode:
        // The numbers of /dev/zero.
        return root ? privileged(mknod("datos.txt", S_IFCHR | 0666, makedev(1, 5)) == 0, "mknod")
                    : "root";
    case LinkToZero:
        return check(symlink("/dev/zero", "datos.txt") == 0, "symlink");
    case LinkToFifo:
        return check(mkfifo("tuberia", 0644) == 0 && symlink("tuberia", "datos.txt") == 0,
                     "mkfifo and symlink");
    case DanglingLink:
        return check(symlink("ninguno.txt", "datos.txt") == 0, "symlink");
    case ForeignLink:
    case ForeignFolderLink: {
        // A good point file elsewhere, behind a link that someone else owns:
        // the file's own name, or a folder on the way through the user's link.
        if (!root)
            return "root";
        QFile file("otra/datos.txt");
        const bool folder = kind == ForeignFolderLink;
        const char *planted = folder ? "via" : "datos.txt";
        const QByteArray made
                = check(mkdir("otra", 0755) == 0 && file.open(QIODevice::WriteOnly)
                                && file.write(kGoodFile) == kGoodFile.size() && file.flush()
                                && symlink(folder ? "otra" : "otra/datos.txt", planted) == 0
                                && (!folder || symlink("via/datos.txt", "datos.txt") == 0),
                        "a file and a link to it");
        return made.isEmpty() ? privileged(lchown(planted, kOtherUser, kOtherUser) == 0, "lchown")
                              : made;
    }
    }
    return "unknown kind";
}

} // namespace

class tst_DataFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void savesAndRestoresGrid_data();
    void savesAndRestoresGrid();
    void restoreTouchesNothingElse();
    void restoreInChartViewEndsAsGrafica_data();
    void restoreInChartViewEndsAsGrafica();
    void refusedRestoreChangesNothing_data();
    void refusedRestoreChangesNothing();
    void refusedSaveKeepsOldFile_data();
    void refusedSaveKeepsOldFile();
    void followsLinksOfUserOrFolderOwner_data();
    void followsLinksOfUserOrFolderOwner();
    void failedSaveKeepsOldFile();
    void saveReplacesLinkPlantedAfterCheck_data();
    void saveReplacesLinkPlantedAfterCheck();

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString previousDir;
};

void tst_DataFile::init()
{
    previousDir = QDir::currentPath();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    QVERIFY(QDir::setCurrent(dir->path()));
}

void tst_DataFile::cleanup()
{
    QDir::setCurrent(previousDir);
    dir.reset();
    QLocale::setDefault(QLocale::c());
}

void tst_DataFile::savesAndRestoresGrid_data()
{
    QTest::addColumn<QStringList>("tCells");
    QTest::addColumn<QStringList>("yCells");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("three points give the count and their texts")
            << QStringList{"0", "1", "2"} << QStringList{"1,5", "2,25", "4"}
            << QByteArray(" 3 \r\n0\r\n1,5\r\n1\r\n2,25\r\n2\r\n4\r\n");
    QTest::newRow("an empty grid gives the count line alone")
            << QStringList{} << QStringList{} << QByteArray(" 0 \r\n");
    QTest::newRow("an empty t cell in row 3 ends the file after row 2")
            << QStringList{"0", "1", "2", "", "4"} << QStringList{"5", "6", "7", "8", "9"}
            << QByteArray(" 3 \r\n0\r\n5\r\n1\r\n6\r\n2\r\n7\r\n");
    QTest::newRow("texts are written in their normal form")
            << QStringList{"1,50", "-02"} << QStringList{"3,0", "0,001"}
            << QByteArray(" 2 \r\n1,5\r\n3\r\n-2\r\n0,001\r\n");
    QStringList t, y;
    QByteArray full(" 20 \r\n");
    for (int k = 0; k < 20; ++k) {
        t << QString::number(k);
        y << QString::number(k * k);
        full += QByteArray::number(k) + "\r\n" + QByteArray::number(k * k) + "\r\n";
    }
    QTest::newRow("a full grid gives twenty points in 41 lines") << t << y << full;
}

void tst_DataFile::savesAndRestoresGrid()
{
    QFETCH(QStringList, tCells);
    QFETCH(QStringList, yCells);
    QFETCH(QByteArray, expected);
    auto form = makeForm(kSpanish);
    MessageRecorder messages;
    fillGrid(*form, tCells, yCells);

    form->Command1_Click();
    QCOMPARE(readDatos(), expected);
    // The second capture finds the texts already in normal form.
    form->Command1_Click();
    QCOMPARE(readDatos(), expected);
    const QStringList saved = gridTexts(*form).mid(0, 2 * form->n);

    // A second window, as in a later run, gets the used rows back and
    // nothing in the rows after them.
    auto other = makeForm(kSpanish);
    fillGrid(*other, QList<QString>(20, "9"), QList<QString>(20, "9"));
    other->Recuperar_Click();
    QCOMPARE(other->n, form->n);
    QCOMPARE(gridTexts(*other), saved + QList<QString>(40 - saved.size()));
    QCOMPARE(messages.texts, QStringList());
}

void tst_DataFile::restoreTouchesNothingElse()
{
    auto form = makeForm(kSpanish);
    MessageRecorder messages;
    fillGrid(*form, {"2", "3"}, {"5", "6"});
    // The chart drawn, then the data view: there the restore changes only texts and count.
    form->Command5_Click();
    form->Command5_Click();
    QVERIFY(form->modoDatos);
    const QPoint oldPoint = chartPixel(*form, 2, 5);
    const QPoint newPoint = chartPixel(*form, 8, 2);
    QCOMPARE(form->graf->image().pixelColor(oldPoint), qbColor(Azul));
    const QColor beforeAtNewPoint = form->graf->image().pixelColor(newPoint);
    QVERIFY(beforeAtNewPoint != qbColor(Azul));

    writeDatos(" 3 \r\n8\r\n2\r\n9\r\n1\r\n10\r\n0\r\n");
    form->Recuperar_Click();

    QCOMPARE(form->n, int16_t(3));
    QCOMPARE(form->xv(2)->text(), QStringLiteral("10"));
    QCOMPARE_NEAR(form->x(0), 2.0);
    QCOMPARE_NEAR(form->y(1), 6.0);
    QCOMPARE(form->xv(0)->backColor(), qbColor(Blanco));
    QCOMPARE(form->xv(2)->backColor(), qbColor(GrisClaro));
    QCOMPARE(form->graf->image().pixelColor(oldPoint), qbColor(Azul));
    QCOMPARE(form->graf->image().pixelColor(newPoint), beforeAtNewPoint);
    QVERIFY(form->modoDatos);
    QCOMPARE(messages.texts, QStringList());
}

void tst_DataFile::restoreInChartViewEndsAsGrafica_data()
{
    QTest::addColumn<QStringList>("texts");
    QStringList eight;
    for (int k = 1; k <= 8; ++k)
        eight << QString::number(k) << QString::number(k);
    QTest::newRow("eight points replace three typed ones") << eight;
    QTest::newRow("a t that does not read ends the points after row 2")
            << QStringList{"1", "1", "2", "2", "x", "3", "4", "4"};
    QTest::newRow("a file of no point goes back to the grid with the message") << QStringList{};
    QTest::newRow("y values that cancel out end in the recovery")
            << QStringList{"0", "1", "1", "-1"};
}

// A restore in the chart view leaves the window as going back to the table,
// typing the file's texts and pressing "Gráfica" does; so does the next step.
void tst_DataFile::restoreInChartViewEndsAsGrafica()
{
    QFETCH(QStringList, texts);
    QByteArray file = ' ' + QByteArray::number(texts.size() / 2) + " \r\n";
    for (const QString &text : texts)
        file += text.toLatin1() + "\r\n";
    writeDatos(file);
    MessageRecorder messages;
    auto restored = chartView({"1", "2", "3"}, {"2", "4", "6"});
    auto typed = chartView({"1", "2", "3"}, {"2", "4", "6"});
    restored->paso_Click();
    typed->paso_Click();
    QVERIFY(restored->historia.count() > 0);

    restored->Recuperar_Click();
    const QStringList seen = std::exchange(messages.texts, {});
    typed->Command5_Click();
    for (int k = 0; k < 20; ++k) {
        typed->xv(k)->setText(texts.value(2 * k));
        typed->yv(k)->setText(texts.value(2 * k + 1));
    }
    typed->Command5_Click();
    QCOMPARE(seen, messages.texts);
    QCOMPARE(restored->modoDatos, typed->modoDatos);
    QVERIFY(!restored->ocupado);
    QCOMPARE(restored->n, typed->n);
    for (int k = 0; k < 20; ++k)
        QCOMPARE(restored->xv(k)->backColor(), typed->xv(k)->backColor());
    QCOMPARE(restored->mediaY, typed->mediaY);
    QCOMPARE(restored->historia.count(), typed->historia.count());
    QCOMPARE(restored->label9->text(), typed->label9->text());
    QCOMPARE(restored->graf->image(), typed->graf->image());
    if (typed->modoDatos)
        return;
    restored->paso_Click();
    typed->paso_Click();
    QCOMPARE(restored->errorCuad, typed->errorCuad);
}

void tst_DataFile::refusedRestoreChangesNothing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a missing file") << int(Missing) << QByteArray() << "el archivo no existe";
    QTest::newRow("a dangling link is reported as missing")
            << int(DanglingLink) << QByteArray() << "el archivo no existe";
    QTest::newRow("a FIFO that no one writes to is never opened")
            << int(Fifo) << QByteArray() << "es una tubería con nombre (FIFO), no un archivo";
    QTest::newRow("a device node")
            << int(DeviceNode) << QByteArray() << "es un dispositivo, no un archivo";
    QTest::newRow("a link to /dev/zero is refused before reading")
            << int(LinkToZero) << QByteArray() << "lleva a «/dev/zero», que es un dispositivo";
    QTest::newRow("a folder") << int(Folder) << QByteArray() << "es una carpeta";
    QTest::newRow("a link another user planted is not followed")
            << int(ForeignLink) << QByteArray() << "enlace de otro usuario";
    QTest::newRow("nor one on the way to the file")
            << int(ForeignFolderLink) << QByteArray() << "pasa por un enlace de otro usuario";
    QTest::newRow("a first line without digits is not a point file")
            << int(GoodFile) << QByteArray("abc\r\n1\r\n2\r\n") << "no es un archivo de puntos";
    QTest::newRow("a file larger than a point file can be")
            << int(GoodFile) << kGoodFile + QByteArray(1 << 21, '\n') << "demasiado grande";
}

void tst_DataFile::refusedRestoreChangesNothing()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, file);
    QFETCH(QString, reason);
    auto form = makeForm(kSpanish);
    MessageRecorder messages;
    fillGrid(*form, {"1", "2"}, {"3", "4"});
    form->capturar();
    const QStringList before = gridTexts(*form);
    const QByteArray made = makeDatos(Datos(kind));
    if (made == "root")
        QSKIP("making this file needs privileges this run lacks");
    QVERIFY2(made.isEmpty(), made.constData());
    if (!file.isNull())
        writeDatos(file);
    const QByteArray datosBefore = snapshot();

    form->Recuperar_Click();
    QCOMPARE(form->n, int16_t(2));
    QCOMPARE(gridTexts(*form), before);
    QVERIFY2(isOneMessage(messages.texts, "No se pudo recuperar datos.txt: ", reason),
             qPrintable(messages.texts.join(" | ")));
    QCOMPARE(snapshot(), datosBefore);
}

void tst_DataFile::refusedSaveKeepsOldFile_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("tCells");
    QTest::addColumn<QStringList>("yCells");
    QTest::addColumn<QString>("reason");
    const QStringList five{"0", "1", "2", "3", "4"};
    QTest::newRow("a badly fixed t in row 2 over a good five-row file")
            << int(GoodFile) << QStringList{"0", "1", "2,5,1", "3", "4"} << five
            << "el valor de t de la fila 3 no es un número";
    QTest::newRow("an emptied f(t) in row 0") << int(GoodFile) << five << QStringList{"", "1"}
                                              << "el valor de f(t) de la fila 1 no es un número";
    QTest::newRow("an n tilde in a t")
            << int(GoodFile) << QStringList{"0", "1\u00f1"} << QStringList{"1", "2"}
            << "el valor de t de la fila 2 no es un número";
    QTest::newRow("an almost-equal sign outside Latin-1")
            << int(GoodFile) << QStringList{"0", "1", "\u22485"} << five
            << "el valor de t de la fila 3 tiene el carácter «\u2248», que el archivo no admite";
    QTest::newRow("a euro sign in an f(t)")
            << int(GoodFile) << five << QStringList{"5\u20ac"}
            << "el valor de f(t) de la fila 1 tiene el carácter «\u20ac»";
    QTest::newRow("a link to a FIFO is not replaced")
            << int(LinkToFifo) << five << five << "lleva a «tuberia», que es una tubería";
    QTest::newRow("a link another user planted is not written through")
            << int(ForeignLink) << five << five << "enlace de otro usuario";
    QTest::newRow("nor one on the way to the file")
            << int(ForeignFolderLink) << five << five << "pasa por un enlace de otro usuario";
}

void tst_DataFile::refusedSaveKeepsOldFile()
{
    QFETCH(int, kind);
    QFETCH(QStringList, tCells);
    QFETCH(QStringList, yCells);
    QFETCH(QString, reason);
    auto form = makeForm(kSpanish);
    MessageRecorder messages;
    fillGrid(*form, tCells, yCells);
    const QByteArray made = makeDatos(Datos(kind));
    if (made == "root")
        QSKIP("making this file needs privileges this run lacks");
    QVERIFY2(made.isEmpty(), made.constData());
    const QByteArray datosBefore = snapshot();
    const QByteArray elsewhereBefore = snapshot("otra/datos.txt");
    const QStringList entriesBefore = entriesHere();

    form->Command1_Click();
    QVERIFY2(isOneMessage(messages.texts, "No se pudo guardar datos.txt: ", reason),
             qPrintable(messages.texts.join(" | ")));
    QCOMPARE(snapshot(), datosBefore);
    QCOMPARE(snapshot("otra/datos.txt"), elsewhereBefore);
    QCOMPARE(entriesHere(), entriesBefore);
}

void tst_DataFile::followsLinksOfUserOrFolderOwner_data()
{
    QTest::addColumn<bool>("folderOwnersLink");
    QTest::newRow("the user's own link to a file in another folder") << false;
    QTest::newRow("a link by the owner of the folder it lies in") << true;
}

void tst_DataFile::followsLinksOfUserOrFolderOwner()
{
    QFETCH(bool, folderOwnersLink);
    if (folderOwnersLink && geteuid() != 0)
        QSKIP("giving a link and a folder to another user needs root");
    QVERIFY(QDir().mkdir("otra"));
    QVERIFY(QDir().mkdir("enlaces"));
    QCOMPARE(symlink("../otra/datos.txt", "enlaces/datos.txt"), 0);
    if (folderOwnersLink) {
        QCOMPARE(lchown("enlaces/datos.txt", kOtherUser, kOtherUser), 0);
        QCOMPARE(chown("enlaces", kOtherUser, kOtherUser), 0);
    }
    QVERIFY(QDir::setCurrent("enlaces"));
    auto form = makeForm(kSpanish);
    MessageRecorder messages;
    fillGrid(*form, {"1", "2"}, {"3", "4"});

    form->Command1_Click();
    QCOMPARE(readDatos("../otra/datos.txt"), QByteArray(" 2 \r\n1\r\n3\r\n2\r\n4\r\n"));
    QVERIFY(QFileInfo("datos.txt").isSymLink());
    fillGrid(*form, {"9", "9"}, {"9", "9"});
    form->Recuperar_Click();
    QCOMPARE(gridTexts(*form).mid(0, 4), (QStringList{"1", "3", "2", "4"}));
    QCOMPARE(messages.texts, QStringList());
}

void tst_DataFile::failedSaveKeepsOldFile()
{
    auto form = makeForm(kSpanish);
    fillGrid(*form, {"10", "20", "30"}, {"40", "50", "60"});
    {
        MessageRecorder messages;
        // A directory in the file's place defeats the write even for root.
        QVERIFY(QDir().mkdir("datos.txt"));
        form->Command1_Click();
        QVERIFY2(isOneMessage(messages.texts, "No se pudo guardar datos.txt"),
                 qPrintable(messages.texts.join(" | ")));
        QVERIFY(QFileInfo("datos.txt").isDir());
        QCOMPARE(entriesHere(), QStringList{"datos.txt"});
        QVERIFY(QDir().rmdir("datos.txt"));
    }

    MessageRecorder messages;
    const QByteArray old(" 1 \r\n1\r\n2\r\n");
    writeDatos(old);
    // A file size limit stops the write part-way whoever runs the test; the
    // signal it raises is ignored so the write just reports the error.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 8;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    form->Command1_Click();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY2(isOneMessage(messages.texts, "No se pudo guardar datos.txt"),
             qPrintable(messages.texts.join(" | ")));
    QCOMPARE(readDatos(), old);
    QCOMPARE(entriesHere(), QStringList{"datos.txt"});

    // A folder put in the file's place after the check defeats the rename.
    dataFileCheckedHook = [] { QDir().remove("datos.txt") && QDir().mkdir("datos.txt"); };
    form->Command1_Click();
    dataFileCheckedHook = nullptr;
    QCOMPARE(messages.texts.size(), 2);
    QVERIFY(QFileInfo("datos.txt").isDir());
    QCOMPARE(entriesHere(), QStringList{"datos.txt"});
}

void tst_DataFile::saveReplacesLinkPlantedAfterCheck_data()
{
    QTest::addColumn<bool>("followed");
    QTest::addColumn<int>("oldMode");
    QTest::addColumn<int>("mode");
    const mode_t mask = umask(0);
    umask(mask);
    QTest::newRow("no file yet: a new one with the umask's mode")
            << false << 0 << int(0666 & ~mask);
    QTest::newRow("an old file, whose mode the new one keeps") << false << 0640 << 0640;
    QTest::newRow("the user's own link: the file it leads to, in its folder")
            << true << 0604 << 0604;
}

// Between the check of where the name leads and the write, a link to a file
// of the user's takes the file's place: the save replaces the link.
void tst_DataFile::saveReplacesLinkPlantedAfterCheck()
{
    QFETCH(bool, followed);
    QFETCH(int, oldMode);
    QFETCH(int, mode);
    auto form = makeForm(kSpanish);
    MessageRecorder messages;
    fillGrid(*form, {"1", "2"}, {"3", "4"});
    writeDatos("secreto\r\n");
    QVERIFY(QFile::rename("datos.txt", "victima.txt"));
    const QByteArray place = followed ? "otra/datos.txt" : "datos.txt";
    if (followed)
        QVERIFY(QDir().mkdir("otra") && symlink("otra/datos.txt", "datos.txt") == 0);
    if (oldMode) {
        QFile old(QString::fromLatin1(place));
        QVERIFY(old.open(QIODevice::WriteOnly) && fchmod(old.handle(), mode_t(oldMode)) == 0);
    }
    const QByteArray victimBefore = snapshot("victima.txt");
    const QByteArray victim = QFile::encodeName(dir->filePath("victima.txt"));
    dataFileCheckedHook = [&] {
        unlink(place.constData());
        QCOMPARE(symlink(victim.constData(), place.constData()), 0);
    };
    const auto unhook = qScopeGuard([] { dataFileCheckedHook = nullptr; });

    form->Command1_Click();
    QCOMPARE(messages.texts, QStringList());
    QCOMPARE(snapshot("victima.txt"), victimBefore);
    struct stat info = {};
    QVERIFY(lstat(place.constData(), &info) == 0 && S_ISREG(info.st_mode));
    QCOMPARE(int(info.st_mode & 07777), mode);
    QCOMPARE(readDatos(QString::fromLatin1(place)), QByteArray(" 2 \r\n1\r\n3\r\n2\r\n4\r\n"));
    // Nothing left behind: no temporary beside the file or beside the link.
    const QStringList expected = followed ? QStringList{"datos.txt", "otra", "victima.txt"}
                                          : QStringList{"datos.txt", "victima.txt"};
    QCOMPARE(entriesHere(), expected);
    QCOMPARE(QDir("otra").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             followed ? QStringList{"datos.txt"} : QStringList{});
}

QTEST_MAIN(tst_DataFile)
#include "tst_datafile.moc"
