#pragma once
// Shows the settings database's notices (a damaged database moved aside,
// settings that cannot be saved) as warning boxes instead of on stderr.

namespace zr {

void ShowRegistryNoticesInMessageBoxes();

}  // namespace zr
