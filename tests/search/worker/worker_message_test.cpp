// Framing between the run and its workers: whole messages survive any split
// of the byte stream, and a stream cut or garbled by a dying worker is
// noticed instead of read as messages.
#include <gtest/gtest.h>

#include "search/worker/worker_message.h"

namespace zr::search::worker {
namespace {

const Message kSample{MessageType::kEvent, {"書庫.lzh", std::string("a\0b", 3), ""}, {42, -1, INT64_MIN}};

TEST(WorkerMessageTest, EverySplitOfTheStreamGivesTheSameMessages)
{
    const std::string stream = EncodeMessage(kSample) + EncodeMessage({MessageType::kDone, {}, {7}});
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        MessageDecoder d;
        std::vector<Message> got;
        d.Append(stream.substr(0, cut));
        while (auto m = d.Next())
            got.push_back(*m);
        d.Append(stream.substr(cut));
        while (auto m = d.Next())
            got.push_back(*m);
        ASSERT_EQ(got.size(), 2u) << cut;
        EXPECT_EQ(got[0], kSample);
        EXPECT_EQ(got[1].numbers, std::vector<std::int64_t>{7});
        EXPECT_TRUE(d.Empty());
        EXPECT_FALSE(d.Broken());
    }
}

TEST(WorkerMessageTest, CutAndGarbledFramesAreNotMessages)
{
    const std::string frame = EncodeMessage(kSample);
    MessageDecoder cut;
    cut.Append(frame.substr(0, frame.size() - 1));
    EXPECT_FALSE(cut.Next());
    EXPECT_FALSE(cut.Broken());  // more may come
    EXPECT_FALSE(cut.Empty());   // but a worker that ends here left half a message

    MessageDecoder huge;
    huge.Append(std::string("\xff\xff\xff\x7f", 4) + "x");
    EXPECT_FALSE(huge.Next());
    EXPECT_TRUE(huge.Broken());

    // A text length pointing past its frame.
    std::string bad = frame;
    bad[4 + 1] = '\x01';  // one text only...
    bad[4 + 5] = '\xff';  // ...whose length runs past the frame
    MessageDecoder garbled;
    garbled.Append(bad);
    EXPECT_FALSE(garbled.Next());
    EXPECT_TRUE(garbled.Broken());
}

}  // namespace
}  // namespace zr::search::worker
