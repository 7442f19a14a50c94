#include "search/nested_archive.h"

#include <algorithm>
#include <utility>

#include "search/nested_archive_kind.h"
#include "search/nested_spool.h"

namespace zr::search {

NestLedger::NestLedger(const NestSettings &settings, std::string diskArchivePath, std::string workFolder,
                       bool *depthReported)
    : maxDepth_(settings.enabled ? NestDepthSetting(settings.maxDepth) : 0),
      dataLeft_(settings.dataBudget ? settings.dataBudget : kDefaultNestDataBudget),
      memoryBudget_(settings.memoryBudget ? settings.memoryBudget : kDefaultNestMemoryBudget),
      depthReported_(depthReported ? depthReported : &ownDepthReported_),
      diskArchivePath_(std::move(diskArchivePath)), workFolder_(std::move(workFolder))
{
}

bool NestLedger::ChargeData(std::uint64_t bytes)
{
    if (spent_)
        return false;
    if (bytes > dataLeft_) {
        spent_ = true;
        return false;
    }
    dataLeft_ -= bytes;
    return true;
}

std::uint64_t NestLedger::MemoryAvailable() const
{
    return memoryHeld_ >= memoryBudget_ ? 0 : memoryBudget_ - memoryHeld_;
}

bool NestLedger::FirstDepthReport() { return !std::exchange(*depthReported_, true); }

bool NestLedger::FirstBudgetReport() { return !std::exchange(budgetReported_, true); }

NestFrame NestFrame::Top(NestLedger *ledger, const std::string &storedPattern)
{
    NestFrame frame;
    frame.ledger = ledger && ledger->MaxDepth() > 0 ? ledger : nullptr;
    frame.storedPattern = storedPattern;
    frame.filter = StoredNameFilter(storedPattern);
    frame.walksEverything = frame.OpensDeeper() && !frame.filter.MatchesAll();
    return frame;
}

NestFrame NestFrame::Child(const std::string &storedName, const NestedSpool &spool) const
{
    NestFrame child;
    child.ledger = ledger;
    child.depth = depth + 1;
    child.via = via;
    child.via.push_back(storedName);
    child.storedPattern = storedPattern;
    child.filter = filter;
    child.walksEverything = child.OpensDeeper() && !filter.MatchesAll();
    if (IsCompressedStreamHead(spool.Head())) {
        const std::string path = spool.Path();
        child.streamPathName = path.substr(path.rfind('/') + 1);
        child.streamEntryName = CompressedStreamEntryName(storedName);
    }
    child.enclosing = enclosing;
    child.enclosing.emplace_back(spool.Size(), spool.ContentHash());
    return child;
}

std::string NestFrame::EntryName(std::string_view fullName) const
{
    if (!streamPathName.empty() && fullName == streamPathName)
        return streamEntryName;
    return std::string(fullName);
}

std::string NestFrame::ChainText(std::string_view name) const
{
    std::string text;
    for (const std::string &outer : via)
        text += outer + " \xC2\xBB ";
    return text.append(name);
}

std::string ChainedDetail(std::string_view storedName, std::string_view detail)
{
    std::string text(storedName);
    if (detail.empty())
        return text;
    return text.append(detail.front() == '(' ? " " : " \xC2\xBB ").append(detail);
}

void ChainSink::OnArchiveSkipped(const std::string &path, SkipReason reason, const std::string &detail)
{
    outer_.OnArchiveSkipped(path, reason, ChainedDetail(storedName_, detail));
}

}  // namespace zr::search
