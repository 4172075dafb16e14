#include "test_support.h"

#include "platform/palette.h"

#include <QPushButton>

// Every text box the program reads, fed with texts a user might type or paste.
// Each one must end in a defined outcome (a grey row, the recovery, or the
// number taken), and the window must go on working afterwards.

namespace {

const QStringList kBadTexts = {"", "   ", "abc", "1.5", "1e400", "nan"};

std::unique_ptr<Form1> clickedChartView()
{
    auto form = makeForm(kSpanish);
    form->show();
    fillGrid(*form, {"0", "1", "2"}, {"2", "3", "4"});
    QTest::mouseClick(form->Command5, Qt::LeftButton);
    return form;
}

// One more step with a sound step size: no message, and the window is idle.
void stillWorks(Form1 &form, MessageRecorder &messages)
{
    const int before = int(messages.texts.size());
    form.Text1->setText(QStringLiteral("0,001"));
    QTest::mouseClick(form.paso, Qt::LeftButton);
    QCOMPARE(messages.texts.size(), before);
    QVERIFY(!form.ocupado);
}

} // namespace

class tst_BadInput : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void gridCell_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("shown");
        for (const QString &bad : kBadTexts)
            QTest::newRow(qPrintable("unreadable '" + bad + "' ends the points"))
                    << bad << false << bad;
        QTest::newRow("a tiny magnitude is a point") << "1e-300" << true << "1E-300";
        QTest::newRow("minus zero is a point written 0") << "-0" << true << "0";
        QTest::newRow("a magnitude too large for the chart is a point")
                << "1e307" << true << "1E+307";
    }

    // The second row's t and then y cell; entering the chart with whatever was
    // taken either draws it or recovers, and the window stays usable.
    void gridCell()
    {
        QFETCH(QString, text);
        QFETCH(bool, taken);
        QFETCH(QString, shown);
        for (const bool tCell : {true, false}) {
            MessageRecorder messages;
            auto form = makeForm(kSpanish);
            form->show();
            fillGrid(*form, {"0", "1"}, {"2", "3"});
            (tCell ? form->xv(1) : form->yv(1))->setText(text);
            QTest::mouseClick(form->Command5, Qt::LeftButton);
            QCOMPARE(int(form->n), taken ? 2 : 1);
            QCOMPARE((tCell ? form->xv(1) : form->yv(1))->text(), shown);
            QCOMPARE(form->xv(1)->backColor(), qbColor(taken ? Blanco : GrisClaro));
            QVERIFY(!form->modoDatos);
            QVERIFY(messages.texts.size() <= 1);
            if (!messages.texts.isEmpty())
                QCOMPARE(messages.texts.first(), QStringLiteral("Desbordamiento"));
            QVERIFY(!form->ocupado);
            QTest::mouseClick(form->Command5, Qt::LeftButton);
            QVERIFY(form->modoDatos);
            QVERIFY(form->xv(0)->isVisible());
        }
    }

    void stepSize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("recovers");
        QTest::addColumn<QString>("shown");
        for (const QString &bad : kBadTexts)
            QTest::newRow(qPrintable("unreadable '" + bad + "' recovers")) << bad << true << bad;
        QTest::newRow("a huge step drives the parameters off their bars")
                << "1e300" << true << "1E+300";
        QTest::newRow("a tiny step is taken") << "1e-300" << false << "1E-300";
        QTest::newRow("minus zero is a step of 0") << "-0" << false << "0";
    }

    void stepSize()
    {
        QFETCH(QString, text);
        QFETCH(bool, recovers);
        QFETCH(QString, shown);
        for (int steps : {1, 100, 10000}) {
            MessageRecorder messages;
            auto form = clickedChartView();
            form->Text1->setText(text);
            QTest::mouseClick(steps == 1             ? form->paso
                                      : steps == 100 ? form->paso3
                                                     : form->paso4,
                              Qt::LeftButton);
            QCOMPARE(messages.texts, recovers ? QStringList{"Desbordamiento"} : QStringList{});
            QCOMPARE(form->Text1->text(), shown);
            if (recovers)
                QCOMPARE(form->Lval->text(), QStringLiteral("5"));
            stillWorks(*form, messages);
        }
    }

    void parameterBox_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("value");
        const char *names[] = {"a", "c", "t0"};
        for (int box = 0; box < 3; ++box) {
            for (const QString &bad : kBadTexts)
                QTest::newRow(
                        qPrintable(QStringLiteral("%1 typed '%2' recovers").arg(names[box], bad)))
                        << box << bad << QString() << 0.0;
            QTest::newRow(
                    qPrintable(QStringLiteral("%1 typed 1e300 is off its bar").arg(names[box])))
                    << box << "1e300" << QString() << 0.0;
            QTest::newRow(qPrintable(QStringLiteral("%1 typed 1e-300 is taken").arg(names[box])))
                    << box << "1e-300"
                    << "1E-300" << 1e-300;
            QTest::newRow(qPrintable(QStringLiteral("%1 typed -0 is taken as 0").arg(names[box])))
                    << box << "-0"
                    << "0" << 0.0;
        }
    }

    // Typed and committed with Enter, as a user does.
    void parameterBox()
    {
        QFETCH(int, box);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QFETCH(double, value);
        MessageRecorder messages;
        auto form = clickedChartView();
        TextBox *boxes[] = {form->Lval, form->Cval, form->Tval};
        boxes[box]->setFocus();
        boxes[box]->selectAll();
        if (text.isEmpty())
            QTest::keyClick(boxes[box], Qt::Key_Delete);
        else
            QTest::keyClicks(boxes[box], text);
        QTest::keyClick(boxes[box], Qt::Key_Return);
        const bool recovers = shown.isEmpty();
        QCOMPARE(messages.texts, recovers ? QStringList{"Desbordamiento"} : QStringList{});
        const QString restored[] = {"5", "1", "0"};
        QCOMPARE(boxes[box]->text(), recovers ? restored[box] : shown);
        const double parameters[] = {form->a, form->c, form->t0};
        QCOMPARE(parameters[box], recovers ? double(restored[box].toInt()) : value);
        stillWorks(*form, messages);
    }
};

QTEST_MAIN(tst_BadInput)
#include "tst_bad_input.moc"
