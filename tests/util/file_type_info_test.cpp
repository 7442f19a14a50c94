#include "util/file_type_info.h"
#include "util/qt_app.h"
#include "util/ui_helpers.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace zr;

TEST(FileTypeLabel, FallsBackToTheExtension)
{
    EXPECT_EQ(FileTypeLabel("x.zip", "ZIP archive"), "ZIP archive");
    EXPECT_EQ(FileTypeLabel("arc.lzh", ""), "ファイル LZH");
    EXPECT_EQ(FileTypeLabel(".tar.gz", ""), "ファイル TAR.GZ");
    EXPECT_EQ(FileTypeLabel("dir.v2/README", ""), "ファイル");
}

TEST(FileTypeIcon, UnregisteredTypesGetTheFallBackLabel)
{
    zr::testing::EnsureQtApplication();
    std::string typeName;
    FileTypeIcon(".zzqqx", &typeName);
    EXPECT_EQ(typeName, "ファイル ZZQQX");
    FileTypeIcon("/", &typeName);
    EXPECT_FALSE(typeName.empty());
}

TEST(RecolorBitmapBackground, FillsOnlyTheConnectedArea)
{
    const QColor face(192, 192, 192);
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    for (int y = 0; y < 32; ++y)
        image.setPixel(20, y, qRgb(0, 0, 255));  // a wall between two red areas
    RecolorBitmapBackground(image, face);
    EXPECT_EQ(image.pixel(0, 0), face.rgba());
    EXPECT_EQ(image.pixel(19, 31), face.rgba());
    EXPECT_EQ(image.pixel(20, 5), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(25, 5), qRgb(255, 0, 0));

    QImage small(8, 8, QImage::Format_ARGB32);
    small.fill(Qt::red);
    RecolorBitmapBackground(small, face);  // no pixel (15, 15): untouched
    EXPECT_EQ(small.pixel(0, 0), qRgb(255, 0, 0));
}
