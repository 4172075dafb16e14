#pragma once

#include <QColor>

// The classic 16-colour palette, by index.
inline QColor qbColor(int index)
{
    static const QRgb colours[16] = {
            qRgb(0, 0, 0),       qRgb(0, 0, 128),   qRgb(0, 128, 0),   qRgb(0, 128, 128),
            qRgb(128, 0, 0),     qRgb(128, 0, 128), qRgb(128, 128, 0), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(0, 0, 255),   qRgb(0, 255, 0),   qRgb(0, 255, 255),
            qRgb(255, 0, 0),     qRgb(255, 0, 255), qRgb(255, 255, 0), qRgb(255, 255, 255),
    };
    return QColor(colours[index & 15]);
}

// The palette entries the program uses, by meaning.
enum PaletteIndex : int {
    Azul = 1,        // data points
    Rojo = 4,        // curve samples
    Magenta = 5,     // the error grew
    GrisClaro = 7,   // grid row not taken
    VerdeClaro = 10, // chart background
    Blanco = 15,     // grid row taken; the error did not grow
};
