#include "fileop/file_op_types.h"

#include <cerrno>
#include <cstdio>

namespace zr {

TFileOpHooks CompleteHooks(TFileOpHooks hooks)
{
    if (!hooks.askOverwrite)
        hooks.askOverwrite = [](const std::string &, const std::string &) { return TOverwriteAnswer::No; };
    if (!hooks.confirm)
        hooks.confirm = [](const std::string &) { return false; };
    if (!hooks.rename)
        hooks.rename = [](const std::string &from, const std::string &to) {
            return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
        };
    if (!hooks.reportError)
        hooks.reportError = [](const std::string &) {};
    return hooks;
}

}  // namespace zr
