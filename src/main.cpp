#include "platform/command_line.h"
#include "platform/translation.h"
#include "window/form1.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    // The command line is read before the window system is reached, so --help,
    // --version and a wrong folder need no display and never open a window.
    QList<QByteArray> arguments;
    for (int k = 0; k < argc; ++k)
        arguments << QByteArray(argv[k]);
    {
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (const std::optional<int> status = applyCommandLine(arguments, out, err))
            return *status;
    }

    // Qt's own options (-platform, -style, ...) are not offered: the program's
    // arguments are its own, so Qt sees only the program's name.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("ajuste"));
    QApplication::setApplicationVersion(QStringLiteral(AJUSTE_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/ajuste.png")));
    installQtTranslation(QLocale());
    Form1 form;
    form.show();
    return app.exec();
}
