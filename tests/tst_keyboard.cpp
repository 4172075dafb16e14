#include "test_support.h"

#include "map/error_map.h"
#include "map/map_plot.h"
#include "report/informe_ajuste.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>

#include <functional>

namespace {

const Sample kNoisy = logisticSample(8, 0.9, 6, 20, 0.1);

HScrollBar *bar(Form1 &form, int k)
{
    return k == 0 ? form.LSCR : k == 1 ? form.CSCR : form.TSCR;
}

TextBox *box(Form1 &form, int k)
{
    return k == 0 ? form.Lval : k == 1 ? form.Cval : form.Tval;
}

// Waits for the window itself: Qt counts a window of the main window's as
// active while the main window is.
void showActive(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), window);
}

// The entries of a menu as the user reads them, without accelerators,
// shortcuts or separators.
QStringList entriesOf(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
    }
    return texts;
}

// The entries of the menu that `press` opens, which is then closed; none when
// no menu opens. A menu run by exec() is read from inside its own loop.
QStringList menuOpenedBy(const std::function<void()> &press)
{
    QStringList seen;
    QTimer look;
    look.setSingleShot(true);
    QObject::connect(&look, &QTimer::timeout, [&seen] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            seen = entriesOf(menu);
            menu->close();
        }
    });
    look.start(0);
    press();
    QTest::qWait(20);
    return seen;
}

const QStringList kBoxEntries{"Deshacer", "Rehacer",  "Cortar",          "Copiar",
                              "Pegar",    "Eliminar", "Seleccionar todo"};
const QStringList kUndoEntries{"Deshacer", "Rehacer"};
const QStringList kPictureEntries{"Copiar imagen", "Guardar imagen…"};

} // namespace

Q_DECLARE_METATYPE(MapFrame)

class tst_Keyboard : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        QApplication::setLayoutDirection(Qt::LeftToRight);
    }

    // On a focused bar the keys move the thumb the way they point and the
    // Value with it; each change is a change of the bar, and the run one action.
    void arrowKeysMoveABarTheWayTheyPoint_data()
    {
        QTest::addColumn<int>("which"); // 0 LSCR, 1 CSCR, 2 TSCR
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text"); // of the parameter's box
        QTest::addColumn<int>("actions");
        QTest::newRow("Right raises a by a tenth")
                << 0 << QList<int>{Qt::Key_Right} << -49 << "5,1" << 1;
        QTest::newRow("Left lowers a by a tenth")
                << 0 << QList<int>{Qt::Key_Left} << -51 << "4,9" << 1;
        QTest::newRow("three Rights raise c by three tenths")
                << 1 << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Right} << 13 << "1,3" << 1;
        QTest::newRow("Left lowers t0 by a fifth")
                << 2 << QList<int>{Qt::Key_Left} << -1 << "-0,2" << 1;
        QTest::newRow("Up raises t0 as Right does")
                << 2 << QList<int>{Qt::Key_Up} << 1 << "0,2" << 1;
        QTest::newRow("Down lowers c as Left does")
                << 1 << QList<int>{Qt::Key_Down} << 9 << "0,9" << 1;
        QTest::newRow("Page Up raises a by its page of one position")
                << 0 << QList<int>{Qt::Key_PageUp} << -49 << "5,1" << 1;
        QTest::newRow("Page Down lowers t0 by its page of one position")
                << 2 << QList<int>{Qt::Key_PageDown} << -1 << "-0,2" << 1;
        QTest::newRow("Home goes to the minimum")
                << 0 << QList<int>{Qt::Key_Home} << -100 << "0" << 1;
        QTest::newRow("End goes to the maximum") << 1 << QList<int>{Qt::Key_End} << 60 << "6" << 1;
        QTest::newRow("Right at the maximum stays there")
                << 2 << QList<int>{Qt::Key_End, Qt::Key_Right} << 100 << "20" << 1;
        QTest::newRow("Left at the minimum stays there")
                << 1 << QList<int>{Qt::Key_Home, Qt::Key_Left, Qt::Key_Left} << -60 << "-6" << 1;
        QTest::newRow("Right then Left come back and leave nothing to undo")
                << 0 << QList<int>{Qt::Key_Right, Qt::Key_Left} << -50 << "5" << 0;
    }
    void arrowKeysMoveABarTheWayTheyPoint()
    {
        QFETCH(int, which);
        QFETCH(QList<int>, keys);
        QFETCH(int, actions);
        MessageRecorder messages;
        auto form = chartView();
        HScrollBar *scroll = bar(*form, which);
        const int start = scroll->value();
        const QString startText = box(*form, which)->text();
        for (int key : keys)
            QTest::keyClick(scroll, Qt::Key(key));

        QTEST(scroll->value(), "position");
        QTEST(box(*form, which)->text(), "text");
        QCOMPARE(form->pilaDeshacer.count(), actions);
        if (actions > 0) {
            form->deshacer();
            QCOMPARE(scroll->value(), start);
            QCOMPARE(box(*form, which)->text(), startText);
        }
        QVERIFY(!form->ocupado);
        QVERIFY(messages.texts.isEmpty());
    }

    // A key goes where a click on the bar's own arrow at the end it points to
    // goes, in either layout direction: in a right-to-left layout the minimum
    // is on the right, and Right lowers the Value.
    void anArrowKeyGoesWhereTheArrowAtItsEndGoes_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<bool>("rightToLeft");
        for (int k = 0; k < 3; ++k) {
            const char *name = k == 0 ? "a" : k == 1 ? "c" : "t0";
            QTest::addRow("the bar of %s", name) << k << false;
            QTest::addRow("the bar of %s, right to left", name) << k << true;
        }
    }
    void anArrowKeyGoesWhereTheArrowAtItsEndGoes()
    {
        QFETCH(int, which);
        QFETCH(bool, rightToLeft);
        if (rightToLeft)
            QApplication::setLayoutDirection(Qt::RightToLeft);
        for (const int key : {int(Qt::Key_Right), int(Qt::Key_Left)}) {
            auto clicked = chartView();
            auto typed = chartView();
            HScrollBar *mouseBar = bar(*clicked, which);
            showActive(clicked.get());
            const int start = mouseBar->value();
            const int x = key == Qt::Key_Right ? mouseBar->width() - 2 : 1;
            QTest::mouseClick(mouseBar, Qt::LeftButton, {}, QPoint(x, mouseBar->height() / 2));
            QCOMPARE(std::abs(mouseBar->value() - start), 1);
            QTest::keyClick(bar(*typed, which), Qt::Key(key));
            QCOMPARE(bar(*typed, which)->value(), mouseBar->value());
            QVERIFY(typed->a == clicked->a && typed->c == clicked->c && typed->t0 == clicked->t0);
        }
    }

    // Every control with a context menu opens it from the keyboard, by the
    // Menu key and by Shift+F10; other keys and controls without one open none.
    void menuKeyOpensTheControlsMenu_data()
    {
        QTest::addColumn<QString>("control"); // its name; "plano" is the map's plot
        QTest::addColumn<bool>("chartShown"); // else the data view
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QStringList>("entries");
        const int shift = int(Qt::ShiftModifier), none = int(Qt::NoModifier);
        QTest::newRow("Shift+F10 in a grid cell: the box's entries, then Copiar tabla")
                << "xv(3)" << false << int(Qt::Key_F10) << shift
                << kBoxEntries + QStringList{"Copiar tabla"};
        QTest::newRow("the Menu key in a grid cell, the same")
                << "yv(0)" << false << int(Qt::Key_Menu) << none
                << kBoxEntries + QStringList{"Copiar tabla"};
        QTest::newRow("Shift+F10 on the chart: its picture")
                << "graf" << true << int(Qt::Key_F10) << shift << kPictureEntries;
        QTest::newRow("the Menu key on the error history: its picture")
                << "historial" << true << int(Qt::Key_Menu) << none << kPictureEntries;
        QTest::newRow("Shift+F10 on the error map: its picture")
                << "plano" << true << int(Qt::Key_F10) << shift << kPictureEntries;
        QTest::newRow("Shift+F10 on a scroll bar: undo")
                << "TSCR" << true << int(Qt::Key_F10) << shift << kUndoEntries;
        QTest::newRow("the Menu key on a hold box: undo")
                << "Check2" << true << int(Qt::Key_Menu) << none << kUndoEntries;
        QTest::newRow("Shift+F10 on a step button: undo")
                << "paso4" << true << int(Qt::Key_F10) << shift << kUndoEntries;
        QTest::newRow("Shift+F10 in a parameter box: the box's entries, then undo")
                << "Cval" << true << int(Qt::Key_F10) << shift << kBoxEntries + kUndoEntries;
        QTest::newRow("the Menu key in the squared error: the box's entries, then the figures")
                << "label9" << true << int(Qt::Key_Menu) << none
                << kBoxEntries + QStringList{"Copiar resultados"};
        QTest::newRow("F10 alone opens nothing")
                << "graf" << true << int(Qt::Key_F10) << none << QStringList{};
        QTest::newRow("Ctrl+Shift+F10 opens nothing")
                << "graf" << true << int(Qt::Key_F10) << (shift | int(Qt::ControlModifier))
                << QStringList{};
        QTest::newRow("a button without a menu opens none")
                << "Command5" << true << int(Qt::Key_Menu) << none << QStringList{};
    }
    void menuKeyOpensTheControlsMenu()
    {
        QFETCH(QString, control);
        QFETCH(bool, chartShown);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        auto form = chartShown ? chartView(kNoisy) : makeForm();
        showActive(form.get());
        QWidget *target = nullptr;
        if (control == QLatin1String("plano")) {
            form->verMapa->click();
            QTRY_COMPARE(QApplication::activeWindow(), form->mapa);
            target = form->mapa->plano;
        } else {
            target = ::control(*form, control);
        }
        QVERIFY(target && target->isVisible());
        target->setFocus(Qt::TabFocusReason);
        const QStringList entries = menuOpenedBy(
                [&] { QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers)); });
        QTEST(entries, "entries");
    }

    // The menu X11 makes of the Menu key itself is not opened a second time.
    void aKeyboardMenuEventOfThePlatformOpensNothing()
    {
        auto form = chartView();
        showActive(form.get());
        form->graf->setFocus(Qt::TabFocusReason);
        const QStringList entries = menuOpenedBy([&] {
            QContextMenuEvent platform(QContextMenuEvent::Keyboard, QPoint(10, 10),
                                       form->mapToGlobal(QPoint(10, 10)));
            QCoreApplication::sendEvent(form->windowHandle(), &platform);
        });
        QCOMPARE(entries, QStringList{});
    }

    // With the focus on the map, the arrows move the framing by a tenth of
    // its span, + and − zoom about its centre, always within the bars'
    // ranges; the line under the map then describes the centre.
    void mapKeysPanAndZoom_data()
    {
        QTest::addColumn<MapFrame>("start");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<MapFrame>("frame");
        const MapFrame f{-1, 1, -4, 4};
        const int none = int(Qt::NoModifier);
        QTest::newRow("Right shows a tenth more to the right")
                << f << QList<int>{Qt::Key_Right} << none << MapFrame{-0.8, 1.2, -4, 4};
        QTest::newRow("Left shows a tenth more to the left")
                << f << QList<int>{Qt::Key_Left} << none << MapFrame{-1.2, 0.8, -4, 4};
        QTest::newRow("Up shows larger t0")
                << f << QList<int>{Qt::Key_Up} << none << MapFrame{-1, 1, -3.2, 4.8};
        QTest::newRow("Down shows smaller t0")
                << f << QList<int>{Qt::Key_Down} << none << MapFrame{-1, 1, -4.8, 3.2};
        QTest::newRow("+ zooms in about the centre")
                << f << QList<int>{Qt::Key_Plus} << none << MapFrame{-0.8, 0.8, -3.2, 3.2};
        QTest::newRow("− zooms out about the centre")
                << f << QList<int>{Qt::Key_Minus} << none << MapFrame{-1.25, 1.25, -5, 5};
        QTest::newRow("the keypad's + zooms in too")
                << f << QList<int>{Qt::Key_Plus} << int(Qt::KeypadModifier)
                << MapFrame{-0.8, 0.8, -3.2, 3.2};
        QTest::newRow("+ typed with Shift zooms in too")
                << f << QList<int>{Qt::Key_Plus} << int(Qt::ShiftModifier)
                << MapFrame{-0.8, 0.8, -3.2, 3.2};
        QTest::newRow("Right and + off centre, then back, come home")
                << MapFrame{0, 2, 2, 6}
                << QList<int>{Qt::Key_Right, Qt::Key_Plus, Qt::Key_Minus, Qt::Key_Left} << none
                << MapFrame{0, 2, 2, 6};
        QTest::newRow("Right at the end of c's range stays within it")
                << MapFrame{4, 6, -4, 4} << QList<int>{Qt::Key_Right} << none
                << MapFrame{4, 6, -4, 4};
        QTest::newRow("Down at the bottom of t0's range stops at it")
                << MapFrame{-1, 1, -19.5, -11.5} << QList<int>{Qt::Key_Down} << none
                << MapFrame{-1, 1, -20, -12};
        QTest::newRow("− at the whole range stays")
                << MapFrame{-6, 6, -20, 20} << QList<int>{Qt::Key_Minus} << none
                << MapFrame{-6, 6, -20, 20};
    }
    void mapKeysPanAndZoom()
    {
        QFETCH(MapFrame, start);
        QFETCH(QList<int>, keys);
        QFETCH(int, modifiers);
        QFETCH(MapFrame, frame);
        MessageRecorder messages;
        auto form = chartView(kNoisy);
        form->verMapa->click();
        MapPlot &plano = *form->mapa->plano;
        plano.setFrame(start);
        QSignalSpy described(&plano, &MapPlot::punteroSobre);
        for (int key : keys)
            QTest::keyClick(&plano, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

        const MapFrame now = plano.frame();
        QCOMPARE_NEAR(now.cLow, frame.cLow);
        QCOMPARE_NEAR(now.cHigh, frame.cHigh);
        QCOMPARE_NEAR(now.t0Low, frame.t0Low);
        QCOMPARE_NEAR(now.t0High, frame.t0High);
        QCOMPARE(described.count(), keys.size());
        QCOMPARE_NEAR(described.last().at(0).toDouble(), (frame.cLow + frame.cHigh) / 2);
        QCOMPARE_NEAR(described.last().at(1).toDouble(), (frame.t0Low + frame.t0High) / 2);
        // Only Enter chooses a start.
        QVERIFY(form->a == 5 && form->c == 1 && form->t0 == 0);
        QVERIFY(messages.texts.isEmpty());
    }

    // Enter on the map chooses the start at its centre as a click there
    // would: the same handler, its fault path and its undo action.
    void enterOnTheMapChoosesTheCentre_data()
    {
        QTest::addColumn<MapFrame>("frame");
        QTest::addColumn<bool>("faults");
        QTest::newRow("a start in the valley") << MapFrame{0.5, 1.3, 4, 8} << false;
        QTest::newRow("a start where a at its best lies beyond a's bar")
                << MapFrame{0.2, 0.4, 19, 20} << true;
    }
    void enterOnTheMapChoosesTheCentre()
    {
        QFETCH(MapFrame, frame);
        QFETCH(bool, faults);
        MessageRecorder messages;
        auto form = chartView(kNoisy);
        form->paso->click();
        form->verMapa->click();
        MapPlot &plano = *form->mapa->plano;
        plano.setFrame(frame);
        QSignalSpy chosen(&plano, &MapPlot::puntoElegido);
        QTest::keyClick(&plano, Qt::Key_Return);

        QCOMPARE(chosen.count(), 1);
        if (faults) {
            QCOMPARE(messages.texts, QStringList{"Desbordamiento"});
            QVERIFY(form->a == 5 && form->c == 1 && form->t0 == 0);
        } else {
            QVERIFY(messages.texts.isEmpty());
            QCOMPARE_NEAR(form->c, (frame.cLow + frame.cHigh) / 2);
            QCOMPARE_NEAR(form->t0, (frame.t0Low + frame.t0High) / 2);
            QCOMPARE(form->accionDeshacer->text(), QStringLiteral("Deshacer inicio en el mapa"));
        }
        QTest::keyClick(&plano, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(chosen.count(), 2);
        QVERIFY(!form->ocupado);
    }

    // Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y act on the fit from the map's window
    // and the report's, as from the main window.
    void undoKeysActInTheMapAndTheReport_data()
    {
        QTest::addColumn<bool>("inMap"); // else the report
        QTest::newRow("in the map") << true;
        QTest::newRow("in the report") << false;
    }
    void undoKeysActInTheMapAndTheReport()
    {
        QFETCH(bool, inMap);
        MessageRecorder messages;
        auto form = chartView(kNoisy);
        showActive(form.get());
        form->verMapa->click();
        MapPlot &plano = *form->mapa->plano;
        plano.setFrame({0.5, 1.3, 4, 8});
        QTest::keyClick(&plano, Qt::Key_Return);
        const Parameters chosen{form->a, form->c, form->t0};
        QVERIFY(chosen.c != 1);
        QWidget *window = form->mapa;
        if (!inMap) {
            form->verInforme->click();
            window = form->informe;
        }
        showActive(window);
        QWidget *focused = QApplication::focusWidget();
        QVERIFY(focused && focused->window() == window);

        QTest::keyClick(focused, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(form->a == 5 && form->c == 1 && form->t0 == 0);
        QTest::keyClick(focused, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(form->a == chosen.a && form->c == chosen.c && form->t0 == chosen.t0);
        QTest::keyClick(focused, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(focused, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(form->a == chosen.a && form->c == chosen.c && form->t0 == chosen.t0);
        QCOMPARE(form->Cval->text(), numberToText(chosen.c));
        QVERIFY(messages.texts.isEmpty());
    }

    // The map's window: the plot has the focus when the window opens, then
    // "Encuadrar", and round again.
    void mapWindowTabOrder()
    {
        auto form = chartView(kNoisy);
        showActive(form.get());
        form->verMapa->click();
        MapaError &mapa = *form->mapa;
        QTRY_COMPARE(QApplication::activeWindow(), &mapa);
        QCOMPARE(QApplication::focusWidget(), mapa.plano);
        QTest::keyClick(mapa.plano, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), mapa.encuadrar);
        QTest::keyClick(mapa.encuadrar, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), mapa.plano);
    }

    // A focused plot shows a frame in the highlight colour along its edge;
    // its copied picture never has it.
    void aFocusedPlotShowsAFrame_data()
    {
        QTest::addColumn<bool>("map"); // else the error history
        QTest::newRow("the error history") << false;
        QTest::newRow("the error map") << true;
    }
    void aFocusedPlotShowsAFrame()
    {
        QFETCH(bool, map);
        auto form = chartView(kNoisy);
        showActive(form.get());
        form->paso3->click();
        QWidget *plot = form->historial;
        if (map) {
            form->verMapa->click();
            QTRY_COMPARE(QApplication::activeWindow(), form->mapa);
            plot = form->mapa->plano;
            form->mapa->encuadrar->setFocus(Qt::TabFocusReason);
        }
        const QColor highlight = plot->palette().color(QPalette::Highlight);
        const QPoint edges[] = {{0, plot->height() / 2},
                                {plot->width() - 1, plot->height() / 2},
                                {plot->width() / 3, 1},
                                {plot->width() / 3, plot->height() - 2}};
        QVERIFY(!plot->hasFocus());
        const QImage unfocused = plot->grab().toImage();
        for (const QPoint &at : edges)
            QVERIFY(unfocused.pixelColor(at) != highlight);

        plot->setFocus(Qt::TabFocusReason);
        QVERIFY(plot->hasFocus());
        const QImage focused = plot->grab().toImage();
        for (const QPoint &at : edges)
            QCOMPARE(focused.pixelColor(at), highlight);

        if (map) {
            // The cross at the centre shows while the focus is the keyboard's,
            // on a frame well away from the path.
            auto *plano = form->mapa->plano;
            plano->setFrame({-5, -3, -18, -10});
            const QPointF middle = plano->position(-4, -14);
            const QPoint arm(int(middle.x()) + 12, int(middle.y()));
            QCOMPARE(plano->grab().toImage().pixelColor(arm), QColor(Qt::white));
            QTest::mousePress(plano, Qt::RightButton, {}, arm + QPoint(30, 30));
            QTest::mouseRelease(plano, Qt::RightButton, {}, arm + QPoint(30, 30));
            QVERIFY(plano->hasFocus());
            QVERIFY(plano->grab().toImage().pixelColor(arm) != QColor(Qt::white));
            QTest::keyClick(plano, Qt::Key_Minus);
            QTest::keyClick(plano, Qt::Key_Plus);
            QCOMPARE(plano->grab().toImage().pixelColor(arm), QColor(Qt::white));
        }
        const QList<QAction *> entries = plot->actions();
        QCOMPARE(entries.first()->text(), QStringLiteral("Copiar imagen"));
        entries.first()->trigger();
        const QImage copied = QApplication::clipboard()->image();
        QVERIFY(!copied.isNull());
        QVERIFY(copied.pixelColor(0, copied.height() / 2) != highlight);
    }
};

QTEST_MAIN(tst_Keyboard)
#include "tst_keyboard.moc"
