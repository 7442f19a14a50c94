#include "filefind/file_find_errors.h"

#include <cerrno>

namespace zr {

bool IsOutOfResourcesError(int error) { return error == EMFILE || error == ENFILE || error == ENOMEM; }

}  // namespace zr
