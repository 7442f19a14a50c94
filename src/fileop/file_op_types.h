#pragma once
// The values of one file operation request: the operation, its flag word
// (the classic shell bit values) and what the user can answer when a target
// already exists.

#include <cstdint>
#include <functional>
#include <string>

namespace zr {

enum class TFileOperation : std::uint32_t { foMove = 1, foCopy = 2, foDelete = 3, foRename = 4 };

using TFileOpFlags = std::uint16_t;
inline constexpr TFileOpFlags foMultiDestFiles = 0x01;
inline constexpr TFileOpFlags foConfirmMouse = 0x02;
inline constexpr TFileOpFlags foSilent = 0x04;
inline constexpr TFileOpFlags foRenameOnCollision = 0x08;
inline constexpr TFileOpFlags foNoConfirmation = 0x10;
inline constexpr TFileOpFlags kWantMappingHandleBit = 0x20;
inline constexpr TFileOpFlags foAllowUndo = 0x40;
inline constexpr TFileOpFlags foFilesOnly = 0x80;
inline constexpr TFileOpFlags foSimpleProgress = 0x100;
inline constexpr TFileOpFlags foNoConfirmMkDir = 0x200;
inline constexpr TFileOpFlags kFileOpFlagMask = 0x3DF;  // every member of the flag set

enum class TOverwriteAnswer { Yes, No, All, Cancel };

// The outside world of an operation, replaceable for tests.
struct TFileOpHooks {
    // An existing target: overwrite it with source, skip it, overwrite all, or stop.
    std::function<TOverwriteAnswer(const std::string &source, const std::string &target)> askOverwrite;
    // A yes/no question (creating a missing folder, deleting).
    std::function<bool(const std::string &question)> confirm;
    // rename(2): 0 or the errno value.
    std::function<int(const std::string &from, const std::string &to)> rename;
    std::function<void(const std::string &message)> reportError;
};

// The hooks' defaults where none is set: the real rename, "no" to
// questions, overwrite refused, errors dropped.
TFileOpHooks CompleteHooks(TFileOpHooks hooks);

struct TFileOpResult {
    bool succeeded = true;  // no error and not cancelled
    bool aborted = false;   // the user cancelled or skipped something
    std::string error;      // the first error
};

}  // namespace zr
