#include "zrscan_run.h"

#include "platform/codepage.h"
#include "regex/grep.h"
#include "regex/line_display.h"

#include <optional>
#include <ostream>

namespace zr::tools {

namespace {

std::string PatternAsCp932(const std::string &utf8)
{
    platform::ConversionResult converted = platform::Utf8ToCp932(utf8);
    if (!converted.ok)
        throw ZrScanUsageError("the pattern has a character with no CP932 form at byte " +
                               std::to_string(converted.errorOffset + 1));
    return converted.text;
}

class Scanner {
public:
    Scanner(const ZrScanOptions &options, std::ostream &out) : options_(options), out_(out)
    {
        grep_.SetUseFuzzyCharDic(options.fuzzy);
        grep_.SetLineTextWanted(!options.count);
        grep_.SetLineNumbersWanted(!options.count);
        grep_.SetEncodingChoice(options.encoding);
        grep_.SetRegExp(PatternAsCp932(options.pattern));
    }

    // Returns the number of reported lines.
    long ScanFile(const std::string &file)
    {
        long reported = 0;
        grep_.SetOnMatch([&](regex::TGrep &, regex::RE_LineInfo_t &info) {
            ++reported;
            if (!options_.count)
                PrintLine(file, info);
        });
        grep_.GrepFile(file);
        if (options_.count)
            out_ << file << ':' << reported << '\n';
        return reported;
    }

private:
    void PrintLine(const std::string &file, const regex::RE_LineInfo_t &info)
    {
        out_ << file << ':' << info.LineNo << ':';
        if (options_.utf8)
            out_ << regex::LineTextForDisplay(info.Line, info.Substitutes);
        else
            out_ << info.Line;
        out_ << '\n';
    }

    const ZrScanOptions &options_;
    std::ostream &out_;
    regex::TGrep grep_;
};

}  // namespace

int RunZrScan(const ZrScanOptions &options, std::ostream &out, std::ostream &err)
{
    std::optional<Scanner> scanner;
    try {
        scanner.emplace(options, out);
    } catch (const regex::ERegExpParser &e) {
        // Position 0 stands for the whole pattern (a refusal), not for a byte.
        err << "zrscan: " << e.what();
        if (e.Position() > 0)
            err << " (pattern byte " << e.Position() << ")";
        err << '\n';
        return kZrScanError;
    } catch (const std::exception &e) {
        err << "zrscan: " << e.what() << '\n';
        return kZrScanError;
    }
    long reported = 0;
    bool failed = false;
    for (const std::string &file : options.files) {
        try {
            reported += scanner->ScanFile(file);
        } catch (const std::exception &e) {
            err << "zrscan: " << file << ": " << e.what() << '\n';
            failed = true;
        }
    }
    out.flush();
    if (failed)
        return kZrScanError;
    return reported > 0 ? kZrScanFound : kZrScanNothing;
}

int ZrScanMain(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    try {
        return RunZrScan(ParseZrScanArguments(args), out, err);
    } catch (const ZrScanUsageError &e) {
        err << "zrscan: " << e.what() << '\n' << kZrScanUsage << '\n';
        return kZrScanError;
    }
}

}  // namespace zr::tools
