#include "platform/controls.h"
#include "map/error_map.h"
#include "map/map_plot.h"
#include "numeric/fault.h"
#include "platform/accessibility.h"
#include "platform/number_text.h"
#include "platform/picture_box.h"
#include "platform/plot_axis.h"
#include "platform/window_place.h"
#include "test_support.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QMenu>
#include <QTimer>

#include <cfloat>
#include <random>

namespace {

// The reader a row of readsNumbers uses.
constexpr int SpanishText = 0, CText = 1, CountLine = 2;

// The last entry of the menu that `press` opens, read and closed from inside
// the menu's own loop; empty when none opens.
QString menuOpenedBy(const std::function<void()> &press)
{
    QString last;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&last] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            last = menu->actions().last()->text().section('\t', 0, 0);
            menu->close();
        }
    });
    look.start(0);
    press();
    QTest::qWait(20);
    return last;
}

// How much of `area` a window at `place` covers, counted pixel by pixel.
int coverOf(const QRect &place, const QRect &area)
{
    int cover = 0;
    for (int y = place.top(); y <= place.bottom(); ++y)
        for (int x = place.left(); x <= place.right(); ++x)
            cover += area.contains(x, y);
    return cover;
}

} // namespace

class tst_Platform : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void writesNumbers_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("a thousandth takes the decimal comma") << kSpanish << 0.001 << "0,001";
        QTest::newRow("a whole number has no decimals") << kSpanish << 5.0 << "5";
        QTest::newRow("trailing zeros are dropped") << kSpanish << 1.50 << "1,5";
        QTest::newRow("negative zero is plain zero") << kSpanish << -0.0 << "0";
        QTest::newRow("large numbers are not grouped") << kSpanish << -1234567.5 << "-1234567,5";
        QTest::newRow("1e-4 is still plain") << kSpanish << 1e-4 << "0,0001";
        QTest::newRow("under 1e15 is still plain")
                << kSpanish << 999999999999999.0 << "999999999999999";
        QTest::newRow("1e15 takes an exponent") << kSpanish << 1e15 << "1E+15";
        QTest::newRow("C writes a point and no grouping") << QLocale::c() << -1234.5 << "-1234.5";
    }

    void writesNumbers()
    {
        QFETCH(QLocale, locale);
        QFETCH(double, value);
        QFETCH(QString, text);
        QLocale::setDefault(locale);
        QCOMPARE(numberToText(value), text);
    }

    void everyWrittenTextReadsBackTheSame()
    {
        QList<double> values;
        values << 0.0 << -0.0 << DBL_MAX << -DBL_MAX << DBL_MIN << DBL_TRUE_MIN << 0.1 + 0.2 << 1e-4
               << -1e15 << 1.0 / 3 << std::nextafter(1e-4, 0.0) << std::nextafter(1e15, 0.0);
        std::mt19937_64 random(20240601);
        std::uniform_real_distribution<double> mantissa(1.0, 10.0);
        std::uniform_int_distribution<int> wide(-300, 300), nearPlain(-6, 17);
        for (int k = 0; k < 4000; ++k) {
            const int exponent = k % 4 ? wide(random) : nearPlain(random);
            values << (k % 2 ? -1 : 1) * mantissa(random) * std::pow(10.0, exponent);
        }
        for (const QLocale &locale : {kSpanish, QLocale::c()}) {
            QLocale::setDefault(locale);
            for (const double value : values) {
                const QString text = numberToText(value);
                double back = 0.0;
                const bool plainRange = std::fabs(value) >= 1e-4 && std::fabs(value) < 1e15;
                if (faults([&] { back = textToNumber(text); }) || back != value
                    || numberToText(back) != text || text.contains(locale.groupSeparator())
                    || (plainRange && text.contains(locale.exponential(), Qt::CaseInsensitive)))
                    QFAIL(qPrintable(QStringLiteral("%1 is written \"%2\" under %3")
                                             .arg(value, 0, 'g', 17)
                                             .arg(text, locale.name())));
            }
        }
    }

    void readsNumbers_data()
    {
        QTest::addColumn<int>("reader");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fault");
        QTest::addColumn<double>("value");
        for (const int reader : {SpanishText, CText}) {
            const QString in = reader == CText ? " under C" : " under Spanish";
            for (const char *text : {"", "   ", "abc", "5x", "inf", "nan", "1e400"})
                QTest::newRow(qPrintable('"' + QString(text) + "\" is a fault" + in))
                        << reader << text << true << 0.0;
            for (const char *text : {"+5", " 5 ", "5"})
                QTest::newRow(qPrintable('"' + QString(text) + "\" is 5" + in))
                        << reader << text << false << 5.0;
        }
        QTest::newRow("Spanish: a comma separates decimals")
                << SpanishText << "-1,5" << false << -1.5;
        QTest::newRow("Spanish: minus zero reads as 0") << SpanishText << "-0" << false << 0.0;
        QTest::newRow("Spanish: 1.5 is not fifteen") << SpanishText << "1.5" << true << 0.0;
        QTest::newRow("Spanish: grouping is a fault") << SpanishText << "12.345" << true << 0.0;
        QTest::newRow("C: a point separates decimals") << CText << "1.5e3" << false << 1500.0;
        QTest::newRow("C: a comma is a fault") << CText << "1,5" << true << 0.0;
        QTest::newRow("count line: a point separates decimals")
                << CountLine << "2.5" << false << 2.5;
        QTest::newRow("count line: blanks are skipped") << CountLine << " 5 \r" << false << 5.0;
        QTest::newRow("count line: a comma ends the number") << CountLine << "2,5" << false << 2.0;
        QTest::newRow("count line: letters give 0") << CountLine << "abc" << false << 0.0;
        QTest::newRow("count line: a sign is read") << CountLine << "-3" << false << -3.0;
        QTest::newRow("count line: an exponent is read") << CountLine << "1e3" << false << 1000.0;
        QTest::newRow("count line: overflow is a fault") << CountLine << "1e999" << true << 0.0;
    }

    void readsNumbers()
    {
        QFETCH(int, reader);
        QFETCH(QString, text);
        QFETCH(bool, fault);
        QFETCH(double, value);
        // The count line's reader ignores the locale.
        QLocale::setDefault(reader == CText ? QLocale::c() : kSpanish);
        double read = -1.0;
        const auto readText
                = [&] { read = reader == CountLine ? leadingNumber(text) : textToNumber(text); };
        QCOMPARE(faults(readText), fault);
        if (!fault)
            QCOMPARE_NEAR(read, value);
    }

    void scrollBarValue()
    {
        HScrollBar bar(nullptr, -60, 60);
        int raised = 0, seen = 0;
        bar.onChange = [&] {
            ++raised;
            seen = bar.value();
        };
        bar.writeValue(10);
        // Change has run, with the new value in place, by the time the write returns.
        QCOMPARE(raised, 1);
        QCOMPARE(seen, 10);
        bar.writeValue(10);
        QCOMPARE(raised, 1);
        QVERIFY(faults([&] { bar.writeValue(-61); }));
        QVERIFY(faults([&] { bar.writeValue(61); }));
        QCOMPARE(bar.value(), 10);
        QCOMPARE(raised, 1);
        // A drag changes the value once, on release.
        bar.setSliderDown(true);
        bar.setSliderPosition(20);
        bar.setSliderPosition(40);
        QCOMPARE(raised, 1);
        bar.setSliderDown(false);
        QCOMPARE(raised, 2);
        QCOMPARE(seen, 40);
    }

    void textBoxEvents()
    {
        QWidget window;
        auto *box = new TextBox(&window);
        auto *other = new TextBox(&window);
        other->move(0, 40);
        QList<int> codes;
        int replacement = -1, lost = 0;
        box->onKeyPress = [&](int16_t &keyAscii) {
            codes << keyAscii << int(box->text().size()); // the text is still unchanged
            if (replacement >= 0)
                keyAscii = int16_t(replacement);
        };
        box->onLostFocus = [&] { ++lost; };
        QTest::keyClick(box, Qt::Key_5);
        replacement = 0; // cancels the key
        QTest::keyClick(box, Qt::Key_Period);
        replacement = ',';
        QTest::keyClick(box, Qt::Key_Period);
        QCOMPARE(codes, QList<int>({'5', 0, '.', 1, '.', 1}));
        QCOMPARE(box->text(), QStringLiteral("5,"));

        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        box->setFocus(Qt::TabFocusReason);
        other->setFocus(Qt::TabFocusReason);
        QCOMPARE(lost, 1);
        // Deactivating the window or opening a popup is no loss of focus to another control.
        for (const Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
            QFocusEvent focusOut(QEvent::FocusOut, reason);
            QCoreApplication::sendEvent(box, &focusOut);
        }
        QCOMPARE(lost, 1);
    }

    void userClickTogglesCheckBox()
    {
        CheckBox box(nullptr);
        box.resize(17, 25);
        box.setValue(2);
        QCOMPARE(box.value(), 2);
        QList<int> values;
        for (int click = 0; click < 3; ++click) {
            QTest::mouseClick(&box, Qt::LeftButton);
            values << box.value();
        }
        QCOMPARE(values, QList<int>({0, 1, 0})); // only the program greys it
    }

    // Every control with a context menu opens it by the Menu key and by
    // Shift+F10, once, whichever platform is under the program.
    void menuKeysOpenTheControlsMenu_data()
    {
        QTest::addColumn<QString>("control"); // "plano": the map's plot
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("last"); // entry; none when no menu opens
        const int shift = Qt::ShiftModifier, menu = Qt::Key_Menu, f10 = Qt::Key_F10;
        QTest::newRow("a grid cell") << "xv(3)" << f10 << shift << "Copiar tabla";
        QTest::newRow("the squared error") << "label9" << menu << 0 << "Copiar resultados";
        QTest::newRow("the error history") << "historial" << menu << 0 << "Guardar imagen…";
        QTest::newRow("the error map") << "plano" << f10 << shift << "Guardar imagen…";
        QTest::newRow("a scroll bar") << "TSCR" << f10 << shift << "Rehacer";
        QTest::newRow("F10 alone opens none") << "historial" << f10 << 0 << "";
    }
    void menuKeysOpenTheControlsMenu()
    {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        auto form = chartView();
        if (control.startsWith('x'))
            form->Command5_Click(); // the grid
        form->verMapa->click();
        QWidget *target = control == "plano" ? form->mapa->plano : ::control(*form, control);
        target->window()->show();
        target->window()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), target->window());
        target->setFocus(Qt::TabFocusReason);
        if (control == "plano" || control == "historial") // a plot shows a focus frame
            QTRY_COMPARE(target->grab().toImage().pixelColor(0, 9),
                         target->palette().color(QPalette::Highlight));
        // The menu event X11 makes of the Menu key itself opens nothing.
        QCOMPARE(menuOpenedBy([&] {
                     QContextMenuEvent platform(QContextMenuEvent::Keyboard, {}, {});
                     QCoreApplication::sendEvent(target->window()->windowHandle(), &platform);
                 }),
                 QString());
        QTEST(menuOpenedBy([&] {
                  QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
              }),
              "last");
    }

    void pSetDrawsCentredDots_data()
    {
        QTest::addColumn<double>("X");
        QTest::addColumn<double>("Y");
        QTest::addColumn<int>("width");
        QTest::addColumn<QRect>("bounds"); // of the pixels drawn
        QTest::addColumn<int>("pixels");
        QTest::newRow("15 twips are one pixel")
                << 1200.0 << 3000.0 << 1 << QRect(80, 200, 1, 1) << 1;
        QTest::newRow("a point rounds to the nearest pixel")
                << 1207.6 << 2992.4 << 1 << QRect(81, 199, 1, 1) << 1;
        QTest::newRow("width 3 centres on the pixel")
                << 1200.0 << 3000.0 << 3 << QRect(79, 199, 3, 3) << 9;
        QTest::newRow("width 4 is a round dot centred on the point")
                << 1200.0 << 3000.0 << 4 << QRect(78, 198, 4, 4) << 12;
        QTest::newRow("a dot at the corner is clipped")
                << 0.0 << 0.0 << 3 << QRect(0, 0, 2, 2) << 4;
        QTest::newRow("past the right edge draws nothing") << 4815.0 << 15.0 << 1 << QRect() << 0;
        QTest::newRow("1e30 twips draws nothing") << 1e30 << -1e30 << 4 << QRect() << 0;
        QTest::newRow("3e38 twips draws nothing") << 3e38 << 3e38 << 1 << QRect() << 0;
        QTest::newRow("beyond single precision draws nothing")
                << 100.0 << -1e300 << 1 << QRect() << 0;
        QTest::newRow("NaN draws nothing") << std::nan("") << 100.0 << 1 << QRect() << 0;
    }

    void pSetDrawsCentredDots()
    {
        QFETCH(double, X);
        QFETCH(double, Y);
        QFETCH(int, width);
        QFETCH(QRect, bounds);
        QFETCH(int, pixels);
        PictureBox box(nullptr);
        box.resize(320, 267);
        box.setBackColor(Qt::green);
        box.setDrawWidth(width);
        box.PSet(X, Y, Qt::red);
        QRect drawn;
        int count = 0;
        for (int py = 0; py < box.image().height(); ++py) {
            for (int px = 0; px < box.image().width(); ++px) {
                if (box.image().pixelColor(px, py) != Qt::green) {
                    drawn |= QRect(px, py, 1, 1);
                    count += box.image().pixelColor(px, py) == Qt::red;
                }
            }
        }
        QCOMPARE(drawn, bounds);
        QCOMPARE(count, pixels);
    }

    // A figure wider than its control shows its start and an ellipsis, never
    // its end alone: the sign stays in sight, and the whole figure is the
    // tool tip and what a screen reader gets. What is drawn is what the same
    // control draws when it is given the cut text, which fits.
    void longFiguresAreCutOnTheRight_data()
    {
        QTest::addColumn<bool>("box"); // a text box, or a framed readout
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("right"); // aligned to the right
        QTest::addColumn<bool>("cut");
        QTest::newRow("a wide readout shows the figure whole") << false << 400 << false << false;
        QTest::newRow("a narrow readout keeps the minus sign") << false << 90 << false << true;
        QTest::newRow("aligned to the right it keeps it too") << false << 90 << true << true;
        QTest::newRow("a wide text box shows the figure whole") << true << 400 << false << false;
        QTest::newRow("a narrow text box shows its start, not its end")
                << true << 90 << false << true;
    }

    void longFiguresAreCutOnTheRight()
    {
        QFETCH(bool, box);
        QFETCH(int, width);
        QFETCH(bool, right);
        QFETCH(bool, cut);
        const QString figure = QStringLiteral("-1,7214707048740507E-05");
        QWidget window;
        auto *focus = new QPushButton(&window); // keeps the focus away from the boxes
        const Qt::Alignment side = (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        auto make = [&](const QString &text, int top) -> QWidget * {
            QWidget *control;
            if (box) {
                auto *textBox = new TextBox(&window);
                textBox->setAlignment(side);
                textBox->setText(text);
                control = textBox;
            } else {
                auto *readout = new Readout(&window);
                readout->setFrameStyle(QFrame::Box | QFrame::Plain);
                readout->setAlignment(side);
                readout->setText(text);
                control = readout;
            }
            control->setGeometry(0, top, width, 25);
            return control;
        };
        const auto shownBy = [box](QWidget *control) {
            return box ? static_cast<TextBox *>(control)->shownText()
                       : static_cast<Readout *>(control)->shownText();
        };
        QWidget *control = make(figure, 0);
        QWidget *twin = make(shownBy(control), 30);
        if (!box) // asked before the figure was ever drawn
            QCOMPARE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Description),
                     cut ? figure : QString());
        window.show();
        focus->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QString shown = shownBy(control);
        QCOMPARE(shown != figure, cut);
        QVERIFY2(shown.startsWith(QLatin1Char('-')), qPrintable(shown));
        QVERIFY(!cut || (shown.endsWith(QChar(0x2026)) && figure.startsWith(shown.chopped(1))));
        QCOMPARE(control->toolTip(), cut ? figure : QString());
        QAccessibleTextInterface *heard
                = QAccessible::queryAccessibleInterface(control)->textInterface();
        QCOMPARE(heard->text(0, heard->characterCount()), figure);
        QCOMPARE(shownBy(twin), shown);
        QCOMPARE(control->grab().toImage(), twin->grab().toImage());
    }

    void drawingSurvivesRepaintUntilCls()
    {
        QWidget window;
        auto *box = new PictureBox(&window);
        box->setGeometry(40, 16, 320, 267);
        QImage picture(10, 6, QImage::Format_RGB32);
        picture.fill(Qt::black);
        box->setPicture(picture);
        box->setBackColor(Qt::green);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        box->PSet(1200, 3000, Qt::blue);
        box->hide();
        box->show();
        QImage shown = box->grab().toImage();
        QCOMPARE(shown.pixelColor(80, 200), QColor(Qt::blue));
        QCOMPARE(shown.pixelColor(5, 3), QColor(Qt::black)); // the picture, unscaled
        QCOMPARE(shown.pixelColor(12, 3), QColor(Qt::green));
        box->Cls();
        shown = box->grab().toImage();
        QCOMPARE(shown.pixelColor(80, 200), QColor(Qt::green));
        QCOMPARE(shown.pixelColor(5, 3), QColor(Qt::black));
    }
    // Against every place a window could take on a small screen: it lies
    // within the screen, shrunk to it if need be, none covers less of the
    // owner's part in sight, and where the owner's right has room the window
    // touches it.
    void noPlaceCoversLessOfTheOwner()
    {
        std::mt19937 random(20261209);
        std::uniform_int_distribution<int> corner(-10, 50), extent(1, 45);
        const QRect room(0, 4, 48, 36);
        for (int trial = 0; trial < 300; ++trial) {
            const QRect owner(corner(random), corner(random), extent(random), extent(random));
            const QSize size(extent(random), extent(random));
            const QRect place = placeBeside(owner, size, room);
            const QRect shown = owner & room;
            int least = coverOf(place, shown);
            for (int y = room.top(); y + place.height() <= room.bottom() + 1; ++y)
                for (int x = room.left(); x + place.width() <= room.right() + 1; ++x)
                    least = std::min(least, coverOf(QRect(QPoint(x, y), place.size()), shown));
            const bool rightHasRoom
                    = owner.right() >= room.left() && owner.right() + place.width() <= room.right();
            QVERIFY(room.contains(place));
            QCOMPARE(place.size(), size.boundedTo(room.size()));
            QCOMPARE(coverOf(place, shown), least);
            QVERIFY(!rightHasRoom || place.left() == owner.right() + 1);
        }
    }

    // A window that grows is kept on the screen: within the room, shrunk to
    // it if need be, and no place there lies nearer where it was.
    void grownWindowMovesTheLeastIntoTheRoom()
    {
        std::mt19937 random(20261210);
        std::uniform_int_distribution<int> corner(-20, 60), extent(1, 60);
        const QRect room(0, 4, 48, 36);
        for (int trial = 0; trial < 300; ++trial) {
            const QRect frame(corner(random), corner(random), extent(random), extent(random));
            const QRect kept = keptInRoom(frame, room);
            QVERIFY(room.contains(kept));
            QCOMPARE(kept.size(), frame.size().boundedTo(room.size()));
            const int moved = (kept.topLeft() - frame.topLeft()).manhattanLength();
            for (int y = room.top(); y + kept.height() <= room.bottom() + 1; ++y)
                for (int x = room.left(); x + kept.width() <= room.right() + 1; ++x)
                    QVERIFY((QPoint(x, y) - frame.topLeft()).manhattanLength() >= moved);
        }
    }

    // An axis writes its labels as the program writes numbers, in the
    // fewest digits: a decade as the power of ten it is, a tick as the
    // decimal of its step.
    void axisLabelsReadShort_data()
    {
        QTest::addColumn<bool>("decade");
        QTest::addColumn<double>("value"); // the decade's exponent, or the tick's value
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("exponent");
        QTest::addColumn<QString>("text");
        QTest::newRow("a tenth") << true << -1.0 << 0.0 << 0 << "0,1";
        QTest::newRow("a small decade in exponent notation") << true << -5.0 << 0.0 << 0 << "1E-05";
        QTest::newRow("10^23, whose power is not the nearest double")
                << true << 23.0 << 0.0 << 0 << "1E+23";
        QTest::newRow("10^210, likewise") << true << 210.0 << 0.0 << 0 << "1E+210";
        QTest::newRow("three tenths added up") << false << 0.1 + 0.2 << 0.1 << -1 << "0,3";
        QTest::newRow("seven steps of 0,2") << false << 7 * 0.2 << 0.2 << -1 << "1,4";
        QTest::newRow("a negative tick") << false << -3 * 0.05 << 0.05 << -2 << "-0,15";
    }

    void axisLabelsReadShort()
    {
        QFETCH(bool, decade);
        QFETCH(double, value);
        QFETCH(double, step);
        QFETCH(int, exponent);
        QFETCH(QString, text);
        QLocale::setDefault(kSpanish);
        QCOMPARE(decade ? decadeText(int(value)) : tickText(value, {step, exponent}), text);
    }

    // Along a horizontal axis a label is never cut by the bounds and stands
    // centred on its tick wherever it has room: ticks from beyond the left
    // edge to beyond the right, labels short and long, in boxes of their own
    // or a centring box of 120, centred or right-aligned.
    void horizontalLabelsStayWhole()
    {
        const QFontMetrics metrics(QApplication::font());
        for (const int centringBox : {0, 120}) {
            for (const bool rightAligned : {false, true}) {
                AxisLook look{Qt::BottomEdge, 100, 1, 4, 6, QRect(2, 0, 397, 300), centringBox};
                if (rightAligned)
                    look.align = Qt::AlignRight | Qt::AlignTop;
                for (const QString &text : {QStringLiteral("0"), QStringLiteral("12345,678"),
                                            QStringLiteral("-0,00012345678901234567")}) {
                    const int wide = metrics.horizontalAdvance(text);
                    for (int x = -30; x <= 430; x += 3) {
                        const QRect box = look.labelBox({double(x), text}, metrics);
                        const QByteArray row = (text + QStringLiteral(" at %1").arg(x)).toUtf8();
                        // Where the text lies in its box, aligned as drawn.
                        const double start = rightAligned ? box.right() + 1 - wide
                                                          : box.left() + (box.width() - wide) / 2.0;
                        QVERIFY2(start >= 2 && start + wide <= 399, row.constData());
                        QVERIFY2(box.width() >= wide && box.top() == 106, row.constData());
                        if (x - wide / 2 - 1 >= 2 && x + wide / 2 + 1 <= 398)
                            QVERIFY2(std::abs(start + wide / 2.0 - x) <= 1, row.constData());
                    }
                }
            }
        }
    }
};

QTEST_MAIN(tst_Platform)
#include "tst_platform.moc"
