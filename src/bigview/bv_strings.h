#pragma once
// TBvStrings: the growable line array behind the result view. Lighter than a
// general string list: no objects, no sorting, no notifications.

#include <cstddef>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zr {

// Raised for every index or count outside the store's range.
class EBvListError : public std::out_of_range {
public:
    EBvListError();
};

// Raised when a file cannot be opened, read or written.
class EBvInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TBvStrings {
public:
    static constexpr int MaxListSize = 134217727;  // 2^27 - 1
    static constexpr int GrowBy = 32;
    static constexpr int BytesPerLineGuess = 28;

    TBvStrings() = default;
    virtual ~TBvStrings() = default;
    TBvStrings(const TBvStrings &) = default;
    TBvStrings &operator=(const TBvStrings &) = default;

    int Count() const { return count_; }
    int Capacity() const { return static_cast<int>(slots_.size()); }

    int Add(std::string_view line);
    void Insert(int index, std::string_view line);
    const std::string &Get(int index) const;
    void Put(int index, std::string_view line);
    void Delete(int index);
    void Exchange(int a, int b);
    void Clear();
    void AddStrings(const std::vector<std::string> &lines);
    void Assign(const std::vector<std::string> &lines);
    void AssignTo(std::vector<std::string> &target) const;

    virtual void SetCount(int n);
    virtual void SetCapacity(int n);
    virtual int IndexOf(std::string_view line) const;
    // Case-insensitive (ASCII) search from (line, column); column is 1-based.
    bool Find(std::string_view what, int &line, int &column) const;

    virtual std::string GetText() const;
    virtual void SetText(std::string_view text);
    virtual std::string GetCommaText() const;
    virtual void SetCommaText(std::string_view text);

    virtual void LoadFromFile(const std::string &fileName);
    virtual void SaveToFile(const std::string &fileName) const;
    virtual void LoadFromStream(std::istream &in);
    virtual void SaveToStream(std::ostream &out) const;

protected:
    [[noreturn]] virtual void IndexError() const;

private:
    void CheckIndex(int index) const;
    void GrowIfFull();

    std::vector<std::string> slots_;  // slots_.size() is the capacity
    int count_ = 0;
};

}  // namespace zr
