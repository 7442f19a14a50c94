// List and tree rows keep one baseline and one height whether a name is
// plain ASCII or has Japanese characters (drawn with a fallback font).

#include "app/row_text_delegate.h"
#include "app_test_support.h"

#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTreeView>
#include <gtest/gtest.h>

namespace zr {
namespace {

QFont LargeFont()
{
    QFont font = QApplication::font();
    font.setPixelSize(40);  // large enough that a one-pixel shift is a whole pixel
    return font;
}

QIcon SquareIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::gray);
    return QIcon(pixmap);
}

// The lowest dark pixel row, relative to top, among the columns [left, right).
int LowestInk(const QImage &image, int top, int bottom, int left, int right)
{
    int lowest = -1;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (qGray(image.pixel(x, y)) < 96)
                lowest = y - top;
    return lowest;
}

// The rightmost column with dark pixels in the band [top, bottom).
int RightmostInk(const QImage &image, int top, int bottom)
{
    for (int x = image.width() - 1; x >= 0; --x)
        for (int y = top; y < bottom; ++y)
            if (qGray(image.pixel(x, y)) < 96)
                return x;
    return -1;
}

struct TDrawnRows {
    QImage image;
    std::vector<QRect> rows;  // each row's rectangle in the image
};

// Names with an icon and a second plain column, as the archive list shows them.
TDrawnRows DrawRows(const QStringList &names, QAbstractItemDelegate *delegate)
{
    testing::App();
    QStandardItemModel model;
    for (const QString &name : names)
        model.appendRow({new QStandardItem(SquareIcon(), name), new QStandardItem(QStringLiteral("./"))});
    QTreeView view;
    view.setFont(LargeFont());
    view.setRootIsDecorated(false);
    view.setUniformRowHeights(true);
    view.setHeaderHidden(true);
    if (delegate)
        view.setItemDelegate(delegate);
    view.setModel(&model);
    view.resize(900, 400);
    view.header()->resizeSection(0, 600);
    TDrawnRows drawn;
    drawn.image = view.viewport()->grab().toImage();
    for (int row = 0; row < model.rowCount(); ++row)
        drawn.rows.push_back(view.visualRect(model.index(row, 0)));
    return drawn;
}

// How low the last letter of each row's name reaches within its row.
std::vector<int> NameEndInk(const TDrawnRows &drawn)
{
    std::vector<int> ink;
    for (const QRect &row : drawn.rows) {
        const int right = RightmostInk(drawn.image.copy(0, 0, row.right(), drawn.image.height()), row.top(),
                                       row.bottom() + 1);
        ink.push_back(LowestInk(drawn.image, row.top(), row.bottom() + 1, right - 6, right + 1));
    }
    return ink;
}

TEST(RowTextDelegate, AsciiAndJapaneseNamesShareTheRowsBaseline)
{
    // Both names end in "x", which sits on the baseline.
    auto *delegate = new TRowTextDelegate;
    const TDrawnRows drawn = DrawRows({QStringLiteral("archive.x"), QString::fromUtf8("見積書.x")}, delegate);
    const std::vector<int> ink = NameEndInk(drawn);
    ASSERT_EQ(ink.size(), 2u);
    ASSERT_GT(ink[0], 0);
    EXPECT_EQ(ink[0], ink[1]);
    EXPECT_EQ(drawn.rows[0].height(), drawn.rows[1].height());
    delete delegate;
}

TEST(RowTextDelegate, RowsAreTallEnoughForJapaneseWhateverTheFirstRowHolds)
{
    testing::App();
    const TRowTextMetrics metrics = RowTextMetrics(LargeFont());
    EXPECT_GE(metrics.ascent, QFontMetrics(LargeFont()).ascent());
    EXPECT_GE(metrics.descent, QFontMetrics(LargeFont()).descent());
    // A list whose first row is ASCII (its height goes for every row) is as
    // high per row as one whose first row is Japanese.
    auto *first = new TRowTextDelegate;
    auto *second = new TRowTextDelegate;
    const TDrawnRows ascii = DrawRows({QStringLiteral("a.x"), QString::fromUtf8("漢.x")}, first);
    const TDrawnRows japanese = DrawRows({QString::fromUtf8("漢.x"), QStringLiteral("a.x")}, second);
    EXPECT_EQ(ascii.rows[0].height(), japanese.rows[0].height());
    EXPECT_GE(ascii.rows[0].height(), metrics.Height());
    delete first;
    delete second;
}

}  // namespace
}  // namespace zr
