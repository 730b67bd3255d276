#include "table/TableIds.h"

#include "framework/Strings.h"

#include <iterator>

namespace {
using namespace ids;

const StringEntry kTableStrings[] = {
    {IDS_NO_DATA, "NO DATA"},
    {ID_FILL_COLUMN, "Fill the curent column by numbers"},
    {ID_FILL_ROW, "Fill the curent row by numbers"},
};
} // namespace

void RegisterTableStrings() {
  static const bool done = [] {
    RegisterStrings(kTableStrings, std::size(kTableStrings));
    return true;
  }();
  (void)done;
}
