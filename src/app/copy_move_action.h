#pragma once
// Copying or moving the selected archives into a folder: the picker's texts,
// the wait for a drive that is not ready, the file operation and its
// completion message. The dialogs are passed in, so every rule is testable.

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace zr {

class TFileOperator;

enum class TCopyMoveKind { cmCopy, cmMove };

// "複写" or "移動".
std::string CopyMoveVerb(TCopyMoveKind kind);

struct TFolderPickerTexts {
    std::string caption;  // verb + "先のフォルダを選択"
    std::string line1;    // "書庫名：" + first name [+ "..." + count + " files"]
    std::string line2;    // "サイズ：" + the total with its bytes
};

TFolderPickerTexts CopyMovePickerTexts(TCopyMoveKind kind, const std::vector<std::string> &archives,
                                       double totalBytes);

// "フォルダ：" + folder + CR LF + "ドライブの準備ができていません。"
std::string DriveNotReadyText(const std::string &folder);

// Each path followed by ","; the folder (normalised) followed by ",".
std::string SourceCommaList(const std::vector<std::string> &archives);
std::string DestinationCommaList(const std::string &folder);

struct TCopyMoveDialogs {
    // The folder picker; nothing when cancelled.
    std::function<std::optional<std::string>(const TFolderPickerTexts &)> pickFolder;
    // The drive test (IsDriveReady unless replaced).
    std::function<bool(const std::string &)> driveReady;
    // The not-ready error box: true for Retry, false for Cancel.
    std::function<bool(const std::string &text)> askRetry;
    // Runs the prepared operator (its Execute unless replaced).
    std::function<bool(TFileOperator &)> execute;
    // The completion message.
    std::function<void(const std::string &text)> inform;
    // Why nothing was done.
    std::function<void(const std::string &text)> warn;
};

// The list format cannot hold a name with a comma: such a path would be split
// and other files copied or moved in its place. The message names it.
std::string CommaInPathText(const std::string &path);

// The dialogs of the window: message boxes owned by `owner`, the real drive test
// and Execute; pickFolder must be set by the caller.
TCopyMoveDialogs DefaultCopyMoveDialogs(QWidget *owner);

// Repeats the drive test while the user chooses Retry; false on Cancel.
bool CheckDriveReady(const std::string &folder, const TCopyMoveDialogs &dialogs);

// The whole action. With no destination the picker asks for one. True when
// everything was copied or moved and the user aborted nothing.
bool CopyOrMoveArchives(TCopyMoveKind kind, const std::vector<std::string> &archives,
                        std::optional<std::string> destination, QWidget *parentForm,
                        const TCopyMoveDialogs &dialogs);

}  // namespace zr
