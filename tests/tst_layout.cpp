#include "platform/palette.h"
#include "test_support.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

class tst_Layout : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void controlsSitAtTheirPixelBoxes_data()
    {
        // The twip boxes divided by 15.
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("box");
        QTest::newRow("the chart rounds its 4000 twips up") << "graf" << QRect(40, 16, 320, 267);
        QTest::newRow("the formula picture") << "funcion" << QRect(408, 8, 153, 89);
        QTest::newRow("the view button") << "Command5" << QRect(608, 88, 81, 25);
        QTest::newRow("the t heading") << "Label11" << QRect(80, 8, 33, 33);
        QTest::newRow("the third t cell is taller") << "xv(2)" << QRect(24, 112, 129, 27);
        QTest::newRow("the last y cell") << "yv(19)" << QRect(176, 656, 161, 25);
        QTest::newRow("the 10000-step button") << "paso4" << QRect(0, 416, 73, 25);
        QTest::newRow("the derivative for a") << "Label6" << QRect(88, 344, 153, 25);
        QTest::newRow("the normalized error") << "label10" << QRect(368, 408, 337, 25);
        QTest::newRow("the thin scroll bar of a") << "LSCR" << QRect(424, 168, 281, 9);
        QTest::newRow("the check box of t0") << "Check3" << QRect(368, 248, 17, 33);
        QTest::newRow("the box of t0") << "Tval" << QRect(424, 256, 279, 23);
        QTest::newRow("the error history") << "historial" << QRect(16, 488, 337, 185);
        QTest::newRow("the best-fit box") << "verMejor" << QRect(368, 456, 337, 25);
        QTest::newRow("the last readout of the panel") << "pasoMaximo" << QRect(512, 616, 193, 25);
        QTest::newRow("the animation's button") << "animar" << QRect(256, 376, 104, 25);
        QTest::newRow("the animation's speed") << "velocidad" << QRect(256, 408, 104, 25);
    }

    void controlsSitAtTheirPixelBoxes()
    {
        QFETCH(QString, name);
        QFETCH(QRect, box);
        auto form = makeForm();
        QCOMPARE(control(*form, name)->geometry(), box);
    }

    void controlsShowTheirTexts_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("the view button offers the chart") << kSpanish << "Command5"
                                                          << "Gráfica";
        QTest::newRow("the chart's left end") << kSpanish << "Minimo"
                                              << "-5";
        QTest::newRow("ten thousand steps") << kSpanish << "paso4"
                                            << "10000 pasos";
        QTest::newRow("the normalized error heading") << kSpanish << "Label5"
                                                      << "Error normalizado (%)";
        QTest::newRow("a derivative read-out starts empty") << kSpanish << "Label6"
                                                            << "";
        QTest::newRow("the step size has a decimal comma") << kSpanish << "Text1"
                                                           << "0,001";
        QTest::newRow("the step size reads back under C") << QLocale::c() << "Text1"
                                                          << "0.001";
        QTest::newRow("the squared error starts at 0") << kSpanish << "label9"
                                                       << "0";
        QTest::newRow("the start value of c") << QLocale::c() << "Cval"
                                              << "1";
        QTest::newRow("the best-fit readouts start empty") << kSpanish << "pasoMaximo"
                                                           << "";
    }

    void controlsShowTheirTexts()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, name);
        QFETCH(QString, text);
        auto form = makeForm(locale);
        QWidget *shown = control(*form, name);
        if (auto *label = qobject_cast<QLabel *>(shown))
            QCOMPARE(label->text(), text);
        else if (auto *button = qobject_cast<QPushButton *>(shown))
            QCOMPARE(button->text(), text);
        else
            QCOMPARE(static_cast<TextBox *>(shown)->text(), text);
    }

    void headingsUseTheirFonts()
    {
        auto form = makeForm();
        const QList<std::pair<QLabel *, double>> headings{
                {form->Label1, 12},    {form->Label2, 12},    {form->Label3, 12},
                {form->Label4, 12},    {form->Label5, 12},    {form->Para, 12},
                {form->Label11, 13.5}, {form->Label12, 13.5}, {form->tituloHistorial, 12}};
        for (const auto &[label, points] : headings) {
            QCOMPARE(label->font().family(), QStringLiteral("MS Sans Serif"));
            QCOMPARE(label->font().pointSizeF(), points);
            QCOMPARE(label->font().weight(), QFont::Normal);
        }
        for (QWidget *other : QList<QWidget *>{form->Final, form->Label6, form->Lval, form->paso})
            QCOMPARE(other->font(), form->font());
    }

    void tabOrderFollowsTheLayout()
    {
        auto form = makeForm();
        Form1 &f = *form;
        QList<QWidget *> expected{f.graf,  f.funcion, f.Picture1, f.Picture2, f.Picture3, f.Lval,
                                  f.Tval,  f.Cval,    f.LSCR,     f.CSCR,     f.TSCR,     f.paso,
                                  f.paso3, f.paso4,   f.Text1,    f.Command5};
        for (int k = 0; k < 40; ++k)
            expected << (k < 20 ? f.xv(k) : f.yv(k - 20));
        expected << f.Check1 << f.Check2 << f.Check3 << f.label9 << f.label10 << f.Command1
                 << f.Recuperar << f.verMejor << f.verMapa << f.verInforme << f.historial
                 << f.animar << f.velocidad;
        // One turn of the focus chain; the labels never take the focus.
        QList<QWidget *> chain;
        QWidget *widget = f.graf;
        do {
            if (widget->focusPolicy() & Qt::TabFocus)
                chain << widget;
            widget = widget->nextInFocusChain();
        } while (widget != f.graf);
        QCOMPARE(chain, expected);

        // The Tab key skips the hidden chart view and wraps around.
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        f.yv(18)->setFocus(Qt::TabFocusReason);
        QList<QWidget *> tabbed;
        for (int k = 0; k < 6; ++k) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            tabbed << QApplication::focusWidget();
        }
        QCOMPARE(tabbed,
                 QList<QWidget *>(
                         {f.yv(19), f.Command1, f.Recuperar, f.funcion, f.Command5, f.xv(0)}));
    }

    void startUpState()
    {
        MessageRecorder messages;
        auto form = makeForm();
        // The Change raised by the start-up writes of the bars must leave a and c exact.
        QVERIFY(form->a == 5.0 && form->c == 1.0 && form->t0 == 0.0 && form->escala == 10.0);
        QVERIFY(form->n == 0 && form->sumL == 0 && form->sumC == 0 && form->sumT == 0);
        QVERIFY(form->errorCuad == 0 && form->errorAnt == 0 && form->mediaY == 0);
        QVERIFY(form->modoDatos && !form->ocupado);
        QCOMPARE(QList<int>({form->CSCR->value(), form->LSCR->value(), form->TSCR->value()}),
                 QList<int>({10, -50, 0}));
        QCOMPARE(QList<int>({form->LSCR->minimum(), form->CSCR->maximum()}),
                 QList<int>({-100, 60}));
        QCOMPARE(form->Check3->value(), 0);
        QCOMPARE(form->Check3->toolTip(), QStringLiteral("Fijar parámetro t0"));
        QCOMPARE(form->graf->image().pixelColor(200, 100), qbColor(VerdeClaro));
        QCOMPARE(messages.texts, QStringList());
    }

    void startUpShowsTheDataEntryView()
    {
        auto form = makeForm();
        QList<QWidget *> shown{form->Command5, form->Command1, form->Recuperar,
                               form->funcion,  form->Label11,  form->Label12};
        for (int k = 0; k < 20; ++k)
            shown << form->xv(k) << form->yv(k);
        const QList<QWidget *> controls = form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        QCOMPARE(controls.size(), 39 + 40 + 17);
        for (QWidget *control : controls)
            QVERIFY2(control->isHidden() != shown.contains(control),
                     qPrintable(QStringLiteral("at %1, %2").arg(control->x()).arg(control->y())));
        QVERIFY(!form->Line2->isVisibleTo(form.get()));
    }

    void windowKeepsItsLayoutWhenResized()
    {
        auto form = makeForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCOMPARE(form->windowTitle(), QStringLiteral("Ajuste de Curvas Logísticas."));
        QCOMPARE(form->size(), QSize(724, 691));
        const QList<QWidget *> controls = form->findChildren<QWidget *>();
        QList<QRect> before;
        for (QWidget *control : controls)
            before << control->geometry();
        for (const QSize size : {QSize(300, 200), QSize(1000, 900)}) {
            form->resize(size);
            QCoreApplication::processEvents();
            QCOMPARE(form->size(), size);
            for (int k = 0; k < controls.size(); ++k)
                QCOMPARE(controls.at(k)->geometry(), before.at(k));
        }
    }

    void chartViewDetails()
    {
        auto form = makeForm();
        form->showChartBlock1(true);
        form->showChartBlock2(true);
        // Each scroll bar covers the top pixel row of its text box.
        QCOMPARE(form->childAt(form->Lval->x() + 100, form->Lval->y()), form->LSCR);
        QCOMPARE(form->childAt(form->Cval->x() + 100, form->Cval->y()), form->CSCR);
        QCOMPARE(form->childAt(form->Tval->x() + 100, form->Tval->y()), form->TSCR);
        // The derivative read-outs look like fields: a frame around the window's base colour.
        const QImage readout = form->Label6->grab().toImage();
        const QColor base = form->palette().color(QPalette::Base);
        QCOMPARE(readout.pixelColor(readout.width() / 2, readout.height() / 2), base);
        QVERIFY(readout.pixelColor(0, readout.height() / 2) != base);
    }
};

QTEST_MAIN(tst_Layout)
#include "tst_layout.moc"
