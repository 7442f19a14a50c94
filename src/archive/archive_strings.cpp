#include "archive/archive_strings.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "archive/command_line.h"
#include "archive/program_folder.h"

namespace zr::archive {

TArchiveStrings::TArchiveStrings(const TArchiveOptions *options, std::string responseFileName)
    : ResponseFileName(std::move(responseFileName)), options_(options) {
    if (!options) throw EInvalidOperation(kParameterError);
}

std::string TArchiveStrings::Get(std::size_t index) const {
    const std::string &name = names_.at(index);
    return quoting_ ? QuoteForCommand(name) : name;
}

void TArchiveStrings::Assign(const TArchiveStrings &source) {
    names_ = source.names_;
    ResponseFileName = source.ResponseFileName;
    destDirectory_ = source.destDirectory_;
}

void TArchiveStrings::SetDestDirectory(const std::string &folder) {
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec)) {
        destDirectory_.clear();
        return;
    }
    destDirectory_ = folder;
    if (destDirectory_.back() != '/') destDirectory_ += '/';
}

std::string TArchiveStrings::EffectiveResponseFileName() const {
    return ResponseFileName.empty() ? DefaultResponseFileName() : ResponseFileName;
}

void TArchiveStrings::WriteResponseFile(const std::string &fileName) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    for (std::size_t i = 0; i < names_.size() && out; ++i) out << Get(i) << "\r\n";
    out.close();
    if (fileName.empty() || !out) throw std::runtime_error("response file cannot be written: " + fileName);
}

std::string TArchiveStrings::FilePart() {
    ScopedQuoting quoting(*this);
    std::string part;
    if (names_.size() <= kMaxInlineNames) {
        for (std::size_t i = 0; i < names_.size(); ++i) part += Get(i) + " ";
        return part;
    }
    const std::string fileName = EffectiveResponseFileName();
    WriteResponseFile(fileName);
    const char *marker = options_->Type() == atArj ? "!" : "@";
    return QuoteForCommand(marker + fileName) + " ";
}

}  // namespace zr::archive
