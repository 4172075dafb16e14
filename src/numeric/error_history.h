#pragma once

#include "numeric/model.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// The squared error of every evaluation the steps make, and where the descent
// stood for it, in bounded memory. Evaluations are numbered from 1; each column
// gathers `stride()` consecutive ones and keeps the first, last, smallest and
// largest error among them, and the parameters of its first and last. When
// all columns are full, neighbouring pairs merge and the stride doubles, so a
// session of any length holds at most `capacity` columns, each one about a
// pixel column of the drawing. Recording is a few comparisons: no logarithm,
// no allocation.
class ErrorHistory
{
public:
    struct Column
    {
        double first, last, min, max;
        Parameters from, to; // where the first and the last evaluation stood

        bool operator==(const Column &) const = default;
    };

    // capacity: an even number of columns, at least 2.
    explicit ErrorHistory(int capacity = 256);

    void clear();

    void add(double error, const Parameters &at)
    {
        if (filled == perColumn || cols.empty()) {
            if (cols.size() == capacity)
                halve();
            cols.push_back({error, error, error, error, at, at});
            filled = 1;
        } else {
            Column &column = cols.back();
            column.last = error;
            column.to = at;
            column.min = std::min(column.min, error);
            column.max = std::max(column.max, error);
            ++filled;
        }
        ++total;
    }

    int64_t count() const { return total; } // evaluations since the history began
    int64_t stride() const { return perColumn; }
    const std::vector<Column> &columns() const { return cols; }

    // The same evaluations in the same columns. A copy holds just its columns;
    // assigning one to a history keeps the room that history has reserved.
    bool operator==(const ErrorHistory &) const = default;

private:
    void halve();

    std::vector<Column> cols;
    size_t capacity;
    int64_t total{0};
    int64_t perColumn{1};
    int64_t filled{0}; // evaluations in the last column
};
