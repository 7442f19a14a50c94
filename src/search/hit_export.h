#pragma once
// Every hit line as a table for a spreadsheet: archive path, stored name,
// line number and the line's text, one row each, under a caption row. UTF-8
// with a byte order mark (so Excel reads it as UTF-8), rows ended by CR LF,
// fields with the separator, a quote or a line break quoted as in CSV.

#include <ostream>
#include <string>
#include <string_view>

#include "search/hit_list.h"

namespace zr::search {

enum class HitExportFormat { Csv, Tsv };

// ".tsv" and ".txt" names give TSV, anything else CSV (case ignored).
HitExportFormat HitExportFormatForPath(const std::string &path);

class HitExportWriter {
public:
    explicit HitExportWriter(HitExportFormat format);

    // The byte order mark and the caption row.
    std::string Head() const;
    std::string Row(const THitRecord &hit) const;
    // One field, quoted when it must be.
    std::string Field(std::string_view text) const;

    // Head and every row of hits; false when the stream failed.
    bool Write(std::ostream &out, const HitList &hits) const;

private:
    char separator_;
};

// Writes the file whole; throws std::runtime_error with a message for the
// user when it cannot be written (a file already there is replaced only then).
void WriteHitExportFile(const std::string &path, const HitList &hits);

}  // namespace zr::search
