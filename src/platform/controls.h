#pragma once

#include "numeric/fault.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QList>
#include <QScrollBar>

#include <cstdint>
#include <functional>

class QAction;
class QPainter;

// Runs an event handler at the boundary with Qt's event loop: nothing the
// handler throws may cross into Qt.
void raiseEvent(const std::function<void()> &handler) noexcept;

// A modal box takes the mouse: the release of the button held at that moment
// goes to the box, never to the control that got the press. Called as a box
// opens, this hands that control its release first, away from the control, so
// a scroll bar ends its auto-repeat and a button or picture box sees no click.
// A press whose button has gone up before the press reaches its control (a box
// opened by the focus change the press caused) is kept from the control.
void releaseHeldControl();

// Single-line text box with the classic events: KeyPress gets the character
// code by reference before the character enters the box (0 cancels the key,
// another code replaces it); LostFocus is raised when the focus moves to
// another control of the window, not when the window itself is deactivated or
// a message box opens.
class TextBox : public QLineEdit
{
public:
    explicit TextBox(QWidget *parent);

    void setBackColor(const QColor &colour);
    QColor backColor() const;

    std::function<void(int16_t &keyAscii)> onKeyPress;
    std::function<void()> onLostFocus;

    // Esc drops what was typed since the program last wrote the box and moves
    // the focus out of it (raising LostFocus), so that the window's own keys,
    // such as its undo, act again.
    bool leavesOnEscape{false};

    // Clipboard, undo and drop where the program takes them over; each is
    // optional. onPaste takes Ctrl+V and the menu's "Pegar"; onCopy takes
    // Ctrl+C when no text is selected (a selection is copied as usual); onUndo
    // takes Ctrl+Z once the box has nothing of its own left to undo;
    // onDropFile takes one local file dropped onto the box, after the drop has
    // ended, so that it may open a message box.
    std::function<void()> onPaste;
    std::function<void()> onCopy;
    std::function<void()> onUndo;
    std::function<void(const QString &file)> onDropFile;

    // The text as the box shows it while it does not have the focus: whole
    // when it fits, otherwise its start and an ellipsis, where a plain line
    // edit would show its end and hide a number's sign. The whole text is then
    // the box's tool tip; text() and a screen reader always have all of it.
    // With the focus the box scrolls its text as any line edit does.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // The box's own entries in Spanish, then the entries added to the control
    // (addMenuEntry).
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The box's own undo while it has one, then onUndo.
    void undoStep();
    // Accepts a drag of one local file, refuses any other drag of files; false
    // when the drag is not the program's (plain text, or no onDropFile).
    bool answerFileDrag(QDragMoveEvent *event);
    // Where QLineEdit lays its line of text, in the box's coordinates.
    QRect textLine() const;
    void showWholeInToolTip();
};

// An entry of a control's context menu that runs `handler` as an event
// handler. A text box shows it after its own entries; any other control shows
// its entries alone. The menu opens on a right click, and by the Menu key or
// Shift+F10 while the control has the focus: an application-wide filter takes
// both keys, on every platform, and sends the control a keyboard context menu
// event at its text cursor, or at its middle when it has none.
QAction *addMenuEntry(QWidget *control, const QString &text, std::function<void()> handler);
// Entries that several controls share, shown in the same way.
void offerActions(QWidget *control, const QList<QAction *> &actions);

// A plot that takes the focus shows it with this frame along its edge, in the
// highlight colour, painted last and never into the plot's pictures.
void drawFocusFrame(QPainter &painter, const QWidget &control);

// Check box with a Value of 0 (clear), 1 (ticked) or 2 (greyed). A user's click
// toggles between clear and ticked; only the program greys it.
class CheckBox : public QCheckBox
{
public:
    explicit CheckBox(QWidget *parent);

    // Read on every derivative of every descent step, so it is a plain field,
    // kept equal to the box's state on every change, by the user or the program.
    int value() const { return currentValue; }
    void setValue(int value);
    // The Value before its latest change.
    int previousValue() const { return lastValue; }

protected:
    void nextCheckState() override;

private:
    int currentValue{0};
    int lastValue{0};
};

// Horizontal scroll bar whose Value behaves classically: a write outside
// Min..Max is a fault and leaves the Value as it was, a write of the same
// Value raises nothing, a write of a different Value raises Change before the
// write returns, and a drag raises Change once, when the thumb is released.
class HScrollBar : public QScrollBar
{
public:
    HScrollBar(QWidget *parent, int min, int max);

    void writeValue(int position);

    // True while the Change being raised repeats an earlier one: an arrow or
    // the track held down with the mouse, or an arrow key held down.
    bool repeating() const { return inRepeat; }

    std::function<void()> onChange;

protected:
    void timerEvent(QTimerEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool inRepeat{false};
};

// A control array: the controls of one column, indexed from 0 like the rest of
// the program; an index outside the array is a fault.
template <typename Control, int Count>
struct ControlArray
{
    Control *items[Count]{};

    Control *operator()(int k) const
    {
        if (k < 0 || k >= Count) [[unlikely]]
            raiseFault();
        return items[k];
    }
    static constexpr int size() { return Count; }
};
