#include "ui/window_fitting.h"

#include <algorithm>

namespace tidewell::WindowFitting {

namespace {

int fittedLength(int length, int minimum, int visibleLength) {
    int bound = std::max(minimum, visibleLength - sizeAllowance);
    return std::min(std::max(length, minimum), bound);
}

// The start of a span of `length` that ends no later than the visible end less the margin,
// and starts no earlier than the visible start plus the margin, the start winning.
int fittedStart(int start, int length, int visibleStart, int visibleLength) {
    int visibleEnd = visibleStart + visibleLength;
    if (start + length > visibleEnd - edgeMargin) start = visibleEnd - edgeMargin - length;
    if (start < visibleStart + edgeMargin) start = visibleStart + edgeMargin;
    return start;
}

}  // namespace

QRect fittedFrame(const QRect& frame, const QSize& minimum, const QRect& visible) {
    if (visible.isEmpty()) return frame;
    int width = fittedLength(frame.width(), minimum.width(), visible.width());
    int height = fittedLength(frame.height(), minimum.height(), visible.height());
    int x = fittedStart(frame.x(), width, visible.x(), visible.width());
    int y = fittedStart(frame.y(), height, visible.y(), visible.height());
    return {x, y, width, height};
}

}  // namespace tidewell::WindowFitting
