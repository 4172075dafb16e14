#pragma once

#include "window/undo.h"

#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>
#include <memory>

// The pace of a run of "Animar": how many steps of the descent are due at each
// frame. The steps due are the speed times the time since the run began, less
// the steps already taken; a change of speed counts again from that moment,
// so a slower speed does not wait for the steps a faster one took. Times are
// in nanoseconds of a monotonic clock. Plain arithmetic: the tests drive it
// with times of their own.
class RitmoDescenso
{
public:
    static constexpr int kFotogramasPorSegundo = 60;
    // A frame takes at most this many frames' worth of steps: a machine that
    // stalled for a while goes on at the chosen speed instead of catching up
    // with every step it missed in one long frame.
    static constexpr int kFotogramasDeRetraso = 3;

    void empezar(int pasosPorSegundo, std::int64_t ahora);
    // The steps due at `ahora` at the speed of now, counted as taken.
    int debidos(int pasosPorSegundo, std::int64_t ahora);
    // The most steps one frame takes at a speed: 500 at 10000 a second.
    static int tope(int pasosPorSegundo);
    // Milliseconds between frames: a frame per step below 60 steps a second,
    // otherwise 60 frames a second (17 ms, never more than 60).
    static int intervalo(int pasosPorSegundo);

private:
    int velocidad{1};
    std::int64_t origen{0};  // when the counting began: the start, a change of speed, a stall
    std::int64_t tomados{0}; // steps counted since `origen`
};

// What a run keeps while it goes: its timer and clock, the step size fixed at
// its start, and the state before it, which undo puts back.
struct Animacion
{
    QTimer temporizador; // runs only during a run
    QElapsedTimer reloj;
    RitmoDescenso ritmo;
    double paso{0.0};
    std::shared_ptr<const Instantanea> antes;
    int desbordamientos{0};  // the window's recoveries when it began
    std::int64_t anuncio{0}; // when the readouts were last told to a screen reader, ns
    bool activa{false};
};

// The speeds of the choice "velocidad", in steps a second, in its order.
inline constexpr int kVelocidades[] = {1, 10, 100, 1000, 10000};
inline constexpr int kVelocidadInicial = 2; // 100 steps a second
