#include "test_support.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>

namespace {

QString accessibleText(QWidget *control, QAccessible::Text kind)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
    return face ? face->text(kind) : QStringLiteral("<no interface>");
}

} // namespace

class tst_Accessibility : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Hidden controls too: each view's controls must be named before it shows.
    void everyFocusableControlHasItsOwnName()
    {
        auto form = makeForm();
        QHash<QString, QWidget *> byName;
        for (QWidget *widget : form->findChildren<QWidget *>()) {
            if (!(widget->focusPolicy() & Qt::TabFocus))
                continue;
            const QString name = accessibleText(widget, QAccessible::Name);
            const QString where = QStringLiteral("%1 at %2, %3")
                                          .arg(widget->metaObject()->className())
                                          .arg(widget->x())
                                          .arg(widget->y());
            QVERIFY2(!name.trimmed().isEmpty(), qPrintable(where + " has no name"));
            QVERIFY2(!byName.contains(name), qPrintable(where + " shares its name: " + name));
            byName.insert(name, widget);
        }
        // 40 cells, 29 other controls, the error history and the animation's two among them.
        QCOMPARE(byName.size(), 69);
    }

    void namesSayWhatControlsAre_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::newRow("the first t cell") << "xv(0)"
                                          << "t, fila 1"
                                          << "";
        QTest::newRow("the first y cell") << "yv(0)"
                                          << "f(t), fila 1"
                                          << "";
        QTest::newRow("rows count from one") << "xv(19)"
                                             << "t, fila 20"
                                             << "";
        QTest::newRow("the last y cell") << "yv(19)"
                                         << "f(t), fila 20"
                                         << "";
        QTest::newRow("the box of a") << "Lval"
                                      << "a"
                                      << "";
        QTest::newRow("the box of t0") << "Tval"
                                       << "t0"
                                       << "";
        QTest::newRow("the scroll bar of c") << "CSCR"
                                             << "Barra de c"
                                             << "";
        QTest::newRow("a ticked box holds a fixed")
                << "Check1"
                << "Fijar parámetro a"
                << "Marcada, el parámetro a queda fijo durante el ajuste.";
        QTest::newRow("a ticked box holds t0 fixed")
                << "Check3"
                << "Fijar parámetro t0"
                << "Marcada, el parámetro t0 queda fijo durante el ajuste.";
        QTest::newRow("the derivative for a is named by its heading")
                << "Label6"
                << "Derivadas Parciales, respecto de a"
                << "";
        QTest::newRow("the derivative for t0") << "Label8"
                                               << "Derivadas Parciales, respecto de t0"
                                               << "";
        QTest::newRow("the step size") << "Text1"
                                       << "Paso"
                                       << "Tamaño del paso del descenso";
        QTest::newRow("the squared error") << "label9"
                                           << "Error Cuadrático"
                                           << "";
        QTest::newRow("the normalized error") << "label10"
                                              << "Error normalizado (%)"
                                              << "";
        QTest::newRow("the animation's button")
                << "animar"
                << "Animar el descenso"
                << "Da los pasos del descenso uno tras otro, a la velocidad elegida, hasta que "
                   "se pulsa otra vez, Esc o cualquier control del ajuste.";
        // Qt on Linux names a combo box by its current entry, whatever name it was given.
        QTest::newRow("the speed is named by the speed chosen")
                << "velocidad"
                << "100 pasos/s"
                << "Pasos por segundo de la animación.";
        QTest::newRow("the view button is read by its caption") << "Command5"
                                                                << "Gráfica"
                                                                << "";
    }

    void namesSayWhatControlsAre()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(QString, description);
        auto form = makeForm();
        QWidget *widget = ::control(*form, control);
        QCOMPARE(accessibleText(widget, QAccessible::Name), name);
        QCOMPARE(accessibleText(widget, QAccessible::Description), description);
    }

    void readoutsGiveTheirFigureAsValue()
    {
        auto form = makeForm();
        fillGrid(*form, {"0", "1"}, {"3", "4"});
        form->Command5_Click();
        const QString figure = form->Label7->text();
        QVERIFY(!figure.isEmpty());
        QCOMPARE(accessibleText(form->Label7, QAccessible::Name),
                 QStringLiteral("Derivadas Parciales, respecto de c"));
        QCOMPARE(accessibleText(form->Label7, QAccessible::Value), figure);
        QCOMPARE(accessibleText(form->label9, QAccessible::Value), form->label9->text());
    }

    // The figure is the readout's text whatever it shows; its name stays.
    void readoutsAreHeardAsShown_data()
    {
        QTest::addColumn<QString>("figure");
        QTest::newRow("a number") << "-12,836933680763819";
        QTest::newRow("no best fit is heard as a dash") << "—";
        QTest::newRow("an empty readout") << "";
    }

    void readoutsAreHeardAsShown()
    {
        QFETCH(QString, figure);
        auto form = makeForm();
        form->show();
        form->mejorA->setText(figure);
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(form->mejorA);
        QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Mejor ajuste, a"));
        QAccessibleTextInterface *text = face->textInterface();
        QVERIFY(text);
        QCOMPARE(text->characterCount(), figure.size());
        QCOMPARE(text->text(0, text->characterCount()), figure);
        // A magnifier finds each character where its rectangle says.
        for (int k = 0; k < figure.size(); ++k)
            QCOMPARE(text->offsetAtPoint(text->characterRect(k).center()), k);
    }
};

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
