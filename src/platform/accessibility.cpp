#include "platform/accessibility.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace {

const char *const kReadoutProperty = "ajusteReadout";

class AccessibleReadout : public QAccessibleWidget
{
public:
    explicit AccessibleReadout(QLabel *label)
        : QAccessibleWidget(label, QAccessible::StaticText) { }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return static_cast<QLabel *>(widget())->text();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface *readoutFactory(const QString &, QObject *object)
{
    auto *label = qobject_cast<QLabel *>(object);
    if (label && label->property(kReadoutProperty).toBool())
        return new AccessibleReadout(label);
    return nullptr;
}

} // namespace

void setAccessibleTexts(QWidget *control, const QString &name, const QString &description)
{
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

void makeReadout(QLabel *label, const QString &name)
{
    // Installed before the first readout is asked for its interface; Qt keeps
    // an interface per object once made.
    static const bool installed = [] {
        QAccessible::installFactory(readoutFactory);
        return true;
    }();
    Q_UNUSED(installed);
    label->setProperty(kReadoutProperty, true);
    label->setAccessibleName(name);
}
