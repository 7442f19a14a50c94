#include "search/run_sink.h"

namespace zr::search {

const char *SkipReasonName(SkipReason reason)
{
    switch (reason) {
    case SkipReason::EmptyFile:
        return "empty file";
    case SkipReason::NotAnArchive:
        return "not an archive";
    case SkipReason::NoMatchingEntries:
        return "no matching stored file";
    case SkipReason::ExtractionFailed:
        return "extraction failed";
    case SkipReason::WorkerFailed:
        return "worker failed";
    case SkipReason::EntryTooLarge:
        return "stored file too large";
    case SkipReason::EntryRefused:
        return "stored name leaves the extraction folder";
    case SkipReason::PasswordProtected:
        return "password protected";
    case SkipReason::Damaged:
        return "damaged";
    case SkipReason::NestTooDeep:
        return "nested too deep";
    case SkipReason::NestLimit:
        return "nested archives given up";
    }
    return "skipped";
}

std::string DamageDetail(std::string_view storedName, std::string_view reason)
{
    std::string detail(storedName);
    if (!reason.empty()) {
        if (!detail.empty())
            detail += ' ';
        detail.append("(").append(reason).append(")");
    }
    return detail;
}

DamageParts SplitDamageDetail(const std::string &detail)
{
    if (!detail.ends_with(')'))
        return {detail, {}};
    if (detail.starts_with('('))
        return {{}, detail.substr(1, detail.size() - 2)};
    // The reason is the last bracket: a stored name may hold " (" itself.
    const std::size_t open = detail.rfind(" (");
    if (open == std::string::npos)
        return {detail, {}};
    return {detail.substr(0, open), detail.substr(open + 2, detail.size() - open - 3)};
}

}  // namespace zr::search
