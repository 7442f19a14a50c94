#include "util/qt_app.h"
#include "util/window_finder.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace zr;

TEST(FindTitle, EveryPatternForm)
{
    const std::vector<std::string> titles{"", "Editor - notes.txt", "ZuRivo 検索", "zurivo"};
    EXPECT_EQ(FindTitle(titles, "zurivo "), 2u) << "prefix, without case";
    EXPECT_EQ(FindTitle(titles, "ZuRivo *"), 2u) << "text before the first star is the prefix";
    EXPECT_EQ(FindTitle(titles, "ZuRivo*x*"), 2u);
    EXPECT_EQ(FindTitle(titles, "*"), 1u) << "any title, empty titles skipped";
    EXPECT_EQ(FindTitle(titles, "*NOTES.TXT"), 1u) << "suffix, without case";
    EXPECT_EQ(FindTitle(titles, "*検索"), 2u);
    EXPECT_FALSE(FindTitle(titles, "*notes*").has_value())
        << "a second star after a leading one finds nothing";
    EXPECT_FALSE(FindTitle(titles, "*a much longer suffix than any title").has_value());
    EXPECT_FALSE(FindTitle(titles, "Viewer").has_value());
    EXPECT_FALSE(FindTitle({}, "*").has_value());

    EXPECT_TRUE(TitleMatchesPattern("ＺｕＲｉｖｏ", "ｚｕｒｉｖｏ")) << "full-width letters ignore case too";
    EXPECT_FALSE(TitleMatchesPattern("Zu", "ZuRivo"));
}

TEST(FindWindowByTitle, SearchesThisProgramsTopLevelWindows)
{
    zr::testing::EnsureQtApplication();
    QWidget untitled;
    QWidget main;
    main.setWindowTitle("ZuRivo - 検索");
    EXPECT_EQ(FindWindowByTitle("zurivo *"), &main);
    EXPECT_EQ(FindWindowByTitle("Nothing*"), nullptr);
}
