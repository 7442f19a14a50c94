#pragma once
// What every document reader shares: lines handed on with their part and
// place, blank lines left out, line breaks inside a line made spaces, and
// the stop asked at every line.

#include <stdexcept>
#include <stop_token>
#include <string>
#include <string_view>

#include "documents/document_text.h"

namespace zr::documents {

// Thrown by LineOutput when the handler or the stop ends the reading.
struct ReadingEnded {};

class LineOutput {
public:
    LineOutput(const DocumentLineHandler &onLine, std::stop_token stop) : onLine_(onLine), stop_(stop) {}

    // Throws ReadingEnded when the reading should end.
    void Emit(std::string_view part, std::string_view location, std::string_view text);
    bool Stopped() const { return stop_.stop_requested(); }

private:
    const DocumentLineHandler &onLine_;
    std::stop_token stop_;
    std::string line_;
};

// "A", "B", ..., "Z", "AA" for a 0-based column.
std::string ColumnName(long column);
// "B12" -> column 1, row 12; false when it is no cell reference.
bool ParseCellReference(std::string_view reference, long &column, long &row);

}  // namespace zr::documents
