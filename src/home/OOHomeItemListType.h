#pragma once

// The line lists' choice of which lines to show: the smart group or all lines.
enum class OOHomeItemListType { smart = 0, all = 1 };
