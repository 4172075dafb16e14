#pragma once

#include "core_support.h"
#include "platform/message_box.h"
#include "platform/number_text.h"
#include "window/form1.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QStringList>

#include <memory>

// Records every message box instead of showing it; the handler goes on as if
// OK had been pressed.
struct MessageRecorder
{
    QStringList texts;
    MessageRecorder()
    {
        messageBoxHook = [this](const QString &text) { texts << text; };
    }
    ~MessageRecorder() { messageBoxHook = nullptr; }
};

inline const QLocale kSpanish(QLocale::Spanish, QLocale::Spain);

// A fresh window under the given locale (the locale must be set before the
// window writes its numeric texts).
inline std::unique_ptr<Form1> makeForm(const QLocale &locale = kSpanish)
{
    QLocale::setDefault(locale);
    return std::make_unique<Form1>();
}

// A control by its layout name ("Label6", "xv(2)"), or null when none has it.
template <typename Control = QWidget>
Control *control(const Form1 &form, const QString &name)
{
    return form.findChild<Control *>(name);
}

// Types points into the grid rows from the top.
inline void fillGrid(Form1 &form, const QStringList &t, const QStringList &y)
{
    for (int k = 0; k < t.size(); ++k) {
        form.xv(k)->setText(t.at(k));
        form.yv(k)->setText(k < y.size() ? y.at(k) : QString());
    }
}

// The chart view over the points typed into the grid, entered with "Gráfica";
// by default the two points (0; 2,5) and (1; 2), whose mean is 2,25.
inline std::unique_ptr<Form1> chartView(const QStringList &t = {"0", "1"},
                                        const QStringList &y = {"2,5", "2"})
{
    auto form = makeForm(kSpanish);
    fillGrid(*form, t, y);
    form->Command5_Click();
    return form;
}

// The chart view over a sample's points, typed as the program writes numbers.
inline std::unique_ptr<Form1> chartView(const Sample &sample)
{
    QLocale::setDefault(kSpanish);
    QStringList t, y;
    for (size_t k = 0; k < sample.t.size(); ++k) {
        t << numberToText(sample.t[k]);
        y << numberToText(sample.y[k]);
    }
    return chartView(t, y);
}

// What the user sees of the fit: figures, boxes, bars, colours and the step size.
inline QStringList shownState(const Form1 &form)
{
    return {form.Label6->text(),
            form.Label7->text(),
            form.Label8->text(),
            form.label9->text(),
            form.label10->text(),
            form.label10->backColor().name(),
            form.Lval->text(),
            form.Cval->text(),
            form.Tval->text(),
            QString::number(form.LSCR->value()),
            QString::number(form.CSCR->value()),
            QString::number(form.TSCR->value()),
            form.Text1->text()};
}

// The button of one step, of 100 or of 10000.
inline QPushButton *stepButton(Form1 &form, int steps)
{
    return steps == 1 ? form.paso : steps == 100 ? form.paso3 : form.paso4;
}

// A chart-view state set field by field: the start-up curve and the given points.
inline std::unique_ptr<Form1> chartForm(const QList<QPointF> &points, double mediaY = 1.0)
{
    auto form = makeForm();
    for (int k = 0; k < points.size(); ++k) {
        form->x(k) = points.at(k).x();
        form->y(k) = points.at(k).y();
    }
    form->n = int16_t(points.size());
    form->mediaY = mediaY;
    return form;
}

// The chart's colours.
inline const QColor kRed(128, 0, 0);
inline const QColor kBlue(0, 0, 128);
inline const QColor kLightGreen(0, 255, 0);
