#pragma once
// TArchiveControl: the one way the program touches an archive. It detects
// the archive's type through the archiver libraries, lists the stored
// entries, extracts chosen entries and reports through events whose first
// argument is the sender.

#include <QDateTime>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_item_list.h"
#include "archive/archive_options.h"
#include "archive/archive_strings.h"
#include "archive/archive_types.h"
#include "archive/archiver_binding.h"
#include "archive/control_window_side.h"
#include "archive/individual_list.h"

namespace zr::archive {

class TArchiveControl;

using TArcStartEvent = std::function<void(TArchiveControl *sender, int operation)>;
using TArcEndEvent = std::function<void(TArchiveControl *sender, int operation, int resultCode)>;
using TArcInvalidEvent = std::function<void(TArchiveControl *sender, const std::string &fileName)>;
using TArcProgressEvent = std::function<void(
    TArchiveControl *sender, const std::string &fileName, std::uint32_t counter, std::uint32_t total,
    std::uint32_t writeSize, std::uint32_t totalSize, std::uint8_t fileDone, bool &cancel)>;
// log: the whole log buffer (BufferSize bytes); its start holds the text.
using TArcLogEvent = std::function<void(TArchiveControl *sender, std::string_view log, int resultCode)>;
using TCmdLogEvent =
    std::function<void(TArchiveControl *sender, const std::string &dllName, std::string_view log)>;
using TNotifyEvent = std::function<void(TArchiveControl *sender)>;

// The text at the start of a log buffer (up to its first NUL).
std::string LogText(std::string_view log);

// A window's control shows the busy cursor and watches its archive through
// the owner thread's event loop, by the window side the program installed
// (SetWindowSideFactory; without one it acts as a plain control). A plain
// control does neither, so it can work on any thread and in programs without
// a window.
enum class TControlSurface { Window, Plain };

class TArchiveControl : public TArchiveOptionsOwner {
public:
    static constexpr std::uint32_t kDefaultBufferSize = 32128;

    explicit TArchiveControl(TControlSurface surface = TControlSurface::Window);
    // A window's control with this window side.
    explicit TArchiveControl(std::unique_ptr<TControlWindowSide> windowSide);
    ~TArchiveControl() override;
    TArchiveControl(const TArchiveControl &) = delete;
    TArchiveControl &operator=(const TArchiveControl &) = delete;

    // The window handle handed to the libraries (opaque; null by default).
    static void SetApplicationWindow(WindowHandle window);
    static WindowHandle ApplicationWindow();
    // What window controls made from now on carry (empty: nothing).
    static void SetWindowSideFactory(TControlWindowSideFactory factory);

    // ---- published properties
    bool Automatic() const { return automatic_; }
    void SetAutomatic(bool on);
    std::uint32_t BufferSize() const { return bufferSize_; }
    void SetBufferSize(std::uint32_t size) { bufferSize_ = size; }
    bool CheckAllPath() const override { return checkAllPath_; }
    void SetCheckAllPath(bool on) { checkAllPath_ = on; }
    std::string Temporarydirectory() const override { return temporarydirectory_; }
    void SetTemporarydirectory(const std::string &folder);
    const std::string &ResponseFile() const { return responseFile_; }
    void SetResponseFile(const std::string &name) { responseFile_ = name; }
    bool SilentMode() const override { return silentMode_; }
    void SetSilentMode(bool on) { silentMode_ = on; }
    TOverExtract OverExtract() const override { return overExtract_; }
    void SetOverExtract(TOverExtract policy) { overExtract_ = policy; }
    TArcSortType SortType() const { return sortType_; }
    void SetSortType(TArcSortType key);
    TSupportArchives SupportArchives() const { return supportArchives_; }
    void SetSupportArchives(TSupportArchives types) { supportArchives_ = types; }
    bool IsSfx() const { return isSfx_; }
    TArchiveType NewArchiveType() const { return newArchiveType_; }
    void SetNewArchiveType(TArchiveType type) { newArchiveType_ = type; }
    TTarType NewTarType() const { return newTarType_; }
    void SetNewTarType(TTarType type) { newTarType_ = type; }

    TLhaOptions &LhaOptions() { return *lhaOptions_; }
    TCabOptions &CabOptions() { return *cabOptions_; }
    TTarOptions &TarOptions() { return *tarOptions_; }
    TArjOptions &ArjOptions() { return *arjOptions_; }
    TRarOptions &RarOptions() { return *rarOptions_; }
    TZipOptions &ZipOptions() { return *zipOptions_; }
    TSevenZipOptions &SevenZipOptions() { return *sevenZipOptions_; }
    // Setters copy the given object's values; null is ignored.
    void SetLhaOptions(const TLhaOptions *options);
    void SetCabOptions(const TCabOptions *options);
    void SetTarOptions(const TTarOptions *options);
    void SetArjOptions(const TArjOptions *options);
    void SetRarOptions(const TRarOptions *options);
    void SetZipOptions(const TZipOptions *options);
    void SetSevenZipOptions(const TSevenZipOptions *options);
    // The option object of a type; null for atNone.
    TArchiveOptions *OptionsFor(TArchiveType type);

    // ---- public state
    const std::string &ArchiveFile() const { return archiveFile_; }
    void SetArchiveFile(const std::string &name);
    TArchiveType ArchiveType() const { return archiveType_; }
    TTarType TarType() const { return tarType_; }
    std::uint64_t ArchiveSize() const { return archiveSize_; }
    const QDateTime &ArchiveDate() const { return archiveDate_; }
    int IndividualCount() const { return individuals_.Count(); }
    TIndividualItem *Individuals(int index) const { return individuals_.Items(index); }
    const TIndividualList &IndividualList() const { return individuals_; }
    int ArcFileCount() const { return individuals_.ArcFileCount; }
    int Count() const { return items_.Count(); }
    TArchiveItem *Items(int index) const { return items_.Items(index); }
    const TArchiveList2 &ItemList() const { return items_; }
    const std::vector<std::string> &FolderList() const { return folderList_; }
    bool HasRootItems() const { return hasRootItems_; }
    bool IsBusy() const;

    // ---- operations
    // Fills the item lists with the entries matching a blank-separated wildcard list.
    void ListFiles(const std::string &mask);
    // 0 success, 1 library busy, 2 library error or no cabinet, 3 no type.
    int Extract(const std::string &destDir, TArchiveStrings &files);
    int Extract(const std::string &destDir, const std::vector<std::string> &names);
    // While set, an extraction offers each file of at most `limit` bytes to
    // `take` before writing it: a file that is only read once then costs no
    // file-system work. A library without that export writes as usual.
    void SetMemoryTaker(std::uint64_t limit, MemoryTaker take)
    {
        memoryLimit_ = limit;
        memoryTaker_ = std::move(take);
    }

    // The file handed to the library: the archive, or for a self-extracting
    // cabinet read through an old Cab library its cut-out cabinet (cut again
    // when missing; empty when it cannot be made).
    std::string LibraryArchiveName();

    // ---- events
    TArcStartEvent OnStart;
    TArcEndEvent OnEnd;
    TArcInvalidEvent OnInvalid;
    TArcProgressEvent OnExtract;
    TArcLogEvent OnLog;
    TCmdLogEvent OnCmdLog;
    TNotifyEvent OnChange;
    TNotifyEvent OnNotification;

    TControlSurface Surface() const { return surface_; }
    // Null for a plain control.
    TControlWindowSide *WindowSide() const { return windowSide_.get(); }

    // Called by the owner-window callback of the libraries.
    static int ProgressCallback(TArchiveType type, unsigned int state, const void *info);

protected:
    // Dispatch methods: each raises its event when a handler is assigned.
    virtual void DoStart(int operation, const TArchiveStrings *files,
                         const std::vector<std::string> *plainNames);
    virtual void DoEnd(int operation, int resultCode);
    virtual void DoInvalid(const std::string &fileName);
    virtual void DoLog(int resultCode);
    virtual void DoCmdLog(const std::string &dllName);
    virtual void DoChange();
    virtual void DoNotification();

private:
    struct ProgressState {
        std::uint32_t filesBegun = 0;
        std::uint32_t bytesBeforeFile = 0;
        std::uint32_t bytesWritten = 0;
        std::uint32_t totalFiles = 0;
        std::uint32_t totalBytes = 0;
    };

    void ClearLists();
    void PointWatcherAt(const std::string &file);
    void StopWatcher();
    void AssignExisting(const std::string &name);
    void AssignNew(const std::string &name);
    int SelfExtractorCode(const std::string &name, TArchiveType type);
    void PrepareCabinet(const std::string &name);
    void ListEntries(const std::string &archiveName, const std::string &mask);
    void RebuildFolderList();
    void RebuildItemList();
    // Raises the start event, runs body and raises the end event on every exit,
    // with the library's result once body has called the library.
    int RunExtraction(const TArchiveStrings *files, const std::vector<std::string> *plainNames,
                      const std::function<void(int &)> &body);
    // Sets libraryResult as soon as the library has answered.
    void ExtractList(TArchiveStrings &list, TArchiveOptions &options, int &libraryResult);
    std::uint32_t CountPlainNames(const std::vector<std::string> &names);
    // The clean-up after the end event: callback removed, watcher pointed again.
    void FinishOperation();
    void InstallProgress(const TArchiveStrings *files, const std::vector<std::string> *plainNames);
    void RemoveProgress();
    void HandleProgress(TArchiveType type, unsigned int state, const void *info, bool &cancel);
    void PrepareLogBuffer();
    void EmptyLogBuffer() { logBuffer_.clear(); }
    std::string_view LogView() const { return {logBuffer_.data(), logBuffer_.size()}; }

    bool automatic_ = true;
    std::uint64_t memoryLimit_ = 0;
    MemoryTaker memoryTaker_;
    std::uint32_t bufferSize_ = kDefaultBufferSize;
    bool checkAllPath_ = false;
    std::string temporarydirectory_;
    std::string responseFile_;
    bool silentMode_ = false;
    TOverExtract overExtract_ = oeNew;
    TArcSortType sortType_ = stNoSort;
    TSupportArchives supportArchives_;
    bool isSfx_ = false;
    TArchiveType newArchiveType_ = atLha;
    TTarType newTarType_ = tttNONE;

    std::string archiveFile_;
    TArchiveType archiveType_ = atNone;
    TTarType tarType_ = tttNONE;
    std::uint64_t archiveSize_ = 0;
    QDateTime archiveDate_;

    std::unique_ptr<TLhaOptions> lhaOptions_;
    std::unique_ptr<TCabOptions> cabOptions_;
    std::unique_ptr<TTarOptions> tarOptions_;
    std::unique_ptr<TArjOptions> arjOptions_;
    std::unique_ptr<TRarOptions> rarOptions_;
    std::unique_ptr<TZipOptions> zipOptions_;
    std::unique_ptr<TSevenZipOptions> sevenZipOptions_;

    TIndividualList individuals_;
    TArchiveList2 items_;
    std::vector<std::string> folderList_;
    bool hasRootItems_ = false;
    std::vector<char> logBuffer_;
    ProgressState progress_;
    bool progressInstalled_ = false;
    TControlSurface surface_;
    std::unique_ptr<TControlWindowSide> windowSide_;  // null for a plain control
};

}  // namespace zr::archive
