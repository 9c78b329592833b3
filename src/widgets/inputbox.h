#pragma once
// Where the input boxes for new names stand, and how their answers are read.

#include <QPoint>
#include <QString>

#include <optional>

// A little above the screen's centre: x = half the width - 1000 twips, y = half the height -
// 1500 twips (15 twips a pixel).
QPoint InputBoxPosition();

// Typed names may carry stray blanks at their ends; cancel and empty both give "".
QString TypedName(const std::optional<QString> &answer);
