#include "archive/archive_detection.h"

#include <array>
#include <cstring>
#include <fstream>
#include <vector>

#include "archive/archiver_binding.h"
#include "archive/stored_name.h"

namespace zr::archive {
namespace {

constexpr std::array<unsigned char, 8> kCabinetSignature = {0x4D, 0x53, 0x43, 0x46, 0, 0, 0, 0};
// Signature offsets 0..106,489 are searched; the read covers the last one whole.
constexpr std::size_t kLastSignatureOffset = 106'489;
constexpr std::size_t kScanBytes = kLastSignatureOffset + kCabinetSignature.size();

bool Check(TArchiveType type, const std::string &fileName, int mode = arc_mode::kCheck)
{
    TArchiverBinding &binding = *BindingFor(type);
    if (type == atLha || type == atArj)
        return binding.CheckArchiveQuietCursor(fileName, mode);
    return binding.CheckArchive(fileName, mode);
}

TArchiveType ProbeExecutable(const std::string &fileName)
{
    if (Check(atCab, fileName))
        return atCab;
    if (Check(atZip, fileName))
        return atZip;
    if (Check(atLha, fileName))
        return atLha;
    if (CabinetScan(fileName))
        return atCab;
    if (Check(atTar, fileName))
        return atTar;
    if (Check(atArj, fileName))
        return atArj;
    if (Check(atRar, fileName))
        return atRar;
    if (Check(at7z, fileName))
        return at7z;
    return atNone;
}

}  // namespace

std::string UpperExtension(const std::string &fileName)
{
    const std::string base =
        fileName.substr(fileName.rfind('/') == std::string::npos ? 0 : fileName.rfind('/') + 1);
    const std::size_t dot = base.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::string extension = base.substr(dot);
    for (char &c : extension)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return extension;
}

TArchiveType TypeFromExtension(const std::string &fileName)
{
    const std::string e = UpperExtension(fileName);
    if (e == ".LZH")
        return atLha;
    if (e == ".CAB")
        return atCab;
    for (const char *tar : {".TAR", ".TAZ", ".GZ", ".Z", ".TGZ", ".BZ2", ".XZ", ".TXZ", ".LZMA", ".ZST",
                            ".TZST", ".LZ4", ".LZ", ".TLZ"})
        if (e == tar)
            return atTar;
    if (e == ".ARJ")
        return atArj;
    if (e == ".RAR")
        return atRar;
    if (e == ".ZIP")
        return atZip;
    if (e == ".7Z")
        return at7z;
    return atNone;
}

std::optional<std::uint64_t> FindCabinetSignature(const std::string &fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<unsigned char> head(kScanBytes);
    in.read(reinterpret_cast<char *>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    for (std::size_t offset = 0; offset + kCabinetSignature.size() <= head.size(); ++offset) {
        if (std::memcmp(&head[offset], kCabinetSignature.data(), kCabinetSignature.size()) == 0)
            return offset;
    }
    return std::nullopt;
}

bool CabinetScan(const std::string &fileName)
{
    if (!BindingFor(atCab)->Library().Load())
        return false;
    if (CabReadsSfxDirectly())
        return Check(atCab, fileName);
    return FindCabinetSignature(fileName).has_value();
}

TArchiveType DetectArchiveType(const std::string &fileName, const DetectionSettings &settings)
{
    const std::string extension = UpperExtension(fileName);
    TArchiveType type = TypeFromExtension(fileName);
    if (type != atNone) {
        if (!Check(type, fileName))
            type = atNone;
    } else if (extension == ".EXE") {
        type = ProbeExecutable(fileName);
    }
    if (type == atNone && settings.lhaIgnoreBrokenHeader && extension == ".LZH" &&
        Check(atLha, fileName, arc_mode::kLhaCheckBroken))
        type = atLha;
    if (type == atNone && settings.judgeByContent && extension != ".EXE")
        type = ProbeExecutable(fileName);
    if (!settings.supportArchives.Has(type))
        type = atNone;
    return type;
}

TLhaSfxType LhaSfxTypeForCode(int code)
{
    if ((code >= 1 && code <= 3) || (code >= 51 && code <= 53) || code == 201 || code == 301 || code == 351 ||
        code == 9901)
        return stDosSfx;
    if ((code >= 1001 && code <= 1003) || code == 9911)
        return stWinSfx;
    if (code == 1011 || code == 1021)
        return stWinSfxM;
    if ((code >= 2001 && code <= 2003) || code == 2051 || code == 2052 || (code >= 2101 && code <= 2103) ||
        code == 9921)
        return stWinSfx32;
    if (code == 2011 || code == 2012)
        return stWinSfx32M;
    if (code == 3001)
        return stLasa;
    return stUnkown;
}

}  // namespace zr::archive
