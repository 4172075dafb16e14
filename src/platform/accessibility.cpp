#include "platform/accessibility.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>
#include <QStyle>

#include <algorithm>

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
    showWholeInToolTip();
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

void Readout::showWholeInToolTip()
{
    setToolTip(shownText() == text() ? QString() : text());
}

void makeReadout(Readout *readout, const QString &name)
{
    readout->setAccessibleName(name);
}
