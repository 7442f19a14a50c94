#pragma once
// A tree of archives in a scratch folder, a private registry and work
// folder, and a sink that records every event of a run.

#include <gtest/gtest.h>

#include <filesystem>
#include <stop_token>
#include <string>
#include <vector>

#include "archive/archiver_library.h"
#include "archive_builders.h"
#include "search/run_sink.h"
#include "search/search_run.h"
#include "test_support/temp_env.h"

namespace zr::search::test {

struct SkippedArchive {
    std::string path;
    SkipReason reason;
    std::string detail = {};
};

class RecordingSink : public RunSink {
public:
    void OnArchivesFound(int count, const std::string &labelText) override
    {
        found = count;
        foundLabel = labelText;
    }
    void OnArchiveStarted(int index, int count, const std::string &path) override
    {
        started.push_back(path);
        lastCount = count;
        if (onStarted)
            onStarted(index);
    }
    void OnProgressLine(const std::string &text) override { progress.push_back(text); }
    void OnHit(const THitRecord &hit) override
    {
        hits.push_back(hit);
        if (onHit)
            onHit(hit);
    }
    void OnArchiveSkipped(const std::string &path, SkipReason reason, const std::string &detail) override
    {
        skipped.push_back({path, reason, detail});
    }
    void OnFinished(const RunSummary &summary) override
    {
        ++finished;
        last = summary;
    }

    int found = -1;
    std::string foundLabel;
    int lastCount = 0;
    std::vector<std::string> started;
    std::vector<std::string> progress;
    std::vector<THitRecord> hits;
    std::vector<SkippedArchive> skipped;
    int finished = 0;
    RunSummary last;
    std::function<void(int)> onStarted;
    std::function<void(const THitRecord &)> onHit;
};

inline std::string SourceDir()
{
    const char *dir = std::getenv("ZR_SOURCE_DIR");
    return dir ? dir : ".";
}

class SearchTreeTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(work_); }

    std::string Add(const std::string &relative, const std::string &bytes) const
    {
        return tree_.Write(relative, bytes);
    }
    SearchConditions Conditions(const std::string &text) const
    {
        SearchConditions c;
        c.searchText = text;
        c.folder = tree_.Path();
        return c;
    }
    RunOptions Options() const
    {
        RunOptions o;
        o.workFolder = work_;
        o.useWorkers = false;
        return o;
    }
    RunSummary Run(const SearchConditions &c, std::stop_token stop = {})
    {
        return RunSearch(c, Options(), sink_, stop);
    }
    // Everything left in the work folder, as relative paths.
    std::vector<std::string> WorkLeftovers() const
    {
        std::vector<std::string> left;
        for (const auto &entry : std::filesystem::recursive_directory_iterator(work_))
            if (!entry.is_directory())
                left.push_back(entry.path().lexically_relative(work_).string());
        return left;
    }

    zr::testing::TempRegistry registry_;
    zr::test::ScratchFolder tree_;
    zr::test::ScratchFolder scratch_;
    std::string work_ = scratch_ / "work";
    RecordingSink sink_;
};

}  // namespace zr::search::test
