#pragma once
// Finding a top-level window by a title pattern: "Text" (prefix), "*" (any),
// "*Text" (suffix), "Text*..." (prefix before the first "*"); "*Text*..."
// matches nothing. Letter case is ignored; empty titles never match.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace zr {

bool TitleMatchesPattern(std::string_view title, std::string_view pattern);

// Index of the first title that matches, or none.
std::optional<std::size_t> FindTitle(const std::vector<std::string> &titles, std::string_view pattern);

// The first of this process's top-level windows whose title matches; not activated.
QWidget *FindWindowByTitle(std::string_view pattern);

}  // namespace zr
