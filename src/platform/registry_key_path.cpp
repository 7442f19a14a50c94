#include "platform/registry_key_path.h"

#include "platform/text_case.h"

namespace zr::platform {

namespace {
constexpr std::size_t kMaxKeyComponent = 255;
}

std::string JoinKeyPath(std::string_view base, std::string_view relative)
{
    if (base.empty())
        return std::string(relative);
    if (relative.empty())
        return std::string(base);
    std::string out(base);
    out += '\\';
    out += relative;
    return out;
}

std::optional<std::string> CanonicalKeyPath(std::string_view path)
{
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    std::size_t start = 0;
    while (start <= path.size() && !path.empty()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::size_t length = end - start;
        if (length == 0 || length > kMaxKeyComponent)
            return std::nullopt;
        start = end + 1;
    }
    return std::string(path);
}

std::string FoldKeyName(std::string_view name) { return UpperCaseLocale(name); }

std::string LastKeyComponent(std::string_view path)
{
    const std::size_t cut = path.rfind('\\');
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

}  // namespace zr::platform
