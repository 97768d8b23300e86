#include "ui/window_fitting.h"

#include <gtest/gtest.h>

namespace tidewell::WindowFitting {
namespace {

const QSize minimum{1120, 640};

TEST(WindowFitting, ALargeFrameShrinksToTheVisibleAreaLessThirtySix) {
    EXPECT_EQ(fittedFrame({0, 0, 3000, 2000}, minimum, {0, 25, 1920, 1055}), QRect(18, 43, 1884, 1019));
}

TEST(WindowFitting, ASmallScreenNeverShrinksTheWindowBelowTheMinimum) {
    QRect fitted = fittedFrame({100, 100, 1260, 740}, minimum, {0, 0, 800, 600});
    EXPECT_EQ(fitted.size(), minimum);
    // Too wide to fit: the left and top edges stay reachable.
    EXPECT_EQ(fitted.topLeft(), QPoint(18, 18));
}

TEST(WindowFitting, AFrameBelowTheMinimumGrowsToIt) {
    EXPECT_EQ(fittedFrame({200, 200, 600, 400}, minimum, {0, 0, 2560, 1440}), QRect(200, 200, 1120, 640));
}

TEST(WindowFitting, AFramePastTheRightOrBottomEdgeMovesBackInside) {
    EXPECT_EQ(fittedFrame({1500, 900, 1260, 740}, minimum, {0, 0, 2560, 1440}), QRect(1282, 682, 1260, 740));
    // Visible areas that do not start at the origin (a second screen, a top panel).
    EXPECT_EQ(fittedFrame({-50, 0, 1260, 740}, minimum, {1920, 30, 1920, 1050}), QRect(1938, 48, 1260, 740));
}

TEST(WindowFitting, AnEmptyVisibleAreaChangesNothing) {
    EXPECT_EQ(fittedFrame({5, 6, 300, 200}, minimum, QRect()), QRect(5, 6, 300, 200));
}

}  // namespace
}  // namespace tidewell::WindowFitting
