#include "platform/controls.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QUrl>

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

// ---------------------------------------------------------------- Menu key

namespace {

class MenuKey : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

bool opensMenu(const QKeyEvent *key)
{
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    return key->key() == Qt::Key_Menu
            || (key->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

// Some platforms (X11) make a context menu event of the Menu key themselves
// and send it to the window; that one is dropped, so the menu opens once,
// from the key, whichever platform is under the program. A menu already open
// keeps the keys.
bool MenuKey::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu && watched->isWindowType())
        return static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard;
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()
        || !opensMenu(static_cast<QKeyEvent *>(event)) || QApplication::activePopupWidget())
        return false;
    auto *control = static_cast<QWidget *>(watched);
    if (control->isEnabled()) {
        const QPoint at = control->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, control->mapToGlobal(at),
                               static_cast<QKeyEvent *>(event)->modifiers());
        QCoreApplication::sendEvent(control, &menu);
    }
    return true;
}

} // namespace

static void watchMenuKey()
{
    QCoreApplication::instance()->installEventFilter(new MenuKey(QCoreApplication::instance()));
}
Q_COREAPP_STARTUP_FUNCTION(watchMenuKey)

// ---------------------------------------------------------------- TextBox

TextBox::TextBox(QWidget *parent) : QLineEdit(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QLineEdit::textChanged, this, [this] { showWholeInToolTip(); });
}

QRect TextBox::textLine() const
{
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this)
                                   .marginsRemoved(textMargins());
    // QLineEdit keeps two pixels clear at either end of its line.
    return contents.adjusted(2, 0, -2, 0);
}

// QLineEdit scrolls once the text and its one-pixel cursor are wider than the line.
QString TextBox::shownText() const
{
    const QString whole = text();
    const int room = textLine().width() - 1;
    const QFontMetrics metrics = fontMetrics();
    if (echoMode() != QLineEdit::Normal || metrics.horizontalAdvance(whole) <= room)
        return whole;
    return metrics.elidedText(whole, Qt::ElideRight, room);
}

// A text that fits, and any text while the box is being edited, is left to
// QLineEdit; only a text cut short is drawn here, on the box's own panel.
void TextBox::paintEvent(QPaintEvent *event)
{
    const QString shown = shownText();
    if (hasFocus() || shown == text()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    const QRect line = textLine();
    painter.setClipRect(line);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(
            line, int(QStyle::visualAlignment(layoutDirection(), alignment())) | Qt::TextSingleLine,
            shown);
}

void TextBox::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    showWholeInToolTip();
}

void TextBox::changeEvent(QEvent *event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        showWholeInToolTip();
}

void TextBox::showWholeInToolTip()
{
    setToolTip(shownText() == text() ? QString() : text());
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
    // Ctrl+V and the like come with a control character as their text: they
    // are taken here, before the character reaches KeyPress.
    const auto takeOver = [&](const std::function<void()> &handler) {
        event->accept();
        raiseEvent(handler);
    };
    if (onPaste && event->matches(QKeySequence::Paste))
        return takeOver(onPaste);
    if (onCopy && event->matches(QKeySequence::Copy) && !hasSelectedText())
        return takeOver(onCopy);
    if (onUndo && event->matches(QKeySequence::Undo) && !isUndoAvailable())
        return takeOver([this] { undoStep(); });

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

namespace {

// The one local file a drag carries, or nothing.
QString draggedFile(const QMimeData *mime)
{
    const QList<QUrl> urls = mime->urls();
    return urls.size() == 1 && urls.first().isLocalFile() ? urls.first().toLocalFile() : QString();
}

} // namespace

void TextBox::undoStep()
{
    if (isUndoAvailable())
        undo();
    else if (onUndo)
        raiseEvent(onUndo);
}

// The entries of Qt's own menu for a line edit, in the window's language, with
// paste and undo going where the keys go.
void TextBox::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    const auto entry = [&](const QString &text, QKeySequence::StandardKey key, bool enabled,
                           const std::function<void()> &handler) {
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        QAction *action
                = menu->addAction(shortcut.isEmpty() ? text : text + QLatin1Char('\t') + shortcut);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, handler);
    };
    const bool editable = !isReadOnly();
    const bool selected = hasSelectedText() && echoMode() == QLineEdit::Normal;
    // A box that takes its pastes over may read a table that comes as HTML alone.
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
    const bool clipboardText
            = clipboard && (!clipboard->text().isEmpty() || (onPaste && clipboard->hasHtml()));
    entry(QStringLiteral("&Deshacer"), QKeySequence::Undo,
          editable && (isUndoAvailable() || onUndo), [this] { undoStep(); });
    entry(QStringLiteral("&Rehacer"), QKeySequence::Redo, editable && isRedoAvailable(),
          [this] { redo(); });
    menu->addSeparator();
    entry(QStringLiteral("Cor&tar"), QKeySequence::Cut, editable && selected, [this] { cut(); });
    entry(QStringLiteral("&Copiar"), QKeySequence::Copy, selected, [this] { copy(); });
    entry(QStringLiteral("&Pegar"), QKeySequence::Paste, editable && clipboardText, [this] {
        if (onPaste)
            raiseEvent(onPaste);
        else
            paste();
    });
    entry(QStringLiteral("&Eliminar"), QKeySequence::UnknownKey, editable && selected,
          [this] { del(); });
    menu->addSeparator();
    entry(QStringLiteral("&Seleccionar todo"), QKeySequence::SelectAll, !text().isEmpty(),
          [this] { selectAll(); });
    if (!actions().isEmpty()) {
        menu->addSeparator();
        menu->addActions(actions());
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// A drag that carries files is the program's when it takes a dropped file:
// one local file is accepted, anything else is refused rather than pasted as
// the files' names.
bool TextBox::answerFileDrag(QDragMoveEvent *event)
{
    if (!onDropFile || !event->mimeData()->hasUrls())
        return false;
    if (draggedFile(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
    return true;
}

void TextBox::dragEnterEvent(QDragEnterEvent *event)
{
    if (!answerFileDrag(event))
        QLineEdit::dragEnterEvent(event);
}

void TextBox::dragMoveEvent(QDragMoveEvent *event)
{
    if (!answerFileDrag(event))
        QLineEdit::dragMoveEvent(event);
}

void TextBox::dropEvent(QDropEvent *event)
{
    if (!onDropFile || !event->mimeData()->hasUrls())
        return QLineEdit::dropEvent(event);
    const QString file = draggedFile(event->mimeData());
    if (file.isEmpty())
        return event->ignore();
    event->acceptProposedAction();
    // The source of the drag waits for the drop to end; a message box opened
    // inside the drop would keep it waiting.
    QMetaObject::invokeMethod(
            this, [this, file] { raiseEvent([&] { onDropFile(file); }); }, Qt::QueuedConnection);
}

QAction *addMenuEntry(QWidget *control, const QString &text, std::function<void()> handler)
{
    auto *action = new QAction(text, control);
    QObject::connect(action, &QAction::triggered, control,
                     [handler = std::move(handler)] { raiseEvent(handler); });
    control->addAction(action);
    if (!qobject_cast<QLineEdit *>(control))
        control->setContextMenuPolicy(Qt::ActionsContextMenu);
    return action;
}

void offerActions(QWidget *control, const QList<QAction *> &actions)
{
    control->addActions(actions);
    if (!qobject_cast<QLineEdit *>(control))
        control->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void drawFocusFrame(QPainter &painter, const QWidget &control)
{
    if (!control.hasFocus())
        return;
    painter.save();
    painter.setClipping(false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(control.palette().color(QPalette::Highlight), 2.0, Qt::SolidLine,
                        Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(QRectF(control.rect()).adjusted(1, 1, -1, -1));
    painter.restore();
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

// Qt's scroll bar inverts its controls so that the wheel scrolls a view the
// natural way, which also turns its arrow keys round: Right would lower the
// Value and move the thumb left. The keys are taken here as a slider takes
// them, the way the thumb and the bar's own arrows go: Right and Up raise the
// Value, Left and Down lower it (mirrored in a right-to-left layout), and so
// do Page Up and Page Down; Home and End go to Min and Max. The wheel is left
// as Qt has it.
void HScrollBar::keyPressEvent(QKeyEvent *event)
{
    inRepeat = event->isAutoRepeat();
    const bool inverted = invertedControls();
    setInvertedControls(false);
    QScrollBar::keyPressEvent(event);
    setInvertedControls(inverted);
    inRepeat = false;
}

void HScrollBar::writeValue(int position)
{
    if (position < minimum() || position > maximum())
        raiseFault();
    // QAbstractSlider emits valueChanged synchronously, and only for a new value.
    setValue(position);
}
