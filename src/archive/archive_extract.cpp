// Extraction: one call of the library's command function per request, with
// the start and end events, the command and output logs, and progress
// reporting through the owner-window callback.

#include <algorithm>
#include <array>
#include <cstring>
#include <typeinfo>

#include "archive/archive_control.h"
#include "archive/command_line.h"

namespace zr::archive {
namespace {

constexpr std::size_t kTypeSlots = 8;

// One current control per library type: the callback has no other way to
// find the control whose command is running.
std::array<TArchiveControl *, kTypeSlots> &CurrentControls()
{
    static std::array<TArchiveControl *, kTypeSlots> controls{};
    return controls;
}

// Return values of the callback: the Zip library reads 0 as "go on", the
// others read a true value as "go on".
int CallbackResult(TArchiveType type, bool cancel)
{
    if (type == atZip)
        return cancel ? -1 : 0;
    return cancel ? 0 : -1;
}

template <TArchiveType Type> int ArchiverCallback(void *, unsigned int, unsigned int state, void *info)
{
    return TArchiveControl::ProgressCallback(Type, state, info);
}

ArchiverProc CallbackFor(TArchiveType type)
{
    switch (type) {
    case atLha:
        return &ArchiverCallback<atLha>;
    case atCab:
        return &ArchiverCallback<atCab>;
    case atTar:
        return &ArchiverCallback<atTar>;
    case atArj:
        return &ArchiverCallback<atArj>;
    case atRar:
        return &ArchiverCallback<atRar>;
    case atZip:
        return &ArchiverCallback<atZip>;
    case at7z:
        return &ArchiverCallback<at7z>;
    case atNone:
        break;
    }
    return nullptr;
}

bool HasWildcard(const std::string &name) { return name.find_first_of("*?") != std::string::npos; }

}  // namespace

int TArchiveControl::Extract(const std::string &destDir, TArchiveStrings &files)
{
    if (IsBusy())
        return 1;
    TArchiveOptions *options = OptionsFor(archiveType_);
    if (!options)
        return 3;
    (void)destDir;  // a prepared list carries its own destination
    return RunExtraction(&files, nullptr, [&](int &libraryResult) {
        const auto &listOptions = files.Options();
        if (typeid(listOptions) != typeid(*options))
            throw EInvalidOperation(kParameterError);
        ExtractList(files, *options, libraryResult);
    });
}

int TArchiveControl::Extract(const std::string &destDir, const std::vector<std::string> &names)
{
    if (IsBusy())
        return 1;
    TArchiveOptions *options = OptionsFor(archiveType_);
    if (!options)
        return 3;
    return RunExtraction(nullptr, &names, [&](int &libraryResult) {
        TArchiveStrings list(options, responseFile_);
        list.AssignNames(names);
        list.SetDestDirectory(destDir);
        ExtractList(list, *options, libraryResult);
    });
}

int TArchiveControl::RunExtraction(const TArchiveStrings *files, const std::vector<std::string> *plainNames,
                                   const std::function<void(int &)> &body)
{
    int libraryResult = kArcNotCalled;
    try {
        DoStart(aoExtract, files, plainNames);
        body(libraryResult);
    } catch (...) {
        // The end event and the clean-up run on every exit; the error goes on to the caller.
        DoEnd(aoExtract, libraryResult);
        throw;
    }
    DoEnd(aoExtract, libraryResult);
    return libraryResult == 0 ? 0 : 2;
}

void TArchiveControl::ExtractList(TArchiveStrings &list, TArchiveOptions &options, int &libraryResult)
{
    const std::string archiveName = LibraryArchiveName();
    if (archiveName.empty()) {
        PrepareLogBuffer();
        const std::size_t length = std::min<std::size_t>(logBuffer_.size(), std::strlen(kCabinetNotCreated));
        std::memcpy(logBuffer_.data(), kCabinetNotCreated, length);
        DoLog(-1);
        EmptyLogBuffer();
        return;
    }
    TCommandLine command;
    command.Add(options.GetCommand(aoExtract));
    command.AddQuoted(archiveName);
    command.AddQuoted(list.DestDirectory());
    command.Add(list.FilePart());

    if (OnCmdLog) {
        PrepareLogBuffer();
        const std::string &text = command.Text();
        std::memcpy(logBuffer_.data(), text.data(), std::min(text.size(), logBuffer_.size()));
        DoCmdLog(LibraryFileNameFor(archiveType_));
        EmptyLogBuffer();
    }

    PrepareLogBuffer();
    TArchiverBinding &binding = *BindingFor(archiveType_);
    char *output = OnLog ? logBuffer_.data() : nullptr;
    const std::uint32_t outputSize = OnLog ? static_cast<std::uint32_t>(logBuffer_.size()) : 0;
    libraryResult = kArcNotCalled;
    if (memoryTaker_)
        libraryResult = binding.CommandToMemory(ApplicationWindow(), command.Text(), output, outputSize,
                                                memoryLimit_, memoryTaker_);
    if (libraryResult == kArcNotCalled)
        libraryResult = binding.Command(ApplicationWindow(), command.Text(), output, outputSize);
    DoLog(libraryResult);
    EmptyLogBuffer();
}

void TArchiveControl::PrepareLogBuffer() { logBuffer_.assign(bufferSize_, '\0'); }

// ---- start and end

void TArchiveControl::DoStart(int operation, const TArchiveStrings *files,
                              const std::vector<std::string> *plainNames)
{
    StopWatcher();
    if (silentMode_) {
        // The Tar library reports no progress: it runs with its own dialog.
        const bool compressNonLha = operation == aoCompress && archiveType_ != atLha;
        const bool extractTar = operation == aoExtract && archiveType_ == atTar;
        if (compressNonLha || extractTar)
            silentMode_ = false;
    }
    if (OnStart)
        OnStart(this, operation);
    if (silentMode_ && operation == aoExtract && OnExtract)
        InstallProgress(files, plainNames);
}

void TArchiveControl::DoEnd(int operation, int resultCode)
{
    try {
        if (OnEnd)
            OnEnd(this, operation, resultCode);
    } catch (...) {
        // A failing handler must not leave the callback installed or the archive unwatched.
        FinishOperation();
        throw;
    }
    FinishOperation();
}

void TArchiveControl::FinishOperation()
{
    if (progressInstalled_)
        RemoveProgress();
    PointWatcherAt(archiveFile_);
}

void TArchiveControl::DoLog(int resultCode)
{
    if (OnLog)
        OnLog(this, LogView(), resultCode);
}

void TArchiveControl::DoCmdLog(const std::string &dllName)
{
    if (OnCmdLog)
        OnCmdLog(this, dllName, LogView());
}

// ---- progress

void TArchiveControl::InstallProgress(const TArchiveStrings *files,
                                      const std::vector<std::string> *plainNames)
{
    progress_ = ProgressState{};
    if (files) {
        progress_.totalFiles = files->TotalCount;
        progress_.totalBytes = files->TotalSize;
    } else if (plainNames) {
        progress_.totalFiles = CountPlainNames(*plainNames);
    }
    if (progress_.totalFiles == 0)
        return;
    CurrentControls()[archiveType_] = this;
    progressInstalled_ = true;
    BindingFor(archiveType_)->SetOwnerWindowEx(ApplicationWindow(), CallbackFor(archiveType_));
}

void TArchiveControl::RemoveProgress()
{
    progressInstalled_ = false;
    for (TArchiveControl *&current : CurrentControls())
        if (current == this)
            current = nullptr;
    if (TArchiverBinding *binding = BindingFor(archiveType_))
        binding->KillOwnerWindowEx(ApplicationWindow());
}

std::uint32_t TArchiveControl::CountPlainNames(const std::vector<std::string> &names)
{
    TArchiverBinding *binding = BindingFor(archiveType_);
    std::uint32_t count = 0;
    const std::string archiveName = LibraryArchiveName();
    for (const std::string &name : names) {
        if (!HasWildcard(name)) {
            ++count;
            continue;
        }
        ScopedArchiveHandle handle(*binding,
                                   binding->OpenArchive(ApplicationWindow(), archiveName, arc_mode::kList));
        if (!handle)
            continue;
        TIndividualInfo info{};
        for (int r = binding->FindFirst(handle.Get(), name, info); r == 0;
             r = binding->FindNext(handle.Get(), info))
            ++count;
    }
    return count;
}

int TArchiveControl::ProgressCallback(TArchiveType type, unsigned int state, const void *info)
{
    TArchiveControl *control = type < kTypeSlots ? CurrentControls()[type] : nullptr;
    bool cancel = false;
    if (control && control->OnExtract) {
        try {
            control->HandleProgress(type, state, info, cancel);
        } catch (...) {
            // A failing handler must not stop the library half-way through a file.
            cancel = false;
        }
    }
    return CallbackResult(type, cancel);
}

void TArchiveControl::HandleProgress(TArchiveType type, unsigned int state, const void *info, bool &cancel)
{
    const ExtractingProgress p = ReadExtractingInfo(info);
    ProgressState &s = progress_;
    if (state == 0) {
        if (type == atLha && p.sourceName.empty())
            return;
        if (type == atArj && p.destName.empty())
            return;
        ++s.filesBegun;
        s.bytesBeforeFile = s.bytesWritten;
        OnExtract(this, p.sourceName, s.filesBegun, s.totalFiles, s.bytesWritten, s.totalBytes, 0, cancel);
    } else if (state == 1) {
        s.bytesWritten = s.bytesBeforeFile + p.writeSize;
        std::uint64_t done = p.fileSize ? (100ull * p.writeSize) / p.fileSize : 0;
        const auto fileDone = static_cast<std::uint8_t>(std::min<std::uint64_t>(done, 100));
        OnExtract(this, p.sourceName, s.filesBegun, s.totalFiles, s.bytesWritten, s.totalBytes, fileDone,
                  cancel);
    }
}

}  // namespace zr::archive
