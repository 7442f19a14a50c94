#pragma once
// What an operation tells about its progress; the answer of Advance lets the
// user stop it.

#include "fileop/file_op_types.h"

#include <cstdint>
#include <string>

class QWidget;

namespace zr {

class TFileProgress {
public:
    virtual ~TFileProgress() = default;
    // What is about to run: called once before Begin.
    virtual void Describe(TFileOperation /*operation*/, int /*totalFiles*/) {}
    virtual void Begin(std::uint64_t totalBytes) = 0;
    // Each file (or link) as its turn comes, with where it goes.
    virtual void StartFile(const std::string & /*source*/, const std::string & /*target*/) {}
    // done counts the bytes handled so far; false cancels the operation.
    virtual bool Advance(const std::string &currentFile, std::uint64_t done) = 0;
    virtual void End() = 0;
    // The window a question asked now must belong to, so that the progress
    // window neither covers nor blocks it; null for none.
    virtual QWidget *QuestionOwner() { return nullptr; }
};

}  // namespace zr
