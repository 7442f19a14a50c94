// A header scan over a mapped archive that another program shortens at the
// same time: the bytes that are gone read as zeros, and the process lives.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include "archivers/core/mapped_file.h"
#include "archivers/core/signature_scan.h"
#include "test_support/scratch_folder.h"

namespace zr::archivers {
namespace {

constexpr std::size_t kSize = 4 * 4096;

std::string WriteFileWithSignatureNearTheEnd(const test::ScratchFolder &folder)
{
    std::string bytes(kSize, 'A');
    const std::string rar = "Rar!\x1a\x07\x00";
    std::copy(rar.begin(), rar.end(), bytes.begin() + 3 * 4096 + 10);
    return folder.Write("rewritten.exe", bytes);
}

TEST(MappedFile, AFileShortenedWhileScannedReadsAsZerosInsteadOfEndingTheProcess)
{
    test::ScratchFolder folder;
    const std::string path = WriteFileWithSignatureNearTheEnd(folder);
    MappedFile file(path);
    ASSERT_EQ(file.view().size(), kSize);
    ASSERT_EQ(::truncate(path.c_str(), 4096), 0);  // rewritten between the open and the scan

    EXPECT_FALSE(FindArchiveSignature(file.view(), SignatureFormat::kRar).has_value());
    const std::string_view gone = file.view().substr(4096);
    EXPECT_EQ(static_cast<std::size_t>(std::count(gone.begin(), gone.end(), '\0')), gone.size());
    EXPECT_EQ(file.view()[0], 'A') << "what is still there reads as before";

    // The guard stays usable for the next file.
    MappedFile again(path);
    EXPECT_EQ(again.view().size(), 4096u);
}

// AddressSanitizer takes the fault itself, reports it and exits with 1.
bool DiedOfBusError(int status)
{
#if defined(__SANITIZE_ADDRESS__)
    if (WIFEXITED(status))
        return WEXITSTATUS(status) == 1;
#endif
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGBUS;
}

TEST(MappedFileDeathTest, AFaultOutsideTheScannedFilesStillEndsTheProcess)
{
    test::ScratchFolder folder;
    const std::string path = WriteFileWithSignatureNearTheEnd(folder);
    {
        MappedFile installsTheGuard(path);
    }
    EXPECT_EXIT(
        {
            const int fd = ::open(path.c_str(), O_RDONLY);
            auto *other =
                static_cast<volatile const char *>(mmap(nullptr, kSize, PROT_READ, MAP_PRIVATE, fd, 0));
            if (::truncate(path.c_str(), 0) != 0)
                _exit(0);
            _exit(other[kSize - 1]);
        },
        DiedOfBusError, "");
}

}  // namespace
}  // namespace zr::archivers
