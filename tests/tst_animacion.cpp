#include "fit/animacion.h"
#include "platform/palette.h"
#include "test_support.h"

#include <QAction>
#include <QComboBox>
#include <QScrollBar>

#include <array>
#include <cmath>

namespace {

using Steps = QList<int>;

// Four points the descent fits from the start-up curve, with the step size and
// the held boxes of a row.
std::unique_ptr<Form1> fitting(const QString &step, const QList<int> &held = {0, 0, 0})
{
    auto form = chartView({"0", "1", "2", "3"}, {"1", "2", "4", "5"});
    form->Check1->setValue(held.at(0));
    form->Check2->setValue(held.at(1));
    form->Check3->setValue(held.at(2));
    form->Text1->setText(step);
    return form;
}

QList<double> parameters(const Form1 &form)
{
    return {form.a, form.c, form.t0};
}

} // namespace

class tst_Animacion : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // N steps of a run, in frames of any size, are N clicks of "Un paso" to the
    // last digit: parameters, figures, boxes, bars and history.
    void runStepsAreClicks_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QList<int>>("held");
        QTest::addColumn<Steps>("frames");
        QTest::newRow("a small step, one step a frame")
                << "0,001" << QList<int>{0, 0, 0} << Steps{1, 1, 1};
        QTest::newRow("a small step, frames of 10000 pasos/s")
                << "0,01" << QList<int>{0, 0, 0} << Steps{167, 166, 167};
        QTest::newRow("a step above the stable bound zig-zags on")
                << "0,12" << QList<int>{0, 0, 0} << Steps{40, 3, 57};
        QTest::newRow("held parameters stay held")
                << "0,01" << QList<int>{0, 1, 2} << Steps{100, 100};
    }
    void runStepsAreClicks()
    {
        QFETCH(QString, step);
        QFETCH(QList<int>, held);
        QFETCH(Steps, frames);
        MessageRecorder messages;
        auto clicked = fitting(step, held);
        auto run = fitting(step, held);
        run->animar->click();
        QVERIFY(run->animando());
        QCOMPARE(run->animar->text(), QStringLiteral("Detener"));
        int total = 0;
        for (const int pasos : frames) {
            run->fotograma(pasos);
            total += pasos;
        }
        for (int k = 0; k < total; ++k)
            clicked->paso->click();

        QCOMPARE(parameters(*run), parameters(*clicked));
        QVERIFY(run->historia == clicked->historia);
        QStringList shown = shownState(*run), expected = shownState(*clicked);
        shown.removeAt(5); // the colour follows its own rule over a frame
        expected.removeAt(5);
        QCOMPARE(shown, expected);
        QCOMPARE(messages.texts, QStringList());
    }

    // A fault in a run ends it in one recovery, at the very step where clicks fault.
    void faultEndsTheRun_data()
    {
        QTest::addColumn<QStringList>("y");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QList<int>>("held");
        QTest::newRow("a leaves its bar at the first step")
                << QStringList{"9", "9,5"} << "1,01" << QList<int>{0, 1, 1};
        QTest::newRow("a growing zig-zag overflows")
                << QStringList{"1", "2", "4", "5"} << "0,5" << QList<int>{0, 0, 0};
    }
    void faultEndsTheRun()
    {
        QFETCH(QStringList, y);
        QFETCH(QString, step);
        QFETCH(QList<int>, held);
        const QStringList t = QStringList{"0", "1", "2", "3"}.mid(0, y.size());
        MessageRecorder messages;
        // One small step first, so that the recovery's start values differ from the state before.
        const auto prepared = [&] {
            auto form = chartView(t, y);
            form->Check2->setValue(held.at(1));
            form->Check3->setValue(held.at(2));
            form->paso->click();
            form->Text1->setText(step);
            return form;
        };
        int clicks = 0;
        {
            auto clicked = prepared();
            while (messages.texts.isEmpty() && clicks < 1000) {
                clicked->paso->click();
                ++clicks;
            }
        }
        QVERIFY(!messages.texts.isEmpty());
        messages.texts.clear();

        auto run = prepared();
        run->animar->click();
        run->fotograma(clicks - 1);
        QCOMPARE(messages.texts, QStringList());
        QVERIFY(run->animando());
        run->fotograma(clicks > 1 ? 500 : 1);
        QCOMPARE(messages.texts, QStringList{"Desbordamiento"});
        QCOMPARE(parameters(*run), (QList<double>{5, 1, 0}));
        QVERIFY(!run->animando() && !run->animacion.temporizador.isActive());
        QCOMPARE(run->animar->text(), QStringLiteral("Animar"));
        QCOMPARE(run->pilaDeshacer.undoText(), QStringLiteral("Desbordamiento"));
        run->fotograma(10); // over: nothing more
        QCOMPARE(messages.texts.size(), 1);
    }

    void stepThatIsNoNumberFaultsAtTheStart()
    {
        MessageRecorder messages;
        auto form = fitting("paso");
        form->animar->click();
        QCOMPARE(messages.texts, QStringList{"Desbordamiento"});
        QVERIFY(!form->animando());
    }

    // Whatever changes the fit ends the run first, then does what it always
    // does; the run is then one action on the undo stack.
    void controlsEndTheRunFirst_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("undone");
        for (const auto &[name, control, undone] :
             std::initializer_list<std::array<const char *, 3>>{
                     {"one step", "paso", "un paso"},
                     {"a second press", "animar", "animación"},
                     {"Esc", "Esc", "animación"},
                     {"a scroll bar", "CSCR", "barra de c"},
                     {"a hold box", "Check1", "fijar a"},
                     {"the way back to the table", "Command5", "animación"},
                     {"a press on \"Detener\" from a parameter box", "Lval", "animación"},
                     {"closing the window", "close", "animación"}})
            QTest::newRow(name) << QString::fromUtf8(control) << QString::fromUtf8(undone);
    }
    void controlsEndTheRunFirst()
    {
        QFETCH(QString, control);
        QFETCH(QString, undone);
        MessageRecorder messages;
        auto form = fitting("0,01");
        auto clicked = fitting("0,01");
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->animar->click();
        form->fotograma(20);
        if (control == "Esc")
            QTest::keyClick(form.get(), Qt::Key_Escape);
        else if (control == "CSCR")
            QTest::mouseClick(form->CSCR, Qt::LeftButton, {},
                              QPoint(form->CSCR->width() - 3, form->CSCR->height() / 2));
        else if (control == "Check1")
            form->Check1->click();
        else if (control == "close")
            form->close();
        else if (control == "Lval") { // leaving the box ends the run; the click starts none
            form->Lval->setFocus();
            QTest::mouseClick(form->animar, Qt::LeftButton);
        } else
            ::control<QAbstractButton>(*form, control)->click();

        QVERIFY(!form->animando() && !form->animacion.temporizador.isActive());
        QCOMPARE(form->animar->text(), QStringLiteral("Animar"));
        QCOMPARE(form->pilaDeshacer.undoText(), undone);
        if (undone != "animación") {
            form->pilaDeshacer.undo();
            QCOMPARE(form->pilaDeshacer.undoText(), QStringLiteral("animación"));
            form->pilaDeshacer.undo();
            form->pilaDeshacer.redo(); // the run ended with the box as it was
            QCOMPARE(form->Check1->value(), 0);
        }
        if (control == "paso") { // the step after the run's 20 is the 21st click
            for (int k = 0; k < 21; ++k)
                clicked->paso->click();
            form->pilaDeshacer.redo();
            QCOMPARE(parameters(*form), parameters(*clicked));
        }
        QCOMPARE(messages.texts, QStringList());
    }

    // Ctrl+Z after a run brings back the parameters, the step size as typed,
    // the history and so every figure from before it.
    void undoTakesBackTheWholeRun()
    {
        MessageRecorder messages;
        auto form = fitting("0,01");
        form->paso3->click();
        form->Text1->setText("1e-2");
        // Parameters in boxes and bars, and the step size as typed (the
        // figures are computed afresh at the restored parameters).
        const QStringList before = shownState(*form).mid(6);
        const ErrorHistory history = form->historia;
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->animar->click();
        QCOMPARE(form->Text1->text(), QStringLiteral("0,01"));
        for (int k = 0; k < 3; ++k)
            form->fotograma(50);
        for (QAction *entry : form->Label6->actions()) // a copy leaves the run going
            if (entry->text() == QStringLiteral("Copiar resultados"))
                entry->trigger();
        QVERIFY(form->animando());
        form->animar->click();
        QCOMPARE(form->pilaDeshacer.undoText(), QStringLiteral("animación"));
        QVERIFY(shownState(*form).mid(6) != before);
        QTest::keyClick(form->paso, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(shownState(*form).mid(6), before);
        QCOMPARE(form->Text1->text(), QStringLiteral("1e-2"));
        QVERIFY(form->historia == history);
        QCOMPARE(form->pilaDeshacer.undoText(), QStringLiteral("100 pasos"));
        QCOMPARE(messages.texts, QStringList());
    }

    // A frame in which no step moves a parameter ends the run; a step above
    // the stable bound that has settled into a cycle, back to the same doubles
    // every fourth step here, goes on zig-zagging.
    void aRunThatNoLongerMovesEnds()
    {
        auto held = fitting("0,01", {1, 1, 1});
        held->animar->click();
        held->fotograma(0); // nothing due yet: goes on
        QVERIFY(held->animando());
        held->fotograma(3);
        QVERIFY(!held->animando());

        QStringList t, y; // twelve points of a growth that levels off near 8
        for (int k = 0; k < 12; ++k) {
            t << numberToText(k * 1.2 - 2);
            y << numberToText(std::round(100
                                         * (8 / (1 + std::exp(-0.8 * (k * 1.2 - 6)))
                                            + 0.3 * std::sin(3.0 * k)))
                              / 100);
        }
        auto cycling = chartView(t, y);
        cycling->Text1->setText("0,05");
        cycling->animar->click();
        for (int k = 0; k < 4; ++k)
            cycling->fotograma(500);
        const QList<double> before = parameters(*cycling);
        cycling->fotograma(4);
        QCOMPARE(parameters(*cycling), before);
        cycling->fotograma(2);
        QVERIFY(parameters(*cycling) != before);
        QVERIFY(cycling->animando());
    }

    // The pace: speed × time since the start, less the steps taken; a new speed
    // counts from its change; a stalled frame takes at most three frames' worth.
    void paceFollowsTheClock_data()
    {
        QTest::addColumn<QList<int>>("speeds");
        QTest::addColumn<QList<qint64>>("millis");
        QTest::addColumn<QList<int>>("due");
        QTest::newRow("100 a second at 17 ms frames")
                << QList<int>{100, 100, 100, 100} << QList<qint64>{17, 34, 51, 1000}
                << QList<int>{1, 2, 2, 5};
        QTest::newRow("one a second")
                << QList<int>{1, 1, 1} << QList<qint64>{999, 1000, 2500} << QList<int>{0, 1, 1};
        QTest::newRow("a faster speed counts from its change")
                << QList<int>{10, 10000, 10000} << QList<qint64>{100, 117, 134}
                << QList<int>{1, 0, 170};
        QTest::newRow("a stall at 10000 a second")
                << QList<int>{10000, 10000} << QList<qint64>{1000, 1017} << QList<int>{500, 170};
    }
    void paceFollowsTheClock()
    {
        QFETCH(QList<int>, speeds);
        QFETCH(QList<qint64>, millis);
        QFETCH(QList<int>, due);
        RitmoDescenso ritmo;
        ritmo.empezar(speeds.at(0), 0);
        QList<int> got;
        for (int k = 0; k < speeds.size(); ++k)
            got << ritmo.debidos(speeds.at(k), millis.at(k) * 1'000'000);
        QCOMPARE(got, due);
        QCOMPARE(RitmoDescenso::intervalo(10000), 17);
        QCOMPARE(RitmoDescenso::intervalo(10), 100);
    }
};

QTEST_MAIN(tst_Animacion)
#include "tst_animacion.moc"
