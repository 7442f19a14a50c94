#include "history/history_combo_box.h"

#include "history/folder_item_delegate.h"
#include "history/history_store.h"

#include <QStyledItemDelegate>

namespace zr {

THistoryComboBox::THistoryComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    // The list changes only through the history rules, never by Enter, and
    // completion must not re-spell what the user types.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
}

void THistoryComboBox::SetStyle(TComboBoxStyle style)
{
    if (style == style_)
        return;
    style_ = style;
    if (style == TComboBoxStyle::csOwnerDrawFixed)
        setItemDelegate(new TFolderItemDelegate(this));
    else
        setItemDelegate(new QStyledItemDelegate(this));
}

std::vector<std::string> THistoryComboBox::Entries() const
{
    std::vector<std::string> entries;
    for (int i = 0; i < count(); ++i)
        entries.push_back(itemText(i).toStdString());
    return entries;
}

void THistoryComboBox::SetEntries(const std::vector<std::string> &entries)
{
    const QString text = currentText();
    clear();
    for (const std::string &entry : entries)
        addItem(QString::fromStdString(entry));
    setEditText(text);
}

void THistoryComboBox::SelectFirst(bool selectFirst)
{
    if (selectFirst && count() > 0)
        setCurrentIndex(0);
}

void THistoryComboBox::LoadHistory(bool selectFirst)
{
    if (key_.empty())
        return;
    SetEntries(
        ReadComboHistory(rootKey_, key_, maxHistoryLength_, style_ == TComboBoxStyle::csOwnerDrawFixed));
    SelectFirst(selectFirst);
}

void THistoryComboBox::PushText(const std::string &s)
{
    if (s.empty())
        return;
    std::vector<std::string> entries = Entries();
    PushHistoryText(entries, s, maxHistoryLength_);
    SetEntries(entries);
    setCurrentIndex(0);
}

void THistoryComboBox::SaveHistory(bool selectFirst)
{
    if (key_.empty())
        return;
    PushText(Text());
    WriteComboHistory(rootKey_, key_, Entries());
    SelectFirst(selectFirst);
}

}  // namespace zr
