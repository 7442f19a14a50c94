#pragma once
// Message-dialog values: dialog types, buttons and modal results with the
// numbers the program stores and compares, and the captions the boxes show.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zr {

enum TMsgDlgType { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3, mtCustom = 4 };

enum TMsgDlgBtn {
    mbYes = 0,
    mbNo = 1,
    mbOK = 2,
    mbCancel = 3,
    mbAbort = 4,
    mbRetry = 5,
    mbIgnore = 6,
    mbAll = 7,
    mbNoToAll = 8,
    mbYesToAll = 9,
    mbHelp = 10,
};

enum TModalResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// A set of buttons (bit n = button n).
class TMsgDlgButtons {
public:
    constexpr TMsgDlgButtons() = default;
    constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons)
    {
        for (TMsgDlgBtn b : buttons)
            bits_ |= Bit(b);
    }
    constexpr bool Contains(TMsgDlgBtn b) const { return (bits_ & Bit(b)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint32_t Bits() const { return bits_; }
    constexpr bool operator==(const TMsgDlgButtons &) const = default;

private:
    static constexpr std::uint32_t Bit(TMsgDlgBtn b) { return 1u << static_cast<unsigned>(b); }
    std::uint32_t bits_ = 0;
};

inline constexpr TMsgDlgButtons mbOKOnly{mbOK};
inline constexpr TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline constexpr TMsgDlgButtons mbRetryCancel{mbRetry, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};

// "警告", "エラー", "情報", "確認"; the application title for mtCustom.
std::string DialogCaption(TMsgDlgType type, std::string_view applicationTitle);
std::string ButtonCaption(TMsgDlgBtn button);
// The modal result a button ends the box with (mrNone for Help).
int ButtonModalResult(TMsgDlgBtn button);
// The set's buttons in their fixed display order (bit order).
std::vector<TMsgDlgBtn> ButtonsInOrder(TMsgDlgButtons buttons);
// The button Enter presses: OK, else Yes, else Retry, else the first one.
TMsgDlgBtn DefaultButton(TMsgDlgButtons buttons);
// The result of closing the box without a button: Cancel's, else No's, else mrCancel.
int EscapeResult(TMsgDlgButtons buttons);

}  // namespace zr
