// The pieces the result list draws for a hit line with its matches marked.

#include "app/hit_line_delegate.h"
#include "app/hit_models.h"
#include "app_test_support.h"

#include <QImage>
#include <QPainter>
#include <QTreeView>
#include <gtest/gtest.h>

namespace zr {
namespace {

using search::THitRecord;

TEST(HitLinePieces, MatchesAreCutOutOfTheDisplayText)
{
    // "表示abc表示" in CP932: the matches are byte ranges of it.
    const THitRecord hit{"/a.zip", "x.txt", 1,
                         "\x95\x5C\x8E\xA6"
                         "abc"
                         "\x95\x5C\x8E\xA6"};
    EXPECT_EQ(HitLinePieces(hit, {{4, 5}}),
              (std::vector<THitLinePiece>{{"表示", false}, {"a", true}, {"bc表示", false}}));
    EXPECT_EQ(HitLinePieces(hit, {{0, 4}, {7, 11}}),
              (std::vector<THitLinePiece>{{"表示", true}, {"abc", false}, {"表示", true}}));
    EXPECT_EQ(HitLinePieces(hit, {}), (std::vector<THitLinePiece>{{"表示abc表示", false}}));
    // Spans out of order or past the text are ignored rather than drawn twice.
    EXPECT_EQ(HitLinePieces(hit, {{4, 5}, {2, 3}, {9, 40}}),
              (std::vector<THitLinePiece>{{"表示", false}, {"a", true}, {"bc表示", false}}));
}

TEST(HitLinePieces, ACharacterCutAtTheLineLimitAndGetaMarksShowAsInTheList)
{
    // A lead byte without its trail at the end, as a cut line leaves it.
    const THitRecord cut{"/a.zip", "x.txt", 1, "ab\x95"};
    EXPECT_EQ(HitLinePieces(cut, {{0, 1}}), (std::vector<THitLinePiece>{{"a", true}, {"b", false}}));
    // A geta mark standing for a character of a converted file.
    THitRecord converted{"/a.zip", "x.txt", 1, "x\x81\xACy"};
    converted.Substitutes.push_back({1, "😀"});
    EXPECT_EQ(HitLinePieces(converted, {{1, 3}}),
              (std::vector<THitLinePiece>{{"x", false}, {"😀", true}, {"y", false}}));
}

TEST(HitLinePieces, ALineTooLongForItsColumnEndsInAnEllipsisWithItsMarksKept)
{
    testing::App();
    const QFontMetrics metrics(QApplication::font());
    const std::vector<THitLinePiece> pieces = {{"ログ 行 1: ", false}, {"見積書", true}, {"の送信に失敗しました", false}};
    const auto widthOf = [&](const std::vector<THitLinePiece> &shown) {
        int width = 0;
        for (const THitLinePiece &piece : shown)
            width += metrics.horizontalAdvance(QString::fromStdString(piece.text));
        return width;
    };
    // Room for everything: unchanged.
    EXPECT_EQ(PiecesThatFit(pieces, metrics, widthOf(pieces) + 5), pieces);
    EXPECT_EQ(PiecesThatFit(pieces, metrics, widthOf(pieces)), pieces);

    // The last piece is cut: the others stay whole, the cut one ends in an ellipsis.
    const int narrow = widthOf({pieces[0], pieces[1]}) + metrics.horizontalAdvance(QString::fromUtf8("の送…"));
    const std::vector<THitLinePiece> cut = PiecesThatFit(pieces, metrics, narrow);
    ASSERT_EQ(cut.size(), 3u);
    EXPECT_EQ(cut[0], pieces[0]);
    EXPECT_EQ(cut[1], pieces[1]);
    EXPECT_FALSE(cut[2].match);
    EXPECT_EQ(cut[2].text.rfind("…"), cut[2].text.size() - std::string("…").size());
    EXPECT_LE(widthOf(cut), narrow);

    // A match cut in the middle stays a match.
    const std::vector<THitLinePiece> inMatch =
        PiecesThatFit(pieces, metrics, widthOf({pieces[0]}) + metrics.horizontalAdvance(QString::fromUtf8("見…")));
    ASSERT_EQ(inMatch.size(), 2u);
    EXPECT_TRUE(inMatch[1].match);
    EXPECT_NE(inMatch[1].text, pieces[1].text);
}

TEST(ResultListModel, TheLineColumnsToolTipIsTheWholeLineAsTheFileHasIt)
{
    testing::App();
    search::HitList hits;
    THitRecord converted{"/a.zip", "x.txt", 4, "x\x81\xACy"};
    converted.Substitutes.push_back({1, "😀"});
    hits.Append(converted);
    TResultListModel model;
    model.ShowArchive(&hits, 0, true);
    EXPECT_EQ(model.data(model.index(0, 2), Qt::ToolTipRole).toString(), QString::fromUtf8("x😀y"));
    model.ShowArchive(&hits, 0, false);  // stored files only: no line to show
    EXPECT_TRUE(model.data(model.index(0, 2), Qt::ToolTipRole).isNull());
}

TEST(HitLineDelegate, DrawsMarkedAndPlainRows)
{
    testing::App();
    search::HitList hits;
    hits.Append({"/a.zip", "x.txt", 1, "one needle"});
    hits.Append({"/a.zip", "x.txt", 2, "no match"});
    TResultListModel model;
    model.ShowArchive(&hits, 0, true);
    QTreeView view;
    view.setModel(&model);
    auto *delegate = new THitLineDelegate(&model, &view);
    view.setItemDelegateForColumn(2, delegate);
    search::SearchConditions c;
    c.searchText = "needle";
    delegate->SetSpans(search::MatchSpansFor(c));
    view.resize(400, 120);
    view.setColumnWidth(2, 200);
    view.selectionModel()->select(model.index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QImage image = view.grab().toImage();
    EXPECT_FALSE(image.isNull());
    // The mark's colour is in the picture only where a match was drawn.
    bool marked = false;
    for (int y = 0; y < image.height() && !marked; ++y)
        for (int x = 0; x < image.width() && !marked; ++x)
            marked = image.pixelColor(x, y) == QColor(255, 225, 64);
    EXPECT_TRUE(marked);
}

}  // namespace
}  // namespace zr
