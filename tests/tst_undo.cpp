#include "test_support.h"

#include "platform/palette.h"

#include <QAction>
#include <QLabel>

#include <bit>

namespace {

// The parameters to the bit, the texts of the boxes and figures, the bars and
// the length of the error history: what an undo must bring back exactly.
QStringList seen(const Form1 &form)
{
    QStringList s;
    for (double v : {form.a, form.c, form.t0})
        s << QString::number(std::bit_cast<quint64>(v), 16);
    for (const QLineEdit *box :
         {form.Lval, form.Cval, form.Tval, form.Text1, form.label9, form.label10})
        s << box->text();
    for (const QLabel *label : {form.Label6, form.Label7, form.Label8})
        s << label->text();
    for (const HScrollBar *bar : {form.LSCR, form.CSCR, form.TSCR})
        s << QString::number(bar->value());
    s << QString::number(form.historia.count());
    return s;
}

void tick(HScrollBar *bar, int ticks)
{
    for (int k = 0; k < std::abs(ticks); ++k)
        bar->triggerAction(ticks > 0 ? QAbstractSlider::SliderSingleStepAdd
                                     : QAbstractSlider::SliderSingleStepSub);
}

} // namespace

class tst_Undo : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void undoBringsBackTheStateBeforeToTheBit_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("colour"); // of the normalized error after the undo
        // A single step shows the figures of the state before it: the undo
        // finds the same error. A batch ended at a lower one, so it grew.
        QTest::newRow("one step") << 1 << int(Blanco);
        QTest::newRow("a batch of 100") << 100 << int(Magenta);
        QTest::newRow("a batch of 10000") << 10000 << int(Magenta);
    }
    void undoBringsBackTheStateBeforeToTheBit()
    {
        QFETCH(int, steps);
        QFETCH(int, colour);
        MessageRecorder messages;
        auto form = chartView(logisticSample(8, 0.9, 6, 12, 0.05));
        form->paso->click(); // a history and figures that the undo must keep
        form->graf_Click();
        const QStringList before = seen(*form);
        const QImage chartBefore = form->graf->image();

        stepButton(*form, steps)->click();
        const QStringList after = seen(*form);
        QVERIFY(after != before);
        QCOMPARE(form->accionDeshacer->text(),
                 steps == 1 ? QStringLiteral("Deshacer un paso")
                            : QStringLiteral("Deshacer %1 pasos").arg(steps));

        form->accionDeshacer->trigger();
        QCOMPARE(seen(*form), before);
        QVERIFY(form->graf->image() == chartBefore);
        QCOMPARE(form->label10->backColor(), qbColor(colour));

        // Redo puts back the parameters the descent reached, without running it.
        form->accionRehacer->trigger();
        QCOMPARE(seen(*form).mid(0, 6), after.mid(0, 6));
        QCOMPARE(QString::number(form->historia.count()), after.last());
        QVERIFY(messages.texts.isEmpty());
    }

    void undoAfterARecoveryBringsBackTheParametersBeforeTheFault_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("steps");
        QTest::newRow("a step too big in a batch")
                << QStringLiteral("Text1") << QStringLiteral("5") << 10000;
        QTest::newRow("a beyond its bar") << QStringLiteral("Lval") << QStringLiteral("25") << 0;
        QTest::newRow("c beyond its bar, which goes on")
                << QStringLiteral("Cval") << QStringLiteral("9") << 0;
        QTest::newRow("a start on the map beyond the bar of t0")
                << QStringLiteral("mapa") << QStringLiteral("25") << 0;
    }
    void undoAfterARecoveryBringsBackTheParametersBeforeTheFault()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, steps);
        MessageRecorder messages;
        auto form = chartView(logisticSample(8, 0.9, 6, 12, 0.05));
        form->paso3->click();
        const QStringList before = seen(*form).mid(0, 6);

        if (box == QStringLiteral("mapa")) {
            form->mapa_Click(0.9, textToNumber(typed));
        } else {
            auto *edit = control<TextBox>(*form, box);
            edit->setText(typed);
            if (steps == 0)
                QTest::keyClick(edit, Qt::Key_Return);
            else
                stepButton(*form, steps)->click();
        }
        QCOMPARE(messages.texts, QStringList{"Desbordamiento"});
        QCOMPARE(form->Lval->text(), QStringLiteral("5"));
        QCOMPARE(form->accionDeshacer->text(), QStringLiteral("Deshacer Desbordamiento"));

        form->deshacer();
        QCOMPARE(seen(*form).mid(0, 6), before);
        QVERIFY(!form->label9->text().isEmpty());
        QCOMPARE(form->accionDeshacer->text(), QStringLiteral("Deshacer 100 pasos"));
        QCOMPARE(messages.texts.size(), 1);
    }

    void aRunOfScrollChangesIsOneAction_data()
    {
        QTest::addColumn<QList<int>>("ticksOfA"); // a run of ticks of LSCR per entry
        QTest::addColumn<int>("pauseMs");         // between the entries
        QTest::addColumn<int>("actions");
        QTest::newRow("ticks in quick succession") << QList<int>{1, 1, 1, 1, 1} << 0 << 1;
        QTest::newRow("a pause over half a second starts another") << QList<int>{3, 2} << 600 << 2;
        QTest::newRow("ticks back to where they began leave nothing")
                << QList<int>{2, -2} << 0 << 0;
        QTest::newRow("a tick each way after a pause") << QList<int>{1, -1} << 600 << 2;
    }
    void aRunOfScrollChangesIsOneAction()
    {
        QFETCH(QList<int>, ticksOfA);
        QFETCH(int, pauseMs);
        QFETCH(int, actions);
        auto form = chartView();
        const QStringList before = seen(*form);
        for (int k = 0; k < ticksOfA.size(); ++k) {
            if (k > 0)
                QTest::qWait(pauseMs);
            tick(form->LSCR, ticksOfA.at(k));
        }
        QCOMPARE(form->pilaDeshacer.count(), actions);
        for (int k = 0; k < actions; ++k)
            form->deshacer();
        QCOMPARE(seen(*form), before);
    }

    // A key held down on a bar repeats after a pause longer than a run's; its
    // repeats still belong to the first press. A new press after a pause does not.
    void aKeyHeldDownIsOneAction()
    {
        auto form = chartView();
        HScrollBar *bar = form->LSCR;
        const auto press = [bar](bool autoRepeat) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), autoRepeat);
            QCoreApplication::sendEvent(bar, &key);
        };
        press(false);
        QTest::qWait(600);
        press(true);
        press(true);
        QCOMPARE(bar->value(), -47); // Right raises the Value
        QCOMPARE(form->pilaDeshacer.count(), 1);
        QTest::qWait(600);
        press(false);
        QCOMPARE(form->pilaDeshacer.count(), 2);
    }

    void redoAfterUndoThenANewActionDropsTheRedo()
    {
        auto form = chartView();
        const QStringList start = seen(*form);
        form->paso3->click();
        const QStringList afterBatch = seen(*form);
        form->Check2->click();
        QCOMPARE(form->accionDeshacer->text(), QStringLiteral("Deshacer fijar c"));
        form->deshacer();
        QCOMPARE(form->Check2->value(), 0);
        form->deshacer();
        QCOMPARE(seen(*form), start);
        QVERIFY(!form->accionDeshacer->isEnabled());

        form->rehacer();
        QCOMPARE(seen(*form).mid(0, 6), afterBatch.mid(0, 6));
        QCOMPARE(form->accionRehacer->text(), QStringLiteral("Rehacer fijar c"));
        tick(form->TSCR, 1);
        QVERIFY(!form->accionRehacer->isEnabled());
        QCOMPARE(form->accionDeshacer->text(), QStringLiteral("Deshacer barra de t0"));
    }

    void whatIsNoActionAndWhatClearsTheUndo()
    {
        auto form = chartView();
        form->Lval_LostFocus(); // left unchanged
        form->graf_Click();     // a redraw that changes nothing
        QCOMPARE(form->pilaDeshacer.count(), 0);

        for (int k = 0; k < kLimiteDeshacer + 5; ++k)
            form->paso->click();
        QCOMPARE(form->pilaDeshacer.count(), kLimiteDeshacer);

        form->Command5_Click(); // the grid and back, the same points
        form->Command5_Click();
        QCOMPARE(form->pilaDeshacer.count(), kLimiteDeshacer);
        form->Command5_Click();
        form->yv(1)->setText("2,1");
        form->Command5_Click();
        QCOMPARE(form->pilaDeshacer.count(), 0);
    }

    // Ctrl+Z is the window's in the chart view unless a box being edited has
    // the focus; Esc drops the edit and leaves the box.
    void keys()
    {
        auto form = chartView();
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->paso3->click();
        const double a = form->a;

        form->Lval->setFocus();
        QTest::keyClicks(form->Lval, "7");
        QTest::keyClick(form->Lval, Qt::Key_Z, Qt::ControlModifier); // the box's own undo
        QCOMPARE(form->pilaDeshacer.index(), 1);
        QTest::keyClicks(form->Lval, "7");
        QTest::keyClick(form->Lval, Qt::Key_Escape);
        QVERIFY(!form->Lval->hasFocus());
        QCOMPARE(form->a, a);

        QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->a, 5.0);
        QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(form->a, a);
        QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(form->a, a);

        form->Command5->click(); // the grid: Ctrl+Z is not the fit's there
        form->Command5->setFocus();
        QTest::keyClick(form->Command5, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->pilaDeshacer.index(), 1);
    }

    void aFaultInTheRedrawOfAnUndoGoesToTheRecovery()
    {
        MessageRecorder messages;
        auto form = chartView();
        form->paso3->click();
        form->mediaY = 0; // the normalized error now divides by zero
        form->deshacer();
        QCOMPARE(messages.texts, QStringList{"Desbordamiento"});
        QVERIFY(!form->ocupado);
        QCOMPARE(form->a, 5.0);
    }
};

QTEST_MAIN(tst_Undo)
#include "tst_undo.moc"
