#include "platform/controls.h"

#include <QAction>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>

#include <exception>

void raiseEvent(const std::function<void()> &handler) noexcept
{
    if (!handler)
        return;
    try {
        handler();
    } catch (const std::exception &error) {
        qCritical("ajuste: unhandled error in an event handler: %s", error.what());
    } catch (...) {
        qCritical("ajuste: unhandled error in an event handler");
    }
}

// ---------------------------------------------------------------- Held control

namespace {

// Watches every press and release of the application to know which control
// holds the mouse.
class MouseHold : public QObject
{
public:
    using QObject::QObject;

    void release();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> holder;
    Qt::MouseButton heldButton{Qt::NoButton};
};

QPointer<MouseHold> mouseHold;

void MouseHold::release()
{
    QWidget *control = holder;
    holder = nullptr;
    if (!control)
        return;
    const QPointF outside(-1, -1);
    QMouseEvent release(QEvent::MouseButtonRelease, outside, control->mapToGlobal(outside),
                        heldButton, Qt::NoButton, QGuiApplication::keyboardModifiers());
    QCoreApplication::sendEvent(control, &release);
}

bool isButtonEvent(QEvent::Type type)
{
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
            || type == QEvent::MouseButtonRelease;
}

bool MouseHold::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWidgetType() || !isButtonEvent(event->type()))
        return false;
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    if (event->type() == QEvent::MouseButtonRelease) {
        if (mouse->buttons() == Qt::NoButton)
            holder = nullptr;
        return false;
    }
    // A press whose button is up already lost its release to a box opened on
    // its way to the control (by the focus change it caused): it goes no further.
    if (event->type() == QEvent::MouseButtonPress && event->spontaneous()
        && !(QGuiApplication::mouseButtons() & mouse->button()))
        return true;
    holder = static_cast<QWidget *>(watched);
    heldButton = mouse->button();
    return false;
}

} // namespace

// Installed with every application object, before any control can be pressed.
static void watchMouse()
{
    mouseHold = new MouseHold(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(mouseHold);
}
Q_COREAPP_STARTUP_FUNCTION(watchMouse)

void releaseHeldControl()
{
    if (mouseHold)
        mouseHold->release();
}

// ---------------------------------------------------------------- Context menus

void offerActions(QWidget *control, const QList<QAction *> &actions)
{
    control->addActions(actions);
    auto *box = qobject_cast<QLineEdit *>(control);
    if (!box) {
        control->setContextMenuPolicy(Qt::ActionsContextMenu);
        return;
    }
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(box, &QWidget::customContextMenuRequested, box, [box, actions](QPoint at) {
        QMenu *menu = box->createStandardContextMenu();
        QAction *first = menu->actions().value(0);
        menu->insertActions(first, actions);
        menu->insertSeparator(first);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(box->mapToGlobal(at));
    });
}

// ---------------------------------------------------------------- TextBox

TextBox::TextBox(QWidget *parent) : QLineEdit(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void TextBox::setBackColor(const QColor &colour)
{
    QPalette p = palette();
    if (p.color(QPalette::Base) == colour)
        return;
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

QColor TextBox::backColor() const
{
    return palette().color(QPalette::Base);
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (leavesOnEscape && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // The program's writes clear the box's own undo, so this goes back to
        // the text the program last wrote.
        while (isUndoAvailable())
            undo();
        clearFocus();
        event->accept();
        return;
    }
    const QString text = event->text();
    if (!onKeyPress || text.isEmpty()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const int16_t typed = int16_t(text.at(0).unicode());
    int16_t keyAscii = typed;
    raiseEvent([&] { onKeyPress(keyAscii); });
    if (keyAscii == 0) {
        event->accept();
        return;
    }
    if (keyAscii != typed) {
        const QString replaced{QChar(char16_t(keyAscii))};
        QKeyEvent replacement(event->type(), 0, event->modifiers(), replaced);
        QLineEdit::keyPressEvent(&replacement);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TextBox::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    switch (event->reason()) {
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
    case Qt::MenuBarFocusReason:
        return;
    default:
        if (onLostFocus)
            raiseEvent(onLostFocus);
    }
}

// ---------------------------------------------------------------- CheckBox

CheckBox::CheckBox(QWidget *parent) : QCheckBox(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QCheckBox::stateChanged, this, [this](int state) {
        lastValue = currentValue;
        currentValue = state == Qt::Unchecked ? 0 : state == Qt::Checked ? 1 : 2;
    });
}

void CheckBox::setValue(int value)
{
    setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

void CheckBox::nextCheckState()
{
    setCheckState(checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
}

// ---------------------------------------------------------------- HScrollBar

HScrollBar::HScrollBar(QWidget *parent, int min, int max) : QScrollBar(Qt::Horizontal, parent)
{
    setRange(min, max);
    setSingleStep(1);
    setPageStep(1);
    // Without tracking a drag changes the Value only on release.
    setTracking(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractSlider::valueChanged, this, [this] { raiseEvent(onChange); });
}

// The slider's repeat of a held arrow or track runs on its timer; a held key
// comes as auto-repeated presses.
void HScrollBar::timerEvent(QTimerEvent *event)
{
    inRepeat = true;
    QScrollBar::timerEvent(event);
    inRepeat = false;
}

void HScrollBar::keyPressEvent(QKeyEvent *event)
{
    inRepeat = event->isAutoRepeat();
    QScrollBar::keyPressEvent(event);
    inRepeat = false;
}

void HScrollBar::writeValue(int position)
{
    if (position < minimum() || position > maximum())
        raiseFault();
    // QAbstractSlider emits valueChanged synchronously, and only for a new value.
    setValue(position);
}
