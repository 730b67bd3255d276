#pragma once
// The point table changed as whole rows: the one operation behind typing, pasting and filling
// values, adding and deleting points, and undoing and redoing each of them.
#include <span>
#include <vector>

namespace vexa {

class TitrationSystem;

struct PointRow {
  double volume = 0;
  double pH = 0;
  bool operator==(const PointRow&) const = default;
};

// Rows [index, index + count) as they stand (cut to the table).
std::vector<PointRow> PointRows(const TitrationSystem& sys, int index, int count);

// Replaces rows [index, index + removeCount) by `rows` (index and count are cut to the table)
// and computes G of the rows put in. The lines' point numbers stay as they are: inserting and
// deleting points never renumbers them.
void ReplacePointRows(TitrationSystem& sys, int index, int removeCount,
                      std::span<const PointRow> rows);

} // namespace vexa
