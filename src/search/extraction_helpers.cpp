#include "search/extraction_helpers.h"

#include <sys/stat.h>
#include <unistd.h>

namespace zr::search {

using archive::TArchiveControl;

void BindRunEvents(TArchiveControl &control, const RunSettings &settings, const std::stop_token &stop)
{
    const std::uint32_t bufferSize = settings.logSizeKb * 1024u;
    control.OnStart = [bufferSize](TArchiveControl *sender, int) { sender->SetBufferSize(bufferSize); };
    control.OnExtract = [stop](TArchiveControl *, const std::string &, std::uint32_t, std::uint32_t,
                               std::uint32_t, std::uint32_t, std::uint8_t, bool &cancel) {
        if (stop.stop_requested())
            cancel = true;
    };
    // The log goes nowhere, but a bound handler gives the libraries a buffer to write to.
    control.OnLog = [](TArchiveControl *, std::string_view, int) {};
}

bool IsRegularFile(const std::string &path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

ScopedFileRemoval::~ScopedFileRemoval()
{
    if (!path_.empty())
        ::unlink(path_.c_str());
}

}  // namespace zr::search
