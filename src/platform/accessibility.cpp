#include "platform/accessibility.h"

#include <QAbstractSlider>
#include <QAccessibleWidget>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStyle>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Over AT-SPI a screen reader gets a readout's figure through the Text
// interface; an accessible value in text form never leaves the process.
class AccessibleReadout : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit AccessibleReadout(Readout *readout)
        : QAccessibleWidget(readout, QAccessible::StaticText)
    { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return figure();
        // A label without a description of its own is described by its tool
        // tip, the whole figure where it is cut: brought up to date first.
        if (kind == QAccessible::Description)
            label()->updateToolTip();
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        return state;
    }

    QString text(int startOffset, int endOffset) const override
    {
        return figure().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(figure().size()); }

    // Nothing can be selected and there is no caret: the caret stays at 0.
    void selection(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    void scrollToSubstring(int, int) override { }

    // One run of plain text with the label's font.
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return QString();
    }

    // Screen coordinates, as a magnifier or a mouse review asks for them.
    // The characters an ellipsis stands for are not on the screen.
    QRect characterRect(int offset) const override
    {
        const QString shown = label()->shownText();
        if (offset < 0 || offset >= onScreen())
            return QRect();
        const QFontMetrics metrics = label()->fontMetrics();
        const QRect area = textArea();
        const int left = area.left() + metrics.horizontalAdvance(shown.left(offset));
        return QRect(label()->mapToGlobal(QPoint(left, area.top())),
                     QSize(metrics.horizontalAdvance(shown.mid(offset, 1)), area.height()));
    }

    int offsetAtPoint(const QPoint &point) const override
    {
        const QPoint inside = label()->mapFromGlobal(point);
        const QRect area = textArea();
        if (!area.contains(inside))
            return -1;
        const QString shown = label()->shownText();
        const QFontMetrics metrics = label()->fontMetrics();
        for (int k = 0; k < onScreen(); ++k) {
            if (inside.x() < area.left() + metrics.horizontalAdvance(shown.left(k + 1)))
                return k;
        }
        return -1;
    }

private:
    Readout *label() const { return static_cast<Readout *>(widget()); }
    QString figure() const { return label()->text(); }

    // The characters of the figure drawn as they are: all of them, or those
    // before the ellipsis.
    int onScreen() const
    {
        const QString whole = figure();
        const QString shown = label()->shownText();
        int k = 0;
        while (k < whole.size() && k < shown.size() && whole.at(k) == shown.at(k))
            ++k;
        return k;
    }

    // Where QLabel paints the text on show, in the label's coordinates.
    QRect textArea() const
    {
        const Readout *shown = label();
        return shown->style()->itemTextRect(shown->fontMetrics(), shown->figureArea(),
                                            int(shown->alignment()), shown->isEnabled(),
                                            shown->shownText());
    }
};

QAccessibleInterface *readoutFactory(const QString &, QObject *object)
{
    if (auto *readout = dynamic_cast<Readout *>(object))
        return new AccessibleReadout(readout);
    return nullptr;
}

} // namespace

void setAccessibleTexts(QWidget *control, const QString &name, const QString &description)
{
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

Readout::Readout(QWidget *parent) : QLabel(parent)
{
    // Installed before the first readout is asked for its interface; Qt keeps
    // an interface per object once made.
    static const bool installed = [] {
        QAccessible::installFactory(readoutFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void Readout::setText(const QString &figure)
{
    const QString before = text();
    if (figure == before)
        return;
    QLabel::setText(figure);
    // Whether the figure fits takes shaping its text; the tool tip that says
    // so is settled when the figure is drawn, which measures it anyway, or
    // when the tool tip or the description is asked for before that.
    toolTipDue = true;
    // AT-SPI has no "text replaced": the bridge sends the old figure as
    // deleted and the new one as inserted.
    QAccessibleTextUpdateEvent changed(this, 0, before, figure);
    QAccessible::updateAccessibility(&changed);
}

// As QLabel lays out its plain text: an indent left unset is half an "x"
// inside a frame, on the side the text is aligned to.
QRect Readout::figureArea() const
{
    const int m = margin();
    QRect area = contentsRect().adjusted(m, m, -m, -m);
    int indentation = indent();
    if (indentation < 0 && frameWidth() > 0)
        indentation = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - m;
    if (indentation > 0) {
        const Qt::Alignment side = QStyle::visualAlignment(layoutDirection(), alignment());
        if (side & Qt::AlignLeft)
            area.setLeft(area.left() + indentation);
        if (side & Qt::AlignRight)
            area.setRight(area.right() - indentation);
        if (side & Qt::AlignTop)
            area.setTop(area.top() + indentation);
        if (side & Qt::AlignBottom)
            area.setBottom(area.bottom() - indentation);
    }
    return area;
}

QString Readout::shownText() const
{
    const QString whole = text();
    const int room = figureArea().width();
    const QFontMetrics metrics = fontMetrics();
    if (metrics.horizontalAdvance(whole) <= room)
        return whole;
    return metrics.elidedText(whole, Qt::ElideRight, room);
}

int Readout::wholeWidth() const
{
    return fontMetrics().horizontalAdvance(text()) + width() - figureArea().width();
}

void Readout::setLeastWidth(int pixels)
{
    leastWidth = pixels;
    updateGeometry();
}

// QLabel's own hint keeps a whole "x" beside a framed text; the figure needs
// only what figureArea leaves out.
QSize Readout::minimumSizeHint() const
{
    return {std::max(leastWidth, wholeWidth()), QLabel::minimumSizeHint().height()};
}

// Only a figure that does not fit is drawn here; one that fits is left to
// QLabel, so that it looks exactly as any label does.
void Readout::paintEvent(QPaintEvent *event)
{
    const QString shown = shownText();
    if (toolTipDue)
        setWholeInToolTip(shown);
    if (shown == text()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    const int flags = int(QStyle::visualAlignment(layoutDirection(), alignment()))
            | Qt::TextForceLeftToRight;
    style()->drawItemText(&painter, figureArea(), flags, palette(), isEnabled(), shown,
                          foregroundRole());
}

void Readout::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    showWholeInToolTip();
}

void Readout::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        showWholeInToolTip();
}

bool Readout::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip)
        updateToolTip();
    return QLabel::event(event);
}

void Readout::updateToolTip()
{
    if (toolTipDue)
        showWholeInToolTip();
}

void Readout::showWholeInToolTip()
{
    setWholeInToolTip(shownText());
}

void Readout::setWholeInToolTip(const QString &shown)
{
    toolTipDue = false;
    const QString whole = shown == text() ? QString() : text();
    if (whole != toolTip())
        setToolTip(whole);
}

void makeReadout(Readout *readout, const QString &name)
{
    readout->setAccessibleName(name);
}

namespace {

// The changes held back: each control once, with the text it had told last
// (a scroll bar's value is read afresh when told).
struct HeldBack
{
    bool on{false};
    QAccessible::UpdateHandler previous{};
    std::vector<std::pair<QPointer<QObject>, QString>> texts;
    std::vector<QPointer<QObject>> values;
};

HeldBack &heldBack()
{
    static HeldBack held;
    return held;
}

void holdBack(QAccessibleEvent *event);

// On to whatever would have had the event without the hold.
void pass(QAccessibleEvent *event)
{
    HeldBack &held = heldBack();
    if (held.previous) {
        held.previous(event);
        return;
    }
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&holdBack);
}

void holdBack(QAccessibleEvent *event)
{
    HeldBack &held = heldBack();
    QObject *object = event->object();
    const bool figure = qobject_cast<QLabel *>(object) || qobject_cast<QLineEdit *>(object)
            || qobject_cast<QAbstractSlider *>(object);
    if (!figure) {
        pass(event);
        return;
    }
    if (event->type() == QAccessible::TextUpdated) {
        if (std::none_of(held.texts.begin(), held.texts.end(),
                         [&](const auto &kept) { return kept.first == object; }))
            held.texts.emplace_back(
                    object, static_cast<QAccessibleTextUpdateEvent *>(event)->textRemoved());
    } else if (event->type() == QAccessible::ValueChanged) {
        if (std::find(held.values.begin(), held.values.end(), object) == held.values.end())
            held.values.emplace_back(object);
    } else {
        pass(event);
    }
}

} // namespace

void holdAnnouncements(bool hold)
{
    HeldBack &held = heldBack();
    if (hold == held.on)
        return;
    if (hold) {
        held.on = true;
        held.previous = QAccessible::installUpdateHandler(&holdBack);
        return;
    }
    tellHeldAnnouncements();
    QAccessible::installUpdateHandler(held.previous);
    held = HeldBack{};
}

void tellHeldAnnouncements()
{
    HeldBack &held = heldBack();
    for (auto &[object, told] : std::exchange(held.texts, {})) {
        QAccessibleInterface *face
                = object ? QAccessible::queryAccessibleInterface(object) : nullptr;
        QAccessibleTextInterface *text = face ? face->textInterface() : nullptr;
        if (!text)
            continue;
        const QString now = text->text(0, text->characterCount());
        if (now != told) {
            QAccessibleTextUpdateEvent changed(object, 0, told, now);
            pass(&changed);
        }
    }
    for (const QPointer<QObject> &object : std::exchange(held.values, {})) {
        QAccessibleInterface *face
                = object ? QAccessible::queryAccessibleInterface(object) : nullptr;
        if (QAccessibleValueInterface *value = face ? face->valueInterface() : nullptr) {
            QAccessibleValueChangeEvent changed(object, value->currentValue());
            pass(&changed);
        }
    }
}
