#include "test_support.h"

#include "map/colour_key.h"

#include "platform/picture_export.h"
#include "platform/translation.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <QXmlStreamReader>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList gridTexts(const Form1 &form)
{
    QStringList texts;
    for (int k = 0; k < 20; ++k)
        texts << form.xv(k)->text() << form.yv(k)->text();
    return texts;
}

// The first rows' texts (t then f(t)), the rest of the grid empty.
QStringList gridOf(QStringList texts)
{
    while (texts.size() < 40)
        texts << QString();
    return texts;
}

void pasteInto(TextBox *cell, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(cell, Qt::Key_V, Qt::ControlModifier);
}

void undoIn(TextBox *cell)
{
    QTest::keyClick(cell, Qt::Key_Z, Qt::ControlModifier);
}

// What a file manager hands over: the file's address, dragged onto the cell
// (which takes it) and dropped there.
void dropOnto(TextBox *cell, const QString &path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(cell, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(4, 4), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(cell, &drop);
    QVERIFY(drop.isAccepted());
    // The file is read once the drop has ended.
    QCoreApplication::processEvents();
}

void choose(QWidget *control, const QString &entry)
{
    for (QAction *action : control->actions()) {
        if (action->text() == entry)
            return action->trigger();
    }
    QFAIL(qPrintable(control->objectName() + QStringLiteral(" has no entry ") + entry));
}

QStringList entriesHere()
{
    return QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// Plays the user in the dialog of "Guardar imagen…", with the keys a user
// presses: the type chosen in its list (0 PNG, 1 SVG), a name typed over the
// proposed one (none keeps it), Enter, and Yes or No to the dialog's question
// about a name that is taken. A No leaves the dialog open; the user cancels.
struct SaveDialogUser
{
    QString typed;
    int type = 0;
    bool replace = true;
    QString proposed;      // the name the dialog opened with
    QStringList questions; // the texts of the questions it asked

    SaveDialogUser()
    {
        saveDialogHook = [this](QFileDialog &dialog) { play(dialog); };
    }
    ~SaveDialogUser() { saveDialogHook = nullptr; }

    void play(QFileDialog &dialog)
    {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        proposed = dialog.selectedFiles().value(0);
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        QVERIFY(name && types);
        for (int k = 0; k < type; ++k)
            QTest::keyClick(types, Qt::Key_Down);
        if (!typed.isNull()) {
            name->selectAll();
            QTest::keyClicks(name, typed);
        }
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                questions << box->text();
                box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
            }
        });
        answer.start(10);
        QTest::keyClick(name, Qt::Key_Return);
        if (dialog.isVisible())
            dialog.reject();
    }
};

// What a folder entry is: "=text" for a file of text, ":PNG" or ":SVG" for a
// picture, "->target" for a link, "" for nothing.
QString entryKind(const QString &name)
{
    const QFileInfo info(name);
    if (info.isSymLink())
        return QStringLiteral("->") + info.symLinkTarget().section('/', -1);
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    if (bytes.startsWith("\x89PNG"))
        return QStringLiteral(":PNG");
    if (bytes.contains("<svg"))
        return QStringLiteral(":SVG");
    return '=' + QString::fromUtf8(bytes);
}

} // namespace

class tst_Transfer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void copyThenPasteRestoresGrid_data();
    void copyThenPasteRestoresGrid();
    void pasteIsOneUndoStep();
    void pastesWhatTheClipboardHolds_data();
    void pastesWhatTheClipboardHolds();
    void cellMenuPastesAndCopiesTable();
    void droppedFile_data();
    void droppedFile();
    void restoreIsOneUndoStep_data();
    void restoreIsOneUndoStep();
    void savedChartHoldsCurveAsPaths();
    void saveAsksAboutTheNameWritten_data();
    void saveAsksAboutTheNameWritten();
    void refusedSaveLeavesNoFile_data();
    void refusedSaveLeavesNoFile();
    void copiesPicturesAndFigures();

private:
    std::unique_ptr<QTemporaryDir> dir;
    QString previousDir;
};

void tst_Transfer::init()
{
    previousDir = QDir::currentPath();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    QVERIFY(QDir::setCurrent(dir->path()));
}

void tst_Transfer::cleanup()
{
    QDir::setCurrent(previousDir);
    dir.reset();
    saveDialogHook = nullptr;
    QLocale::setDefault(QLocale::c());
}

void tst_Transfer::copyThenPasteRestoresGrid_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("shape"); // a row each: x both cells, t or y that one alone, . none

    QTest::newRow("a full grid under es_ES") << kSpanish << QString(20, u'x');
    QTest::newRow("three rows under C") << QLocale::c() << "xxx";
    QTest::newRow("a row with only f(t), then one with only t") << kSpanish << "xyxtx";
    QTest::newRow("rows after a gap of two empty rows") << kSpanish << "xx..xxx";
    QTest::newRow("the first row empty, the last row only t")
            << QLocale::c() << "." + QString(18, u'x') + "t";
    QTest::newRow("a lone f(t) in the last row") << kSpanish << QString(19, u'.') + "y";
}

void tst_Transfer::copyThenPasteRestoresGrid()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, shape);

    // Awkward numbers as the program writes them: signs, decimals, exponents.
    auto from = makeForm(locale);
    QStringList t, y;
    for (int k = 0; k < shape.size(); ++k) {
        const QChar row = shape.at(k);
        t << (row == u'x' || row == u't' ? numberToText(-0.125 * k + 1e-7 * (k % 3)) : "");
        y << (row == u'x' || row == u'y' ? numberToText(k % 2 ? 2.5e300 / (k + 1) : k + 0.001)
                                         : "");
    }
    fillGrid(*from, t, y);
    QTest::keyClick(from->yv(5), Qt::Key_C, Qt::ControlModifier);
    QVERIFY(QGuiApplication::clipboard()->text().startsWith("t\tf(t)\n"));

    auto to = makeForm(locale);
    MessageRecorder messages;
    pasteInto(to->xv(0), QGuiApplication::clipboard()->text());
    QCOMPARE(gridTexts(*to), gridTexts(*from));
    QCOMPARE(messages.texts, QStringList{});

    // A selection is copied as a selection.
    const int k = int(t.lastIndexOf(QRegularExpression(".+")));
    if (k < 0)
        return;
    from->xv(k)->selectAll();
    QTest::keyClick(from->xv(k), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), t.at(k));
}

void tst_Transfer::pasteIsOneUndoStep()
{
    auto form = makeForm();
    fillGrid(*form, QStringList(20, "1"), QStringList(20, "2"));
    const QStringList before = gridTexts(*form);
    const QString rows = "t\tf(t)\n5\t6\n7\t8,50\n9\t10\n";

    MessageRecorder messages;
    pasteInto(form->yv(18), rows);
    QCOMPARE(gridTexts(*form).mid(36), (QStringList{"5", "6", "7", "8,5"}));
    QCOMPARE(gridTexts(*form).mid(0, 36), before.mid(0, 36));
    QCOMPARE(messages.texts,
             QStringList{"No se pegó 1 fila: no cabe en la tabla, que tiene 20 filas."});

    // Undone from any cell, as one step; a second undo has nothing left.
    undoIn(form->xv(0));
    QCOMPARE(gridTexts(*form), before);
    undoIn(form->xv(0));
    QCOMPARE(gridTexts(*form), before);

    // Typing over a pasted cell overtakes the paste: the cell's own undo
    // still works, the paste's no longer throws the typing away.
    pasteInto(form->xv(18), rows);
    QTest::keyClicks(form->xv(19), "1");
    undoIn(form->yv(18));
    QCOMPARE(form->xv(19)->text(), QString("71"));
    QCOMPARE(form->yv(18)->text(), QString("6"));
    undoIn(form->xv(19));
    QCOMPARE(form->xv(19)->text(), QString("7"));

    // One field is an ordinary paste into the cell, unchecked.
    messages.texts.clear();
    form->xv(3)->selectAll();
    pasteInto(form->xv(3), "abc\n");
    QCOMPARE(form->xv(3)->text(), QString("abc"));
    QCOMPARE(messages.texts, QStringList{});
}

void tst_Transfer::pastesWhatTheClipboardHolds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("html");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("grid"); // the first rows afterwards, the rest empty
    QTest::addColumn<QString>("message");

    const QStringList untouched{"9", "9"};
    const QString sheet = "<table><tr><th>t</th><th>f(t)</th><th></th></tr>"
                          "<tr><td>0,5</td><td>1</td><td></td></tr>"
                          "<tr><td> 2 </td><td>1,5E1</td><td></td></tr>"
                          "<tr><td></td><td></td><td></td></tr></table>";
    QTest::newRow("a spreadsheet's HTML table alone is read by its cells")
            << "" << sheet << 1 << QStringList{"9", "9", "0,5", "1", "2", "15"} << "";
    QTest::newRow("the plain text goes before the HTML")
            << "3\t4" << sheet << 0 << QStringList{"3", "4"} << "";
    QTest::newRow("a page's table after its text, with a heading row")
            << ""
            << "<p>Medidas</p><table><tr><td>t</td><td>y</td></tr><tr><td>1</td><td>2</td>"
               "</tr></table>"
            << 0 << QStringList{"1", "2"} << "";
    QTest::newRow("an empty cell of an HTML table is named")
            << ""
            << "<table><tr><td>1</td><td>2</td></tr><tr><td>3</td><td></td></tr></table>" << 0
            << untouched << "No se pudo pegar: el valor de f(t) de la línea 2 está vacío";
    QTest::newRow("HTML with no table is read as its text")
            << ""
            << "<p>1 2<br>3 4</p>" << 0 << QStringList{"1", "2", "3", "4"} << "";
    QTest::newRow("an empty clipboard")
            << ""
            << "" << 0 << untouched << "No se pudo pegar: el portapapeles no tiene texto";
}

// Ctrl+V in a cell, with the clipboard as another program leaves it.
void tst_Transfer::pastesWhatTheClipboardHolds()
{
    QFETCH(QString, text);
    QFETCH(QString, html);
    QFETCH(int, row);
    QFETCH(QStringList, grid);
    QFETCH(QString, message);

    auto form = makeForm();
    fillGrid(*form, {"9"}, {"9"});
    auto *mime = new QMimeData;
    if (!text.isEmpty())
        mime->setText(text);
    if (!html.isEmpty())
        mime->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(mime);
    MessageRecorder messages;
    QTest::keyClick(form->xv(row), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(gridTexts(*form), gridOf(grid));
    QCOMPARE(messages.texts, message.isEmpty() ? QStringList{} : QStringList{message});
}

void tst_Transfer::cellMenuPastesAndCopiesTable()
{
    auto form = makeForm();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QGuiApplication::clipboard()->setText("1 2\n3 4");
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(4, 4),
                            form->yv(0)->mapToGlobal(QPoint(4, 4)));
    QCoreApplication::sendEvent(form->yv(0), &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QStringList entries;
    for (const QAction *action : menu->actions())
        entries << action->text().section('\t', 0, 0);
    QCOMPARE(entries.last(), QString("Copiar tabla"));
    menu->actions().at(entries.indexOf("&Pegar"))->trigger();
    menu->close();
    QCOMPARE(gridTexts(*form), gridOf({"1", "2", "3", "4"}));

    choose(form->xv(7), "Copiar tabla");
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("t\tf(t)\n1\t2\n3\t4\n"));

    // A table that comes as HTML alone can be pasted from the menu as well.
    auto *html = new QMimeData;
    html->setHtml("<table><tr><td>5</td><td>6</td></tr></table>");
    QGuiApplication::clipboard()->setMimeData(html);
    QCoreApplication::sendEvent(form->xv(1), &event);
    menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction *paste = menu->actions().at(entries.indexOf("&Pegar"));
    QVERIFY(paste->isEnabled());
    paste->trigger();
    menu->close();
    QCOMPARE(gridTexts(*form), gridOf({"1", "2", "5", "6"}));
}

void tst_Transfer::droppedFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // "<fifo>": a named pipe
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("grid"); // the first rows afterwards, the rest empty
    QTest::addColumn<QString>("message");

    const QStringList untouched{"9", "9", "8", "8"};
    QTest::newRow("a .csv with a heading goes in from the row dropped on")
            << "medidas.csv" << QByteArray("t;f(t)\r\n0;1,5\r\n1;2\r\n") << 1
            << QStringList{"9", "9", "0", "1,5", "1", "2"} << "";
    QTest::newRow("a .tsv of full stops, saved as UTF-16")
            << "medidas.tsv"
            << QByteArray("\xff\xfe"
                          "0\0.\0"
                          "5\0\t\0"
                          "1\0",
                          12)
            << 0 << QStringList{"0,5", "1", "8", "8"} << "";
    QTest::newRow("datos.txt is restored as Recuperar restores it, unchecked")
            << "otra/datos.txt" << QByteArray(" 1 \r\n0,5\r\nabc\r\n") << 1
            << QStringList{"0,5", "abc"} << "";
    QTest::newRow("a bad field refuses the whole file")
            << "a.txt" << QByteArray("0\t1\nx\t2\n") << 0 << untouched
            << "No se pudo pegar: el valor de t de la línea 2 («x») no es un número";
    QTest::newRow("a named pipe is refused unopened")
            << "tuberia.txt" << QByteArray("<fifo>") << 0 << untouched
            << "No se pudo leer tuberia.txt: es una tubería con nombre (FIFO), no un archivo";
    QTest::newRow("a picture is no text")
            << "foto.png" << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << 0 << untouched
            << "No se pudo leer foto.png: no es un archivo de texto";
}

void tst_Transfer::droppedFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, row);
    QFETCH(QStringList, grid);
    QFETCH(QString, message);

    QDir().mkdir("otra");
    if (bytes == "<fifo>") {
        QCOMPARE(mkfifo(QFile::encodeName(name).constData(), 0644), 0);
    } else {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    auto form = makeForm();
    fillGrid(*form, {"9", "8"}, {"9", "8"});
    MessageRecorder messages;
    dropOnto(form->xv(row), dir->filePath(name));
    QCOMPARE(gridTexts(*form), gridOf(grid));
    QCOMPARE(messages.texts, message.isEmpty() ? QStringList{} : QStringList{message});
}

void tst_Transfer::restoreIsOneUndoStep_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("restored"); // the grid's first rows after the restore

    QTest::newRow("datos.txt dropped on row 15") << "drop" << QStringList{"1,50", "3", "2", "4"};
    QTest::newRow("Recuperar in the data view") << "button" << QStringList{"1,50", "3", "2", "4"};
    QTest::newRow("Recuperar in the chart view, whose capture rewrites the texts")
            << "chart" << QStringList{"1,5", "3", "2", "4"};
}

// Twelve pasted rows, then a restore of two points: Ctrl+Z in a cell puts the
// twelve back, and a second one undoes the paste. The points in use are the
// restored ones until "Gráfica" takes the cells.
void tst_Transfer::restoreIsOneUndoStep()
{
    QFETCH(QString, how);
    QFETCH(QStringList, restored);

    QFile file("datos.txt");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(" 2 \r\n1,50\r\n3\r\n2\r\n4\r\n");
    file.close();
    auto form = makeForm();
    QString rows;
    QStringList twelve;
    for (int k = 1; k <= 12; ++k) {
        rows += QStringLiteral("%1\t%2\n").arg(k).arg(2 * k);
        twelve << QString::number(k) << QString::number(2 * k);
    }
    MessageRecorder messages;
    pasteInto(form->xv(0), rows);
    QCOMPARE(gridTexts(*form), gridOf(twelve));

    if (how == "drop") {
        dropOnto(form->xv(14), dir->filePath("datos.txt"));
    } else if (how == "button") {
        form->Recuperar->click();
    } else {
        form->Command5_Click();
        QCOMPARE(form->n, int16_t(12));
        form->Recuperar->click();
        QVERIFY(!form->modoDatos);
        form->Command5_Click();
    }
    QCOMPARE(gridTexts(*form), gridOf(restored));
    QCOMPARE(form->n, int16_t(2));
    const double x0 = form->x(0);

    undoIn(form->yv(3));
    QCOMPARE(gridTexts(*form), gridOf(twelve));
    QCOMPARE(form->n, int16_t(2));
    QCOMPARE(form->x(0), x0);
    form->Command5_Click();
    QCOMPARE(form->n, int16_t(12));
    QCOMPARE(form->x(11), 12.0);
    form->Command5_Click();

    undoIn(form->xv(0));
    QCOMPARE(gridTexts(*form), gridOf({}));
    QCOMPARE(messages.texts, QStringList{});
}

void tst_Transfer::savedChartHoldsCurveAsPaths()
{
    auto form = chartView();
    SaveDialogUser user;
    user.typed = "grafica";
    // A name without a type is a PNG, at twice the size for print.
    choose(form->graf, "Guardar imagen…");
    QCOMPARE(QFileInfo(user.proposed).fileName(), QString("grafica.png"));
    QCOMPARE(QImage("grafica.png").size(), form->imagenGrafica().size * 2);

    const QString chosen = "grafica.svg";
    user.typed = chosen;
    choose(form->graf, "Guardar imagen…");
    QFile file(chosen);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader svg(&file);
    QStringList fills{"none"}; // the fill in force, by nesting
    QStringList texts;
    int curveDots = 0, pointDots = 0, images = 0;
    while (!svg.atEnd()) {
        svg.readNext();
        if (svg.isEndElement() && svg.name() == QLatin1String("g"))
            fills.removeLast();
        if (!svg.isStartElement())
            continue;
        const auto attributes = svg.attributes();
        const QString fill = attributes.hasAttribute("fill") ? attributes.value("fill").toString()
                                                             : fills.last();
        const int marks = int(attributes.value("d").count(u'M'));
        if (svg.name() == QLatin1String("g"))
            fills << fill;
        images += svg.name() == QLatin1String("image") ? 1 : 0;
        curveDots += svg.name() == QLatin1String("path") && fill == "#800000" ? marks : 0;
        pointDots += svg.name() == QLatin1String("path") && fill == "#000080" ? marks : 0;
        if (svg.name() == QLatin1String("text"))
            texts << svg.readElementText();
    }
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
    QCOMPARE(images, 0);
    // Every one of the 161 samples lies in the box under the start values.
    QCOMPARE(curveDots, 161);
    QCOMPARE(pointDots, 2);
    texts.sort();
    QCOMPARE(texts, (QStringList{"-5", "0", "0", "10", "15"}));
}

void tst_Transfer::saveAsksAboutTheNameWritten_data()
{
    QTest::addColumn<QStringList>("before"); // "name=text" or "name->target"
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("type"); // 0 PNG, 1 SVG
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QStringList>("after"); // "name" then what entryKind says of it
    QTest::addColumn<QString>("message");

    const QString gAsked = "El fichero g.png ya existe.\n¿Desea reemplazarlo?";
    QTest::newRow("g over a g.png asks about g.png, and Yes replaces it")
            << QStringList{"g.png=viejo"} << "g" << 0 << true << QStringList{gAsked}
            << QStringList{"g.png:PNG"} << "";
    QTest::newRow("and No leaves g.png as it was")
            << QStringList{"g.png=viejo"} << "g" << 0 << false << QStringList{gAsked}
            << QStringList{"g.png=viejo"} << "";
    QTest::newRow("g as SVG asks about g.svg and leaves g.png alone")
            << QStringList{"g.png=viejo", "g.svg=viejo"} << "g" << 1 << true
            << QStringList{"El fichero g.svg ya existe.\n¿Desea reemplazarlo?"}
            << QStringList{"g.png=viejo", "g.svg:SVG"} << "";
    QTest::newRow("a name with another extension keeps it and takes the type")
            << QStringList{} << "dibujo.v2" << 1 << true << QStringList{}
            << QStringList{"dibujo.v2:SVG"} << "";
    QTest::newRow("a link n.png is replaced itself, and the notes it led to stay")
            << QStringList{"notas.txt=mis notas", "n.png->notas.txt"} << "n" << 0 << true
            << QStringList{"El fichero n.png ya existe.\n¿Desea reemplazarlo?"}
            << QStringList{"n.png:PNG", "notas.txt=mis notas"} << "";
    QTest::newRow("a link that leads nowhere is not asked about, so it stays")
            << QStringList{"n.png->nada.txt"} << "n" << 0 << true << QStringList{}
            << QStringList{"n.png->nada.txt", "nada.txt"}
            << "No se pudo guardar la imagen: no se puede crear el archivo «%1/n.png» (ya existe)";
}

// The dialog in Spanish, as the program loads it under a Spanish locale.
void tst_Transfer::saveAsksAboutTheNameWritten()
{
    QFETCH(QStringList, before);
    QFETCH(QString, typed);
    QFETCH(int, type);
    QFETCH(bool, replace);
    QFETCH(QStringList, questions);
    QFETCH(QStringList, after);
    QFETCH(QString, message);

    for (const QString &entry : before) {
        if (entry.contains("->")) {
            QVERIFY(QFile::link(entry.section("->", 1), entry.section("->", 0, 0)));
        } else {
            QFile file(entry.section('=', 0, 0));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(entry.section('=', 1).toUtf8());
        }
    }
    QVERIFY(!installQtTranslation(QLocale(QLocale::English)));
    std::unique_ptr<QTranslator> spanish(installQtTranslation(kSpanish));
    QVERIFY(spanish);
    auto form = chartView();
    MessageRecorder messages;
    SaveDialogUser user;
    user.typed = typed;
    user.type = type;
    user.replace = replace;
    choose(form->graf, "Guardar imagen…");

    QCOMPARE(user.questions, questions);
    for (const QString &entry : after) {
        const QString name = entry.section(QRegularExpression("[=:]|->"), 0, 0);
        QCOMPARE(name + entryKind(name), entry);
    }
    QCOMPARE(messages.texts,
             message.isEmpty() ? QStringList{} : QStringList{message.arg(dir->path())});
}

void tst_Transfer::refusedSaveLeavesNoFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("old"); // what the name held before, if anything
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<QByteArray>("disk"); // the variable naming a disk to save on
    QTest::addColumn<QString>("reason");  // %1 the folder saved in

    const QString tooLarge = "no se puede escribir el archivo «%1/%2» (el archivo supera el "
                             "tamaño permitido)";
    QTest::newRow("a full disk leaves nothing")
            << "grafica.png" << QByteArray() << true << QByteArray()
            << tooLarge.arg("%1", "grafica.png");
    QTest::newRow("a full disk leaves the old file whole")
            << "grafica.svg" << QByteArray("<svg/>") << true << QByteArray()
            << tooLarge.arg("%1", "grafica.svg");
    QTest::newRow("a folder that does not exist")
            << "nada/grafica.svg" << QByteArray() << false << QByteArray()
            << "no se puede crear el archivo «%1/nada/grafica.svg» (la carpeta no existe)";
    QTest::newRow("a folder without write permission")
            << "cerrada/grafica.png" << QByteArray() << false << QByteArray()
            << "no se puede crear el archivo «%1/cerrada/grafica.png» (permiso denegado)";
    QTest::newRow("sysfs, where no one may make a file")
            << "/sys/grafica.png" << QByteArray() << false << QByteArray()
            << "no se puede crear el archivo «/sys/grafica.png» (permiso denegado)";
    QTest::newRow("a disk with no space left leaves the old file whole")
            << "grafica.png" << QByteArray("viejo") << false << QByteArray("AJUSTE_FULL_DISK")
            << "no se puede escribir el archivo «%1/grafica.png» (no queda espacio en el "
               "dispositivo)";
    QTest::newRow("a read-only disk")
            << "grafica.png" << QByteArray() << false << QByteArray("AJUSTE_READONLY_DISK")
            << "no se puede crear el archivo «%1/grafica.png» (sistema de archivos de solo "
               "lectura)";
}

void tst_Transfer::refusedSaveLeavesNoFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, old);
    QFETCH(bool, diskFull);
    QFETCH(QByteArray, disk);
    QFETCH(QString, reason);

    // The small disks are mounted by small_disks.sh, which names them.
    std::unique_ptr<QTemporaryDir> onDisk;
    if (!disk.isEmpty()) {
        const QString mounted = qEnvironmentVariable(disk.constData());
        if (mounted.isEmpty())
            QSKIP("needs the small disks that small_disks.sh mounts");
        onDisk = std::make_unique<QTemporaryDir>(mounted + "/XXXXXX");
        QVERIFY(QDir::setCurrent(onDisk->isValid() ? onDisk->path() : mounted));
    }
    if (name.startsWith("cerrada/")) {
        if (geteuid() == 0)
            QSKIP("permissions do not stop root");
        QVERIFY(QDir().mkdir("cerrada"));
        QVERIFY(QFile::setPermissions("cerrada", QFile::ReadOwner | QFile::ExeOwner));
    }
    if (!old.isEmpty()) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    }
    const QStringList before = entriesHere();
    auto form = chartView();
    MessageRecorder messages;
    SaveDialogUser user;
    user.typed = name;

    // A file size limit stops the write part-way whoever runs the test; the
    // signal it raises is ignored so the write just reports the error.
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = diskFull ? 64 : saved.rlim_cur;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    choose(form->graf, "Guardar imagen…");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(messages.texts.size(), 1);
    QVERIFY2(messages.texts.first().startsWith("No se pudo guardar la imagen: "),
             qPrintable(messages.texts.first()));
    QCOMPARE(messages.texts.first().section(": ", 1),
             reason.contains("%1") ? reason.arg(QDir::currentPath()) : reason);
    QCOMPARE(entriesHere(), before);
    if (!old.isEmpty()) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
    }
}

void tst_Transfer::copiesPicturesAndFigures()
{
    auto form = chartView(); // the points (0; 2,5) and (1; 2)
    choose(form->graf, "Copiar imagen");
    const QByteArray png = QGuiApplication::clipboard()->mimeData()->data("image/png");
    QCOMPARE(QImage::fromData(png).size(), form->imagenGrafica().size);

    // The error map comes out with its colour key beside it.
    form->verMapa->click();
    auto *plano = control(*form, "plano");
    auto *escala = control<ColourKey>(*form, "escala");
    choose(plano, "Copiar imagen");
    const QImage mapa
            = QImage::fromData(QGuiApplication::clipboard()->mimeData()->data("image/png"));
    QCOMPARE(mapa.width(), plano->width() + escala->width());
    const QPoint bar = escala->barArea().center();
    QCOMPARE(mapa.pixelColor(plano->width() + bar.x(), bar.y()),
             escala->grab().toImage().pixelColor(bar));

    choose(form->Label6, "Copiar resultados");
    const QStringList lines = QGuiApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
    QStringList names, values;
    for (const QString &line : lines)
        names << line.section('\t', 0, 0), values << line.section('\t', 1);
    QCOMPARE(names,
             (QStringList{"a", "c", "t0", "Paso", "Error Cuadrático", "Error normalizado (%)",
                          "dE/da", "dE/dc", "dE/dt0"}));
    QCOMPARE(values.mid(0, 4), (QStringList{"5", "1", "0", "0,001"}));
    // f(0) = 2.5 fits the first point; the second is off by r = f(1) - 2.
    const double f1 = 5 / (1 + std::exp(-1.0));
    const double r = f1 - 2;
    QCOMPARE_NEAR(textToNumber(values.at(4)), r * r);
    QCOMPARE_NEAR(textToNumber(values.at(5)), std::sqrt(r * r / 2) / 2.25 * 100);
    QCOMPARE_NEAR(textToNumber(values.at(6)), 2 * r * f1 / 5);
}

QTEST_MAIN(tst_Transfer)
#include "tst_transfer.moc"
