#include "platform/window_place.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

void placeBeside(QWidget *window, const QWidget *owner)
{
    const QScreen *screen = owner->screen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    const QRect beside = owner->frameGeometry();
    const QSize size = window->size().expandedTo(window->sizeHint());
    const int left
            = std::max(room.left(), std::min(beside.right() + 1, room.right() + 1 - size.width()));
    const int top = std::max(room.top(), std::min(beside.top(), room.bottom() + 1 - size.height()));
    window->move(left, top);
}
