#include "zrscan_options.h"

namespace zr::tools {

namespace {

bool ApplyOption(const std::string &arg, ZrScanOptions &options)
{
    if (arg == "--fuzzy")
        options.fuzzy = true;
    else if (arg == "--count")
        options.count = true;
    else if (arg == "--utf8")
        options.utf8 = true;
    else if (arg.starts_with("--encoding=")) {
        const auto choice = regex::ParseEncodingChoice(arg.substr(11));
        if (!choice)
            throw ZrScanUsageError("unknown encoding " + arg.substr(11));
        options.encoding = *choice;
    } else
        return false;
    return true;
}

}  // namespace

ZrScanOptions ParseZrScanArguments(const std::vector<std::string> &args)
{
    ZrScanOptions options;
    std::size_t i = 0;
    for (; i < args.size() && args[i].starts_with("--"); ++i) {
        if (args[i] == "--") {
            ++i;
            break;
        }
        if (!ApplyOption(args[i], options))
            throw ZrScanUsageError("unknown option " + args[i]);
    }
    if (i >= args.size())
        throw ZrScanUsageError("missing PATTERN");
    options.pattern = args[i++];
    if (i >= args.size())
        throw ZrScanUsageError("missing FILE");
    options.files.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    return options;
}

}  // namespace zr::tools
