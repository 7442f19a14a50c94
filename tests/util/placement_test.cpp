#include "util/message_placement.h"
#include "util/placement.h"

#include <gtest/gtest.h>

using namespace zr;

namespace {
const Rect kScreen{0, 0, 1920, 1080};
const Rect kBottomPanel{0, 1040, 1920, 40};
}  // namespace

TEST(PlaceNear, KindsAndScreenEdges)
{
    Point p{-1, -1};
    PlaceNear(pkOffset, Rect{100, 100, 400, 300}, {200, 100}, kScreen, p);
    EXPECT_EQ(p, (Point{120, 120}));
    PlaceNear(pkCentre, Rect{100, 100, 401, 301}, {201, 101}, kScreen, p);
    EXPECT_EQ(p, (Point{100 + 200 - 100, 100 + 150 - 50}));
    PlaceNear(pkBackOffset, Rect{10, 300, 400, 300}, {200, 100}, kScreen, p);
    EXPECT_EQ(p, (Point{2, 280})) << "a negative X becomes 2";

    // Owner partly off the right edge: the box ends 2 pixels inside the screen.
    PlaceNear(pkCentre, Rect{1800, 900, 400, 300}, {300, 200}, kScreen, p);
    EXPECT_EQ(p, (Point{1920 - 300 - 2, 1080 - 200 - 2}));

    p = {5, 6};
    PlaceNear(7, Rect{100, 100, 10, 10}, {20, 20}, kScreen, p);
    EXPECT_EQ(p, (Point{5, 6})) << "unknown kinds keep the position";
    PlaceNear(pkOffset, std::nullopt, {20, 20}, kScreen, p);
    EXPECT_EQ(p, (Point{5, 6})) << "nothing happens without an owner";
}

TEST(PlaceFormNear, CornerOriginAndCentre)
{
    const Rect owner{100, 100, 400, 300};
    EXPECT_EQ(PlaceFormNear(pkBottomRight, owner, {300, 200}, kScreen), (Point{1620, 880}));
    EXPECT_EQ(PlaceFormNear(99, owner, {300, 200}, kScreen), (Point{0, 0})) << "the screen origin";
    EXPECT_EQ(PlaceFormNear(pkOffset, owner, {300, 200}, kScreen), (Point{120, 120}));
    EXPECT_EQ(PlaceFormNear(pkOffset, std::nullopt, {300, 200}, kScreen), (Point{810, 440}));
}

TEST(PanelRect, DerivedFromFullAndAvailableGeometry)
{
    EXPECT_EQ(PanelRect(kScreen, {0, 0, 1920, 1040}), kBottomPanel);
    EXPECT_EQ(PanelRect(kScreen, {0, 30, 1920, 1050}), (Rect{0, 0, 1920, 30}));
    EXPECT_EQ(PanelRect(kScreen, {0, 0, 1860, 1080}), (Rect{1860, 0, 60, 1080}));
    EXPECT_EQ(PanelRect(kScreen, {70, 0, 1850, 1080}), (Rect{0, 0, 70, 1080}));
    EXPECT_FALSE(PanelRect(kScreen, kScreen).has_value());
}

TEST(KeepClearOfTaskbar, MovesOffEachKindOfPanelAlongOneAxis)
{
    EXPECT_EQ(KeepClearOfTaskbar({500, 1000, 300, 200}, kScreen, kBottomPanel), (Rect{500, 840, 300, 200}))
        << "pulled inside, then above the bar";
    EXPECT_EQ(KeepClearOfTaskbar({500, 10, 300, 200}, kScreen, Rect{0, 0, 1920, 30}),
              (Rect{500, 30, 300, 200}));
    EXPECT_EQ(KeepClearOfTaskbar({1700, 10, 300, 200}, kScreen, Rect{1860, 0, 60, 1080}),
              (Rect{1560, 10, 300, 200}));
    EXPECT_EQ(KeepClearOfTaskbar({-40, 10, 300, 200}, kScreen, Rect{0, 0, 70, 1080}),
              (Rect{70, 10, 300, 200}));
    EXPECT_EQ(KeepClearOfTaskbar({500, 500, 300, 200}, kScreen, kBottomPanel), (Rect{500, 500, 300, 200}));
    EXPECT_EQ(KeepClearOfTaskbar({-50, -50, 300, 200}, kScreen, std::nullopt), (Rect{-50, -50, 300, 200}))
        << "without a panel nothing happens";
    // A bar that spans no full edge is not recognised.
    EXPECT_EQ(KeepClearOfTaskbar({500, 1000, 300, 200}, kScreen, Rect{0, 1040, 900, 40}),
              (Rect{500, 880, 300, 200}));
}

TEST(MessageBoxRect, CentredForcedAndClearOfThePanel)
{
    const Rect available{0, 0, 1920, 1040};
    MessageBoxRequest request;
    EXPECT_EQ(MessageBoxRect(request, {400, 200}, kScreen, available), (Rect{760, 440, 400, 200}));

    request.x = 10;
    request.y = 1000;  // forced onto the panel: moved above it
    EXPECT_EQ(MessageBoxRect(request, {400, 200}, kScreen, available), (Rect{10, 840, 400, 200}));
    request.keepClearOfTaskbar = false;
    EXPECT_EQ(MessageBoxRect(request, {400, 200}, kScreen, available), (Rect{10, 1000, 400, 200}));

    request.centreOver = Rect{1700, 100, 400, 300};  // owner replaces the forced position
    EXPECT_EQ(MessageBoxRect(request, {400, 200}, kScreen, available), (Rect{1518, 150, 400, 200}));
}
