// The typed messages between a run and its workers: each kind comes back as
// it was sent, and anything a worker of this build would not send is refused.

#include <gtest/gtest.h>

#include "search/worker_messages.h"

namespace zr::search::test {
namespace {

template <typename T> std::optional<WorkerEvent> RoundTrip(const T &event)
{
    return DecodeWorkerEvent(EncodeWorkerEvent(WorkerEvent{event}));
}

TEST(WorkerMessagesTest, EveryKindComesBackAsSent)
{
    WorkerSetup setup;
    setup.context.searchFolder = "/data/書庫";
    setup.context.storedPattern = "*.txt *.doc";
    setup.context.noText = true;
    setup.context.cp932Pattern = std::string("\x82\xa0\0x", 4);  // CP932 with a NUL inside
    setup.context.fuzzy = false;
    setup.context.settings.workPath = "/tmp/w";
    setup.context.settings.silentMode = false;
    setup.context.settings.reportType2 = true;
    setup.context.settings.ignoreBrokenHeader = true;
    setup.context.settings.logSizeKb = 65536;
    setup.context.settings.textEncoding = regex::TEncodingChoice::ecEucJp;
    setup.libraryFolder = "/opt/zurivo";
    const auto setupBack = DecodeWorkerSetup(EncodeWorkerSetup(setup));
    ASSERT_TRUE(setupBack);
    EXPECT_EQ(setupBack->libraryFolder, setup.libraryFolder);
    const ArchiveSearchContext &c = setupBack->context;
    EXPECT_EQ(c.searchFolder, setup.context.searchFolder);
    EXPECT_EQ(c.storedPattern, setup.context.storedPattern);
    EXPECT_TRUE(c.noText);
    EXPECT_EQ(c.cp932Pattern, setup.context.cp932Pattern);
    EXPECT_FALSE(c.fuzzy);
    EXPECT_EQ(c.settings.workPath, "/tmp/w");
    EXPECT_FALSE(c.settings.silentMode);
    EXPECT_FALSE(c.settings.reportType1);
    EXPECT_TRUE(c.settings.reportType2);
    EXPECT_TRUE(c.settings.ignoreBrokenHeader);
    EXPECT_EQ(c.settings.logSizeKb, 65536u);
    EXPECT_EQ(c.settings.textEncoding, regex::TEncodingChoice::ecEucJp);

    for (const WorkerJob &job : {WorkerJob{ArchiveJob{"/a b/c.zip"}},
                                 WorkerJob{ArchiveJob{"/named/x.dat", TypeJudgement::ByContent}},
                                 WorkerJob{ViewJob{"/x.lzh", "dir\\f.txt"}}})
        EXPECT_EQ(DecodeWorkerJob(EncodeWorkerJob(job)), job);

    THitRecord hit{"/a.zip", "in.txt", 2147483647, "ab\x81\xac" "cd\x81\xac", {{2, "é"}, {6, "😀"}}};
    EXPECT_EQ(RoundTrip(HitEvent{hit}), WorkerEvent{HitEvent{hit}});
    THitRecord placed{"/b.xlsx", "見積", 4, "ab\x81\xac", {{2, "𠮷"}}};
    placed.Location = "見積!B12";  // a document's place travels with its hit
    EXPECT_EQ(RoundTrip(HitEvent{placed}), WorkerEvent{HitEvent{placed}});
    const HitEvent listed{THitRecord{"/a.zip", "listed.txt", 0, ""}};
    EXPECT_EQ(RoundTrip(listed), WorkerEvent{listed});
    EXPECT_EQ(RoundTrip(ProgressLineEvent{"a.zip ⇒ in.txt ⇒ 3行"}), WorkerEvent{ProgressLineEvent{"a.zip ⇒ in.txt ⇒ 3行"}});
    const SkippedEvent skipped{"/p.zip", SkipReason::PasswordProtected, "secret.txt"};
    EXPECT_EQ(RoundTrip(skipped), WorkerEvent{skipped});

    const auto outcome =
        DecodeArchiveJobOutcome(EncodeArchiveJobOutcome({{ArchiveStatus::Skipped, SkipReason::Damaged, 7}}));
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->outcome.status, ArchiveStatus::Skipped);
    EXPECT_EQ(outcome->outcome.skipReason, SkipReason::Damaged);
    EXPECT_EQ(outcome->outcome.hits, 7);

    const auto view = DecodeViewJobOutcome(EncodeViewJobOutcome({ViewExtractStatus::Extracted, "/w/f.txt", ""}));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->status, ViewExtractStatus::Extracted);
    EXPECT_EQ(view->file, "/w/f.txt");

    const RunFailure failure = DecodeRunFailure(EncodeRunFailure({RunFailureKind::Pattern, "括弧", 5}));
    EXPECT_EQ(failure.kind, RunFailureKind::Pattern);
    EXPECT_EQ(failure.text, "括弧");
    EXPECT_EQ(failure.patternPosition, 5u);
}

TEST(WorkerMessagesTest, MalformedMessagesAreRefused)
{
    WorkerSetup setup;
    std::vector<std::string> texts = EncodeWorkerSetup(setup);
    EXPECT_TRUE(DecodeWorkerSetup(texts));
    texts.pop_back();
    EXPECT_FALSE(DecodeWorkerSetup(texts));  // a field short: another build's setup
    texts = EncodeWorkerSetup(setup);
    texts[2] = "yes";
    EXPECT_FALSE(DecodeWorkerSetup(texts));
    texts = EncodeWorkerSetup(setup);
    texts[11] = "12k";
    EXPECT_FALSE(DecodeWorkerSetup(texts));
    texts = EncodeWorkerSetup(setup);
    texts[13] = "latin-1";
    EXPECT_FALSE(DecodeWorkerSetup(texts));

    EXPECT_FALSE(DecodeWorkerJob({}));
    EXPECT_FALSE(DecodeWorkerJob({"a", "b"}));
    EXPECT_FALSE(DecodeWorkerJob({"/older/worker.zip"}));  // a job without its judgement
    EXPECT_FALSE(DecodeWorkerJob({"not the tag", "a", "b"}));

    const WorkerPayload hit = EncodeWorkerEvent(HitEvent{THitRecord{"a", "b", 3, "xx\x81\xac", {{2, "é"}}}});
    EXPECT_TRUE(DecodeWorkerEvent(hit));
    WorkerPayload bad = hit;
    bad.numbers.back() = 3;  // the mark would end past the line
    EXPECT_FALSE(DecodeWorkerEvent(bad));
    bad = hit;
    bad.numbers[1] = -1;  // a negative line number
    EXPECT_FALSE(DecodeWorkerEvent(bad));
    bad = hit;
    bad.texts.pop_back();  // a mark without its characters
    EXPECT_FALSE(DecodeWorkerEvent(bad));
    EXPECT_FALSE(DecodeWorkerEvent({{"x"}, {}}));
    EXPECT_FALSE(DecodeWorkerEvent({{"x"}, {99}}));
    EXPECT_FALSE(DecodeWorkerEvent({{"p", "d"}, {3, 1000}}));  // no such skip reason
    EXPECT_FALSE(DecodeWorkerEvent({{"line", "more"}, {2}}));

    EXPECT_FALSE(DecodeArchiveJobOutcome({{}, {0, 0}}));
    EXPECT_FALSE(DecodeArchiveJobOutcome({{}, {3, 0, 0}}));
    EXPECT_FALSE(DecodeArchiveJobOutcome({{}, {0, 0, -1}}));
    EXPECT_FALSE(DecodeViewJobOutcome({{"f", ""}, {-1}}));

    // A failure always reads, as a general error when its kind is unknown.
    const RunFailure unknown = DecodeRunFailure({{"boom"}, {77}});
    EXPECT_EQ(unknown.kind, RunFailureKind::Other);
    EXPECT_EQ(unknown.text, "boom");
    EXPECT_FALSE(DecodeRunFailure({}).text.empty());
}

}  // namespace
}  // namespace zr::search::test
