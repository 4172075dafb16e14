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
class Readout : public QLabel
{
public:
    explicit Readout(QWidget *parent);

    // Hides QLabel::setText, which tells a screen reader nothing once the
    // label has a name of its own; write figures through a Readout pointer.
    void setText(const QString &figure);
};

void makeReadout(Readout *readout, const QString &name);
