#include "test_support.h"

#include "platform/command_line.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <climits>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// applyCommandLine's outcome: -1 when the window is to open.
struct Outcome
{
    int status{-1};
    QString out;
    QString err;
};

// The arguments as the system passes them, undecoded.
Outcome applyBytes(const QList<QByteArray> &arguments)
{
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    outcome.status
            = applyCommandLine(QList<QByteArray>{"ajuste"} + arguments, out, err).value_or(-1);
    return outcome;
}

Outcome apply(const QStringList &arguments)
{
    QList<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes << QFile::encodeName(argument);
    return applyBytes(bytes);
}

} // namespace

class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(scratch.isValid()); }
    void cleanup()
    {
        QDir::setCurrent(start);
        QLocale::setDefault(QLocale::c());
    }

    void outcomes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // how the output starts
        QTest::addColumn<QString>("err");
        const QString file = scratch.filePath("notas.txt");
        QFile(file).open(QIODevice::WriteOnly);
        const QString hint = QStringLiteral("Pruebe «ajuste --help» para más información.\n");
        QTest::newRow("no argument opens the window here") << QStringList{} << -1 << ""
                                                           << "";
        QTest::newRow("--help prints the usage in Spanish")
                << QStringList{"--help"} << 0 << "Uso: ajuste [opciones] [carpeta]\n"
                << "";
        QTest::newRow("-h is --help") << QStringList{"-h"} << 0 << "Uso: ajuste"
                                      << "";
        QTest::newRow("--help wins over a missing folder")
                << QStringList{"--help", "/no/such/folder"} << 0 << "Uso: ajuste"
                << "";
        QTest::newRow("--version prints the project's version")
                << QStringList{"--version"} << 0 << "ajuste " AJUSTE_VERSION "\n"
                << "";
        QTest::newRow("-v is --version")
                << QStringList{"-v"} << 0 << "ajuste " AJUSTE_VERSION << "";
        QTest::newRow("a missing folder is refused")
                << QStringList{"/no/such/folder"} << 2 << ""
                << "ajuste: la carpeta «/no/such/folder» no existe\n";
        QTest::newRow("a file is not a folder") << QStringList{file} << 2 << ""
                                                << "ajuste: «" + file + "» no es una carpeta\n";
        QTest::newRow("an unknown option is refused")
                << QStringList{"--verbose"} << 2 << ""
                << "ajuste: opción desconocida: «--verbose»\n" + hint;
        QTest::newRow("Qt's -platform is refused by its name")
                << QStringList{"-platform", "offscreen"} << 2 << ""
                << "ajuste: opción desconocida: «-platform»\n" + hint;
        QTest::newRow("a second folder is refused")
                << QStringList{scratch.path(), "/tmp"} << 2 << ""
                << "ajuste: sobra «/tmp»: se admite una sola carpeta\n" + hint;
        QTest::newRow("an option with a value is refused")
                << QStringList{"--version=2"} << 2 << ""
                << "ajuste: las opciones no llevan valor\n" + hint;
    }

    // Whatever ends the program leaves the current folder as it was.
    void outcomes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Outcome outcome = apply(arguments);
        QCOMPARE(outcome.status, status);
        QCOMPARE(outcome.out.left(out.size()), out);
        QCOMPARE(outcome.out.isEmpty(), out.isEmpty());
        QCOMPARE(outcome.err, err);
        QCOMPARE(QDir::currentPath(), start);
    }

    void datosTxtGoesToTheFolderGiven()
    {
        MessageRecorder messages;
        QDir::setCurrent(scratch.path());
        QVERIFY(QDir().mkdir("medidas"));
        QCOMPARE(apply({"medidas"}).status, -1); // relative to where it was started
        auto form = makeForm();
        fillGrid(*form, {"1"}, {"2"});
        form->Command1_Click();
        QCOMPARE(messages.texts, QStringList());
        QVERIFY(QFile::exists(scratch.filePath("medidas/datos.txt")));
        QVERIFY(!QFile::exists(scratch.filePath("datos.txt")));
    }

    // "café" in Latin-1: its "é" byte is no character in UTF-8, the tests' locale.
    void aFolderIsEnteredByItsBytes()
    {
        const QByteArray folder = QFile::encodeName(scratch.path()) + "/caf\xe9";
        QVERIFY(::mkdir(folder.constData(), 0700) == 0);
        QCOMPARE(applyBytes({folder}).status, -1);
        char here[PATH_MAX];
        QVERIFY(::getcwd(here, sizeof here));
        QCOMPARE(QByteArray(here), folder);
        QDir::setCurrent(start);
        QCOMPARE(::rmdir(folder.constData()), 0); // QTemporaryDir removes by decoded names
    }

    void aFolderThatCannotBeEnteredIsRefused()
    {
        if (geteuid() == 0)
            QSKIP("root enters any folder, whatever its permissions");
        const QString locked = scratch.filePath("cerrada");
        QVERIFY(QDir().mkdir(locked));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner));
        const Outcome outcome = apply({locked});
        QFile::setPermissions(
                locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(outcome.status, 2);
        QCOMPARE(outcome.err, "ajuste: no se puede entrar en la carpeta «" + locked + "»\n");
        QCOMPARE(QDir::currentPath(), start);
    }

    // The real program, with no display at all: had it tried to open a window,
    // Qt would have aborted instead of answering.
    void theProgramAnswersWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("--version") << QStringList{"--version"} << 0
                                   << QByteArray("ajuste " AJUSTE_VERSION "\n") << QByteArray();
        QTest::newRow("a missing folder") << QStringList{"/no/such/folder"} << 2 << QByteArray()
                                          << QByteArray("ajuste: la carpeta «/no/such/folder» "
                                                        "no existe\n");
    }

    void theProgramAnswersWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.insert("QT_QPA_PLATFORM", "xcb");
        program.setProcessEnvironment(environment);
        program.start(AJUSTE_EXECUTABLE, arguments);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        QCOMPARE(program.readAllStandardOutput(), out);
        QCOMPARE(program.readAllStandardError(), err);
    }

private:
    const QString start{QDir::currentPath()};
    QTemporaryDir scratch;
};

QTEST_MAIN(tst_CommandLine)
#include "tst_command_line.moc"
