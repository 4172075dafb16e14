#include "test_support.h"
#include "window/control_table.h"

#include <QEvent>

#include <algorithm>
#include <numeric>

namespace {

// The controls of the window itself: its children, and the named children of
// those (the line in the chart), but neither Qt's own parts of a control
// (named qt_…) nor the windows it opens.
QList<QWidget *> controlsOf(Form1 &form)
{
    QList<QWidget *> controls;
    for (QWidget *widget : form.findChildren<QWidget *>()) {
        const QString name = widget->objectName();
        if (widget->window() == &form && !name.startsWith(QStringLiteral("qt_"))
            && (widget->parentWidget() == &form || !name.isEmpty()))
            controls << widget;
    }
    return controls;
}

// Records, in order, each control that is shown or hidden by the program.
struct VisibilityLog : QObject
{
    QStringList changes;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
            changes << watched->objectName();
        return false;
    }
};

} // namespace

class tst_ControlTable : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // No control is made at run time: in every state the window's controls
    // and the table's rows are the same, one to one.
    void everyControlHasOneRow_data()
    {
        QTest::addColumn<bool>("fitted");
        QTest::addColumn<bool>("windowsOpened");
        QTest::newRow("a fresh window in the data view") << false << false;
        QTest::newRow("the chart view after a fit with the best fit shown") << true << false;
        QTest::newRow("the data view again once the map and the report have opened")
                << true << true;
    }

    void everyControlHasOneRow()
    {
        QFETCH(bool, fitted);
        QFETCH(bool, windowsOpened);
        MessageRecorder messages;
        auto form = fitted ? chartView({"0", "1", "2", "3"}, {"1", "2", "4", "5"}) : makeForm();
        if (fitted) {
            form->paso4->click();
            form->verMejor->click();
        }
        if (windowsOpened) {
            form->verMapa->click();
            form->verInforme->click();
            form->Command5->click();
        }

        const std::vector<ControlRow> rows = controlTable();
        const QList<QWidget *> controls = controlsOf(*form);
        for (QWidget *control : controls) {
            const auto rowsOfControl
                    = std::count_if(rows.begin(), rows.end(), [&](const auto &row) {
                          return controlOf(*form, row) == control
                                  && row.name == control->objectName();
                      });
            QVERIFY2(rowsOfControl == 1,
                     qPrintable(
                             QStringLiteral("%1 \"%2\" at %3, %4 has %5 rows")
                                     .arg(control->metaObject()->className(), control->objectName())
                                     .arg(control->x())
                                     .arg(control->y())
                                     .arg(rowsOfControl)));
        }
        // Each row's member holds a control of its own.
        QSet<QWidget *> held;
        for (const ControlRow &row : rows) {
            QWidget *control = controlOf(*form, row);
            QVERIFY2(controls.contains(control), qPrintable(row.name));
            held.insert(control);
        }
        QCOMPARE(held.size(), qsizetype(rows.size()));
        QCOMPARE(controls.size(), qsizetype(rows.size()));
        QCOMPARE(messages.texts, QStringList());
    }

    // The tab indices run from 0 with none used twice and none left out.
    void tabStopsAreEachUsedOnce()
    {
        QLocale::setDefault(kSpanish);
        QList<int> tabs;
        for (const ControlRow &row : controlTable())
            if (row.tab >= 0)
                tabs << row.tab;
        std::sort(tabs.begin(), tabs.end());
        QList<int> each(tabs.size());
        std::iota(each.begin(), each.end(), 0);
        QCOMPARE(tabs, each);
    }

    // The view switch walks each group of controls in its own order: the
    // first chart block (with the panel), the grid row by row, its headings,
    // the second chart block.
    void viewSwitchWalksEachGroupInItsOrder_data()
    {
        QTest::addColumn<bool>("backToTheGrid");
        QTest::newRow("\"Gráfica\" from the data view") << false;
        QTest::newRow("\"Tabla\" from the chart view") << true;
    }

    void viewSwitchWalksEachGroupInItsOrder()
    {
        QFETCH(bool, backToTheGrid);
        QStringList expected{"inicio",
                             "Final",
                             "Minimo",
                             "maximo",
                             "graf",
                             "paso",
                             "paso3",
                             "paso4",
                             "Label1",
                             "Label2",
                             "Label3",
                             "Label4",
                             "Label5",
                             "Label6",
                             "Label7",
                             "Label8",
                             "label9",
                             "label10",
                             "Text1",
                             "tituloHistorial",
                             "historial",
                             "verMejor",
                             "rotuloMejorA",
                             "mejorA",
                             "rotuloMejorC",
                             "mejorC",
                             "rotuloMejorT0",
                             "mejorT0",
                             "rotuloMejorError",
                             "mejorError",
                             "rotuloPasoMaximo",
                             "pasoMaximo",
                             "verMapa",
                             "verInforme",
                             "animar",
                             "velocidad"};
        for (int k = 0; k < kRows; ++k)
            expected << QStringLiteral("xv(%1)").arg(k) << QStringLiteral("yv(%1)").arg(k);
        expected << "Label11"
                 << "Label12"
                 << "Label14"
                 << "Check1"
                 << "Check2"
                 << "Check3"
                 << "LSCR"
                 << "Lval"
                 << "CSCR"
                 << "Cval"
                 << "TSCR"
                 << "Tval"
                 << "Para"
                 << "Picture1"
                 << "Picture2"
                 << "Picture3";

        auto form = chartView();
        if (!backToTheGrid)
            form->Command5_Click(); // back to the data view, to go to the chart from there
        VisibilityLog log;
        for (QWidget *control : controlsOf(*form))
            control->installEventFilter(&log);
        form->Command5_Click();
        QCOMPARE(form->modoDatos, backToTheGrid);
        QCOMPARE(log.changes, expected);
    }
};

QTEST_MAIN(tst_ControlTable)
#include "tst_control_table.moc"
