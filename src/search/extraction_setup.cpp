#include "search/extraction_setup.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "search/hit_record.h"
#include "util/temp_folder.h"

namespace zr::search {

using namespace zr::archive;

void ConfigureExtraction(TArchiveControl &control, const std::string &workFolder, const RunSettings &settings,
                         bool keepFolders, TOverExtract overwrite)
{
    control.SetTemporarydirectory(workFolder);
    control.SetSilentMode(settings.silentMode);
    const TExtractOptions withHidden =
        keepFolders ? TExtractOptions{eoIncludeDir, eoIncludeHidden} : TExtractOptions{eoIncludeHidden};
    const TExtractOptions plain = keepFolders ? TExtractOptions{eoIncludeDir} : TExtractOptions{};
    switch (control.ArchiveType()) {
    case atLha: {
        TLhaOptions &lha = control.LhaOptions();
        lha.ExtractOptions = withHidden;
        lha.DetailReport = settings.reportType1;
        lha.ShowSkipFile = settings.skipFile;
        lha.IgnoreBrokenHeader = settings.ignoreBrokenHeader;
        break;
    }
    case atArj:
        control.ArjOptions().ExtractOptions = withHidden;
        control.ArjOptions().DetailReport = settings.reportType2;
        break;
    case atZip:
        control.ZipOptions().ExtractOptions = plain;
        control.ZipOptions().DetailReport = settings.reportType2;
        break;
    case atCab:
        control.CabOptions().ExtractOptions = plain;
        break;
    case atTar:
        control.TarOptions().ExtractOptions = plain;
        break;
    case atRar:
        control.RarOptions().ExtractOptions = plain;
        break;
    case at7z:
        control.SevenZipOptions().ExtractOptions = plain;
        break;
    case atNone:
        return;
    }
    control.SetOverExtract(overwrite);
}

void BuildExtractList(const TArchiveControl &control, const std::vector<const TArchiveItem *> &items,
                      TArchiveStrings &list)
{
    const bool zip = control.ArchiveType() == atZip;
    std::uint64_t totalSize = 0;
    for (const TArchiveItem *item : items) {
        std::string name = item->FileName();
        if (!zip) {
            if (IsFolderEntry(name))
                name.pop_back();
            else
                totalSize += item->Size();
        }
        list.Add(std::move(name));
    }
    list.TotalCount = static_cast<std::uint32_t>(list.Count());
    list.TotalSize = static_cast<std::uint32_t>(std::min<std::uint64_t>(totalSize, UINT32_MAX));
}

std::string MakeResponseFileName()
{
    const std::string temp = TempFolder();
    if (temp.empty())
        return {};
    std::string name = temp + "/~ZRXXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return {};
    ::close(fd);
    return name;
}

}  // namespace zr::search
