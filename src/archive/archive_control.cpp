#include "archive/archive_control.h"

#include <QDateTime>
#include <sys/stat.h>
#include <algorithm>
#include <filesystem>

#include "archive/archive_detection.h"
#include "archive/cabinet_cutout.h"
#include "archive/stored_name.h"
#include "util/file_queries.h"
#include "util/temp_folder.h"

namespace zr::archive {
namespace {

WindowHandle &ApplicationWindowSlot()
{
    static WindowHandle window = nullptr;
    return window;
}

TControlWindowSideFactory &WindowSideFactorySlot()
{
    static TControlWindowSideFactory factory;
    return factory;
}

std::unique_ptr<TControlWindowSide> MakeWindowSide(TControlSurface surface)
{
    const TControlWindowSideFactory &factory = WindowSideFactorySlot();
    return surface == TControlSurface::Window && factory ? factory() : nullptr;
}

// The busy cursor for a scope, when the control has a window side.
class BusyScope {
public:
    explicit BusyScope(TControlWindowSide *side) : side_(side)
    {
        if (side_)
            side_->BeginBusy();
    }
    ~BusyScope()
    {
        if (side_)
            side_->EndBusy();
    }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    TControlWindowSide *side_;
};

std::string NewArchiveExtension(TArchiveType type, TTarType tarType, bool sfx)
{
    if (sfx)
        return ".exe";
    switch (type) {
    case atLha:
        return ".lzh";
    case atCab:
        return ".cab";
    case atTar:
        if (tarType == tttTARGZ || tarType == tttGZ)
            return ".tgz";
        if (tarType == tttTARZ || tarType == tttZ)
            return ".z";
        if (tarType == tttTARBZ2 || tarType == tttBZ2)
            return ".bz2";
        if (tarType == tttTARXZ || tarType == tttXZ)
            return ".txz";
        if (tarType == tttTARZSTD || tarType == tttZSTD)
            return ".tzst";
        if (tarType == tttTARLZ4 || tarType == tttLZ4)
            return ".lz4";
        if (tarType == tttTARLZIP || tarType == tttLZIP)
            return ".tlz";
        if (tarType == tttTARLZMA || tarType == tttLZMA)
            return ".lzma";
        return ".tar";
    case atArj:
        return ".arj";
    case atRar:
        return ".rar";
    case atZip:
        return ".zip";
    case at7z:
        return ".7z";
    case atNone:
        break;
    }
    return {};
}

}  // namespace

std::string LogText(std::string_view log) { return std::string(log.substr(0, log.find('\0'))); }

void TArchiveControl::SetApplicationWindow(WindowHandle window) { ApplicationWindowSlot() = window; }
WindowHandle TArchiveControl::ApplicationWindow() { return ApplicationWindowSlot(); }
void TArchiveControl::SetWindowSideFactory(TControlWindowSideFactory factory)
{
    WindowSideFactorySlot() = std::move(factory);
}

TArchiveControl::TArchiveControl(TControlSurface surface) : TArchiveControl(MakeWindowSide(surface))
{
    surface_ = surface;
}

TArchiveControl::TArchiveControl(std::unique_ptr<TControlWindowSide> windowSide)
    : lhaOptions_(std::make_unique<TLhaOptions>(this)), cabOptions_(std::make_unique<TCabOptions>(this)),
      tarOptions_(std::make_unique<TTarOptions>(this)), arjOptions_(std::make_unique<TArjOptions>(this)),
      rarOptions_(std::make_unique<TRarOptions>(this)), zipOptions_(std::make_unique<TZipOptions>(this)),
      sevenZipOptions_(std::make_unique<TSevenZipOptions>(this)), individuals_(this), items_(this),
      surface_(windowSide ? TControlSurface::Window : TControlSurface::Plain), windowSide_(std::move(windowSide))
{
    if (windowSide_)
        windowSide_->SetOnArchiveChanged([this] { DoNotification(); });
}

TArchiveControl::~TArchiveControl()
{
    if (progressInstalled_)
        RemoveProgress();
    StopWatcher();
}

void TArchiveControl::PointWatcherAt(const std::string &file)
{
    if (windowSide_)
        windowSide_->WatchArchive(file);
}

void TArchiveControl::StopWatcher()
{
    if (windowSide_)
        windowSide_->StopWatching();
}

// ---- properties

void TArchiveControl::SetAutomatic(bool on)
{
    if (on == automatic_)
        return;
    automatic_ = on;
    if (on && !archiveFile_.empty())
        ListFiles("*.*");
}

void TArchiveControl::SetTemporarydirectory(const std::string &folder)
{
    std::string value = FolderExists(folder) ? folder : std::string();
    while (value.size() > 1 && value.back() == '/')
        value.pop_back();
    temporarydirectory_ = value;
}

void TArchiveControl::SetSortType(TArcSortType key)
{
    if (key == stNoSort) {
        sortType_ = stNoSort;
        return;
    }
    sortType_ = items_.ChooseSortKey(sortType_, key);
}

void TArchiveControl::SetLhaOptions(const TLhaOptions *options)
{
    if (options)
        lhaOptions_->Assign(*options);
}
void TArchiveControl::SetCabOptions(const TCabOptions *options)
{
    if (options)
        cabOptions_->Assign(*options);
}
void TArchiveControl::SetTarOptions(const TTarOptions *options)
{
    if (options)
        tarOptions_->Assign(*options);
}
void TArchiveControl::SetArjOptions(const TArjOptions *options)
{
    if (options)
        arjOptions_->Assign(*options);
}
void TArchiveControl::SetRarOptions(const TRarOptions *options)
{
    if (options)
        rarOptions_->Assign(*options);
}
void TArchiveControl::SetZipOptions(const TZipOptions *options)
{
    if (options)
        zipOptions_->Assign(*options);
}
void TArchiveControl::SetSevenZipOptions(const TSevenZipOptions *options)
{
    if (options)
        sevenZipOptions_->Assign(*options);
}

TArchiveOptions *TArchiveControl::OptionsFor(TArchiveType type)
{
    switch (type) {
    case atLha:
        return lhaOptions_.get();
    case atCab:
        return cabOptions_.get();
    case atTar:
        return tarOptions_.get();
    case atArj:
        return arjOptions_.get();
    case atRar:
        return rarOptions_.get();
    case atZip:
        return zipOptions_.get();
    case at7z:
        return sevenZipOptions_.get();
    case atNone:
        break;
    }
    return nullptr;
}

bool TArchiveControl::IsBusy() const
{
    TArchiverBinding *binding = BindingFor(archiveType_);
    if (!binding)
        return false;
    if (binding->GetRunning())
        return true;
    return archiveType_ == atZip && ZipWriterBinding().GetRunning();
}

// ---- assigning a file

void TArchiveControl::ClearLists()
{
    individuals_.Clear();
    individuals_.ArcFileCount = 0;
    items_.Clear();
    folderList_.clear();
    hasRootItems_ = false;
}

void TArchiveControl::SetArchiveFile(const std::string &name)
{
    if (name == archiveFile_ || IsBusy())
        return;
    if (name.empty()) {
        ClearLists();
        archiveFile_.clear();
        archiveType_ = atNone;
        tarType_ = tttNONE;
        isSfx_ = false;
        DoChange();
        PointWatcherAt({});
        return;
    }
    if (FileExistsQuiet(name) && !IsEmptyFile(name))
        AssignExisting(name);
    else
        AssignNew(name);
}

void TArchiveControl::AssignExisting(const std::string &name)
{
    const TArchiveType type = DetectArchiveType(name, {lhaOptions_->IgnoreBrokenHeader, supportArchives_});
    if (type == atNone) {
        DoInvalid(name);
        return;
    }
    ClearLists();
    archiveType_ = type;
    tarType_ = tttNONE;
    if (type == atTar) {
        tarType_ = static_cast<TTarType>(BindingFor(atTar)->GetArchiveType(name));
        tarOptions_->CompressType = CompressTypeForTarType(tarType_);
    }
    const int code = SelfExtractorCode(name, type);
    isSfx_ = code > 0;
    if (type == atLha && isSfx_) {
        lhaOptions_->SfxType = LhaSfxTypeForCode(code);
    } else if (type != atLha) {
        if (CabReadsSfxDirectly())
            cabOptions_->CutOutCabinet.clear();
        else if (type == atCab && isSfx_)
            PrepareCabinet(name);
    }
    archiveFile_ = name;
    if (automatic_)
        ListFiles("*.*");
    PointWatcherAt(archiveFile_);
}

int TArchiveControl::SelfExtractorCode(const std::string &name, TArchiveType type)
{
    if (UpperExtension(name) != ".EXE")
        return 0;
    BusyScope busy(windowSide_.get());
    int code = 0;
    switch (type) {
    case atLha: {
        TArchiverBinding &lha = *BindingFor(atLha);
        const std::uint32_t mode =
            lhaOptions_->IgnoreBrokenHeader ? arc_mode::kLhaSfxQueryBroken : arc_mode::kLhaSfxQuery;
        ScopedArchiveHandle handle(lha, lha.OpenArchive(ApplicationWindow(), name, mode));
        if (handle)
            code = lha.IsSFXFile(handle.Get());
        break;
    }
    case atArj: {
        TArchiverBinding &arj = *BindingFor(atArj);
        ScopedArchiveHandle handle(arj, arj.OpenArchive(ApplicationWindow(), name, arc_mode::kArjSfxQuery));
        if (handle)
            code = arj.IsSFXFile(handle.Get());
        break;
    }
    case atCab:
    case atRar:
    case atZip:
    case at7z:
        code = 1;
        break;
    case atTar:
    case atNone:
        code = 0;
        break;
    }
    // An LHA archive in a ".exe" the library does not know is taken as a DOS self-extractor.
    if (code == 0 && type == atLha)
        code = 9901;
    return code;
}

void TArchiveControl::PrepareCabinet(const std::string &name)
{
    const std::string target = CutOutCabinetName(name, temporarydirectory_);
    cabOptions_->CutOutCabinet = target;
    if (CutOutCabinet(name, target))
        return;
    // A cabinet left by an executable of the same name must not stand in for this one.
    const std::string folder = std::filesystem::path(target).parent_path().string();
    std::error_code ec;
    if (folder == temporarydirectory_ || folder == TempFolder())
        std::filesystem::remove(target, ec);
}

std::string TArchiveControl::LibraryArchiveName()
{
    if (archiveType_ != atCab || !isSfx_ || CabReadsSfxDirectly())
        return archiveFile_;
    std::string &target = cabOptions_->CutOutCabinet;
    if (target.empty())
        target = CutOutCabinetName(archiveFile_, temporarydirectory_);
    if (!FileExistsQuiet(target))
        CutOutCabinet(archiveFile_, target);
    return FileExistsQuiet(target) ? target : std::string();
}

void TArchiveControl::AssignNew(const std::string &name)
{
    std::string newName = name;
    TArchiveType type = TypeFromExtension(name);
    const std::string extension = UpperExtension(name);
    if (extension == ".ARJ" || extension == ".RAR" || extension == ".7Z") {
        // These formats are only read, never created.
        DoInvalid(name);
        return;
    }
    if (type == atNone) {
        type = newArchiveType_;
        newName += NewArchiveExtension(type, newTarType_, isSfx_);
    }
    ClearLists();
    archiveFile_ = newName;
    archiveType_ = type;
    tarType_ = tttNONE;
    DoChange();
    PointWatcherAt(archiveFile_);
}

// ---- listing

void TArchiveControl::ListFiles(const std::string &mask)
{
    if (!FileExistsQuiet(archiveFile_)) {
        ClearLists();
        return;
    }
    StopWatcher();
    // Asked of the file system by its bytes: a name that is not valid UTF-8
    // (Shift-JIS from an old disk) has no faithful QString spelling.
    struct stat info {};
    if (::stat(archiveFile_.c_str(), &info) != 0)
        info = {};
    archiveSize_ = static_cast<std::uint64_t>(info.st_size);
    archiveDate_ = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(info.st_mtim.tv_sec) * 1000 +
                                                  info.st_mtim.tv_nsec / 1000000);
    ClearLists();
    if (archiveSize_ > 0) {
        const std::string archiveName = LibraryArchiveName();
        if (!archiveName.empty())
            ListEntries(archiveName, mask);
    }
    RebuildFolderList();
    RebuildItemList();
    PointWatcherAt(archiveFile_);
}

void TArchiveControl::ListEntries(const std::string &archiveName, const std::string &mask)
{
    TArchiverBinding *binding = BindingFor(archiveType_);
    if (!binding)
        return;
    // The LHA and ARJ libraries list quickly enough to go without the cursor.
    const bool busyCursor = archiveType_ != atLha && archiveType_ != atArj;
    BusyScope busy(busyCursor ? windowSide_.get() : nullptr);

    const int count = binding->GetFileCount(archiveName);
    individuals_.ArcFileCount = count;
    const bool tolerant = archiveType_ == atLha && lhaOptions_->IgnoreBrokenHeader;
    if (count <= 0 && !tolerant)
        return;

    std::uint32_t mode = arc_mode::kList;
    if (archiveType_ == atLha)
        mode = tolerant ? arc_mode::kListLhaBroken : arc_mode::kListLha;
    if (archiveType_ == atCab || archiveType_ == atTar)
        mode = arc_mode::kListCabTar;
    individuals_.SetCapacity(count);

    ScopedArchiveHandle handle(*binding, binding->OpenArchive(ApplicationWindow(), archiveName, mode));
    if (!handle)
        return;
    TIndividualInfo info{};
    for (int result = binding->FindFirst(handle.Get(), mask, info); result == 0;
         result = binding->FindNext(handle.Get(), info)) {
        individuals_.Add(info);
        info.fill(0);
    }
}

void TArchiveControl::RebuildFolderList()
{
    folderList_.clear();
    hasRootItems_ = false;
    for (int i = 0; i < individuals_.Count(); ++i) {
        const std::string &folder = individuals_.Items(i)->Path();
        if (folder.empty() || folder == "/" || folder == "\\")
            hasRootItems_ = true;
        else
            folderList_.push_back(folder);
    }
    std::sort(folderList_.begin(), folderList_.end());
    folderList_.erase(std::unique(folderList_.begin(), folderList_.end()), folderList_.end());
}

void TArchiveControl::RebuildItemList()
{
    items_.Clear();
    for (int i = 0; i < individuals_.Count(); ++i)
        items_.Add(individuals_.Items(i)->Info());
    if (sortType_ != stNoSort)
        items_.Sort(sortType_);
}

// ---- dispatch methods

void TArchiveControl::DoInvalid(const std::string &fileName)
{
    if (OnInvalid)
        OnInvalid(this, fileName);
}

void TArchiveControl::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TArchiveControl::DoNotification()
{
    if (OnNotification)
        OnNotification(this);
}

}  // namespace zr::archive
