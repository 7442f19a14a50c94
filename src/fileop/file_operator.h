#pragma once
// TFileOperator: runs one copy, move, rename or delete of one or more files,
// with a progress window, overwrite questions and clear errors, from
// comma-separated source and destination lists.

#include "fileop/file_op_record.h"
#include "fileop/file_op_types.h"
#include "fileop/file_progress.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zr {

class TFileOperator {
public:
    using TProgressFactory = std::function<std::unique_ptr<TFileProgress>(const TFileOperator &)>;

    TFileOperator();

    // Unset reads as foCopy, but Execute refuses to run until it is set.
    TFileOperation Operation() const;
    void SetOperation(TFileOperation operation) { record_.operation = static_cast<std::uint32_t>(operation); }
    TFileOpFlags Flags() const { return record_.flags & kFileOpFlagMask; }
    void SetFlags(TFileOpFlags flags);
    bool WantMappingHandle() const { return (record_.flags & kWantMappingHandleBit) != 0; }
    void SetWantMappingHandle(bool want);
    const std::string &ProgressTitle() const { return progressTitle_; }
    void SetProgressTitle(std::string title) { progressTitle_ = std::move(title); }
    QWidget *ParentForm() const { return parentForm_; }
    void SetParentForm(QWidget *form) { parentForm_ = form; }

    // Comma-separated lists, kept as double-zero lists.
    void SetSource(std::string_view commaList);
    void SetDestination(std::string_view commaList);
    const std::string &SourceList() const { return source_; }
    const std::string &DestinationList() const { return destination_; }

    // True when everything was done; Aborted() tells whether the user
    // cancelled or skipped anything. Errors are shown unless hooks replace that.
    bool Execute();
    bool Aborted() const { return record_.aborted; }
    const std::string &LastError() const { return lastError_; }

    // The "data" record of form files; SetData ignores a record of the wrong size.
    TFileOpRecordBytes Data() const { return record_.Encode(); }
    bool SetData(std::span<const std::uint8_t> bytes);

    // Replace the questions, error display, rename and progress window (tests, tools).
    TFileOpHooks &Hooks() { return hooks_; }
    void SetProgressFactory(TProgressFactory factory) { progressFactory_ = std::move(factory); }

private:
    TFileOpHooks DialogHooks(TFileProgress *progress) const;
    std::unique_ptr<TFileProgress> MakeProgress() const;

    TFileOpRecord record_;
    std::string source_;
    std::string destination_;
    std::string progressTitle_ = "File  Operation";
    QPointer<QWidget> parentForm_;
    TFileOpHooks hooks_;
    TProgressFactory progressFactory_;
    std::string lastError_;
};

}  // namespace zr
