#include "report/report_pdf.h"

#include "platform/number_text.h"
#include "report/report_text.h"
#include "report/residual_plot.h"

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace {

// The page's coordinates are pixels of a 96-dpi screen, so the plots are laid
// out in the PDF as the window lays them out, and points are points.
constexpr int kResolution = 96;
constexpr double kMarginMm = 15;
constexpr int kColumnGap = 10; // pixels between two columns of a table
constexpr double kLargestPoints = 8.5, kSmallestPoints = 5;

struct Table
{
    QList<QStringList> rows;
    QList<int> boldRows;
    bool namesFirst{true}; // the first column holds names, aligned left; else numbers
};

// The width of each column's widest cell in the face given; a title or a
// warning, a row of one cell, spans the table and is not counted.
QList<int> columnWidths(const Table &table, const QFont &font, QPaintDevice *device)
{
    QFont bold(font);
    bold.setBold(true);
    const QFontMetrics plain(font, device), strong(bold, device);
    QList<int> widths;
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        const QStringList &cells = table.rows.at(r);
        if (cells.size() < 2)
            continue;
        const QFontMetrics &metrics = table.boldRows.contains(int(r)) ? strong : plain;
        for (qsizetype c = 0; c < cells.size(); ++c) {
            if (widths.size() <= c)
                widths.append(0);
            widths[c] = std::max(widths[c], metrics.horizontalAdvance(cells.at(c)));
        }
    }
    return widths;
}

// The face for a table: the window's, no larger than kLargestPoints, and
// smaller in half points until every column fits the width.
QFont tableFont(const QFont &base, const Table &table, int width, QPaintDevice *device)
{
    QFont font(base);
    for (double size = std::min(kLargestPoints, base.pointSizeF()); size >= kSmallestPoints;
         size -= 0.5) {
        font.setPointSizeF(size);
        int total = 0;
        for (const int w : columnWidths(table, font, device))
            total += w + kColumnGap;
        if (total <= width)
            return font;
    }
    return font;
}

// Draws the table from `top`, numbers aligned right and names left, and gives
// the height it took.
int drawTable(QPainter &painter, const Table &table, int top, int width)
{
    const QFont font = tableFont(painter.font(), table, width, painter.device());
    QFont bold(font);
    bold.setBold(true);
    const QFontMetrics plain(font, painter.device());
    const QList<int> widths = columnWidths(table, font, painter.device());
    const int line = plain.height() + 1;
    int y = top;
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        const QStringList &cells = table.rows.at(r);
        const bool strongRow = table.boldRows.contains(int(r));
        painter.setFont(strongRow ? bold : font);
        if (cells.size() < 2) {
            painter.drawText(QRect(0, y, width, line), Qt::AlignLeft | Qt::AlignVCenter,
                             cells.value(0));
        } else {
            int x = 0;
            for (qsizetype c = 0; c < cells.size(); ++c) {
                const Qt::Alignment align
                        = c == 0 && table.namesFirst ? Qt::AlignLeft : Qt::AlignRight;
                painter.drawText(QRect(x, y, widths.at(c), line), align | Qt::AlignVCenter,
                                 cells.at(c));
                x += widths.at(c) + kColumnGap;
            }
        }
        y += line;
    }
    return y - top;
}

// The points in up to four pairs of columns t, y, filled down first.
Table pointTable(const FitFigure &figure)
{
    const int n = int(figure.t.size());
    const int rows = std::max(1, (n + 3) / 4);
    const int pairs = std::max(1, (n + rows - 1) / rows);
    Table table;
    table.namesFirst = false;
    QStringList heading;
    for (int p = 0; p < pairs; ++p)
        heading << QStringLiteral("t") << QStringLiteral("y");
    table.rows << heading;
    table.boldRows << 0;
    for (int r = 0; r < rows; ++r) {
        QStringList cells;
        for (int p = 0; p < pairs; ++p) {
            const int k = p * rows + r;
            cells << (k < n ? numberToText(figure.t[size_t(k)]) : QString())
                  << (k < n ? numberToText(figure.y[size_t(k)]) : QString());
        }
        table.rows << cells;
    }
    return table;
}

} // namespace

QByteArray reportPdf(const ReportDocument &document)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly))
        return {};
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QStringLiteral("Informe del ajuste"));
        writer.setCreator(QStringLiteral("ajuste"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                              QPageLayout::Millimeter);
        writer.setResolution(kResolution);
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        const int width = writer.width(), height = writer.height();

        QFont body(document.font);
        body.setPointSizeF(std::min(kLargestPoints, QFontInfo(document.font).pointSizeF()));
        QFont title(body);
        title.setPointSizeF(15);
        title.setBold(true);
        QFont heading(body);
        heading.setBold(true);
        painter.setPen(Qt::black);

        int y = 0;
        painter.setFont(title);
        const int titleHeight = QFontMetrics(title, &writer).height();
        painter.drawText(QRect(0, y, width, titleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Informe del ajuste"));
        y += titleHeight;
        painter.setFont(body);
        const int bodyLine = QFontMetrics(body, &writer).height() + 1;
        painter.drawText(QRect(0, y, width, bodyLine), Qt::AlignLeft | Qt::AlignVCenter,
                         document.date);
        y += bodyLine + 10;

        auto sectionTitle = [&](const QString &text) {
            painter.setFont(heading);
            painter.drawText(QRect(0, y, width, bodyLine), Qt::AlignLeft | Qt::AlignVCenter, text);
            y += bodyLine + 2;
            painter.setFont(body);
        };
        sectionTitle(QStringLiteral("Puntos"));
        y += drawTable(painter, pointTable(document.figure), y, width) + 10;

        sectionTitle(QStringLiteral("Cifras del ajuste"));
        Table figures;
        figures.rows = document.lines;
        for (qsizetype r = 0; r < figures.rows.size(); ++r) {
            const QStringList &cells = figures.rows.at(r);
            const bool title = cells.size() == 1 && cells.first() != kNotMinimum;
            if (r == 0 || title || (cells.size() == 3 && cells.first().isEmpty()))
                figures.boldRows << int(r);
        }
        painter.setFont(body);
        y += drawTable(painter, figures, y, width) + 12;

        // The plots share what is left of the page, the figure of the fit
        // taking the larger part; each keeps a height a reader can use.
        const int left = height - y - 2 * bodyLine - 8;
        const int figureHeight = std::max(200, left * 62 / 100);
        const int residualHeight = std::max(120, left - figureHeight);
        sectionTitle(QStringLiteral("El ajuste y sus bandas del 95 %"));
        FitPlot fit(nullptr);
        fit.setFont(document.font);
        fit.resize(width, figureHeight);
        fit.setFigure(document.figure);
        painter.save();
        painter.translate(0, y);
        fit.drawInto(painter);
        painter.restore();
        y += figureHeight + 8;

        sectionTitle(QStringLiteral("Residuos del ajuste actual"));
        ResidualPlot residuals(nullptr);
        residuals.setFont(document.font);
        residuals.resize(width, residualHeight);
        residuals.setResiduals(document.residuals);
        painter.save();
        painter.translate(0, y);
        residuals.drawInto(painter);
        painter.restore();
        if (!painter.end())
            return {};
    }
    buffer.close();
    return bytes;
}
