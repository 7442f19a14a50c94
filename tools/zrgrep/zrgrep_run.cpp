#include "zrgrep_run.h"

#include <exception>

#include "search/match_spans.h"
#include "platform/codepage.h"
#include "regex/scanner_error.h"
#include "search/stale_work_folders.h"
#include "search/condition_file.h"
#include "search/content_cache.h"
#include "search/search_run.h"
#include "search/work_folder.h"
#include "terminal_text.h"
#include "zrgrep_options.h"
#include "zrgrep_output.h"
#include "zrgrep_places.h"

namespace zr::tools {
namespace {

constexpr int kExitHits = 0;
constexpr int kExitNoHits = 1;
constexpr int kExitError = 2;

// Message texts of the window break lines with CR LF; a terminal wants LF.
std::string ForTerminal(std::string text)
{
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, "\n");
    return text;
}

// Messages name paths the user or an archive list gave, so they are made
// safe for the terminal too.
int Fail(const ZrGrepStreams &s, const std::string &message)
{
    std::fprintf(s.err, "zrgrep: %s\n", TerminalSafe(ForTerminal(message), LineFeeds::Keep).c_str());
    return kExitError;
}

std::string PatternErrorText(const std::string &message, std::size_t position)
{
    return position > 0 ? message + " (at byte " + std::to_string(position) + " of the pattern)" : message;
}

// The fuzzy dictionary expands the pattern before it is parsed, so its error
// positions point into the expansion; the plain parse points into what was typed.
std::size_t PositionAsTyped(const std::string &cp932Pattern, std::size_t expandedPosition)
{
    try {
        MatchSpans plain(cp932Pattern, false);
    } catch (const regex::ERegExpParser &e) {
        return e.Position();
    }
    return expandedPosition;
}

bool ReadConditions(const ZrGrepArguments &args, const ZrGrepStreams &s, search::SearchConditions &conditions)
{
    if (args.conditionsFile.empty())
        return true;
    const search::ConditionFileResult read = search::ReadConditionFile(args.conditionsFile, conditions);
    if (read.Ok()) {
        conditions = read.conditions;
        return true;
    }
    std::string why;
    switch (read.status) {
    case search::ConditionFileStatus::TooLarge:
        why = "larger than " + std::to_string(search::kMaxConditionFileBytes >> 10) + " KiB";
        break;
    case search::ConditionFileStatus::TextTooLong:
        why = "its search string is longer than " + std::to_string(search::kMaxConditionTextBytes >> 10) +
              " KiB";
        break;
    case search::ConditionFileStatus::MissingSection:
        why = "no [Condition] or [Option] section";
        break;
    default:
        why = "missing, unreadable or not text";
        break;
    }
    Fail(s, "cannot read the condition file " + args.conditionsFile + ": " + why);
    return false;
}

bool UsesColour(ColorMode mode, const ZrGrepStreams &s)
{
    return mode == ColorMode::Always || (mode == ColorMode::Auto && s.outIsTerminal);
}

search::RunSettings SettingsOrDefaults()
{
    try {
        return search::RunSettings::FromRegistry();
    } catch (const std::exception &) {
        return {};
    }
}

}  // namespace

int ZrGrepMain(const std::vector<std::string> &argv, const ZrGrepStreams &s, std::stop_source stop,
               const std::function<void(const std::string &)> &workFolderReady)
{
    ZrGrepArguments args;
    try {
        args = ParseZrGrepArguments(argv);
    } catch (const ZrGrepUsageError &e) {
        std::fprintf(s.err, "%s\n%s", TerminalSafe(e.what()).c_str(), kZrGrepUsage);
        return kExitError;
    }
    if (args.help) {
        std::fputs(kZrGrepUsage, s.out);
        return kExitHits;
    }
    if (args.version) {
        std::fprintf(s.out, "%s\n", kZrGrepVersion);
        return kExitHits;
    }
    if (args.clearCache) {
        std::string why;
        const std::string folder = SettingsOrDefaults().cache.folder;
        if (!folder.empty() && !search::ContentCache::Clear(folder, &why))
            return Fail(s, "cannot clear the cache: " + why);
        if (!args.pattern && args.conditionsFile.empty())
            return kExitHits;
    }

    search::SearchConditions conditions;
    if (!ReadConditions(args, s, conditions))
        return kExitError;
    conditions = ApplyArguments(args, conditions);
    // A place that cannot be searched is named, and the others are searched.
    ZrGrepPlaces places;
    try {
        places = CollectPlaces(args, conditions, s.in);
    } catch (const ZrGrepListError &e) {
        return Fail(s, e.what());
    }
    for (const std::string &refusal : places.refusals)
        Fail(s, refusal);
    if (places.inputs.empty() && !places.refusals.empty())
        return kExitError;

    // The pattern is compiled before anything is extracted. A malformed one
    // is left to the run, which reports it when a file is about to be
    // searched: a run that searches nothing ends normally.
    std::unique_ptr<MatchSpans> colour;
    std::string cp932Pattern;
    if (!search::IsNoTextSearch(conditions.searchText)) {
        const platform::ConversionResult cp932 = platform::Utf8ToCp932(conditions.searchText);
        if (!cp932.ok)
            return Fail(s, "the pattern holds a character Shift_JIS cannot hold (byte " +
                               std::to_string(cp932.errorOffset + 1) + ")");
        cp932Pattern = cp932.text;
        try {
            auto spans = std::make_unique<MatchSpans>(
                search::ScannerPattern(cp932.text, conditions.regularExpression), conditions.fuzzy);
            if (UsesColour(args.color, s) && args.output == OutputMode::Lines)
                colour = std::move(spans);
        } catch (const regex::ERegExpParser &) {
        }
    }

    try {
        // Folders of zrgrep runs that were killed go first; live runs keep theirs.
        search::RemoveStaleWorkFolders();
        search::ProcessWorkFolder work;
        if (workFolderReady)
            workFolderReady(work.Path());
        search::RunOptions options;
        options.workFolder = work.Path();
        options.fuzzy = !args.noFuzzy;
        options.useWorkers = !args.inProcess;
        options.workerCount = args.workers;
        options.keepHits = false;  // printed as they come
        options.settings = SettingsOrDefaults();
        if (args.encoding)
            options.settings.textEncoding = *args.encoding;
        if (args.followLinks)
            options.settings.followLinks = true;
        if (args.nestDepth)
            options.settings.nest.maxDepth = *args.nestDepth;
        if (args.noCache)
            options.settings.cache.folder.clear();
        OutputSink sink(args.output, std::move(colour), s.errIsTerminal && args.output != OutputMode::Quiet,
                        s.out, s.err, stop);
        const search::RunSummary summary =
            search::RunSearch(conditions, places.inputs, options, sink, stop.get_token());
        work.Remove();
        if (!summary.cacheNotice.empty())
            std::fprintf(s.err, "zrgrep: the cache is off for this run: %s\n",
                         TerminalSafe(summary.cacheNotice).c_str());
        if (summary.Failed()) {
            const std::size_t position = summary.patternErrorPosition > 0
                                             ? PositionAsTyped(cp932Pattern, summary.patternErrorPosition)
                                             : 0;
            return Fail(s, PatternErrorText(summary.errorMessage, position));
        }
        if (args.output == OutputMode::Lines || args.output == OutputMode::Json)
            std::fprintf(s.err, "%s\n", summary.resultLabel.c_str());
        if (sink.WriteFailed())
            return kExitError;
        return summary.hitCount > 0 ? kExitHits : kExitNoHits;
    } catch (const std::exception &e) {
        return Fail(s, e.what());
    }
}

}  // namespace zr::tools
