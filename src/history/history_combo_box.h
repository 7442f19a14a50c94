#pragma once
// THistoryComboBox: an editable combo box whose list is the history of what
// was typed into it, kept in the registry between runs. The folder style
// draws each entry with its icon (and a drive root with its name).

#include "history/root_key.h"

#include <QComboBox>

#include <string>
#include <vector>

namespace zr {

enum class TComboBoxStyle { csDropDown, csOwnerDrawFixed };

class THistoryComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit THistoryComboBox(QWidget *parent = nullptr);

    void SetKey(std::string key) { key_ = std::move(key); }
    const std::string &Key() const { return key_; }
    void SetMaxHistoryLength(int length) { maxHistoryLength_ = length; }
    int MaxHistoryLength() const { return maxHistoryLength_; }
    void SetRootKey(TRootKey root) { rootKey_ = root; }
    TRootKey RootKey() const { return rootKey_; }
    void SetStyle(TComboBoxStyle style);
    TComboBoxStyle Style() const { return style_; }

    // Replaces the items with the stored history, keeping the typed text.
    // Throws ERegistryException (items untouched) when the key has no "Count".
    void LoadHistory(bool selectFirst);
    // Pushes the current text and stores the list.
    void SaveHistory(bool selectFirst);
    // Puts s on top, drops its other spellings and cuts to MaxHistoryLength.
    void PushText(const std::string &s);

    std::vector<std::string> Entries() const;
    std::string Text() const { return currentText().toStdString(); }

private:
    void SetEntries(const std::vector<std::string> &entries);
    void SelectFirst(bool selectFirst);

    std::string key_;
    int maxHistoryLength_ = 9;
    TRootKey rootKey_ = TRootKey::hkCurrentUser;
    TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
};

}  // namespace zr
