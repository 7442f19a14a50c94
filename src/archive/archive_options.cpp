#include "archive/archive_options.h"

#include "archive/command_line.h"
#include "util/file_queries.h"

namespace zr::archive {
namespace {

template <typename T> const T *SameClass(const TArchiveOptions &source)
{
    return dynamic_cast<const T *>(&source);
}

const char *LhaPolicySwitch(TOverExtract policy)
{
    switch (policy) {
    case oeConf:
        return "-m0c";
    case oeNew:
        return "-m1c0";
    case oeWrite:
        return "-m1c";
    case oeRename:
        return "-m2c";
    case oeSkip:
        return "-c0jn";
    }
    return "";
}

const char *CabPolicySwitch(TOverExtract policy)
{
    if (policy == oeNew)
        return "-n";
    if (policy == oeWrite)
        return "-o";
    return "";
}

const char *ArjPolicySwitch(TOverExtract policy)
{
    if (policy == oeNew)
        return "-jyo -u";
    if (policy == oeWrite)
        return "-jyo";
    if (policy == oeSkip)
        return "-jyo -n";
    return "";
}

const char *RarPolicySwitch(TOverExtract policy)
{
    if (policy == oeNew)
        return "-u";
    if (policy == oeWrite)
        return "-o";
    if (policy == oeSkip)
        return "-o-";
    return "";
}

const char *ZipPolicySwitch(TOverExtract policy)
{
    if (policy == oeWrite)
        return "-o";
    if (policy == oeSkip)
        return "-n";
    return "";
}

// "-aon" (overwrite only with a newer stored file) is the library's own
// addition to 7-Zip's switches; asking and renaming keep the existing file.
const char *SevenZipPolicySwitch(TOverExtract policy)
{
    if (policy == oeNew)
        return "-aon";
    if (policy == oeWrite)
        return "-aoa";
    if (policy == oeSkip)
        return "-aos";
    return "";
}

}  // namespace

TArchiveOptions::TArchiveOptions(TArchiveOptionsOwner *owner) : owner_(owner)
{
    if (!owner)
        throw EInvalidOperation(kOwnerParameterError);
}

TCompressType CompressTypeForTarType(int tarType)
{
    switch (tarType) {
    case tttTARGZ:
    case tttGZ:
        return ctGZip;
    case tttTARZ:
    case tttZ:
        return ctZ;
    case tttTARBZ2:
    case tttBZ2:
        return ctBZip2;
    case tttTARXZ:
    case tttXZ:
        return ctXz;
    case tttTARZSTD:
    case tttZSTD:
        return ctZstd;
    case tttTARLZ4:
    case tttLZ4:
        return ctLz4;
    case tttTARLZIP:
    case tttLZIP:
        return ctLzip;
    case tttTARLZMA:
    case tttLZMA:
        return ctLzma;
    default:
        return ctTar;
    }
}

// ---- Lha

TLhaOptions::TLhaOptions(TArchiveOptionsOwner *owner) : TArchiveOptions(owner)
{
    ExtractOptions = {eoIncludeDir, eoIncludeHidden};
}

std::string TLhaOptions::GetCommand(int operation) const
{
    if (operation != aoExtract)
        return {};
    TCommandLine cmd;
    if (ExtractOptions.Has(eoIncludeDir))
        cmd.Add("x").Add("-+jf-").Add("-d");
    else
        cmd.Add("e");
    if (ExtractOptions.Has(eoIncludeHidden))
        cmd.Add("-a1");
    cmd.Add(LhaPolicySwitch(Owner().OverExtract()));
    cmd.Add(DetailReport ? "-l1" : "-l0");
    if (IgnoreBrokenHeader)
        cmd.Add("-jc1");
    if (ShowSkipFile)
        cmd.Add("-s");
    if (DelRootDir)
        cmd.Add("-jf0");
    cmd.Add(EtcOptions);
    if (Owner().SilentMode())
        cmd.Add("-n");
    cmd.Add("-gp0");
    if (ErrorMessage)
        cmd.Add("-gm");
    const std::string work = Owner().Temporarydirectory();
    if (FolderExists(work)) {
        const std::string piece = "-w" + work;
        // A double quote would open a quoted run and swallow the rest of the command.
        cmd.Add(work.find_first_of(" \"") != std::string::npos ? QuoteForCommand(piece) : piece);
    }
    return cmd.Text();
}

bool TLhaOptions::Assign(const TArchiveOptions &source)
{
    const auto *s = SameClass<TLhaOptions>(source);
    if (!s)
        return false;
    ExtractOptions = s->ExtractOptions;
    EtcOptions = s->EtcOptions;
    DetailReport = s->DetailReport;
    IgnoreBrokenHeader = s->IgnoreBrokenHeader;
    ShowSkipFile = s->ShowSkipFile;
    DelRootDir = s->DelRootDir;
    ErrorMessage = s->ErrorMessage;
    SfxType = s->SfxType;
    return true;
}

// ---- Cab

TCabOptions::TCabOptions(TArchiveOptionsOwner *owner) : TArchiveOptions(owner)
{
    ExtractOptions = {eoIncludeDir};
}

std::string TCabOptions::GetCommand(int operation) const
{
    if (operation != aoExtract)
        return {};
    TCommandLine cmd;
    cmd.Add("-x");
    if (!ExtractOptions.Has(eoIncludeDir))
        cmd.Add("-j");
    cmd.Add(CabPolicySwitch(Owner().OverExtract()));
    if (MultiVolume)
        cmd.Add("-k");
    cmd.Add(EtcOptions);
    if (Owner().SilentMode())
        cmd.Add("-i");
    return cmd.Text();
}

bool TCabOptions::Assign(const TArchiveOptions &source)
{
    const auto *s = SameClass<TCabOptions>(source);
    if (!s)
        return false;
    ExtractOptions = s->ExtractOptions;
    EtcOptions = s->EtcOptions;
    MultiVolume = s->MultiVolume;
    return true;
}

// ---- Tar

TTarOptions::TTarOptions(TArchiveOptionsOwner *owner) : TArchiveOptions(owner)
{
    ExtractOptions = {eoIncludeDir, eoOverWrite};
}

std::string TTarOptions::GetCommand(int operation) const
{
    if (operation != aoExtract)
        return {};
    TCommandLine cmd;
    cmd.Add(ExtractOptions.Has(eoIncludeDir) ? "--use-directory=1" : "--use-directory=0");
    if (Owner().SilentMode())
        cmd.Add("--display-dialog=0");
    if (Owner().CheckAllPath())
        cmd.Add("--check-all-path=1");
    if (Owner().OverExtract() != oeWrite)
        cmd.Add("-q");
    cmd.Add("-x -v -f");
    cmd.Add(EtcOptions);
    return cmd.Text();
}

bool TTarOptions::Assign(const TArchiveOptions &source)
{
    const auto *s = SameClass<TTarOptions>(source);
    if (!s)
        return false;
    ExtractOptions = s->ExtractOptions;
    EtcOptions = s->EtcOptions;
    CompressType = s->CompressType;
    return true;
}

// ---- Arj

TArjOptions::TArjOptions(TArchiveOptionsOwner *owner) : TArchiveOptions(owner)
{
    ExtractOptions = {eoIncludeDir, eoIncludeHidden};
}

std::string TArjOptions::GetCommand(int operation) const
{
    if (operation != aoExtract)
        return {};
    TCommandLine cmd;
    cmd.Add(ExtractOptions.Has(eoIncludeDir) ? "x -p1" : "e -p");
    cmd.Add("-jyc");
    cmd.Add(ArjPolicySwitch(Owner().OverExtract()));
    cmd.Add("-hk");
    if (Owner().SilentMode())
        cmd.Add("-i");
    cmd.Add(EtcOptions);
    return cmd.Text();
}

bool TArjOptions::Assign(const TArchiveOptions &source)
{
    const auto *s = SameClass<TArjOptions>(source);
    if (!s)
        return false;
    ExtractOptions = s->ExtractOptions;
    EtcOptions = s->EtcOptions;
    DetailReport = s->DetailReport;
    return true;
}

// ---- Rar

TRarOptions::TRarOptions(TArchiveOptionsOwner *owner) : TArchiveOptions(owner)
{
    ExtractOptions = {eoIncludeDir};
}

std::string TRarOptions::GetCommand(int operation) const
{
    if (operation != aoExtract)
        return {};
    TCommandLine cmd;
    cmd.Add(ExtractOptions.Has(eoIncludeDir) ? "-x" : "-e");
    cmd.Add(RarPolicySwitch(Owner().OverExtract()));
    cmd.Add(EtcOptions);
    return cmd.Text();
}

bool TRarOptions::Assign(const TArchiveOptions &source)
{
    const auto *s = SameClass<TRarOptions>(source);
    if (!s)
        return false;
    ExtractOptions = s->ExtractOptions;
    EtcOptions = s->EtcOptions;
    DetailReport = s->DetailReport;
    return true;
}

// ---- Zip

TZipOptions::TZipOptions(TArchiveOptionsOwner *owner) : TArchiveOptions(owner)
{
    ExtractOptions = {eoIncludeDir};
}

std::string TZipOptions::GetCommand(int operation) const
{
    if (operation != aoExtract)
        return {};
    TCommandLine cmd;
    const TOverExtract policy = Owner().OverExtract();
    cmd.Add(policy == oeNew ? "-u -o" : "-x");
    if (!ExtractOptions.Has(eoIncludeDir))
        cmd.Add("-j");
    cmd.Add(ZipPolicySwitch(policy));
    cmd.Add("-C -s");
    if (Owner().SilentMode())
        cmd.Add("--i");
    cmd.Add(EtcOptions);
    return cmd.Text();
}

bool TZipOptions::Assign(const TArchiveOptions &source)
{
    const auto *s = SameClass<TZipOptions>(source);
    if (!s)
        return false;
    ExtractOptions = s->ExtractOptions;
    EtcOptions = s->EtcOptions;
    DetailReport = s->DetailReport;
    return true;
}

// ---- 7z

TSevenZipOptions::TSevenZipOptions(TArchiveOptionsOwner *owner) : TArchiveOptions(owner)
{
    ExtractOptions = {eoIncludeDir};
}

std::string TSevenZipOptions::GetCommand(int operation) const
{
    if (operation != aoExtract)
        return {};
    TCommandLine cmd;
    cmd.Add(ExtractOptions.Has(eoIncludeDir) ? "x" : "e");
    cmd.Add(SevenZipPolicySwitch(Owner().OverExtract()));
    if (Owner().SilentMode())
        cmd.Add("-hide");
    cmd.Add(EtcOptions);
    return cmd.Text();
}

bool TSevenZipOptions::Assign(const TArchiveOptions &source)
{
    const auto *s = SameClass<TSevenZipOptions>(source);
    if (!s)
        return false;
    ExtractOptions = s->ExtractOptions;
    EtcOptions = s->EtcOptions;
    DetailReport = s->DetailReport;
    return true;
}

}  // namespace zr::archive
