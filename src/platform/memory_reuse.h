#pragma once
// Keeps freed memory in the process for the next allocation. A search
// allocates and frees buffers of a few hundred KB for every stored file;
// by default each comes from the system afresh and is zero-filled page by
// page on first touch, which cost more than the copies themselves.

namespace zr::platform {

// Call once at the start of a program that searches archives. The peak
// stays what the largest archive needs; it is just not given back between.
void KeepFreedMemoryForReuse();

}  // namespace zr::platform
