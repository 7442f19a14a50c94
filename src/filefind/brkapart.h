#pragma once
// Splits a string at a separator into a list and joins a list back.

#include <string>
#include <vector>

namespace zr {

class TBrkApart {
public:
    std::string BaseString;         // the joined form
    std::string BreakString;        // the separator; may be longer than one byte
    bool AllowEmptyString = false;  // keep empty pieces

    std::vector<std::string> &StringList() { return list_; }
    const std::vector<std::string> &StringList() const { return list_; }
    void SetStringList(const std::vector<std::string> &list) { list_ = list; }

    // BaseString -> StringList. No piece is trimmed.
    void Split();
    // StringList -> BaseString. The first item is always taken, even empty.
    void Join();

private:
    std::vector<std::string> list_;
};

}  // namespace zr
