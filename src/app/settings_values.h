#pragma once
// The values of the settings dialog: those the sibling archiver sets on
// Windows and no Linux program does. Read and written with the settings store
// under the names the run reads.

#include "app/viewer_command.h"
#include "regex/text_encoding.h"
#include "search/content_cache_setup.h"

#include <string>

namespace zr {

struct TSettingsValues {
    TViewerSettings viewer;
    std::string workPath;  // "Setting" "WorkPath"; empty: the temporary folder
    bool silentMode = true;
    int logSizeKb = 1024;    // "Archive" "LogSize"
    bool beepSound = false;  // "Setting" "BeepSound": true silences the error beep
    bool followLinks = false;  // "Setting" "FollowLinks": walk symbolic links to folders
    regex::TEncodingChoice textEncoding = regex::TEncodingChoice::ecAuto;
    search::CacheSettingValues cache;  // the "Cache" section

    static TSettingsValues FromRegistry();
    void Write() const;
};

inline constexpr int kMinLogSizeKb = 1;
inline constexpr int kMaxLogSizeKb = 65536;

// Why the values cannot be saved, or empty: a work folder that is given but
// is not an existing folder, a log size out of range.
std::string SettingsProblem(const TSettingsValues &values);

}  // namespace zr
