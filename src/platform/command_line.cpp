#include "platform/command_line.h"

#include <QCommandLineParser>
#include <QFile>
#include <QTextStream>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kUsageError = 2;

const QCommandLineOption kHelp({QStringLiteral("h"), QStringLiteral("help")},
                               QStringLiteral("Muestra esta ayuda y termina."));
const QCommandLineOption kVersion({QStringLiteral("v"), QStringLiteral("version")},
                                  QStringLiteral("Muestra la versión del programa y termina."));

// Written here rather than by QCommandLineParser::helpText, whose headings
// are English unless Qt's own translations happen to be installed.
QString helpText()
{
    return QStringLiteral(
                   "Uso: ajuste [opciones] [carpeta]\n"
                   "\n"
                   "Ajusta la curva logística f(t) = a / (1 + e^(−c·(t − t0))) a puntos medidos,\n"
                   "por descenso de gradiente, en una ventana.\n"
                   "\n"
                   "Opciones:\n"
                   "  -h, --help     %1\n"
                   "  -v, --version  %2\n"
                   "\n"
                   "Argumentos:\n"
                   "  carpeta        Carpeta donde se leen y se guardan los puntos (datos.txt).\n"
                   "                 Sin ella, la carpeta desde la que se inicia el programa.\n")
            .arg(kHelp.description(), kVersion.description());
}

int usageError(QTextStream &err, const QString &message)
{
    err << "ajuste: " << message << '\n' << "Pruebe «ajuste --help» para más información.\n";
    err.flush();
    return kUsageError;
}

// The folder is entered by the bytes it was given as: a name that is not valid
// in the locale's encoding does not survive decoding to text and back.
std::optional<int> enterFolder(const QByteArray &folder, QTextStream &err)
{
    struct stat info = {};
    QString problem;
    if (::stat(folder.constData(), &info) != 0)
        problem = QStringLiteral("la carpeta «%1» no existe");
    else if (!S_ISDIR(info.st_mode))
        problem = QStringLiteral("«%1» no es una carpeta");
    else if (::chdir(folder.constData()) != 0)
        problem = QStringLiteral("no se puede entrar en la carpeta «%1»");
    if (problem.isEmpty())
        return std::nullopt;
    err << "ajuste: " << problem.arg(QFile::decodeName(folder)) << '\n';
    err.flush();
    return kUsageError;
}

// An option as the user typed it ("-platform", "--verbose=2"), found from the
// name the parser reports without its dashes.
QString typedOption(const QStringList &arguments, const QString &name)
{
    for (const QString &argument : arguments.mid(1)) {
        const QString word = argument.section(QLatin1Char('='), 0, 0);
        if (word == QLatin1Char('-') + name || word == QLatin1String("--") + name)
            return word;
    }
    return name;
}

} // namespace

std::optional<int> applyCommandLine(const QList<QByteArray> &argv, QTextStream &out,
                                    QTextStream &err)
{
    QStringList arguments;
    for (const QByteArray &argument : argv)
        arguments << QFile::decodeName(argument);
    QCommandLineParser parser;
    // "-platform" is one unknown option, not the letters p, l, a, ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(kHelp);
    parser.addOption(kVersion);
    parser.addPositionalArgument(QStringLiteral("carpeta"), QString(), QStringLiteral("[carpeta]"));
    if (!parser.parse(arguments)) {
        // The one other failure possible here is a value given to an option (--help=x).
        const QStringList unknown = parser.unknownOptionNames();
        return usageError(err,
                          unknown.isEmpty()
                                  ? QStringLiteral("las opciones no llevan valor")
                                  : QStringLiteral("opción desconocida: «%1»")
                                            .arg(typedOption(arguments, unknown.first())));
    }
    if (parser.isSet(kHelp)) {
        out << helpText();
        out.flush();
        return 0;
    }
    if (parser.isSet(kVersion)) {
        out << "ajuste " << AJUSTE_VERSION << '\n';
        out.flush();
        return 0;
    }
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1)
        return usageError(
                err, QStringLiteral("sobra «%1»: se admite una sola carpeta").arg(folders.at(1)));
    if (folders.isEmpty())
        return std::nullopt;
    // Two arguments that decode alike would be two folders, or a folder and
    // an option that has already ended the program, so the one that decodes
    // to the folder is the folder.
    const auto given = std::find_if(argv.begin() + 1, argv.end(), [&](const QByteArray &argument) {
        return QFile::decodeName(argument) == folders.first();
    });
    return enterFolder(given != argv.end() ? *given : QFile::encodeName(folders.first()), err);
}
