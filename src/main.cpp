#include "window/form1.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ajuste"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/ajuste.png")));
    Form1 form;
    form.show();
    return app.exec();
}
