#pragma once
// zrgrep's whole run, apart from signal handling: arguments, conditions,
// checks, a private work folder, the search, and the exit status.

#include <cstdio>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

namespace zr::tools {

struct ZrGrepStreams {
    std::FILE *out = stdout;
    std::FILE *err = stderr;
    bool outIsTerminal = false;
    bool errIsTerminal = false;
    std::FILE *in = stdin;  // read for "--archives-from -"
};

// Exit status: 0 hits, 1 none, 2 error. Stopping through stop ends the search
// like the Stop action; what was found is printed. workFolderReady is told the
// private work folder's path once it exists (for a forced exit to remove it).
int ZrGrepMain(const std::vector<std::string> &args, const ZrGrepStreams &streams, std::stop_source stop,
               const std::function<void(const std::string &)> &workFolderReady = {});

}  // namespace zr::tools
