#pragma once
// The General page of the Options sheet: the extension filter, file-time and tag options, the
// audio-stream number, the time range, the output folder and the policy for existing targets.

#include <QWidget>

#include <functional>

#include "app/general_options.h"
#include "formats/conversion_settings.h"
#include "formats/recent_entries.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace quillon::platform {
class RegistryStore;
}

namespace quillon::ui {

class COptOutputPage : public QWidget {
    Q_OBJECT
public:
    // Asks for a folder: (parent, prompt, start folder) -> the chosen folder or an empty text.
    using FolderChooser = std::function<QString(QWidget*, const QString&, const QString&)>;

    // Edits `settings`, the sheet's copy; the histories are read from `store`.
    COptOutputPage(formats::ConversionSettings& settings, platform::RegistryStore& store, QWidget* parent = nullptr);

    // Checks and takes the page's values; on a problem shows it, focuses the control and
    // returns false.
    bool LeavePage();
    // Confirmed: the histories take the current texts and are written back.
    void UpdateHistories();

    static void SetFolderChooser(FolderChooser chooser);

    // The controls, for tests and screenshots.
    QCheckBox* FilterCheck() const { return filterCheck_; }
    QComboBox* FilterBox() const { return filterBox_; }
    QCheckBox* RangeCheck(int range) const { return rangeChecks_[range]; }
    QSpinBox* TimeField(int range, int field) const { return timeFields_[range][field]; }
    QComboBox* OutputFolderBox() const { return outputFolderBox_; }
    QComboBox* FolderBox() const { return folderBox_; }
    QPushButton* BrowseButton() const { return browseButton_; }
    QPushButton* OpenButton() const { return openButton_; }
    QCheckBox* KeepTreeCheck() const { return keepTreeCheck_; }
    QComboBox* TargetExistsBox() const { return targetExistsBox_; }
    QSpinBox* AudioIndexField() const { return audioIndex_; }
    QPushButton* NormalizeHelpButton() const { return normalizeHelp_; }
    QCheckBox* NotifyCheck() const { return notifyCheck_; }
    const formats::RecentEntries& FilterHistory() const { return filterHistory_; }
    const formats::RecentEntries& FolderHistory() const { return folderHistory_; }

    enum Range { Skip = 0, Convert = 1, Ignore = 2 };

private:
    void BuildControls();
    void FillControls();
    void OnFilterChecked(bool on);
    void OnRangeChecked(int range, bool on);
    void UpdateRangeFields();
    void OnOutputFolderChanged();
    void OnBrowse();
    void OnOpen();
    app::TimeFields ReadTime(int range) const;

    formats::ConversionSettings& settings_;
    platform::RegistryStore& store_;
    formats::RecentEntries filterHistory_{formats::kFilterExtsList};
    formats::RecentEntries folderHistory_{formats::kOutputFolderList};
    app::TimeRangeChecks checks_;

    QCheckBox* filterCheck_ = nullptr;
    QComboBox* filterBox_ = nullptr;
    QCheckBox* keepCreated_ = nullptr;
    QCheckBox* keepModified_ = nullptr;
    QCheckBox* fixUnsync_ = nullptr;
    QCheckBox* normalize_ = nullptr;
    QPushButton* normalizeHelp_ = nullptr;
    QCheckBox* keepTag_ = nullptr;
    QSpinBox* audioIndex_ = nullptr;
    QCheckBox* rangeChecks_[3] = {};
    QSpinBox* timeFields_[3][4] = {};
    QComboBox* outputFolderBox_ = nullptr;
    QComboBox* folderBox_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QPushButton* openButton_ = nullptr;
    QCheckBox* folderEach_ = nullptr;
    QCheckBox* keepTreeCheck_ = nullptr;
    QLabel* keepTreeExample_ = nullptr;
    QComboBox* targetExistsBox_ = nullptr;
    QCheckBox* toDocuments_ = nullptr;
    QCheckBox* browseAfter_ = nullptr;
    QCheckBox* notifyCheck_ = nullptr;
};

}  // namespace quillon::ui
