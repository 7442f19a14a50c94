// The run's reader of worker messages over arbitrary bytes (a worker may die
// or be subverted mid-message): frames are taken whole or the stream is
// marked broken, in any split of the input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "search/worker/worker_message.h"

using namespace zr::search::worker;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    MessageDecoder whole, split;
    whole.Append(bytes);
    int count = 0;
    while (auto m = whole.Next()) {
        // What decodes must encode back to the same message.
        MessageDecoder again;
        again.Append(EncodeMessage(*m));
        if (!(again.Next() == m))
            __builtin_trap();
        ++count;
    }
    const std::size_t cut = size ? data[0] % (size + 1) : 0;
    split.Append(bytes.substr(0, cut));
    int splitCount = 0;
    while (split.Next())
        ++splitCount;
    split.Append(bytes.substr(cut));
    while (split.Next())
        ++splitCount;
    if (splitCount != count || split.Broken() != whole.Broken())
        __builtin_trap();
    return 0;
}
