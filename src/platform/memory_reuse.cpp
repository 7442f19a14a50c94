#include "platform/memory_reuse.h"

#include <malloc.h>

namespace zr::platform {

void KeepFreedMemoryForReuse()
{
    // Blocks up to 32 MB come from the heap; up to 64 MB of free heap is kept.
    ::mallopt(M_MMAP_THRESHOLD, 32 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

}  // namespace zr::platform
