#pragma once

#include <QRect>
#include <QSize>

namespace tidewell::WindowFitting {

// Space kept free around a fitted window: the size bound leaves twice the margin.
inline constexpr int sizeAllowance = 36;
inline constexpr int edgeMargin = 18;

// The window frame fitted to the visible screen area: each side raised to the minimum, then
// lowered to the visible side less 36 but never below the minimum; then moved so that it ends
// 18 before the right and bottom edges and, winning over that, starts at least 18 after the
// left and top edges. An empty visible area leaves the frame as it is.
QRect fittedFrame(const QRect& frame, const QSize& minimum, const QRect& visible);

}  // namespace tidewell::WindowFitting
