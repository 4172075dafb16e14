#include "platform/message_box.h"

#include <QGuiApplication>
#include <QMessageBox>

std::function<void(const QString &)> messageBoxHook;

void msgBox(QWidget *parent, const QString &text)
{
    if (messageBoxHook) {
        messageBoxHook(text);
        return;
    }
    // Nobody could ever close a box on the offscreen platform: say it and go on.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        qWarning("ajuste: message box not shown (offscreen): %s", qUtf8Printable(text));
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ajuste"), text, QMessageBox::Ok, parent);
    box.exec();
}
