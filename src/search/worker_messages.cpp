#include "search/worker_messages.h"

#include <charconv>
#include <limits>

namespace zr::search {

namespace {

// Event kinds, the first number of an event.
enum EventKind : std::int64_t { kHit = 1, kProgressLine = 2, kSkipped = 3 };

constexpr std::size_t kSetupTexts = 19;

// An archive job's second text: how its type is judged.
constexpr const char *kByNameText = "by-name";
constexpr const char *kByContentText = "by-content";

std::string Flag(bool b) { return b ? "1" : "0"; }

std::optional<bool> ParseFlag(const std::string &text)
{
    if (text == "1")
        return true;
    if (text == "0")
        return false;
    return std::nullopt;
}

std::optional<std::uint32_t> ParseCount(const std::string &text)
{
    std::uint32_t value = 0;
    const char *end = text.data() + text.size();
    const auto [next, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || next != end)
        return std::nullopt;
    return value;
}

// An enum value sent as a number, accepted only within first..last.
template <typename Enum> std::optional<Enum> EnumIn(std::int64_t value, Enum first, Enum last)
{
    if (value < static_cast<std::int64_t>(first) || value > static_cast<std::int64_t>(last))
        return std::nullopt;
    return static_cast<Enum>(value);
}

WorkerPayload EncodeHit(const THitRecord &hit)
{
    // texts: archive, stored name, line, location in a document, each
    // enclosing stored name, each geta mark's characters; numbers: kind,
    // line number, how many enclosing names, each geta mark's offset.
    WorkerPayload p{{hit.ArchivePath, hit.StoredName, hit.LineText, hit.Location},
                    {kHit, hit.LineNo, static_cast<std::int64_t>(hit.Via.size())}};
    p.texts.insert(p.texts.end(), hit.Via.begin(), hit.Via.end());
    for (const auto &sub : hit.Substitutes) {
        p.texts.push_back(sub.Original);
        p.numbers.push_back(static_cast<std::int64_t>(sub.Offset));
    }
    return p;
}

std::optional<WorkerEvent> DecodeHit(const WorkerPayload &p)
{
    if (p.texts.size() < 4 || p.numbers.size() < 3)
        return std::nullopt;
    if (p.numbers[1] < 0 || p.numbers[1] > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    const std::int64_t via = p.numbers[2];
    if (via < 0 || static_cast<std::uint64_t>(via) > p.texts.size() - 4)
        return std::nullopt;
    const std::size_t subsAt = 4 + static_cast<std::size_t>(via);
    if (p.numbers.size() - 3 != p.texts.size() - subsAt)
        return std::nullopt;
    THitRecord hit{p.texts[0], p.texts[1], static_cast<std::int32_t>(p.numbers[1]), p.texts[2]};
    hit.Location = p.texts[3];
    hit.Via.assign(p.texts.begin() + 4, p.texts.begin() + static_cast<std::ptrdiff_t>(subsAt));
    for (std::size_t k = subsAt; k < p.texts.size(); ++k) {
        const std::int64_t offset = p.numbers[3 + (k - subsAt)];
        // A mark is two bytes of the line.
        if (offset < 0 || static_cast<std::uint64_t>(offset) + 2 > hit.LineText.size())
            return std::nullopt;
        hit.Substitutes.push_back({static_cast<std::size_t>(offset), p.texts[k]});
    }
    return HitEvent{std::move(hit)};
}

}  // namespace

std::vector<std::string> EncodeWorkerSetup(const WorkerSetup &setup)
{
    const ArchiveSearchContext &c = setup.context;
    const RunSettings &s = c.settings;
    return {c.searchFolder,
            c.storedPattern,
            Flag(c.noText),
            c.cp932Pattern,
            Flag(c.fuzzy),
            s.workPath,
            Flag(s.silentMode),
            Flag(s.reportType1),
            Flag(s.reportType2),
            Flag(s.skipFile),
            Flag(s.ignoreBrokenHeader),
            std::to_string(s.logSizeKb),
            setup.libraryFolder,
            std::string(regex::EncodingChoiceName(s.textEncoding)),
            Flag(s.nest.enabled),
            std::to_string(s.nest.maxDepth),
            s.cache.folder,
            std::to_string(s.cache.sizeLimitMb),
            std::to_string(s.cache.days)};
}

std::optional<WorkerSetup> DecodeWorkerSetup(const std::vector<std::string> &t)
{
    if (t.size() != kSetupTexts)
        return std::nullopt;
    const auto noText = ParseFlag(t[2]), fuzzy = ParseFlag(t[4]), silent = ParseFlag(t[6]),
               report1 = ParseFlag(t[7]), report2 = ParseFlag(t[8]), skipFile = ParseFlag(t[9]),
               ignoreBroken = ParseFlag(t[10]);
    const auto logSize = ParseCount(t[11]);
    const auto encoding = regex::ParseEncodingChoice(t[13]);
    const auto nested = ParseFlag(t[14]);
    const auto nestDepth = ParseCount(t[15]);
    const auto cacheSize = ParseCount(t[17]), cacheDays = ParseCount(t[18]);
    if (!noText || !fuzzy || !silent || !report1 || !report2 || !skipFile || !ignoreBroken || !logSize ||
        !encoding || !nested || !nestDepth || *nestDepth > static_cast<std::uint32_t>(kMaxNestDepth) || !cacheSize ||
        !cacheDays)
        return std::nullopt;
    WorkerSetup setup;
    ArchiveSearchContext &c = setup.context;
    c.searchFolder = t[0];
    c.storedPattern = t[1];
    c.noText = *noText;
    c.cp932Pattern = t[3];
    c.fuzzy = *fuzzy;
    c.settings.workPath = t[5];
    c.settings.silentMode = *silent;
    c.settings.reportType1 = *report1;
    c.settings.reportType2 = *report2;
    c.settings.skipFile = *skipFile;
    c.settings.ignoreBrokenHeader = *ignoreBroken;
    c.settings.logSizeKb = *logSize;
    setup.libraryFolder = t[12];
    c.settings.textEncoding = *encoding;
    c.settings.nest.enabled = *nested;
    c.settings.nest.maxDepth = static_cast<int>(*nestDepth);
    c.settings.cache.folder = t[16];
    c.settings.cache.sizeLimitMb = *cacheSize;
    c.settings.cache.days = static_cast<int>(*cacheDays);
    return setup;
}

std::vector<std::string> EncodeWorkerJob(const WorkerJob &job)
{
    if (const auto *view = std::get_if<ViewJob>(&job)) {
        std::vector<std::string> texts{kViewJobTag, view->archivePath, view->storedName};
        texts.insert(texts.end(), view->via.begin(), view->via.end());
        return texts;
    }
    const auto &archive = std::get<ArchiveJob>(job);
    return {archive.archivePath,
            archive.judgement == TypeJudgement::ByContent ? kByContentText : kByNameText};
}

std::optional<WorkerJob> DecodeWorkerJob(const std::vector<std::string> &texts)
{
    if (texts.size() == 2 && texts[1] == kByNameText)
        return ArchiveJob{texts[0], TypeJudgement::ByName};
    if (texts.size() == 2 && texts[1] == kByContentText)
        return ArchiveJob{texts[0], TypeJudgement::ByContent};
    if (texts.size() >= 3 && texts[0] == kViewJobTag)
        return ViewJob{texts[1], texts[2], {texts.begin() + 3, texts.end()}};
    return std::nullopt;
}

WorkerPayload EncodeWorkerEvent(const WorkerEvent &event)
{
    if (const auto *hit = std::get_if<HitEvent>(&event))
        return EncodeHit(hit->hit);
    if (const auto *line = std::get_if<ProgressLineEvent>(&event))
        return {{line->text}, {kProgressLine}};
    const auto &skipped = std::get<SkippedEvent>(event);
    return {{skipped.path, skipped.detail}, {kSkipped, static_cast<std::int64_t>(skipped.reason)}};
}

std::optional<WorkerEvent> DecodeWorkerEvent(const WorkerPayload &p)
{
    if (p.numbers.empty())
        return std::nullopt;
    switch (p.numbers[0]) {
    case kHit:
        return DecodeHit(p);
    case kProgressLine:
        if (p.texts.size() != 1 || p.numbers.size() != 1)
            return std::nullopt;
        return ProgressLineEvent{p.texts[0]};
    case kSkipped: {
        if (p.texts.size() != 2 || p.numbers.size() != 2)
            return std::nullopt;
        const auto reason = EnumIn(p.numbers[1], SkipReason::EmptyFile, SkipReason::NestLimit);
        if (!reason)
            return std::nullopt;
        return SkippedEvent{p.texts[0], *reason, p.texts[1]};
    }
    default:
        return std::nullopt;
    }
}

WorkerPayload EncodeArchiveJobOutcome(const ArchiveJobOutcome &o)
{
    return {{},
            {static_cast<std::int64_t>(o.outcome.status), static_cast<std::int64_t>(o.outcome.skipReason),
             o.outcome.hits}};
}

std::optional<ArchiveJobOutcome> DecodeArchiveJobOutcome(const WorkerPayload &p)
{
    if (!p.texts.empty() || p.numbers.size() != 3)
        return std::nullopt;
    const auto status = EnumIn(p.numbers[0], ArchiveStatus::Searched, ArchiveStatus::Stopped);
    const auto reason = EnumIn(p.numbers[1], SkipReason::EmptyFile, SkipReason::NestLimit);
    if (!status || !reason || p.numbers[2] < 0 || p.numbers[2] > std::numeric_limits<int>::max())
        return std::nullopt;
    return ArchiveJobOutcome{{*status, *reason, static_cast<int>(p.numbers[2])}};
}

WorkerPayload EncodeViewJobOutcome(const ViewJobOutcome &o)
{
    return {{o.file, o.detail}, {static_cast<std::int64_t>(o.status)}};
}

std::optional<ViewJobOutcome> DecodeViewJobOutcome(const WorkerPayload &p)
{
    if (p.texts.size() != 2 || p.numbers.size() != 1)
        return std::nullopt;
    const auto status = EnumIn(p.numbers[0], ViewExtractStatus::Extracted, ViewExtractStatus::Stopped);
    if (!status)
        return std::nullopt;
    return ViewJobOutcome{*status, p.texts[0], p.texts[1]};
}

WorkerPayload EncodeRunFailure(const RunFailure &f)
{
    return {{f.text}, {static_cast<std::int64_t>(f.kind), static_cast<std::int64_t>(f.patternPosition)}};
}

RunFailure DecodeRunFailure(const WorkerPayload &p)
{
    RunFailure f;
    f.text = p.texts.empty() ? std::string("検索を続けられませんでした。") : p.texts[0];
    if (!p.numbers.empty())
        f.kind = EnumIn(p.numbers[0], RunFailureKind::Other, RunFailureKind::Memory).value_or(RunFailureKind::Other);
    if (f.kind == RunFailureKind::Pattern && p.numbers.size() > 1 && p.numbers[1] >= 0)
        f.patternPosition = static_cast<std::size_t>(p.numbers[1]);
    return f;
}

}  // namespace zr::search
