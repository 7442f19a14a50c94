#pragma once
// Everything a run needs besides the conditions.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "regex/text_encoding.h"
#include "search/nest_settings.h"
#include "search/content_cache_setup.h"
#include "search/worker/worker_limits.h"

namespace zr::search {

class FileScanner;

// The settings a run reads ("Setting" and "Archive" sections).
struct RunSettings {
    std::string workPath;  // base of the window's work folder; "" = temporary folder
    bool silentMode = true;
    bool reportType1 = false;         // LHA detailed report
    bool reportType2 = false;         // ARJ and ZIP detailed report
    bool skipFile = false;            // LHA: report skipped files
    bool ignoreBrokenHeader = false;  // LHA, during extraction
    std::uint32_t logSizeKb = 1024;   // archive control log buffer
    bool followLinks = false;         // walk symbolic links to folders ("FollowLinks")
    worker::WorkerLimitSettings workerLimits;  // what each worker process may use
    // "TextEncoding": each stored file's encoding judged (auto) or forced.
    regex::TEncodingChoice textEncoding = regex::TEncodingChoice::ecAuto;
    NestSettings nest;  // archives inside archives ("NestDepth"; on or off per search)
    // The content cache of decompressed entries; its folder "" = none.
    CacheSetup cache;

    // Reads the values through the settings store; missing values give the
    // defaults. Callers read the store; the run itself never does.
    static RunSettings FromRegistry();
};

using FileScannerFactory = std::function<std::unique_ptr<FileScanner>()>;

struct RunOptions {
    // The run's own work folder; its "~EXTRACT" sub-folder is emptied and used
    // for extraction. The window passes its "~GREP(" folder, zrgrep one of its own.
    std::string workFolder;
    bool fuzzy = true;  // the fuzzy-character dictionary
    // Keep every hit in SearchRun::Hits(). A caller that takes the hits from
    // its sink (zrgrep) turns this off; the counts are kept either way.
    bool keepHits = true;
    RunSettings settings;
    // Makes the scanner for extracted files; empty = the grep component.
    FileScannerFactory scannerFactory;
    // Each archive is searched in a confined worker process ("zrworker" beside
    // the program, or workerProgram), so an archive that crashes or hangs a
    // library costs only itself. In this process instead when useWorkers is
    // off, when no worker program is found, or with a scannerFactory (which
    // cannot cross into another process).
    bool useWorkers = true;
    // Archives searched at once in workers; 0 = DefaultWorkerCount(). The
    // hits come in the same order whatever the number.
    int workerCount = 0;
    std::string workerProgram;
    std::optional<worker::WorkerLimits> workerLimits;  // unset: from settings.workerLimits
};

}  // namespace zr::search
