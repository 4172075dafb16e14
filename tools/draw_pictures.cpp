// Generates the picture resources of ajuste:
//   src/resources/funcion.svg  the fitted model, typeset as a fraction
//   src/resources/a.svg, c.svg, t0.svg  the parameter symbols
//   src/resources/*.bmp        the same four pictures at one pixel per unit
//   src/resources/ajuste.png   the application icon, rendered from ajuste.svg
//
// The SVG files hold the glyph outlines as plain paths in pixel units, so the
// program draws them at any device pixel ratio without needing the fonts.
// The bitmaps hold only pure black on pure white: every pixel is set black or
// white from how much of it the outlines cover, at a large multiple of the
// final size.  The program rasterises the SVG files the same way
// (platform/picture_box.cpp), and a test checks that at ratio 1 it gives
// exactly these bitmaps.
//
// Usage (from the repository root): draw_pictures [repository-root]

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Each final pixel is computed from an Oversample x Oversample block.
constexpr int Oversample = 8;
// Share of a pixel that must be covered for it to become black.  Slightly
// under one half keeps thin serif strokes from breaking up.
constexpr double InkThreshold = 0.42;

QString serifFamily;
QString serifItalicFamily;

// Loads the serif faces from the font files when they are present, so the
// result does not depend on which fonts the platform plugin happens to list.
void loadFonts()
{
    const char *upright[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"};
    const char *italic[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSerif-Italic.ttf"};
    serifFamily = serifItalicFamily = QStringLiteral("DejaVu Serif");
    for (const char *file : upright) {
        int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        if (id >= 0)
            serifFamily = QFontDatabase::applicationFontFamilies(id).value(0, serifFamily);
    }
    for (const char *file : italic) {
        int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
        if (id >= 0)
            serifItalicFamily
                    = QFontDatabase::applicationFontFamilies(id).value(0, serifItalicFamily);
    }
}

// Font sizes are given in em units relative to this reference pixel size;
// outlines are scaled to their final size afterwards.
constexpr int ReferencePixels = 200;

QFont serifFont(bool italic)
{
    QFont font(italic ? serifItalicFamily : serifFamily);
    font.setPixelSize(ReferencePixels);
    font.setItalic(italic);
    font.setKerning(true);
    return font;
}

// One run of text on a line: its font style, size relative to the main text,
// vertical shift of its baseline (positive is up, in main-text em) and the
// space left before it (in main-text em).
struct Run
{
    QString text;
    bool italic;
    double size;
    double rise;
    double spaceBefore;
};

// Lays the runs out one after another and returns their outlines, with the
// main baseline at y = 0 and one em equal to 1 unit.
QPainterPath typeset(const std::vector<Run> &runs)
{
    QPainterPath line;
    double x = 0.0;
    for (const Run &run : runs) {
        QFont font = serifFont(run.italic);
        QFontMetricsF metrics(font);
        QPainterPath glyphs;
        glyphs.addText(0.0, 0.0, font, run.text);
        const double scale = run.size / ReferencePixels;
        x += run.spaceBefore;
        QTransform place;
        place.translate(x, -run.rise);
        place.scale(scale, scale);
        line.addPath(place.map(glyphs));
        x += metrics.horizontalAdvance(run.text) * scale;
    }
    return line;
}

// A drawing in final-pixel coordinates: outlines plus solid rectangles.
struct Drawing
{
    std::vector<QPainterPath> paths;
    std::vector<QRectF> bars;
};

// Renders the drawing oversampled and reduces it to black and white.
QImage rasterise(const Drawing &drawing, int width, int height)
{
    QImage big(width * Oversample, height * Oversample, QImage::Format_Grayscale8);
    big.fill(255);
    {
        QPainter painter(&big);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.scale(Oversample, Oversample);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        for (const QPainterPath &path : drawing.paths)
            painter.drawPath(path);
        for (const QRectF &bar : drawing.bars)
            painter.drawRect(bar);
    }

    QImage out(width, height, QImage::Format_RGB888);
    const int cellArea = Oversample * Oversample;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int inked = 0;
            for (int sy = 0; sy < Oversample; ++sy) {
                const uchar *row = big.constScanLine(y * Oversample + sy) + x * Oversample;
                for (int sx = 0; sx < Oversample; ++sx)
                    inked += row[sx] < 128 ? 1 : 0;
            }
            const bool black = inked >= InkThreshold * cellArea;
            out.setPixelColor(x, y, black ? QColor(0, 0, 0) : QColor(255, 255, 255));
        }
    }
    return out;
}

bool saveBmp(const QImage &image, const QString &file)
{
    if (!image.save(file, "BMP")) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        return false;
    }
    std::printf("wrote %s (%dx%d)\n", qPrintable(file), image.width(), image.height());
    return true;
}

QString svgNumber(double value)
{
    return QString::number(value, 'g', 17);
}

// The outlines as SVG path data, in the drawing's pixel units.
QString svgPathData(const QPainterPath &path)
{
    QString data;
    for (int k = 0; k < path.elementCount(); ++k) {
        const QPainterPath::Element e = path.elementAt(k);
        const QString point = svgNumber(e.x) + u' ' + svgNumber(e.y);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            data += u'M' + point;
            break;
        case QPainterPath::LineToElement:
            data += u'L' + point;
            break;
        case QPainterPath::CurveToElement:
            data += u'C' + point;
            break;
        case QPainterPath::CurveToDataElement:
            data += u' ' + point;
            break;
        }
    }
    return data;
}

bool saveSvg(const Drawing &drawing, int width, int height, const QString &file)
{
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        return false;
    }
    QTextStream svg(&out);
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<!-- Generated by tools/draw_pictures.cpp: black outlines on white, in pixels. -->\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" << width
        << "\" height=\"" << height << "\" viewBox=\"0 0 " << width << ' ' << height << "\">\n"
        << "  <rect width=\"" << width << "\" height=\"" << height << "\" fill=\"#ffffff\"/>\n";
    for (const QPainterPath &path : drawing.paths) {
        const char *rule = path.fillRule() == Qt::WindingFill ? "nonzero" : "evenodd";
        svg << "  <path fill=\"#000000\" fill-rule=\"" << rule << "\" d=\"" << svgPathData(path)
            << "\"/>\n";
    }
    for (const QRectF &bar : drawing.bars)
        svg << "  <rect fill=\"#000000\" x=\"" << svgNumber(bar.x()) << "\" y=\""
            << svgNumber(bar.y()) << "\" width=\"" << svgNumber(bar.width()) << "\" height=\""
            << svgNumber(bar.height()) << "\"/>\n";
    svg << "</svg>\n";
    svg.flush();
    if (out.error() != QFileDevice::NoError)
        return false;
    std::printf("wrote %s\n", qPrintable(file));
    return true;
}

// Writes a picture both ways: the SVG the program draws from and the bitmap
// that the program's drawing at ratio 1 must match.
bool savePicture(const Drawing &drawing, int width, int height, const QString &dir,
                 const QString &name)
{
    const bool bmp
            = saveBmp(rasterise(drawing, width, height), dir + name + QStringLiteral(".bmp"));
    return saveSvg(drawing, width, height, dir + name + QStringLiteral(".svg")) && bmp;
}

// Moves a path so that its ink is centred in a width x height picture.
QPainterPath centred(const QPainterPath &path, double scale, int width, int height)
{
    QTransform shrink;
    shrink.scale(scale, scale);
    QPainterPath scaled = shrink.map(path);
    const QRectF ink = scaled.boundingRect();
    return scaled.translated(width / 2.0 - ink.center().x(), height / 2.0 - ink.center().y());
}

// Symbol pictures: one symbol per picture, as large as its picture allows,
// except that a and c are drawn at one common size: both are x-height
// letters, and shown side by side a visibly larger a would look wrong.
bool drawSymbols(const QString &dir)
{
    struct Symbol
    {
        const char *name;
        int width;
        int height;
        QPainterPath outline;
        int sizeGroup;
    };
    std::vector<Symbol> symbols = {
            {"a", 31, 36, typeset({{"a", true, 1.0, 0.0, 0.0}}), 0},
            {"c", 31, 29, typeset({{"c", true, 1.0, 0.0, 0.0}}), 0},
            {"t0", 37, 35, typeset({{"t", true, 1.0, 0.0, 0.0}, {"0", false, 0.58, -0.18, 0.0}}),
             1},
    };

    const double margin = 2.0;
    double groupScale[2] = {1e9, 1e9};
    for (const Symbol &s : symbols) {
        const QRectF ink = s.outline.boundingRect();
        double &scale = groupScale[s.sizeGroup];
        scale = std::min(scale, (s.width - 2 * margin) / ink.width());
        scale = std::min(scale, (s.height - 2 * margin) / ink.height());
    }

    bool ok = true;
    for (const Symbol &s : symbols) {
        Drawing d;
        d.paths.push_back(centred(s.outline, groupScale[s.sizeGroup], s.width, s.height));
        ok = savePicture(d, s.width, s.height, dir, QLatin1String(s.name)) && ok;
    }
    return ok;
}

// The model  a / (1 + e^(-c(t - t0)))  as a built-up fraction.  The bitmap
// is wider than its box (2295 twips, 153 pixels, whose last column is the
// frame), so the formula is fitted and centred within the box's width and the
// bitmap's last columns stay white.
bool drawFormula(const QString &dir)
{
    const int width = 160;
    const int height = 89;
    const int boxWidth = 153;

    const QString minus = QString(QChar(0x2212));
    const double sup = 0.70;     // exponent size
    const double supRise = 0.42; // exponent baseline above the main baseline
    const double subSize = 0.50; // size of the 0 below the exponent's t
    const double subRise = supRise - 0.12;
    const double opSpace = 0.16; // space around + in the main line
    const double supOpSpace = 0.10;

    QPainterPath numerator = typeset({{"a", true, 1.0, 0.0, 0.0}});
    QPainterPath denominator = typeset({
            {"1", false, 1.0, 0.0, 0.0},
            {"+", false, 1.0, 0.0, opSpace},
            {"e", true, 1.0, 0.0, opSpace},
            {minus, false, sup, supRise, 0.02},
            {"c", true, sup, supRise, 0.0},
            {"(", false, sup, supRise, 0.0},
            {"t", true, sup, supRise, 0.02},
            {minus, false, sup, supRise, supOpSpace},
            {"t", true, sup, supRise, supOpSpace},
            {"0", false, subSize, subRise, 0.0},
            {")", false, sup, supRise, 0.02},
    });

    // Vertical layout in em: gap between the bar and the ink on either side.
    const double gap = 0.16;
    const double barPixels = 2.0;
    const double sideMargin = 4.0; // pixels left free beside the bar
    const double textMargin = 5.0; // pixels left free beside the denominator
    const double verticalMargin = 3.0;

    const QRectF numInk = numerator.boundingRect();
    const QRectF denInk = denominator.boundingRect();
    const double scaleByWidth = (boxWidth - 2 * textMargin) / denInk.width();
    const double stackedEm = numInk.height() + denInk.height() + 2 * gap;
    const double scaleByHeight = (height - 2 * verticalMargin - barPixels) / stackedEm;
    const double scale = std::min(scaleByWidth, scaleByHeight);

    // Whole pixel rows for the bar so it comes out crisp.
    const double stacked = stackedEm * scale + barPixels;
    const double top = std::round((height - stacked) / 2.0);
    const double barTop = std::round(top + (numInk.height() + gap) * scale);

    QTransform shrink;
    shrink.scale(scale, scale);
    QPainterPath num = shrink.map(numerator);
    QPainterPath den = shrink.map(denominator);
    const QRectF n = num.boundingRect();
    const QRectF d = den.boundingRect();
    num.translate(boxWidth / 2.0 - n.center().x(), barTop - gap * scale - n.bottom());
    den.translate(boxWidth / 2.0 - d.center().x(), barTop + barPixels + gap * scale - d.top());

    Drawing drawing;
    drawing.paths = {num, den};
    drawing.bars = {QRectF(sideMargin, barTop, boxWidth - 2 * sideMargin, barPixels)};
    return savePicture(drawing, width, height, dir, QStringLiteral("funcion"));
}

// The icon is kept as hand-written SVG; the PNG is rendered from it so the
// two never disagree.
bool drawIcon(const QString &dir)
{
    QSvgRenderer svg(dir + QStringLiteral("ajuste.svg"));
    if (!svg.isValid()) {
        std::fprintf(stderr, "could not read %s\n", qPrintable(dir + "ajuste.svg"));
        return false;
    }
    QImage icon(64, 64, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    {
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing, true);
        svg.render(&painter);
    }
    const QString file = dir + QStringLiteral("ajuste.png");
    if (!icon.save(file, "PNG")) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
        return false;
    }
    std::printf("wrote %s (64x64)\n", qPrintable(file));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    loadFonts();

    QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QString dir = root + QStringLiteral("/src/resources/");

    bool ok = drawFormula(dir);
    ok = drawSymbols(dir) && ok;
    ok = drawIcon(dir) && ok;
    return ok ? 0 : 1;
}
