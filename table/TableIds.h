#pragma once
// Command, dialog, control and string IDs of the grid views and their dialogs.
#include "framework/Commands.h"

namespace ids {

inline constexpr int IDS_NO_DATA = 57622;

inline constexpr int IDD_FILL = 162;
inline constexpr int IDD_NUMBER_FORMAT = 163;
inline constexpr int IDD_ADD_POINTS = 176;

// The fill dialog.
inline constexpr int IDC_FILL_VALUE1 = 1014;
inline constexpr int IDC_FILL_VALUE2 = 1015;
inline constexpr int IDC_FILL_BY_STEP = 1005;
inline constexpr int IDC_FILL_EVENLY = 1006;
inline constexpr int IDC_FILL_FROM_CURRENT = 1043;
// The number-format dialog.
inline constexpr int IDC_FORMAT_LIST = 1012;
inline constexpr int IDC_FORMAT_SAMPLE = 1014;
// The add-points dialog.
inline constexpr int IDC_POINT_COUNT = 1078;
inline constexpr int IDC_POINT_SPIN = 1003;

// The grid's child windows.
inline constexpr int IDC_GRID_HSCROLL = 100;
inline constexpr int IDC_GRID_VSCROLL = 101;
inline constexpr int IDC_GRID_EDITOR = 102;

} // namespace ids

// Adds the grid's texts to the string table (once; later calls do nothing).
void RegisterTableStrings();
