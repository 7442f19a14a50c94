#pragma once
// "設定": the viewer program (with a file picker and a test button), the
// work folder base, silent mode, the log size, the error beep and the text
// encoding of stored files. OK writes the values; キャンセル writes nothing.

#include "app/settings_values.h"
#include "platform/process_launch.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace zr {

class TCacheSettingsBox;

class TSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TSettingsDialog(QWidget *parent = nullptr);

    void SetValues(const TSettingsValues &values);
    TSettingsValues Values() const;

    // Replaceable outside world (tests): the file and folder pickers, and
    // starting a command line detached.
    std::function<std::optional<std::string>(QWidget *, const std::string &start)> pickProgram;
    std::function<std::optional<std::string>(QWidget *, const std::string &start)> pickFolder;
    std::function<platform::LaunchResult(const std::string &commandLine)> launch;
    // Where the test button writes its sample: the window's work folder, which
    // goes when the window does (the private temporary folder when empty).
    std::string sampleFolder;

    // The test button: opens a small sample file in the chosen viewer at its
    // second line; a viewer that cannot be started is reported.
    void TestViewer();

    // Checks and writes the values; false (with a message) when they cannot be saved.
    bool Save();

    QRadioButton *DefaultViewerButton() const { return rbDefault_; }
    QRadioButton *ProgramViewerButton() const { return rbProgram_; }
    QLineEdit *ProgramEdit() const { return edProgram_; }
    QPushButton *ProgramButton() const { return btnProgram_; }
    QPushButton *TestButton() const { return btnTest_; }
    QLineEdit *WorkPathEdit() const { return edWorkPath_; }
    QCheckBox *SilentModeBox() const { return chbSilent_; }
    QSpinBox *LogSizeBox() const { return spnLogSize_; }
    QCheckBox *BeepSoundBox() const { return chbBeep_; }
    QCheckBox *FollowLinksBox() const { return chbFollowLinks_; }
    QComboBox *EncodingBox() const { return cbEncoding_; }
    TCacheSettingsBox *CacheBox() const { return cacheBox_; }

    void accept() override;

private:
    void UpdateViewerControls();

    QRadioButton *rbDefault_ = nullptr;
    QRadioButton *rbProgram_ = nullptr;
    QLineEdit *edProgram_ = nullptr;
    QPushButton *btnProgram_ = nullptr;
    QPushButton *btnTest_ = nullptr;
    QLineEdit *edWorkPath_ = nullptr;
    QPushButton *btnWorkPath_ = nullptr;
    QCheckBox *chbSilent_ = nullptr;
    QSpinBox *spnLogSize_ = nullptr;
    QCheckBox *chbBeep_ = nullptr;
    QCheckBox *chbFollowLinks_ = nullptr;
    QComboBox *cbEncoding_ = nullptr;
    TCacheSettingsBox *cacheBox_ = nullptr;
};

// Opens the dialog on the stored values; true when they were saved.
bool ShowSettingsDialog(QWidget *owner, const std::string &sampleFolder);

}  // namespace zr
