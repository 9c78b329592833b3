#pragma once
// The measures both panes place their controls by, in pixels, so that their rows and lists line
// up side by side: the margins keep the proportions of the original window (its 350-twip right
// margin is 23 pixels with the left one, its 50-twip gaps 3 to 4 pixels).

class QComboBox;

namespace PaneMeasures {

inline constexpr int Margin = 8;
inline constexpr int RightMargin = 15;
// The top row (drive box, server path box) starts below the frame's title.
inline constexpr int RowTop = 20;
inline constexpr int Gap = 4;

// The height of the top row's box: the same in both panes whether or not its entries have icons.
int rowHeight(const QComboBox *box);

} // namespace PaneMeasures
