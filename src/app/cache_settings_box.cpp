#include "app/cache_settings_box.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "search/content_cache.h"
#include "util/message_box.h"

namespace zr {

namespace {

QString Q(const std::string &text) { return QString::fromStdString(text); }

std::string MegabytesText(std::uint64_t bytes)
{
    const std::uint64_t tenths = (bytes * 10 + (1u << 19)) >> 20;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

}  // namespace

TCacheSettingsBox::TCacheSettingsBox(QWidget *parent) : QGroupBox(Q("展開結果のキャッシュ"), parent)
{
    setObjectName("CacheSettings");
    chbOn_ = new QCheckBox(Q("展開した内容をキャッシュして再検索を速くする(&C)"), this);
    edFolder_ = new QLineEdit(this);
    edFolder_->setObjectName("CacheFolder");
    edFolder_->setPlaceholderText(Q(search::DefaultCacheFolder()));
    spnSize_ = new QSpinBox(this);
    spnSize_->setRange(0, 1 << 20);
    spnSize_->setSuffix(Q(" MB"));
    spnDays_ = new QSpinBox(this);
    spnDays_->setRange(1, 3650);
    spnDays_->setSuffix(Q(" 日"));
    lblUsage_ = new QLabel(this);
    btnClear_ = new QPushButton(Q("キャッシュを消去(&X)"), this);
    auto *usageRow = new QHBoxLayout;
    usageRow->addWidget(lblUsage_, 1);
    usageRow->addWidget(btnClear_);
    auto *form = new QFormLayout(this);
    form->addRow(chbOn_);
    form->addRow(Q("場所(&O):"), edFolder_);
    form->addRow(Q("最大サイズ(&Z):"), spnSize_);
    form->addRow(Q("保存期間(&D):"), spnDays_);
    form->addRow(usageRow);
    connect(btnClear_, &QPushButton::clicked, this, [this] { ClearCache(); });
    connect(edFolder_, &QLineEdit::editingFinished, this, [this] { UpdateUsage(); });
}

void TCacheSettingsBox::SetValues(const search::CacheSettingValues &v)
{
    chbOn_->setChecked(v.on);
    edFolder_->setText(Q(v.folder));
    spnSize_->setValue(v.sizeMb);
    spnDays_->setValue(v.days);
    UpdateUsage();
}

search::CacheSettingValues TCacheSettingsBox::Values() const
{
    search::CacheSettingValues v;
    v.on = chbOn_->isChecked();
    v.folder = edFolder_->text().trimmed().toStdString();
    v.sizeMb = spnSize_->value();
    v.days = spnDays_->value();
    return v;
}

void TCacheSettingsBox::UpdateUsage()
{
    lblUsage_->setText(
        Q("使用中: " + MegabytesText(search::ContentCache::FolderBytes(Values().EffectiveFolder()))));
}

void TCacheSettingsBox::ClearCache()
{
    std::string why;
    if (!search::ContentCache::Clear(Values().EffectiveFolder(), &why))
        ShowMessageBox(this, "キャッシュを消去できません。\r\n" + why, mtError, mbOKOnly);
    UpdateUsage();
}

}  // namespace zr
