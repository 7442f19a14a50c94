#include "search/worker/worker_message.h"

#include "platform/replace_file.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace zr::search::worker {

namespace {

void PutU32(std::string &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutU64(std::string &out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Reads fields from one frame's body; any read past its end fails.
class FieldReader {
public:
    explicit FieldReader(std::string_view body) : body_(body) {}

    bool U8(std::uint8_t &v)
    {
        return Take(1, [&](const unsigned char *p) { v = p[0]; });
    }
    bool U32(std::uint32_t &v)
    {
        return Take(4, [&](const unsigned char *p) {
            v = 0;
            for (int i = 0; i < 4; ++i)
                v |= static_cast<std::uint32_t>(p[i]) << (8 * i);
        });
    }
    bool U64(std::uint64_t &v)
    {
        return Take(8, [&](const unsigned char *p) {
            v = 0;
            for (int i = 0; i < 8; ++i)
                v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
        });
    }
    bool Text(std::string &v)
    {
        std::uint32_t size = 0;
        if (!U32(size) || size > body_.size() - at_)
            return false;
        v.assign(body_.substr(at_, size));
        at_ += size;
        return true;
    }
    bool AtEnd() const { return at_ == body_.size(); }

private:
    template <typename F> bool Take(std::size_t n, F f)
    {
        if (n > body_.size() - at_)
            return false;
        f(reinterpret_cast<const unsigned char *>(body_.data() + at_));
        at_ += n;
        return true;
    }

    std::string_view body_;
    std::size_t at_ = 0;
};

std::optional<Message> DecodeBody(std::string_view body)
{
    FieldReader r(body);
    Message m;
    std::uint8_t type = 0;
    std::uint32_t texts = 0, numbers = 0;
    if (!r.U8(type) || !r.U32(texts) || texts > body.size())
        return std::nullopt;
    m.type = static_cast<MessageType>(type);
    m.texts.resize(texts);
    for (auto &t : m.texts)
        if (!r.Text(t))
            return std::nullopt;
    if (!r.U32(numbers) || numbers > body.size())
        return std::nullopt;
    m.numbers.resize(numbers);
    for (auto &n : m.numbers) {
        std::uint64_t v = 0;
        if (!r.U64(v))
            return std::nullopt;
        n = static_cast<std::int64_t>(v);
    }
    if (!r.AtEnd())
        return std::nullopt;
    return m;
}

}  // namespace

std::string EncodeMessage(const Message &message)
{
    std::string body;
    body += static_cast<char>(message.type);
    PutU32(body, static_cast<std::uint32_t>(message.texts.size()));
    for (const auto &t : message.texts) {
        PutU32(body, static_cast<std::uint32_t>(t.size()));
        body += t;
    }
    PutU32(body, static_cast<std::uint32_t>(message.numbers.size()));
    for (const auto n : message.numbers)
        PutU64(body, static_cast<std::uint64_t>(n));
    std::string frame;
    PutU32(frame, static_cast<std::uint32_t>(body.size()));
    return frame + body;
}

std::optional<Message> MessageDecoder::Next()
{
    if (broken_)
        return std::nullopt;
    const std::string_view rest = std::string_view(buffer_).substr(consumed_);
    if (rest.size() < 4)
        return std::nullopt;
    std::uint32_t size = 0;
    for (int i = 0; i < 4; ++i)
        size |= static_cast<std::uint32_t>(static_cast<unsigned char>(rest[i])) << (8 * i);
    if (size > kMaxMessageBytes) {
        broken_ = true;
        return std::nullopt;
    }
    if (rest.size() - 4 < size)
        return std::nullopt;
    auto message = DecodeBody(rest.substr(4, size));
    if (!message) {
        broken_ = true;
        return std::nullopt;
    }
    consumed_ += 4 + size;
    if (consumed_ > (1u << 20) && consumed_ * 2 > buffer_.size()) {  // drop what was read
        buffer_.erase(0, consumed_);
        consumed_ = 0;
    }
    return message;
}

bool WriteMessage(int fd, const Message &message)
{
    return platform::WriteAllBytes(fd, EncodeMessage(message));
}

std::optional<Message> ReadMessage(int fd, MessageDecoder &decoder)
{
    for (;;) {
        if (auto message = decoder.Next())
            return message;
        if (decoder.Broken())
            return std::nullopt;
        char buffer[65536];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        decoder.Append(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
}

}  // namespace zr::search::worker
