#include "platform/accessibility.h"

#include <QAccessibleWidget>
#include <QStyle>

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
    QRect characterRect(int offset) const override
    {
        const QString shown = figure();
        if (offset < 0 || offset >= shown.size())
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
        const QString shown = figure();
        const QFontMetrics metrics = label()->fontMetrics();
        for (int k = 0; k < shown.size(); ++k) {
            if (inside.x() < area.left() + metrics.horizontalAdvance(shown.left(k + 1)))
                return k;
        }
        return -1;
    }

private:
    QLabel *label() const { return static_cast<QLabel *>(widget()); }
    QString figure() const { return label()->text(); }

    // Where QLabel paints its plain text, in the label's coordinates: inside
    // the frame and the margin, indented by half an "x" when framed and no
    // indent is set.
    QRect textArea() const
    {
        const QLabel *shown = label();
        const QFontMetrics metrics = shown->fontMetrics();
        const int margin = shown->margin();
        QRect area = shown->contentsRect().adjusted(margin, margin, -margin, -margin);
        int indent = shown->indent();
        if (indent < 0 && shown->frameWidth() > 0)
            indent = metrics.horizontalAdvance(QLatin1Char('x')) / 2 - margin;
        if (indent > 0 && (shown->alignment() & Qt::AlignLeft))
            area.setLeft(area.left() + indent);
        else if (indent > 0 && (shown->alignment() & Qt::AlignRight))
            area.setRight(area.right() - indent);
        return shown->style()->itemTextRect(metrics, area, int(shown->alignment()),
                                            shown->isEnabled(), shown->text());
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
    // AT-SPI has no "text replaced": the bridge sends the old figure as
    // deleted and the new one as inserted.
    QAccessibleTextUpdateEvent changed(this, 0, before, figure);
    QAccessible::updateAccessibility(&changed);
}

void makeReadout(Readout *readout, const QString &name)
{
    readout->setAccessibleName(name);
}
