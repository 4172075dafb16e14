#include "numeric/error_history.h"

ErrorHistory::ErrorHistory(int capacity) : capacity(size_t(std::max(2, capacity & ~1)))
{
    cols.reserve(this->capacity);
}

void ErrorHistory::clear()
{
    cols.clear();
    total = 0;
    perColumn = 1;
    filled = 0;
}

// Only called with every column full, so each merged column is full too.
void ErrorHistory::halve()
{
    for (size_t k = 0; k < capacity / 2; ++k) {
        const Column &l = cols[2 * k];
        const Column &r = cols[2 * k + 1];
        cols[k] = {l.first, r.last, std::min(l.min, r.min), std::max(l.max, r.max), l.from, r.to};
    }
    cols.resize(capacity / 2);
    perColumn *= 2;
    filled = perColumn;
}
