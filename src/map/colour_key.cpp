#include "map/colour_key.h"

#include "platform/number_text.h"
#include "platform/plot_axis.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Eleven evenly spaced colours of the viridis scale, joined by straight lines
// in RGB: close enough to the full table that no step shows.
constexpr QRgb kAnchors[] = {0x440154, 0x482576, 0x414487, 0x35608d, 0x2a788e, 0x21908c,
                             0x22a884, 0x43bf71, 0x7ad151, 0xbbdf27, 0xfde725};
constexpr int kSteps = int(std::size(kAnchors)) - 1;

constexpr int kBarWidth = 16; // pixels

} // namespace

QRgb mapColour(double share)
{
    const double at = std::clamp(std::isnan(share) ? 0.0 : share, 0.0, 1.0) * kSteps;
    const int k = std::min(int(at), kSteps - 1);
    const double w = at - k;
    auto mix = [w](int from, int to) { return int(std::lround(from + w * (to - from))); };
    const QRgb l = kAnchors[k], r = kAnchors[k + 1];
    return qRgb(mix(qRed(l), qRed(r)), mix(qGreen(l), qGreen(r)), mix(qBlue(l), qBlue(r)));
}

ColourKey::ColourKey(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void ColourKey::setDecades(int lowDecade, int highDecade)
{
    if (lowDecade == low && highDecade == high)
        return;
    low = lowDecade;
    high = std::max(highDecade, lowDecade + 1);
    update();
}

void ColourKey::setContent(KeyContent content)
{
    if (content == contenido)
        return;
    contenido = content;
    update();
}

// Room for the longest label the scale can write ("1E-100") and for the
// grey swatch's word.
QSize ColourKey::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const int labels = std::max(metrics.horizontalAdvance(QStringLiteral("1E-100")),
                                metrics.horizontalAdvance(QStringLiteral("sin valor")));
    return {8 + kBarWidth + kTickLength + 4 + labels + 6, 200};
}

QSize ColourKey::minimumSizeHint() const
{
    return {sizeHint().width(), 120};
}

// The bar leaves room above for the title and its top label, and below for
// its bottom label and the grey swatch.
QRect ColourKey::barArea() const
{
    const int text = fontMetrics().height();
    return QRect(8, 2 * text, kBarWidth, std::max(10, height() - 5 * text));
}

void ColourKey::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect bar = barArea();
    const QFontMetrics metrics = fontMetrics();
    const int text = metrics.height();
    const AxisLook beside{Qt::RightEdge, bar.right(), 1, kTickLength, kTickLength + 4, rect()};
    painter.setPen(palette().color(QPalette::WindowText));
    drawAxisName(painter, beside, bar, QStringLiteral("E"), metrics);

    // One row of colour per device pixel, so the bar is as smooth as the screen.
    const qreal ratio = devicePixelRatioF();
    const int rows = std::max(1, int(std::lround(bar.height() * ratio)));
    QImage scale(1, rows, QImage::Format_RGB32);
    const QRgb flat = contenido == KeyContent::zero ? mapColour(0.0) : kNoValueColour;
    for (int row = 0; row < rows; ++row)
        scale.setPixel(0, row,
                       contenido == KeyContent::decades ? mapColour(1.0 - (row + 0.5) / rows)
                                                        : flat);
    painter.drawImage(QRectF(bar), scale);
    painter.drawRect(bar.adjusted(0, 0, -1, -1));

    if (contenido == KeyContent::zero)
        drawAxis(painter, beside, {{double(bar.bottom()), numberToText(0)}}, metrics);
    if (contenido == KeyContent::decades) {
        const AxisScale scale = AxisScale::logarithmic({low, high}, bar.bottom(), bar.top());
        const int every = labelEvery(high - low, bar.height(), text + 2);
        drawAxis(painter, beside, scale.decadeTicks(every), metrics);
    }

    const QRect swatch(bar.left(), bar.bottom() + text + 6, kBarWidth, text - 2);
    painter.fillRect(swatch, QColor(kNoValueColour));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    painter.drawText(QRect(swatch.right() + kTickLength + 4, swatch.top() - 1, width(), text),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("sin valor"));
}
