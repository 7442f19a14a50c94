// The header walks of the archiver libraries over arbitrary bytes: every
// format's entry-details walk from every plausible start, and the signature
// scans of self-extractors. Reads outside the input are what this looks for.
#include <cstddef>
#include <cstdint>
#include <string>

#include "archivers/core/entry_details.h"
#include "archivers/core/signature_scan.h"

using namespace zr::archivers;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // A heap copy of exactly the input's size, so a read one byte past it is caught.
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const std::string_view d(bytes);
    ReadLhaDetails(d, 0);
    ReadCabDetails(d, 0);
    ReadZipDetails(d);
    if (!d.empty()) {
        ReadRarDetails(d, 0);
        ReadRarDetails(d, d.size() - 1);
    }
    for (SignatureFormat f : {SignatureFormat::kLha, SignatureFormat::kCab, SignatureFormat::kRar})
        FindArchiveSignature(d, f, 0);
    return 0;
}
