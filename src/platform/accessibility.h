#pragma once

#include <QLabel>

class QString;
class QWidget;

// What a screen reader says for a control: its name, and where the name alone
// does not tell what the control does, a description.
void setAccessibleTexts(QWidget *control, const QString &name, const QString &description);

// A label that shows a figure. A screen reader hears it the way it hears a
// read-only text box: by its name, which says what the figure is, and by its
// text, the figure itself ("—" and an empty readout included). Every figure
// written through setText is announced as a change of that text, so a screen
// reader that follows the readout hears the new figure.
//
// A figure wider than the readout is never cut at either end: it is shown
// cut on the right with an ellipsis, so that its sign and first digits stay
// in sight, and the whole figure is the readout's tool tip; text() and a
// screen reader keep the whole figure. In a layout a readout takes at least
// the room of its whole figure, and at least setLeastWidth's.
class Readout : public QLabel
{
public:
    explicit Readout(QWidget *parent);

    // Hides QLabel::setText, which tells a screen reader nothing once the
    // label has a name of its own; write figures through a Readout pointer.
    void setText(const QString &figure);

    // The figure as it is drawn: whole when it fits, otherwise its start
    // and an ellipsis.
    QString shownText() const;
    // Where QLabel draws the text, in the readout's coordinates: inside the
    // frame and the margin, less the indent.
    QRect figureArea() const;

    // The width taken in a layout even by a shorter figure, so that a column
    // keeps its width as its figures change.
    void setLeastWidth(int pixels);
    QSize minimumSizeHint() const override;

    // The tool tip holds the whole figure where it is cut, and nothing where
    // it fits; settled late, on the first paint, tool tip or description
    // after a new figure.
    void updateToolTip();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showWholeInToolTip();
    void setWholeInToolTip(const QString &shown);
    // The room the figure needs to be shown whole: its advance and what lies
    // around the text.
    int wholeWidth() const;

    int leastWidth{0};
    bool toolTipDue{false};
};

void makeReadout(Readout *readout, const QString &name);

// While held, a change of what a figure says (the text of a label or a text
// box, the value of a scroll bar) is not told to a screen reader as it comes:
// each control that changed is told once, with what it says then, by
// tellHeldAnnouncements and as the hold ends. A descent run live changes the
// figures sixty times a second, which would flood speech. One hold at a time.
void holdAnnouncements(bool hold);
void tellHeldAnnouncements();
