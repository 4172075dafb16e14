#include "platform/command_line.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

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

std::optional<int> enterFolder(const QString &folder, QTextStream &err)
{
    const QFileInfo info(folder);
    QString problem;
    if (!info.exists())
        problem = QStringLiteral("la carpeta «%1» no existe");
    else if (!info.isDir())
        problem = QStringLiteral("«%1» no es una carpeta");
    else if (!QDir::setCurrent(folder))
        problem = QStringLiteral("no se puede entrar en la carpeta «%1»");
    if (problem.isEmpty())
        return std::nullopt;
    err << "ajuste: " << problem.arg(folder) << '\n';
    err.flush();
    return kUsageError;
}

} // namespace

std::optional<int> applyCommandLine(const QStringList &arguments, QTextStream &out,
                                    QTextStream &err)
{
    QCommandLineParser parser;
    parser.addOption(kHelp);
    parser.addOption(kVersion);
    parser.addPositionalArgument(QStringLiteral("carpeta"), QString(), QStringLiteral("[carpeta]"));
    if (!parser.parse(arguments)) {
        // The one other failure possible here is a value given to an option (--help=x).
        const QStringList unknown = parser.unknownOptionNames();
        return usageError(
                err,
                unknown.isEmpty()
                        ? QStringLiteral("las opciones no llevan valor")
                        : QStringLiteral("opción desconocida: «%1»").arg(unknown.first()));
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
    return enterFolder(folders.first(), err);
}
