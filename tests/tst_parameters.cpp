#include "test_support.h"

#include "platform/number_text.h"

#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace {

// One parameter with its controls: 0 is a, 1 is c, 2 is t0.
struct Member
{
    double &value;
    HScrollBar *bar;
    TextBox *box;
    void (Form1::*lostFocus)();
};

Member member(Form1 &form, int k)
{
    if (k == 0)
        return {form.a, form.LSCR, form.Lval, &Form1::Lval_LostFocus};
    if (k == 1)
        return {form.c, form.CSCR, form.Cval, &Form1::Cval_LostFocus};
    return {form.t0, form.TSCR, form.Tval, &Form1::Tval_LostFocus};
}

void typeAndEnter(TextBox *box, const QString &text)
{
    box->clear();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

// pintar copies errorCuad into errorAnt before it evaluates, so a planted
// errorCuad turns up in errorAnt after exactly one redraw.
constexpr double kPlanted = 123.0;

bool redrawnOnce(const Form1 &form)
{
    return form.errorAnt == kPlanted && form.errorCuad != kPlanted;
}

} // namespace

class tst_Parameters : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // A scroll position sets its parameter by the mapping; a typed number and
    // Enter set it exactly and move the bar to the nearest position, halves to even.
    void controlSetsParameter_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("typed"); // empty: the bar is moved instead
        QTest::addColumn<int>("position");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("LSCR at -47 gives a = 5,3") << 0 << "" << -47 << 5.3 << "5,3";
        QTest::newRow("LSCR at -100 gives a = 0") << 0 << "" << -100 << 0.0 << "0";
        QTest::newRow("CSCR at -60 gives c = -6") << 1 << "" << -60 << -6.0 << "-6";
        QTest::newRow("TSCR at 100 gives t0 = 20") << 2 << "" << 100 << 20.0 << "20";
        QTest::newRow("5,37 in Lval keeps a and moves LSCR to -46")
                << 0 << "5,37" << -46 << 5.37 << "5,37";
        QTest::newRow("7,25 in Lval rounds -27,5 to -28") << 0 << "7,25" << -28 << 7.25 << "7,25";
        QTest::newRow("20,04 in Lval is accepted at 100")
                << 0 << "20,04" << 100 << 20.04 << "20,04";
        QTest::newRow("0,25 in Cval rounds 2,5 to 2") << 1 << "0,25" << 2 << 0.25 << "0,25";
        QTest::newRow("0,5 in Tval rounds 2,5 to 2") << 2 << "0,5" << 2 << 0.5 << "0,5";
        QTest::newRow("-3,30 in Tval rounds -16,5 to -16") << 2 << "-3,30" << -16 << -3.3 << "-3,3";
    }
    void controlSetsParameter()
    {
        QFETCH(int, which);
        QFETCH(QString, typed);
        QFETCH(int, position);
        QFETCH(double, value);
        MessageRecorder messages;
        auto form = chartView();
        const Member m = member(*form, which);
        form->errorCuad = kPlanted;
        if (typed.isEmpty())
            m.bar->writeValue(position);
        else
            typeAndEnter(m.box, typed);

        // After a commit the bar's own Change found the window busy and left the typed value.
        QVERIFY(m.value == value);
        QTEST(m.box->text(), "text");
        QCOMPARE(m.bar->value(), position);
        QVERIFY(redrawnOnce(*form));
        QVERIFY(!form->ocupado);
        QVERIFY(messages.texts.isEmpty());
    }

    // On a focused bar the keys move the thumb the way they point, as its
    // arrows do; the change is the bar's, and undo takes it back.
    void arrowKeysMoveABarTheWayTheyPoint_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::newRow("Right raises a") << 0 << QList<int>{Qt::Key_Right} << -49 << "5,1";
        QTest::newRow("Left lowers t0") << 2 << QList<int>{Qt::Key_Left} << -1 << "-0,2";
        QTest::newRow("Up raises c, Down lowers it")
                << 1 << QList<int>{Qt::Key_Up, Qt::Key_Up, Qt::Key_Down} << 11 << "1,1";
        QTest::newRow("Page Down lowers a") << 0 << QList<int>{Qt::Key_PageDown} << -51 << "4,9";
        QTest::newRow("End, then Right stays")
                << 2 << QList<int>{Qt::Key_End, Qt::Key_Right} << 100 << "20";
    }
    void arrowKeysMoveABarTheWayTheyPoint()
    {
        QFETCH(int, which);
        QFETCH(QList<int>, keys);
        auto form = chartView();
        const Member m = member(*form, which);
        for (int key : keys)
            QTest::keyClick(m.bar, Qt::Key(key));
        QTEST(m.bar->value(), "position");
        QTEST(m.box->text(), "text");
        form->deshacer();
        QVERIFY(form->a == 5.0 && form->c == 1.0 && form->t0 == 0.0);
    }

    void faultyCommitRecovers_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("breakRedraw");
        QTest::addColumn<bool>("figuresShown");
        QTest::newRow("25 in Lval lies beyond LSCR") << 0 << "25" << false << false;
        QTest::newRow("30 in Tval lies beyond TSCR") << 2 << "30" << false << false;
        QTest::newRow("letters in Tval do not read") << 2 << "abc" << false << false;
        QTest::newRow("9 in Cval lies beyond CSCR and the figures come back")
                << 1 << "9" << false << true;
        QTest::newRow("an empty Cval does not read and the figures come back")
                << 1 << "" << false << true;
        QTest::newRow("a failed redraw after Cval ends with the recovery")
                << 1 << "2" << true << false;
    }
    void faultyCommitRecovers()
    {
        QFETCH(int, which);
        QFETCH(QString, typed);
        QFETCH(bool, breakRedraw);
        QFETCH(bool, figuresShown);
        MessageRecorder messages;
        auto form = chartView();
        if (breakRedraw)
            form->mediaY = 0; // the normalized error divides by it
        typeAndEnter(member(*form, which).box, typed);

        QCOMPARE(messages.texts, QStringList{"Desbordamiento"});
        QVERIFY(form->a == 5.0 && form->c == 1.0 && form->t0 == 0.0);
        QCOMPARE((QStringList{form->Lval->text(), form->Cval->text(), form->Tval->text()}),
                 (QStringList{"5", "1", "0"}));
        QCOMPARE((QList<int>{form->LSCR->value(), form->CSCR->value(), form->TSCR->value()}),
                 (QList<int>{-50, 10, 0}));
        QVERIFY(!form->ocupado);
        QCOMPARE(form->Label6->text().isEmpty(), !figuresShown);
        QCOMPARE(form->label9->text().isEmpty(), !figuresShown);
        if (figuresShown) // redrawn at c = 1
            QCOMPARE_NEAR(textToNumber(form->label9->text()), 2.73999);
    }

    void uneditedBoxCommitsWhenLeft()
    {
        MessageRecorder messages;
        auto form = chartView();
        form->paso_Click();
        const double stepped = form->a;
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->Lval->setFocus();
        QTRY_VERIFY(form->Lval->hasFocus());
        form->errorCuad = kPlanted;
        form->Cval->setFocus(Qt::TabFocusReason);

        QVERIFY(redrawnOnce(*form));
        QVERIFY(form->a == stepped);
        QCOMPARE(form->Lval->text(), numberToText(stepped));
        QCOMPARE(form->LSCR->value(), -50);
        QVERIFY(!form->ocupado);
        QVERIFY(messages.texts.isEmpty());
    }

    // A busy window: the twelve handlers that look at the flag change nothing.
    void busyWindowIgnoresEveryHandler_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("event");
        const char *names[] = {"a", "c", "t0"};
        const char *buttons[] = {"Un paso", "100 pasos", "10000 pasos"};
        for (int k = 0; k < 3; ++k) {
            QTest::addRow("moving the scroll bar of %s", names[k]) << k << 0;
            QTest::addRow("Enter in the box of %s", names[k]) << k << 1;
            QTest::addRow("leaving the box of %s", names[k]) << k << 2;
            QTest::addRow("a click on %s", buttons[k]) << k << 3;
        }
    }
    void busyWindowIgnoresEveryHandler()
    {
        QFETCH(int, which);
        QFETCH(int, event);
        MessageRecorder messages;
        auto form = chartView();
        const Member m = member(*form, which);
        form->Text1->setText("0,0010");
        const QColor colour = form->label10->backColor(); // magenta, which a batch would clear
        const QString startText = m.box->text(), figure = form->Label6->text();
        const int startPosition = m.bar->value();
        const double error = form->errorCuad, previous = form->errorAnt;
        form->ocupado = true;
        if (event == 0) {
            m.bar->setValue(40);
        } else if (event == 1) {
            typeAndEnter(m.box, "3");
        } else if (event == 2) {
            m.box->setText("3");
            (form.get()->*m.lostFocus)();
        } else {
            (which == 0 ? form->paso : which == 1 ? form->paso3 : form->paso4)->click();
        }

        QVERIFY(form->a == 5.0 && form->c == 1.0 && form->t0 == 0.0);
        QVERIFY(form->errorCuad == error && form->errorAnt == previous);
        QCOMPARE(form->Label6->text(), figure);
        QCOMPARE(form->Text1->text(), QStringLiteral("0,0010"));
        QCOMPARE(form->label10->backColor(), colour);
        QCOMPARE(m.box->text(), event == 1 || event == 2 ? QStringLiteral("3") : startText);
        QCOMPARE(m.bar->value(), event == 0 ? 40 : startPosition);
        QVERIFY(form->ocupado);
        QVERIFY(messages.texts.isEmpty());
    }
};

QTEST_MAIN(tst_Parameters)
#include "tst_parameters.moc"
