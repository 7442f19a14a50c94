// The registry layer (key paths, keys and typed values over the settings
// database) driven by a sequence of operations read from the input. Values
// written read back the same, created keys exist, deleted keys are gone, and
// canonical key paths stay canonical. A misuse throws ERegistryException.
//
// Input: operations, each an operation byte followed by its length-prefixed
// texts (one length byte each).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "platform/registry_key_path.h"

using namespace zr::platform;

namespace {

class Input {
public:
    Input(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return next_ >= size_; }
    std::uint8_t Byte() { return next_ < size_ ? data_[next_++] : 0; }
    std::string Text()
    {
        const std::size_t wanted = Byte();  // before what is left is measured
        const std::size_t length = std::min(wanted, size_ - next_);
        std::string text(reinterpret_cast<const char *>(data_) + next_, length);
        next_ += length;
        return text;
    }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t next_ = 0;
};

void CheckCanonical(std::string_view path)
{
    const auto canonical = CanonicalKeyPath(path);
    if (!canonical)
        return;
    const std::string &c = *canonical;
    if (CanonicalKeyPath(c) != canonical)
        __builtin_trap();
    if (!c.empty() && (c.front() == '\\' || c.back() == '\\' || c.find("\\\\") != std::string::npos))
        __builtin_trap();
    FoldKeyName(c);
    LastKeyComponent(c);
}

void Step(TRegistry &registry, Input &in)
{
    const std::uint8_t op = in.Byte();
    switch (op % 12) {
    case 0: {
        const std::string key = in.Text();
        CheckCanonical(key);
        if (registry.OpenKey(key, op & 0x10) && !registry.HasCurrentKey())
            __builtin_trap();
        break;
    }
    case 1:
        registry.OpenKeyReadOnly(in.Text());
        break;
    case 2:
        registry.CloseKey();
        break;
    case 3: {
        const std::string key = in.Text();
        if (registry.CreateKey(key) && !registry.KeyExists(key))
            __builtin_trap();
        break;
    }
    case 4: {
        // Checked by absolute path only: deleting the current key closes it,
        // and a relative name then means something below the root instead.
        const std::string key = in.Text();
        if (registry.DeleteKey(key) && key.starts_with('\\') && registry.KeyExists(key))
            __builtin_trap();
        break;
    }
    case 5: {
        const std::string name = in.Text(), value = in.Text();
        registry.WriteString(name, value);
        if (value.find('\0') == std::string::npos && registry.ReadString(name) != value)
            __builtin_trap();
        if (registry.GetDataType(name) != RegDataType::String)
            __builtin_trap();
        break;
    }
    case 6: {
        const std::string name = in.Text();
        // One byte after the other: the operands of "|" have no order of
        // evaluation, and the replay build must read the input as the fuzzer did.
        std::uint32_t bits = 0;
        for (int shift = 0; shift < 32; shift += 8)
            bits |= static_cast<std::uint32_t>(in.Byte()) << shift;
        const int value = static_cast<int>(bits);
        registry.WriteInteger(name, value);
        if (registry.ReadInteger(name) != value)
            __builtin_trap();
        break;
    }
    case 7:
        registry.ReadString(in.Text());
        break;
    case 8:
        registry.ReadInteger(in.Text());
        break;
    case 9: {
        const std::string name = in.Text();
        if (registry.DeleteValue(name) && registry.ValueExists(name))
            __builtin_trap();
        break;
    }
    case 10:
        for (const std::string &name : registry.GetValueNames())
            if (!registry.ValueExists(name))
                __builtin_trap();
        registry.GetKeyNames();
        break;
    default: {
        const std::string base = in.Text(), relative = in.Text();
        CheckCanonical(JoinKeyPath(base, relative));
        registry.SetRootKey(op & 0x10 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER);
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 2048)
        return 0;
    static const RegistryNoticeHandler quiet = SetRegistryNoticeHandler([](const std::string &) {});
    // An empty path keeps the database in memory: every input starts empty.
    TRegistry registry(std::make_shared<RegistryDatabase>(std::string()));
    Input in(data, size);
    for (int steps = 0; !in.Empty() && steps < 64; ++steps) {
        try {
            Step(registry, in);
        } catch (const ERegistryException &) {
        }
    }
    return 0;
}
