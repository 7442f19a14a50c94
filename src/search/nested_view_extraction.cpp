#include "search/nested_view_extraction.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "archive/archive_detection.h"
#include "archive/archiver_binding.h"
#include "archivers/archiver_api.h"
#include "platform/replace_file.h"
#include "search/nested_archive.h"
#include "search/nested_archive_kind.h"
#include "search/nested_spool.h"

namespace zr::search {

namespace {

bool SameName(std::string_view listed, std::string_view wanted)
{
    const auto separator = [](char c) { return c == '/' || c == '\\'; };
    return listed.size() == wanted.size() &&
           std::equal(listed.begin(), listed.end(), wanted.begin(),
                      [&](char a, char b) { return a == b || (separator(a) && separator(b)); });
}

// Takes the one entry named `wanted` and gives its bytes to `write`.
class OneEntryWalker final : public archive::TEntryWalker {
public:
    OneEntryWalker(std::string wanted, const NestFrame &frame, std::function<bool(std::string_view)> write,
                   std::stop_token stop)
        : wanted_(std::move(wanted)), frame_(frame), write_(std::move(write)), stop_(std::move(stop))
    {
    }

    int Offer(const archive::TIndividualInfo &, std::string_view fullName, int refusal) override
    {
        if (taken_ || !SameName(frame_.EntryName(fullName), wanted_))
            return ZR_ARC_WALK_DECLINE;
        taken_ = true;
        return refusal == ZR_ARC_OK ? ZR_ARC_WALK_TAKE : ZR_ARC_WALK_STOP;
    }
    bool Data(std::string_view bytes) override { return !stop_.stop_requested() && write_(bytes); }
    void EntryEnd(int result, std::string_view) override { complete_ = result == ZR_ARC_OK; }
    bool KeepGoing() override { return !stop_.stop_requested() && !complete_; }

    bool Taken() const { return taken_; }
    bool Complete() const { return complete_; }

private:
    std::string wanted_;
    const NestFrame &frame_;
    std::function<bool(std::string_view)> write_;
    std::stop_token stop_;
    bool taken_ = false;
    bool complete_ = false;
};

}  // namespace

ViewExtractResult ExtractNestedForView(const std::string &archivePath, const std::vector<std::string> &via,
                                       const std::string &storedName, const std::string &target,
                                       const std::string &workFolder, std::stop_token stop)
{
    NestSettings settings;
    settings.maxDepth = kMaxNestDepth;
    NestLedger ledger(settings, archivePath, workFolder, nullptr);
    NestFrame frame = NestFrame::Top(&ledger, "*");
    std::string path = archivePath;
    archive::TArchiveType type =
        archive::DetectArchiveType(archivePath, {true, archive::TSupportArchives(), true});
    std::unique_ptr<NestedSpool> spool;
    for (std::size_t level = 0; level <= via.size(); ++level) {
        archive::TArchiverBinding *binding = archive::BindingFor(type);
        if (!binding)
            return {level == 0 ? ViewExtractStatus::NotAnArchive : ViewExtractStatus::Failed, {}, {}};
        const bool last = level == via.size();
        std::unique_ptr<NestedSpool> next;
        int fd = -1;
        if (last) {
            fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (fd < 0)
                return {ViewExtractStatus::Failed, {}, "cannot write " + target};
        } else {
            next = std::make_unique<NestedSpool>(workFolder, ledger.MemoryAvailable());
        }
        const auto write = [&](std::string_view bytes) {
            return last ? platform::WriteAllBytes(fd, bytes) : next->Write(bytes);
        };
        OneEntryWalker walker(last ? storedName : via[level], frame, write, stop);
        const std::uint32_t mode = type == archive::atLha ? ZR_ARC_OPEN_BROKEN_HEADERS : 0;
        binding->WalkEntries(path, "*", mode, walker);
        if (fd >= 0)
            ::close(fd);
        if (stop.stop_requested() || !walker.Complete()) {
            if (last)
                std::filesystem::remove(target);
            if (stop.stop_requested())
                return {ViewExtractStatus::Stopped, {}, {}};
            return {walker.Taken() ? ViewExtractStatus::Failed : ViewExtractStatus::NotFound, {}, {}};
        }
        if (last)
            return {ViewExtractStatus::Extracted, target, {}};
        frame = frame.Child(via[level], *next);
        type = NestedArchiveType(next->Head());
        spool = std::move(next);
        path = spool->Path();
    }
    return {ViewExtractStatus::Failed, {}, {}};
}

}  // namespace zr::search
