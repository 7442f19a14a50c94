#pragma once
// The places one zrgrep run searches, judged before it starts: the PATHs in
// their order, then the archives of --archives-from in the listed order, or
// the condition file's folder when neither is given.

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "search/search_conditions.h"
#include "search/search_inputs.h"
#include "zrgrep_options.h"

namespace zr::tools {

struct ZrGrepPlaces {
    std::vector<search::SearchInput> inputs;  // what the run searches, in order
    std::vector<std::string> refusals;        // one message per place not searched
};

// The archive list could not be read; what() is the message.
class ZrGrepListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Nothing is opened but the archive list (stdin for "-"). A listed folder is
// refused: the list names archives, so shards of it search exactly those.
ZrGrepPlaces CollectPlaces(const ZrGrepArguments &args, const search::SearchConditions &conditions,
                           std::FILE *standardInput = stdin);

}  // namespace zr::tools
