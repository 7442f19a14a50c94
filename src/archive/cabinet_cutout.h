#pragma once
// Cutting the cabinet out of a self-extracting executable, for a Cab
// library too old to read such executables itself.

#include <string>

namespace zr::archive {

// Where the cut-out cabinet of an executable goes: "<name>.Cab" in the work
// folder when that is an existing folder, the work folder value itself when
// it names no folder, and the private temporary folder when it is empty.
std::string CutOutCabinetName(const std::string &executable, const std::string &workFolder);

// Writes the executable's bytes from the cabinet signature to the end into
// target. False when there is no signature or the target cannot be written
// (no partial target is left behind).
bool CutOutCabinet(const std::string &executable, const std::string &target);

}  // namespace zr::archive
