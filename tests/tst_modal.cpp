#include "test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

namespace {

// Where the mouse goes down on the target control.
enum Spot { Centre, RightArrow, RightTrough };

QPoint spotOn(const QWidget *control, Spot spot)
{
    // The arrows are squares at the ends of a bar; every thumb starts left of
    // two arrows' width from the right end.
    const int h = control->height();
    switch (spot) {
    case RightArrow:
        return {control->width() - h / 2, h / 2};
    case RightTrough:
        return {control->width() - 2 * h, h / 2};
    default:
        return control->rect().center();
    }
}

// The mouse goes through the window system, as the user's does: a modal box
// blocks the window, and a release made while it shows never reaches a control.
struct Mouse
{
    QWidget *control;
    Spot spot;

    QWindow *window() const { return control->window()->windowHandle(); }
    QPoint at() const { return control->mapTo(control->window(), spotOn(control, spot)); }
    void press() const { QTest::mousePress(window(), Qt::LeftButton, {}, at()); }
    void release() const { QTest::mouseRelease(window(), Qt::LeftButton, {}, at()); }
};

// Lets real modal boxes open and plays the user in each: the button goes up
// while the box shows, then OK is pressed.
struct BoxUser
{
    int opened{0};
    bool allModal{true};
    const Mouse *held{};

    BoxUser()
    {
        modalBoxHook = [this](QMessageBox &box) {
            ++opened;
            QTimer::singleShot(100, &box, [this, &box] {
                allModal = allModal && QApplication::activeModalWidget() == &box;
                if (held)
                    held->release();
                box.button(QMessageBox::Ok)->click();
            });
        };
    }
    ~BoxUser() { modalBoxHook = nullptr; }
};

std::unique_ptr<Form1> shownChartView(const QStringList &y, BoxUser &user)
{
    auto form = makeForm(kSpanish);
    fillGrid(*form, {"0", "1"}, y);
    form->show();
    form->Command5_Click();
    user.opened = 0;
    // Active again after the box, so that the focus can move.
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get()))
        return nullptr;
    form->Command5->setFocus();
    return form;
}

} // namespace

class tst_Modal : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Over (0; -1) and (1; 1) every redraw with error figures faults (the mean
    // of y is 0). A press that leads to the fault, straight from a bar's Change
    // or from a parameter box committed by the focus change the press causes,
    // ends in one box and the reset state; nothing steps on once it is closed.
    void faultingPressOpensOneBox_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("spot");
        QTest::addColumn<QString>("typedInLval"); // empty: the focus is elsewhere
        QTest::newRow("a press on LSCR's right arrow") << "LSCR" << int(RightArrow) << "";
        QTest::newRow("a press in LSCR's right trough") << "LSCR" << int(RightTrough) << "";
        QTest::newRow("a press on CSCR's arrow that commits 25 in Lval")
                << "CSCR" << int(RightArrow) << "25";
        QTest::newRow("a press on paso that commits 25 in Lval") << "paso" << int(Centre) << "25";
        QTest::newRow("a press on Check2 that commits 25 in Lval")
                << "Check2" << int(Centre) << "25";
    }

    void faultingPressOpensOneBox()
    {
        QFETCH(QString, target);
        QFETCH(int, spot);
        QFETCH(QString, typedInLval);
        BoxUser user;
        const auto form = shownChartView({"-1", "1"}, user);
        QVERIFY(form);
        if (!typedInLval.isEmpty()) {
            form->Lval->setText(typedInLval);
            form->Lval->setFocus();
            QCOMPARE(QApplication::focusWidget(), form->Lval);
        }
        const Mouse mouse{control(*form, target), Spot(spot)};
        user.held = &mouse;
        mouse.press();
        // Past the scroll bars' auto-repeat delay of half a second.
        QTest::qWait(1000);

        QCOMPARE(user.opened, 1);
        QVERIFY(user.allModal);
        QCOMPARE(QList<double>({form->a, form->c, form->t0}), QList<double>({5, 1, 0}));
        QCOMPARE(QList<int>({form->LSCR->value(), form->CSCR->value(), form->TSCR->value()}),
                 QList<int>({-50, 10, 0}));
        QCOMPARE(QStringList({form->Lval->text(), form->Cval->text(), form->Tval->text()}),
                 QStringList({"5", "1", "0"}));
        if (const auto *button = qobject_cast<QAbstractButton *>(mouse.control))
            QVERIFY(!button->isDown());
    }

    // Where nothing faults, a held arrow repeats; each step is one Change.
    void heldArrowRepeats()
    {
        BoxUser user;
        const auto form = shownChartView({"1", "2"}, user);
        QVERIFY(form);
        QList<int> seen;
        const auto change = form->LSCR->onChange;
        form->LSCR->onChange = [&] {
            seen << form->LSCR->value();
            change();
        };
        const Mouse mouse{form->LSCR, RightArrow};
        mouse.press();
        QTRY_VERIFY_WITH_TIMEOUT(form->LSCR->value() >= -45, 10000);
        mouse.release();
        const int reached = form->LSCR->value();
        QTest::qWait(300);

        QCOMPARE(form->LSCR->value(), reached);
        QList<int> steps;
        for (int position = -49; position <= reached; ++position)
            steps << position;
        QCOMPARE(seen, steps);
        QCOMPARE_NEAR(form->a, reached / 10.0 + 10);
        QCOMPARE(user.opened, 0);
    }
};

QTEST_MAIN(tst_Modal)
#include "tst_modal.moc"
