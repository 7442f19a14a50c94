#pragma once
// The "Setting" "TextEncoding" value: how stored files are read. "auto" (the
// default) judges each file's encoding; "cp932" reads every file as CP932.
// The other names zrgrep's --encoding takes are accepted too.

#include "regex/text_encoding.h"

namespace zr::search {

// An unknown or missing value reads as auto.
regex::TEncodingChoice ReadTextEncodingSetting();
void WriteTextEncodingSetting(regex::TEncodingChoice choice);

}  // namespace zr::search
