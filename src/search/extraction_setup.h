#pragma once
// Preparing an archive control for extraction: options by archive type and
// the list of names to extract. The search run and the view action share them.

#include <string>
#include <vector>

#include "archive/archive_control.h"
#include "archive/archive_strings.h"
#include "search/run_options.h"

namespace zr::search {

// Work folder, silent mode from the settings, and per type the extraction
// options (keepFolders: with folders), report switches and overwrite mode.
void ConfigureExtraction(archive::TArchiveControl &control, const std::string &workFolder,
                         const RunSettings &settings, bool keepFolders, archive::TOverExtract overwrite);

// Appends the full stored names to list and sets its totals. Outside ZIP a
// folder entry loses its trailing separator and a file adds its size.
void BuildExtractList(const archive::TArchiveControl &control,
                      const std::vector<const archive::TArchiveItem *> &items,
                      archive::TArchiveStrings &list);

// A new empty file "~ZR..." in the private temporary folder for the names
// of one extraction; empty when none can be made.
std::string MakeResponseFileName();

}  // namespace zr::search
