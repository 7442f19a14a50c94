// What the run passes on of its workers' events around a stop: everything
// the archive being searched at the stop found, whenever its events come,
// and nothing of the archives after it.
#include <gtest/gtest.h>

#include "search/worker_messages.h"
#include "search/worker_relay.h"
#include "search_test_support.h"

namespace zr::search::test {
namespace {

worker::Message HitMessage(const std::string &archive, int line)
{
    const WorkerPayload p = EncodeWorkerEvent(HitEvent{THitRecord{archive, "t.txt", line, "needle"}});
    return {worker::MessageType::kEvent, p.texts, p.numbers};
}

worker::JobEnd Done(ArchiveStatus status)
{
    ArchiveOutcome outcome;
    outcome.status = status;
    const WorkerPayload p = EncodeArchiveJobOutcome({outcome});
    worker::JobEnd end;
    end.kind = worker::JobEndKind::kDone;
    end.done = {worker::MessageType::kDone, p.texts, p.numbers};
    return end;
}

class WorkerRelayTest : public ::testing::Test {
protected:
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        for (const THitRecord &h : sink_.hits)
            lines.push_back(h.ArchivePath + ":" + std::to_string(h.LineNo));
        return lines;
    }

    const std::vector<CandidateArchive> archives_{{"a.zip"}, {"b.zip"}, {"c.zip"}};
    std::stop_source stop_;
    RecordingSink sink_;
    WorkerRelay relay_{archives_, sink_, stop_.get_token(), true};
};

TEST_F(WorkerRelayTest, WithoutAStopEveryArchiveIsAnnouncedAndPassedOnInOrder)
{
    for (int job = 0; job < 3; ++job) {
        relay_.OnEvent(job, HitMessage(archives_[job].path, job + 1));
        relay_.OnEnd(job, Done(ArchiveStatus::Searched));
    }
    EXPECT_EQ(sink_.started, (std::vector<std::string>{"a.zip", "b.zip", "c.zip"}));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"a.zip:1", "b.zip:2", "c.zip:3"}));
    EXPECT_FALSE(relay_.Stopped());
    EXPECT_EQ(relay_.Outcome().status, ArchiveStatus::Searched);
}

TEST_F(WorkerRelayTest, TheArchiveBeingSearchedKeepsLinesThatArriveAfterTheStop)
{
    // The worker held its lines until the stop reached it: the archive's
    // first event comes after the stop.
    stop_.request_stop();
    relay_.OnEvent(0, HitMessage("a.zip", 1));
    relay_.OnEvent(0, HitMessage("a.zip", 2));
    relay_.OnEvent(1, HitMessage("b.zip", 1));  // the other worker's archive, after it
    relay_.OnEnd(0, Done(ArchiveStatus::Stopped));
    relay_.OnEnd(1, Done(ArchiveStatus::Searched));
    EXPECT_EQ(sink_.started, (std::vector<std::string>{"a.zip"}));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"a.zip:1", "a.zip:2"}));
    EXPECT_TRUE(relay_.Stopped());
    EXPECT_EQ(relay_.Outcome().status, ArchiveStatus::Stopped);
}

TEST_F(WorkerRelayTest, AStopAfterAnArchiveEndedKeepsTheNextOneThatWasRunning)
{
    relay_.OnEvent(0, HitMessage("a.zip", 1));
    relay_.OnEnd(0, Done(ArchiveStatus::Searched));
    stop_.request_stop();
    relay_.OnEvent(1, HitMessage("b.zip", 5));
    relay_.OnEnd(1, Done(ArchiveStatus::Stopped));
    relay_.OnEvent(2, HitMessage("c.zip", 1));
    relay_.OnEnd(2, Done(ArchiveStatus::Searched));
    EXPECT_EQ(sink_.started, (std::vector<std::string>{"a.zip", "b.zip"}));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"a.zip:1", "b.zip:5"}));
    EXPECT_TRUE(relay_.Stopped());
}

TEST_F(WorkerRelayTest, AStopDuringAnArchivesEventsKeepsItsLaterEventsOnly)
{
    relay_.OnEvent(0, HitMessage("a.zip", 1));
    stop_.request_stop();
    relay_.OnEvent(0, HitMessage("a.zip", 2));
    relay_.OnEnd(0, Done(ArchiveStatus::Searched));  // the worker had finished
    relay_.OnEvent(1, HitMessage("b.zip", 1));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"a.zip:1", "a.zip:2"}));
    EXPECT_EQ(sink_.started.size(), 1u);
    EXPECT_TRUE(relay_.Stopped());  // b.zip and c.zip were never searched to their end
}

}  // namespace
}  // namespace zr::search::test
