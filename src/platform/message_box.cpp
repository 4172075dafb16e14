#include "platform/message_box.h"

#include "platform/controls.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>

std::function<void(const QString &)> messageBoxHook;
std::function<void(QMessageBox &box)> modalBoxHook;

namespace {

constexpr int kLongestTestBoxMs = 10000;

void runModal(QMessageBox &box)
{
    if (modalBoxHook) {
        modalBoxHook(box);
        QTimer::singleShot(kLongestTestBoxMs, &box, [&box] {
            qWarning("ajuste: message box left open by the test, closed: %s",
                     qUtf8Printable(box.text()));
            box.done(QMessageBox::Ok);
        });
    }
    box.exec();
}

} // namespace

void msgBox(QWidget *parent, const QString &text)
{
    releaseHeldControl();
    if (!modalBoxHook) {
        if (messageBoxHook) {
            messageBoxHook(text);
            return;
        }
        // Nobody could ever close a box on the offscreen platform: say it and go on.
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
            qWarning("ajuste: message box not shown (offscreen): %s", qUtf8Printable(text));
            return;
        }
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("ajuste"), text, QMessageBox::Ok, parent);
    runModal(box);
}
