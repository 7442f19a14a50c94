#include "archive/archive_strings.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "archive/command_line.h"
#include "platform/program_folder.h"
#include "util/file_queries.h"
#include "util/temp_folder.h"

namespace zr::archive {

std::string DefaultResponseFileName()
{
    const std::string programFolder = platform::ProgramFolder();
    if (!programFolder.empty() && access(programFolder.c_str(), W_OK) == 0)
        return programFolder + "/Response.txt";
    const std::string temp = TempFolder();
    if (temp.empty())
        return {};
    return temp + "/Response.txt";
}

TArchiveStrings::TArchiveStrings(const TArchiveOptions *options, std::string responseFileName)
    : ResponseFileName(std::move(responseFileName)), options_(options)
{
    if (!options)
        throw EInvalidOperation(kParameterError);
}

std::string TArchiveStrings::Get(std::size_t index) const
{
    const std::string &name = names_.at(index);
    return quoting_ ? QuoteForCommand(name) : name;
}

void TArchiveStrings::Assign(const TArchiveStrings &source)
{
    names_ = source.names_;
    ResponseFileName = source.ResponseFileName;
    destDirectory_ = source.destDirectory_;
}

void TArchiveStrings::SetDestDirectory(const std::string &folder)
{
    if (!FolderExists(folder)) {
        destDirectory_.clear();
        return;
    }
    destDirectory_ = folder;
    if (destDirectory_.back() != '/')
        destDirectory_ += '/';
}

std::string TArchiveStrings::EffectiveResponseFileName() const
{
    return ResponseFileName.empty() ? DefaultResponseFileName() : ResponseFileName;
}

void TArchiveStrings::WriteResponseFile(const std::string &fileName)
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    for (std::size_t i = 0; i < names_.size() && out; ++i)
        out << Get(i) << "\r\n";
    out.close();
    if (fileName.empty() || !out)
        throw std::runtime_error("response file cannot be written: " + fileName);
}

std::string TArchiveStrings::FilePart()
{
    ScopedQuoting quoting(*this);
    const char marker = options_->Type() == atArj ? '!' : '@';
    // The library reads a name starting with the marker as a response file,
    // so such a name can only travel inside one.
    const bool inlineSafe = std::none_of(names_.begin(), names_.end(),
                                         [marker](const std::string &n) { return n.starts_with(marker); });
    std::string part;
    if (names_.size() <= kMaxInlineNames && inlineSafe) {
        for (std::size_t i = 0; i < names_.size(); ++i)
            part += Get(i) + " ";
        return part;
    }
    const std::string fileName = EffectiveResponseFileName();
    WriteResponseFile(fileName);
    return QuoteForCommand(marker + fileName) + " ";
}

}  // namespace zr::archive
