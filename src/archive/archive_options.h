#pragma once
// Per-type option objects. Each one shapes the switch part of the command
// line its library is given for an extraction.

#include <memory>
#include <string>

#include "archive/archive_types.h"

namespace zr::archive {

// What an option object needs from the control that owns it.
class TArchiveOptionsOwner {
public:
    virtual ~TArchiveOptionsOwner() = default;
    virtual bool SilentMode() const = 0;
    virtual TOverExtract OverExtract() const = 0;
    virtual std::string Temporarydirectory() const = 0;
    virtual bool CheckAllPath() const = 0;
};

class TArchiveOptions {
public:
    explicit TArchiveOptions(TArchiveOptionsOwner *owner);
    virtual ~TArchiveOptions() = default;
    TArchiveOptions(const TArchiveOptions &) = delete;
    TArchiveOptions &operator=(const TArchiveOptions &) = delete;

    // Switch part for an operation (aoExtract = 1); empty for operations
    // this program does not run.
    virtual std::string GetCommand(int operation) const = 0;
    // Copies the option values from an object of the same class; false otherwise.
    virtual bool Assign(const TArchiveOptions &source) = 0;
    virtual TArchiveType Type() const = 0;

    TArchiveOptionsOwner &Owner() const { return *owner_; }

    TExtractOptions ExtractOptions;
    std::string EtcOptions;

private:
    TArchiveOptionsOwner *owner_;
};

class TLhaOptions : public TArchiveOptions {
public:
    explicit TLhaOptions(TArchiveOptionsOwner *owner);
    std::string GetCommand(int operation) const override;
    bool Assign(const TArchiveOptions &source) override;
    TArchiveType Type() const override { return atLha; }

    bool DetailReport = false;
    bool IgnoreBrokenHeader = false;
    bool ShowSkipFile = true;
    bool DelRootDir = true;
    bool ErrorMessage = false;
    TLhaSfxType SfxType = stDosSfx;
};

class TCabOptions : public TArchiveOptions {
public:
    explicit TCabOptions(TArchiveOptionsOwner *owner);
    std::string GetCommand(int operation) const override;
    bool Assign(const TArchiveOptions &source) override;
    TArchiveType Type() const override { return atCab; }

    bool MultiVolume = false;
    // Cabinet cut out of a self-extracting executable (empty when none).
    std::string CutOutCabinet;
};

class TTarOptions : public TArchiveOptions {
public:
    explicit TTarOptions(TArchiveOptionsOwner *owner);
    std::string GetCommand(int operation) const override;
    bool Assign(const TArchiveOptions &source) override;
    TArchiveType Type() const override { return atTar; }

    TCompressType CompressType = ctTar;
};

class TArjOptions : public TArchiveOptions {
public:
    explicit TArjOptions(TArchiveOptionsOwner *owner);
    std::string GetCommand(int operation) const override;
    bool Assign(const TArchiveOptions &source) override;
    TArchiveType Type() const override { return atArj; }

    bool DetailReport = false;
};

class TRarOptions : public TArchiveOptions {
public:
    explicit TRarOptions(TArchiveOptionsOwner *owner);
    std::string GetCommand(int operation) const override;
    bool Assign(const TArchiveOptions &source) override;
    TArchiveType Type() const override { return atRar; }

    bool DetailReport = false;
};

class TZipOptions : public TArchiveOptions {
public:
    explicit TZipOptions(TArchiveOptionsOwner *owner);
    std::string GetCommand(int operation) const override;
    bool Assign(const TArchiveOptions &source) override;
    TArchiveType Type() const override { return atZip; }

    bool DetailReport = false;
};

class TSevenZipOptions : public TArchiveOptions {
public:
    explicit TSevenZipOptions(TArchiveOptionsOwner *owner);
    std::string GetCommand(int operation) const override;
    bool Assign(const TArchiveOptions &source) override;
    TArchiveType Type() const override { return at7z; }

    bool DetailReport = false;
};

// Tar sub-type -> the compression it implies.
TCompressType CompressTypeForTarType(int tarType);

}  // namespace zr::archive
