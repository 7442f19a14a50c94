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
    }
    return "skipped";
}

}  // namespace zr::search
