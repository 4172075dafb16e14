#include "platform/controls.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPalette>

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

void HScrollBar::writeValue(int position)
{
    if (position < minimum() || position > maximum())
        raiseFault();
    // QAbstractSlider emits valueChanged synchronously, and only for a new value.
    setValue(position);
}
