// The run's reader of worker messages over arbitrary bytes (a worker may die
// or be subverted mid-message): frames are taken whole or the stream is
// marked broken, in any split of the input; and what a frame's texts and
// numbers decode to as a typed message encodes back to the same thing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "search/worker/worker_message.h"
#include "search/worker_messages.h"

using namespace zr::search::worker;
using namespace zr::search;

namespace {

void CheckTypedDecoders(const WorkerPayload &payload)
{
    if (const auto event = DecodeWorkerEvent(payload))
        if (DecodeWorkerEvent(EncodeWorkerEvent(*event)) != event)
            __builtin_trap();
    if (const auto job = DecodeWorkerJob(payload.texts))
        if (EncodeWorkerJob(*job) != payload.texts)
            __builtin_trap();
    if (const auto setup = DecodeWorkerSetup(payload.texts)) {
        const auto again = DecodeWorkerSetup(EncodeWorkerSetup(*setup));
        if (!again || EncodeWorkerSetup(*again) != EncodeWorkerSetup(*setup))
            __builtin_trap();
    }
    if (const auto outcome = DecodeArchiveJobOutcome(payload))
        if (EncodeArchiveJobOutcome(*outcome) != payload)
            __builtin_trap();
    if (const auto view = DecodeViewJobOutcome(payload))
        if (EncodeViewJobOutcome(*view) != payload)
            __builtin_trap();
    const RunFailure failure = DecodeRunFailure(payload);
    const RunFailure again = DecodeRunFailure(EncodeRunFailure(failure));
    if (again.kind != failure.kind || again.text != failure.text || again.patternPosition != failure.patternPosition)
        __builtin_trap();
}

}  // namespace

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
        // As sent, and as the run reads it: without the job id in front.
        WorkerPayload payload{m->texts, m->numbers};
        CheckTypedDecoders(payload);
        if (!payload.numbers.empty()) {
            payload.numbers.erase(payload.numbers.begin());
            CheckTypedDecoders(payload);
        }
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
