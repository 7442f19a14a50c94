// Decodes a gzip file with one deflate backend and prints its decoded size,
// so the backends' speed can be timed from outside on the same data.
// Usage: zr_bench_inflate isal|zlib FILE.gz
#include <cstring>
#include <iostream>

#include "archivers/core/gzip_stream.h"
#include "archivers/core/mapped_file.h"

int main(int argc, char **argv)
{
    using namespace zr::archivers;
    if (argc != 3 || (std::strcmp(argv[1], "isal") != 0 && std::strcmp(argv[1], "zlib") != 0)) {
        std::cerr << "usage: zr_bench_inflate isal|zlib FILE.gz\n";
        return 2;
    }
    const InflateBackend backend =
        std::strcmp(argv[1], "isal") == 0 ? InflateBackend::kIsal : InflateBackend::kZlib;
    if (!InflateBackendAvailable(backend)) {
        std::cerr << "this build has no " << InflateBackendName(backend) << "\n";
        return 2;
    }
    MappedFile file(argv[2]);
    file.adviseSequential();
    GzipStream stream(file.view(), backend);
    std::uint64_t total = 0;
    std::string_view chunk;
    while (stream.read(chunk) && !chunk.empty()) {
        total += chunk.size();
        file.releaseBefore(static_cast<std::size_t>(stream.consumed()));  // as the tar reader does
    }
    if (!stream.error().empty()) {
        std::cerr << argv[2] << ": " << stream.error() << "\n";
        return 1;
    }
    std::cout << total << " bytes decoded with " << InflateBackendName(backend) << "\n";
    return 0;
}
