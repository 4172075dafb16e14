#include "platform/window_place.h"

#include <QList>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace {

// How much of `area` a rectangle covers, in square pixels.
int64_t covered(const QRect &window, const QRect &area)
{
    const QRect common = window & area;
    return common.isEmpty() ? 0 : int64_t(common.width()) * common.height();
}

} // namespace

QRect placeBeside(const QRect &owner, QSize size, const QRect &room)
{
    if (room.isEmpty())
        return QRect(owner.topRight() + QPoint(1, 0), size);
    size = size.boundedTo(room.size());
    const int w = size.width(), h = size.height();
    const auto inRoomX
            = [&](int left) { return std::clamp(left, room.left(), room.right() + 1 - w); };
    const auto inRoomY
            = [&](int top) { return std::clamp(top, room.top(), room.bottom() + 1 - h); };
    // The cover of a window is a product of its horizontal and vertical
    // overlaps with the owner, each of which is least at an end of the room or
    // with the window at a side of the owner: these places hold the best one.
    // Right, then left, at the owner's top come first, and the first of equals
    // is taken.
    const int lefts[] = {owner.right() + 1, owner.left() - w, room.right() + 1 - w, room.left()};
    const int tops[]
            = {owner.top(), owner.bottom() + 1, owner.top() - h, room.top(), room.bottom() + 1 - h};
    QList<QPoint> places{{lefts[0], tops[0]}, {lefts[1], tops[0]}};
    for (const int left : lefts)
        for (const int top : tops)
            places << QPoint(left, top);
    const QRect shown = owner & room;
    QRect best;
    int64_t least = -1;
    for (const QPoint &corner : places) {
        const QRect place(QPoint(inRoomX(corner.x()), inRoomY(corner.y())), size);
        const int64_t cover = covered(place, shown);
        if (least < 0 || cover < least) {
            best = place;
            least = cover;
        }
    }
    return best;
}

void placeBeside(QWidget *window, const QWidget *owner)
{
    const QScreen *screen = owner->screen();
    if (!screen)
        return;
    // A window not yet shown has no frame; the owner's is the best guess of it.
    const QRect outer = owner->frameGeometry();
    const QRect inner = owner->geometry();
    const QSize frame(outer.width() - inner.width(), outer.height() - inner.height());
    const QSize size = window->testAttribute(Qt::WA_Resized) ? window->size() : window->sizeHint();
    const QRect place = placeBeside(outer, size + frame, screen->availableGeometry());
    window->resize(place.size() - frame);
    window->move(place.topLeft());
}

QRect keptInRoom(const QRect &frame, const QRect &room)
{
    if (room.isEmpty())
        return frame;
    const QSize size = frame.size().boundedTo(room.size());
    const int left = std::clamp(frame.left(), room.left(), room.right() + 1 - size.width());
    const int top = std::clamp(frame.top(), room.top(), room.bottom() + 1 - size.height());
    return QRect(QPoint(left, top), size);
}

void resizeInRoom(QWidget *window, QSize size)
{
    const QScreen *screen = window->screen();
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    const QSize frame(outer.width() - inner.width(), outer.height() - inner.height());
    if (!screen) {
        window->resize(size);
        return;
    }
    const QRect place
            = keptInRoom(QRect(outer.topLeft(), size + frame), screen->availableGeometry());
    window->resize(place.size() - frame);
    window->move(place.topLeft());
}
