#include "fileop/double_zero_list.h"
#include "fileop/file_operator.h"

#include <gtest/gtest.h>

namespace zr {
namespace {

using namespace std::string_literals;
using Paths = std::vector<std::string>;

TEST(FileOpLists, CommasBecomeZeroBytesWithOneMoreAtTheEnd)
{
    EXPECT_EQ(CommaListToDoubleZero("a,b,"), "a\0b\0\0"s);
    EXPECT_EQ(DoubleZeroToPaths("a\0b\0\0"s), (Paths{"a", "b"}));
    EXPECT_EQ(CommaListToDoubleZero(""), "\0"s);
    EXPECT_TRUE(DoubleZeroToPaths("\0"s).empty());
}

TEST(FileOpLists, ACommaInsideAPathSplitsIt)
{
    EXPECT_EQ(DoubleZeroToPaths(CommaListToDoubleZero("/data/a,b.lzh,")), (Paths{"/data/a", "b.lzh"}));
}

TEST(FileOpLists, DoubleByteNamesPassUnchanged)
{
    // The second byte of a CP932 character is never a comma.
    const std::string sjis = "/d/\x83\x5c\x83\x74\x83\x67.lzh";
    EXPECT_EQ(DoubleZeroToPaths(CommaListToDoubleZero(sjis + ",")), Paths{sjis});
}

TEST(FileOperatorRecord, DefaultsAndTheDataRecordRoundTrip)
{
    TFileOperator op;
    EXPECT_EQ(op.Operation(), TFileOperation::foCopy);
    EXPECT_EQ(op.Flags(), foAllowUndo | foNoConfirmMkDir);
    EXPECT_EQ(op.ProgressTitle(), "File  Operation");
    EXPECT_FALSE(op.WantMappingHandle());

    op.SetOperation(TFileOperation::foMove);
    op.SetFlags(foSilent | foNoConfirmation);
    op.SetWantMappingHandle(true);
    const TFileOpRecordBytes data = op.Data();
    ASSERT_EQ(data.size(), 30u);
    EXPECT_EQ(data[4], 1);                    // move
    EXPECT_EQ(data[16], 0x04 | 0x10 | 0x20);  // silent, no confirmation, mapping handle
    EXPECT_EQ(op.Flags(), foSilent | foNoConfirmation);

    TFileOperator loaded;
    ASSERT_TRUE(loaded.SetData(data));
    EXPECT_EQ(loaded.Operation(), TFileOperation::foMove);
    EXPECT_EQ(loaded.Flags(), foSilent | foNoConfirmation);
    EXPECT_TRUE(loaded.WantMappingHandle());
    EXPECT_FALSE(loaded.SetData(std::span<const std::uint8_t>(data.data(), 29)));
}

TEST(FileOperatorRecord, AnUnsetOperationDoesNotRun)
{
    TFileOperator op;
    op.SetSource("/nonexistent/a,");
    op.SetDestination("/nonexistent/b,");
    EXPECT_FALSE(op.Execute());
    EXPECT_FALSE(op.LastError().empty());
}

}  // namespace
}  // namespace zr
