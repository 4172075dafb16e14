#pragma once

#include <QRect>

// Layout and drawing are in twips: 15 twips are one pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

inline int twipsToPixels(int twips)
{
    // Round to nearest; only the chart's 4000-twip height does not divide exactly.
    return (twips * 2 + kTwipsPerPixel) / (2 * kTwipsPerPixel);
}

inline QRect twipRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}
