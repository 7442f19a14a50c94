#pragma once
// The conditions of one search as the user enters them, and the patterns the
// run derives from them.

#include <string>

namespace zr::search {

struct SearchConditions {
    std::string searchText;           // as typed (UTF-8); "" or "*" lists stored files only
    std::string archiveName = "*.*";  // a name or wildcard; "*.*" or "" means "use the type switches"
    std::string folder;               // the folder to search (UTF-8 path)
    std::string storedFiles = "*.*";  // ";"-separated stored-file wildcards
    bool subFolders = true;
    bool allTypes = true;
    bool lha = false;
    bool zip = false;
    bool arj = false;
    bool cab = false;
    bool tar = false;
    bool rar = false;
    bool sevenZip = false;  // "7z書庫", after the designed switches
    bool sfx = false;
    bool regularExpression = true;  // off: the text is searched as typed, "." and "(" included
    bool fuzzy = true;              // the fuzzy-character table (full and half width, kana...)
    bool documents = true;          // "Office/PDF文書": documents are searched like archives
    bool nestedArchives = true;     // archives stored inside archives are searched inside

    bool operator==(const SearchConditions &) const = default;
};

// Every archive extension (the designed eleven, the newer tar compressions
// and 7z), without and with the self-extractor element (which has no dot,
// so "SETUP.EXE" and "SETUPEXE" both match).
inline constexpr const char *kAllArchiveTypes = "*.LZH;*.ZIP;*.CAB;*.TAR;*.TGZ;*.TAZ;*.GZ;*.Z;*.BZ2;*.XZ;*."
                                                "TXZ;*.ZST;*.TZST;*.LZ4;*.LZ;*.TLZ;*.LZMA;*.ARJ;*.RAR;*.7Z";
inline constexpr const char *kAllArchiveTypesWithSfx =
    "*.LZH;*.ZIP;*.CAB;*.TAR;*.TGZ;*.TAZ;*.GZ;*.Z;*.BZ2;*.XZ;*.TXZ;*.ZST;*.TZST;*.LZ4;*.LZ;*.TLZ;*.LZMA;*."
    "ARJ;*.RAR;*.7Z;*EXE";

// The extensions of the "Office/PDF文書" switch, also part of every type.
inline constexpr const char *kDocumentTypes = "*.DOCX;*.DOCM;*.XLSX;*.XLSM;*.PPTX;*.ODT;*.ODS;*.ODP;*.PDF";

// The extensions of the "Tar書庫" switch.
inline constexpr const char *kTarArchiveTypes =
    "*.TAR;*.TGZ;*.TAZ;*.GZ;*.BZ2;*.Z;*.XZ;*.TXZ;*.ZST;*.TZST;*.LZ4;*.LZ;*.TLZ;*.LZMA";

// True when the archive-name box names archives itself rather than leaving
// the choice to the type switches.
bool NamesArchives(const std::string &archiveName);

// The ";"-separated pattern the finder looks for.
std::string ArchiveNamePattern(const SearchConditions &conditions);

// The blank-separated list the archive listing takes: "*.*" for an empty,
// blank or "*.*" box, otherwise every ";" becomes a blank.
std::string StoredFilePattern(const std::string &storedFiles);

// The search string (CP932) as the scanner takes it: as typed for a regular
// expression, otherwise with every pattern character quoted so that it
// matches itself.
std::string ScannerPattern(const std::string &cp932Text, bool regularExpression);

// "" and "*" search no text: every listed stored file is a hit by itself.
bool IsNoTextSearch(const std::string &searchText);

}  // namespace zr::search
