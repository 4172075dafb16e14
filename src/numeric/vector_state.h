#pragma once

// Some library code (parts of the GUI toolkit and of the C library use AVX)
// can leave the upper halves of the vector registers in use. Until they are cleared, the
// scalar SSE arithmetic of the numeric loops runs next to the library's AVX
// exponential with a transition penalty: the descent was measured 2.3 times
// slower. One instruction before a loop clears it; it changes no value.
inline void clearUpperVectorState()
{
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx)
        __asm__ volatile("vzeroupper");
#endif
}
