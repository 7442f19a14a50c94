#pragma once
// The command language of each library: the switches the archive control
// builds for extraction. Switches a library does not need are ignored.

#include "archivers/core/command_parser.h"

namespace zr::archivers {

const CommandDialect &LhaDialect();       // "x"/"e", -m0c -m1c0 -m1c -m2c -c0jn, -n, -jc1
const CommandDialect &CabDialect();       // -x, -j, -n, -o, -i
const CommandDialect &TarDialect();       // --use-directory=0/1, --display-dialog=0, -q
const CommandDialect &ArjDialect();       // "x"/"e", -jyo, -u, -n, -i; "!file" response files
const CommandDialect &RarDialect();       // -x, -e, -u, -o, -o-
const CommandDialect &UnzipDialect();     // -j, -o, -n, -u, --i
const CommandDialect &SevenZipDialect();  // "x"/"e", -aoa, -aon, -aos, -aou, -hide, -o<folder>

// The command words of Lha and Arj: "x" keeps folders, "e" drops them;
// false for any other word.
bool ExtractCommandWord(std::string_view word, ExtractRequest &request);

}  // namespace zr::archivers
