#include "search/nest_settings.h"

#include <algorithm>

namespace zr::search {

int NestDepthSetting(int stored) { return std::clamp(stored, 0, kMaxNestDepth); }

}  // namespace zr::search
