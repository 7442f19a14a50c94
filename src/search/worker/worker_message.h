#pragma once
// The messages between a search run and its worker processes: a type, some
// texts and some numbers, framed with their length so a reader can tell a
// whole message from one cut off by a dying worker.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zr::search::worker {

// The version of what the messages mean. A run and a worker of different
// builds may not understand each other: each side sends its version in the
// setup exchange and a mismatch ends the run with a clear error. Raise it
// whenever a message's texts or numbers change meaning.
inline constexpr std::int64_t kProtocolVersion = 6;

enum class MessageType : std::uint8_t {
    // run -> worker
    kSetup = 1,  // numbers[0]: kProtocolVersion; texts: what every job of the run shares
    kJob = 2,    // numbers[0]: job index; texts: the job
    kStop = 3,   // end the current job early (hits so far are kept)
    // worker -> run
    kReady = 16,    // numbers[0]: the worker's kProtocolVersion; texts: what confinement is in force
    kEvent = 17,    // numbers[0]: job; numbers[1]: the caller's event kind; the rest is the caller's
    kDone = 18,     // numbers[0]: job; the rest is the caller's outcome
    kFailure = 19,  // texts[0]: an error that ends the whole run (bad pattern, work folder)
};

struct Message {
    MessageType type = MessageType::kEvent;
    std::vector<std::string> texts;
    std::vector<std::int64_t> numbers;

    bool operator==(const Message &) const = default;
};

// A message larger than this is a broken stream, not a message.
inline constexpr std::size_t kMaxMessageBytes = 64u << 20;

std::string EncodeMessage(const Message &message);

// Collects bytes as they arrive and hands out whole messages.
class MessageDecoder {
public:
    void Append(std::string_view bytes) { buffer_.append(bytes); }
    // The next whole message; nothing when more bytes are needed. Sets
    // Broken() (and gives nothing from then on) on a malformed frame.
    std::optional<Message> Next();
    bool Broken() const { return broken_; }
    bool Empty() const { return buffer_.size() == consumed_; }

private:
    std::string buffer_;
    std::size_t consumed_ = 0;
    bool broken_ = false;
};

// Blocking write of one whole message; false when the other end is gone.
bool WriteMessage(int fd, const Message &message);
// Blocking read of one whole message; nothing at the end of the stream or
// on a malformed frame.
std::optional<Message> ReadMessage(int fd, MessageDecoder &decoder);

}  // namespace zr::search::worker
