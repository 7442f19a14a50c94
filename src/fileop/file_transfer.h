#pragma once
// Our copy, move, rename and delete engine. Every file is copied completely
// and verified before anything is replaced or removed; a move tries a rename
// first and falls back to copy-then-delete across file systems.

#include "fileop/file_op_types.h"
#include "fileop/file_progress.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zr {

class TFileTransfer {
public:
    // progress may be null.
    TFileTransfer(TFileOpHooks hooks, TFileProgress *progress, TFileOpFlags flags);

    TFileOpResult Run(TFileOperation operation, const std::vector<std::string> &sources,
                      const std::vector<std::string> &destinations);

private:
    enum class Step { Continue, Stop };

    Step IntoFolder(const std::vector<std::string> &sources, const std::string &destination, bool move);
    Step PairWise(const std::vector<std::string> &sources, const std::vector<std::string> &targets,
                  bool move);
    Step DeleteAll(const std::vector<std::string> &sources);
    bool PrepareFolder(const std::string &folder);
    Step Transfer(const std::string &source, std::string target, bool move);
    Step TransferFile(const std::string &source, const std::string &target, bool move);
    Step TransferLink(const std::string &source, const std::string &target, bool move);
    Step TransferFolder(const std::string &source, const std::string &target, bool move);
    Step ResolveExisting(const std::string &source, std::string &target, bool &skip);
    bool Advance(const std::string &file, std::uint64_t bytes);
    void Fail(const std::string &message);
    Step Cancel();

    TFileOpHooks hooks_;
    TFileProgress *progress_;
    TFileOpFlags flags_;
    bool overwriteAll_ = false;
    std::uint64_t done_ = 0;
    TFileOpResult result_;
};

}  // namespace zr
