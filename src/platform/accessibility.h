#pragma once

class QLabel;
class QString;
class QWidget;

// What a screen reader says for a control: its name, and where the name alone
// does not tell what the control does, a description.
void setAccessibleTexts(QWidget *control, const QString &name, const QString &description);

// A label that shows a figure. A named QLabel would be read by its name alone,
// so a readout is read by its name with the figure it shows as its value.
void makeReadout(QLabel *label, const QString &name);
