#include <gtest/gtest.h>

#include "bigview/bv_scroll.h"

namespace zr {
namespace {

TEST(BvScrollModel, VerticalRangeDependsOnScOver)
{
    // 20 rows, 5 visible: the last row may reach the bottom, or the top.
    EXPECT_EQ(TBvScrollModel::VerticalMax(20, 5, false), 15);
    EXPECT_EQ(TBvScrollModel::VerticalMax(20, 5, true), 19);
    // Never below 1, never past the last row.
    EXPECT_EQ(TBvScrollModel::VerticalMax(3, 5, false), 1);
    EXPECT_EQ(TBvScrollModel::VerticalMax(0, 5, true), 1);
    EXPECT_EQ(TBvScrollModel::VerticalMax(20, 0, false), 19);
}

TEST(BvScrollModel, TopLineClampsToTheLastRowWithOrWithoutScOver)
{
    EXPECT_EQ(TBvScrollModel::ClampTop(100, 20), 19);
    EXPECT_EQ(TBvScrollModel::ClampTop(-3, 20), 0);
    EXPECT_EQ(TBvScrollModel::ClampTop(5, 0), 0);
    EXPECT_EQ(TBvScrollModel::BottomOf(17, 5, 20), 19);
    EXPECT_EQ(TBvScrollModel::BottomOf(0, 0, 20), 0);
}

TEST(BvScrollModel, BottomLineWithScOverDoesNotPullBack)
{
    EXPECT_EQ(TBvScrollModel::TopForBottom(10, 5, 0, false), 6);
    EXPECT_EQ(TBvScrollModel::TopForBottom(2, 5, 0, false), 0);
    // Already on screen below the top: with ScOver the top stays.
    EXPECT_EQ(TBvScrollModel::TopForBottom(12, 5, 10, true), 10);
    EXPECT_EQ(TBvScrollModel::TopForBottom(12, 5, 10, false), 8);
    EXPECT_EQ(TBvScrollModel::TopForBottom(20, 5, 10, true), 16);
}

TEST(BvScrollModel, ScrollCommandsClampToTheRange)
{
    using C = TBvScrollCmd;
    EXPECT_EQ(TBvScrollModel::Position(C::LineDown, 14, 3, 5, 15), 15);
    EXPECT_EQ(TBvScrollModel::Position(C::LineUp, 1, 3, 5, 15), 0);
    EXPECT_EQ(TBvScrollModel::Position(C::PageDown, 0, 1, 5, 15), 4);
    EXPECT_EQ(TBvScrollModel::Position(C::PageUp, 10, 1, 1, 15), 9);  // a page is at least one line
    EXPECT_EQ(TBvScrollModel::Position(C::Thumb, 0, 1, 5, 15, 99), 15);
    EXPECT_EQ(TBvScrollModel::Position(C::Bottom, 0, 1, 5, 15), 15);
    EXPECT_EQ(TBvScrollModel::Position(C::Top, 7, 1, 5, 15), 0);
    EXPECT_EQ(TBvScrollModel::HorizontalMax(255, 800, 8), 155);
    EXPECT_EQ(TBvScrollModel::HorizontalMax(10, 800, 8), 0);
}

// Scrolls down once every `gapMs` and returns the steps taken.
std::vector<int> ScrollDown(TBvScrollAccel &accel, int times, int gapMs, int sense, int maxStep)
{
    std::vector<int> steps;
    int position = 0;
    std::int64_t now = 1000;
    for (int i = 0; i < times; ++i, now += gapMs) {
        const int step = accel.NextStep(now, TBvScrollAccel::KeyIntervalMs, sense, maxStep);
        position += step;
        accel.Record(position);
        steps.push_back(step);
    }
    return steps;
}

TEST(BvScrollAccel, StepGrowsAfterRepeatedScrollsUpToScrollSense)
{
    TBvScrollAccel accel;
    const auto steps = ScrollDown(accel, 40, 50, 3, 20);
    EXPECT_EQ(steps[0], 1);
    // Positions move one way from the third scroll on; the counter passes 9
    // on the tenth such scroll and again ten scrolls later.
    EXPECT_EQ(steps[10], 1);
    EXPECT_EQ(steps[11], 2);
    EXPECT_EQ(steps[20], 2);
    EXPECT_EQ(steps[21], 3);
    EXPECT_EQ(steps[39], 3);  // ScrollSense caps the step
}

TEST(BvScrollAccel, SlowScrollsAndSenseOneKeepStepOne)
{
    TBvScrollAccel slow;
    for (int step : ScrollDown(slow, 30, 250, 10, 20))
        EXPECT_EQ(step, 1);
    TBvScrollAccel plain;
    for (int step : ScrollDown(plain, 30, 10, 1, 20))
        EXPECT_EQ(step, 1);
}

TEST(BvScrollAccel, StepIsLimitedByTheVisibleLinesAndDirectionResets)
{
    TBvScrollAccel capped;
    EXPECT_EQ(ScrollDown(capped, 40, 10, 10, 2).back(), 2);

    TBvScrollAccel turning;
    ScrollDown(turning, 12, 10, 10, 20);  // last scroll at 1110 ms
    ASSERT_EQ(turning.Step(), 2);
    turning.Record(0);  // moved back up
    EXPECT_EQ(turning.NextStep(1120, TBvScrollAccel::KeyIntervalMs, 10, 20), 1);
}

}  // namespace
}  // namespace zr
