#pragma once

#include "window/form1.h"

#include <QLine>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <variant>
#include <vector>

// The controls of Form1 as data: one row per control, and the window made from
// the rows by short loops (layout.cpp): the controls, the tab order, the names
// a screen reader says, the view blocks and the wiring of the events. A
// control is added by adding its row (and its member and handlers to Form1).

template <typename Control>
using Member = Control *Form1::*;

// A cell of the grid: row `row` of the column xv or yv.
struct GridCell
{
    ControlArray<TextBox, kRows> Form1::*column;
    int row;
};

// A line inside a picture box, from one end to the other in the box's own twips.
struct LineIn
{
    Member<LineShape> line;
    Member<PictureBox> box;
    QLine ends;
};

// What a control is, by the member that holds it.
using ControlMember
        = std::variant<Member<QLabel>, Member<Readout>, Member<QPushButton>, Member<TextBox>,
                       Member<CheckBox>, Member<HScrollBar>, Member<PictureBox>,
                       Member<HistoryPlot>, Member<QComboBox>, LineIn, GridCell>;

// The view groups, walked in each group's own order by start-up, the view
// switch and the recovery.
enum class ViewBlock {
    Both,         // shown in both views, never switched
    Chart1,       // chartBlock1: the chart, the fitting and the panel
    Grid,         // the cells of xv and yv, walked row by row by showGrid
    GridHeadings, // gridHeadings
    Chart2,       // chartBlock2: the parameter rows and the 0 under the chart
};

struct BlockPlace
{
    ViewBlock block{ViewBlock::Both};
    int order{0}; // its place in the order its block is walked, from 0
};

// An entry of the control's context menu, run as its handler.
struct MenuEntry
{
    QString text{};
    void (Form1::*handler)(){};
};

// "Copiar imagen" and "Guardar imagen…" in the control's menu: the file name
// proposed, without its extension, and what the picture is.
struct PictureOffer
{
    QString file{};
    Picture (Form1::*picture)() const {};
};

struct ControlRow
{
    ControlMember control{};   // the member it fills, and so its kind
    QString name{};            // its layout name, the objectName it is found by
    QString text{};            // caption, or the text a box starts with
    QStringList entries{};     // a choice's entries; `text` is the one chosen at start
    QRect place{};             // left, top, width and height in twips (a line: none)
    int tab{-1};               // tab index; -1: none
    double points{0};          // a font of its own: "MS Sans Serif", regular, this size
    Qt::Alignment alignment{}; // a label's; none: its kind's
    QString toolTip{};
    QString image{};  // a picture box's picture among the resources, by its name
    BarMapping bar{}; // a scroll bar's range
    // Raised above the controls made after it: a scroll bar overlaps the top of
    // its text box and stays visible above it.
    bool onTop{false};
    // What a screen reader says: the name, and where the name alone does not
    // tell what the control does, a description. A readout has no description;
    // buttons and the other labels are read by their captions.
    QString spokenName{};
    QString description{};
    BlockPlace block{};

    // Events and their handlers, each reached through Form1::despachar.
    // `handler`: Click of a button, a check box (after the box's own
    // stateChanged, which keeps its Value) or a picture box; Change of a
    // scroll bar.
    void (Form1::*handler)(){};
    void (Form1::*onKeyPress)(int16_t &keyAscii){};
    void (Form1::*onLostFocus)(){};
    // A grid cell's, with its row: the key, and rows in and out as text.
    void (Form1::*onCellKeyPress)(int row, int16_t &keyAscii){};
    void (Form1::*onPaste)(int row, TextBox *cell){};
    void (Form1::*onCopy)(){};
    void (Form1::*onUndo)(){};
    void (Form1::*onDropFile)(int row, TextBox *cell, const QString &file){};
    MenuEntry menu{};
    PictureOffer offer{};
    // Views depend on which parameters are held: they follow a change of a
    // hold box at once, while the descent reads it at its next evaluation.
    bool viewsFollow{false};
    // Ctrl+Z and the redo keys act in the window while one of the controls
    // that offer them is visible, that is in the chart view only; a box being
    // edited keeps them for its own text.
    bool undoKeys{false};
    bool leavesOnEscape{false}; // TextBox::leavesOnEscape
    // Its events change neither the fit nor the points, so a running descent
    // goes on through them (the panel's buttons; a menu entry, a copy, never
    // ends a run).
    bool runGoesOn{false};
};

// The rows in the order the controls are made: a later control lies above an
// earlier one, and a screen reader walks them in this order. The texts of
// numbers are written under the locale of the moment.
std::vector<ControlRow> controlTable();

// The control a row's member holds in `form`.
QWidget *controlOf(const Form1 &form, const ControlRow &row);
