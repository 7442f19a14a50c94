#include "app/settings_dialog.h"

#include "app/cache_settings_box.h"

#include "util/message_box.h"
#include "util/temp_folder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <fstream>

namespace zr {

namespace {

QString Q(const char *text) { return QString::fromUtf8(text); }
QString Q(const std::string &text) { return QString::fromStdString(text); }

struct EncodingEntry {
    regex::TEncodingChoice choice;
    const char *caption;
};

constexpr EncodingEntry kEncodings[] = {
    {regex::TEncodingChoice::ecAuto, "自動判定"}, {regex::TEncodingChoice::ecCp932, "シフトJIS (CP932)"},
    {regex::TEncodingChoice::ecUtf8, "UTF-8"},    {regex::TEncodingChoice::ecUtf16, "UTF-16"},
    {regex::TEncodingChoice::ecEucJp, "EUC-JP"},  {regex::TEncodingChoice::ecIso2022Jp, "ISO-2022-JP (JIS)"},
};

std::optional<std::string> DefaultProgramPicker(QWidget *owner, const std::string &start)
{
    QFileDialog dialog(owner, Q("ビューアのプログラムを選択"), Q(start));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> DefaultFolderPicker(QWidget *owner, const std::string &start)
{
    QFileDialog dialog(owner, Q("作業フォルダを選択"), Q(start));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

// A sample whose second line the viewer should open at.
std::string WriteSampleFile(const std::string &preferredFolder)
{
    const std::string folder = preferredFolder.empty() ? TempFolder() : preferredFolder;
    if (folder.empty())
        return {};
    const std::string path = folder + "/ZuRivo viewer test.txt";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "ZuRivo\n"
           "この行が表示されていれば行ジャンプは正常です。\n"
           "This line should not be the current one.\n";
    return out ? path : std::string();
}

}  // namespace

TSettingsDialog::TSettingsDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(Q("設定"));
    setObjectName("SettingsDialog");
    pickProgram = DefaultProgramPicker;
    pickFolder = DefaultFolderPicker;
    launch = [](const std::string &line) { return platform::StartCommandLineDetached(line); };

    auto *viewerBox = new QGroupBox(Q("テキストビューア"), this);
    rbDefault_ = new QRadioButton(Q("既定のアプリケーションで開く (xdg-open)"), viewerBox);
    rbProgram_ = new QRadioButton(Q("指定のプログラムで開く(&P)"), viewerBox);
    auto *group = new QButtonGroup(this);
    group->addButton(rbDefault_);
    group->addButton(rbProgram_);
    edProgram_ = new QLineEdit(viewerBox);
    edProgram_->setObjectName("Program");
    btnProgram_ = new QPushButton(Q("参照(&B)..."), viewerBox);
    btnTest_ = new QPushButton(Q("テスト(&T)"), viewerBox);
    auto *hint = new QLabel(Q("行位置: hidemaru.exe は /j行, vim・emacs・nano・gedit などは +行,\n"
                              "kate・mousepad は --line 行, code は -g ファイル:行"),
                            viewerBox);
    hint->setEnabled(false);
    auto *viewerGrid = new QGridLayout(viewerBox);
    viewerGrid->addWidget(rbDefault_, 0, 0, 1, 3);
    viewerGrid->addWidget(rbProgram_, 1, 0, 1, 3);
    viewerGrid->addWidget(edProgram_, 2, 0);
    viewerGrid->addWidget(btnProgram_, 2, 1);
    viewerGrid->addWidget(btnTest_, 2, 2);
    viewerGrid->addWidget(hint, 3, 0, 1, 3);
    viewerGrid->setColumnStretch(0, 1);

    auto *runBox = new QGroupBox(Q("検索"), this);
    edWorkPath_ = new QLineEdit(runBox);
    edWorkPath_->setObjectName("WorkPath");
    edWorkPath_->setPlaceholderText(Q("（一時フォルダ）"));
    btnWorkPath_ = new QPushButton(Q("参照(&R)..."), runBox);
    auto *workRow = new QHBoxLayout;
    workRow->addWidget(edWorkPath_, 1);
    workRow->addWidget(btnWorkPath_);
    chbSilent_ = new QCheckBox(Q("書庫ライブラリのダイアログを表示しない(&S)"), runBox);
    spnLogSize_ = new QSpinBox(runBox);
    spnLogSize_->setRange(kMinLogSizeKb, kMaxLogSizeKb);
    spnLogSize_->setSuffix(Q(" KB"));
    chbBeep_ = new QCheckBox(Q("エラーのときビープ音を鳴らさない(&B)"), runBox);
    chbFollowLinks_ = new QCheckBox(Q("リンク先のフォルダも検索する(&K)"), runBox);
    cbEncoding_ = new QComboBox(runBox);
    for (const EncodingEntry &entry : kEncodings)
        cbEncoding_->addItem(Q(entry.caption), static_cast<int>(entry.choice));
    auto *form = new QFormLayout(runBox);
    // A row holding a layout gets no buddy by itself; without one the "&" would show.
    auto *workLabel = new QLabel(Q("作業フォルダ(&W):"), runBox);
    workLabel->setBuddy(edWorkPath_);
    form->addRow(workLabel, workRow);
    form->addRow(Q("ログサイズ(&L):"), spnLogSize_);
    form->addRow(Q("格納ファイルの文字コード(&E):"), cbEncoding_);
    form->addRow(chbSilent_);
    form->addRow(chbBeep_);
    form->addRow(chbFollowLinks_);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(Q("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(Q("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TSettingsDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(viewerBox);
    layout->addWidget(runBox);
    cacheBox_ = new TCacheSettingsBox(this);
    layout->addWidget(cacheBox_);
    layout->addWidget(buttons);

    connect(rbProgram_, &QRadioButton::toggled, this, [this] { UpdateViewerControls(); });
    connect(btnProgram_, &QPushButton::clicked, this, [this] {
        if (const auto chosen = pickProgram(this, edProgram_->text().toStdString()))
            edProgram_->setText(Q(*chosen));
    });
    connect(btnWorkPath_, &QPushButton::clicked, this, [this] {
        if (const auto chosen = pickFolder(this, edWorkPath_->text().toStdString()))
            edWorkPath_->setText(Q(*chosen));
    });
    connect(btnTest_, &QPushButton::clicked, this, [this] { TestViewer(); });
    SetValues(TSettingsValues());
}

void TSettingsDialog::SetValues(const TSettingsValues &v)
{
    rbProgram_->setChecked(v.viewer.useProgram);
    rbDefault_->setChecked(!v.viewer.useProgram);
    edProgram_->setText(Q(v.viewer.program));
    edWorkPath_->setText(Q(v.workPath));
    chbSilent_->setChecked(v.silentMode);
    spnLogSize_->setValue(v.logSizeKb);
    chbBeep_->setChecked(v.beepSound);
    chbFollowLinks_->setChecked(v.followLinks);
    const int index = cbEncoding_->findData(static_cast<int>(v.textEncoding));
    cbEncoding_->setCurrentIndex(index < 0 ? 0 : index);
    cacheBox_->SetValues(v.cache);
    UpdateViewerControls();
}

TSettingsValues TSettingsDialog::Values() const
{
    TSettingsValues v;
    v.viewer.useProgram = rbProgram_->isChecked();
    v.viewer.program = edProgram_->text().trimmed().toStdString();
    v.workPath = edWorkPath_->text().trimmed().toStdString();
    v.silentMode = chbSilent_->isChecked();
    v.logSizeKb = spnLogSize_->value();
    v.beepSound = chbBeep_->isChecked();
    v.followLinks = chbFollowLinks_->isChecked();
    v.textEncoding = static_cast<regex::TEncodingChoice>(cbEncoding_->currentData().toInt());
    v.cache = cacheBox_->Values();
    return v;
}

void TSettingsDialog::UpdateViewerControls()
{
    const bool program = rbProgram_->isChecked();
    edProgram_->setEnabled(program);
    btnProgram_->setEnabled(program);
}

void TSettingsDialog::TestViewer()
{
    const TSettingsValues values = Values();
    if (values.viewer.useProgram && values.viewer.program.empty()) {
        ShowMessageBox(this, "ビューアのプログラムを指定してください。", mtWarning, mbOKOnly);
        return;
    }
    const std::string sample = WriteSampleFile(sampleFolder);
    if (sample.empty()) {
        ShowMessageBox(this, "テスト用のファイルを作成できません。", mtError, mbOKOnly);
        return;
    }
    const platform::LaunchResult started = launch(ViewerCommandLine(ViewerProgram(values.viewer), sample, 2));
    if (!started.ok)
        ShowMessageBox(this, "ビューアを起動できません。\r\n" + started.error, mtError, mbOKOnly);
}

bool TSettingsDialog::Save()
{
    const TSettingsValues values = Values();
    if (const std::string problem = SettingsProblem(values); !problem.empty()) {
        ShowMessageBox(this, problem, mtWarning, mbOKOnly);
        return false;
    }
    try {
        values.Write();
    } catch (const std::exception &e) {
        ShowMessageBox(this, e.what(), mtError, mbOKOnly);
        return false;
    }
    return true;
}

void TSettingsDialog::accept()
{
    if (Save())
        QDialog::accept();
}

bool ShowSettingsDialog(QWidget *owner, const std::string &sampleFolder)
{
    TSettingsDialog dialog(owner);
    dialog.sampleFolder = sampleFolder;
    dialog.SetValues(TSettingsValues::FromRegistry());
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace zr
