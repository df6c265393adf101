#include "ui/opt_output_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/finish_notice.h"
#include "platform/registry_store.h"
#include "ui/typed_combo.h"
#include "ui/ui_services.h"
#include "util/paths.h"

namespace quillon::ui {

namespace {

COptOutputPage::FolderChooser& Chooser() {
    static COptOutputPage::FolderChooser chooser;
    return chooser;
}

QString ChooseFolder(QWidget* parent, const QString& prompt, const QString& start) {
    if (Chooser()) return Chooser()(parent, prompt, start);
    return QFileDialog::getExistingDirectory(parent, prompt, start);
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

QSpinBox* NumberField(int maximum, QWidget* parent) {
    auto* field = new QSpinBox(parent);
    field->setRange(0, maximum);
    field->setAlignment(Qt::AlignRight);
    return field;
}

void SelectByValue(QComboBox* box, int value) { box->setCurrentIndex(box->findData(value)); }

}  // namespace

void COptOutputPage::SetFolderChooser(FolderChooser chooser) { Chooser() = std::move(chooser); }

COptOutputPage::COptOutputPage(formats::ConversionSettings& settings, platform::RegistryStore& store, QWidget* parent)
    : QWidget(parent), settings_(settings), store_(store) {
    BuildControls();
    FillControls();
}

void COptOutputPage::BuildControls() {
    auto* page = new QVBoxLayout(this);

    auto* adding = new QGroupBox(QStringLiteral("Adding files"), this);
    auto* addingLayout = new QVBoxLayout(adding);
    filterCheck_ = new QCheckBox(
        QStringLiteral("O&nly add the following file extensions for \"Add Folder\" and Drag/Drop"), adding);
    filterBox_ = new QComboBox(adding);
    KeepTypedText(filterBox_);
    auto* note = new QLabel(QStringLiteral("Note: use comma (,) to separate multiple extensions. For example: "
                                           "mp4,mp3,avi,ogg,mov,wmv"),
                            adding);
    note->setEnabled(false);
    addingLayout->addWidget(filterCheck_);
    addingLayout->addWidget(filterBox_);
    addingLayout->addWidget(note);
    page->addWidget(adding);

    auto* converting = new QGroupBox(QStringLiteral("Converting"), this);
    auto* convLayout = new QGridLayout(converting);
    keepCreated_ = new QCheckBox(QStringLiteral("Keep &date/time created of original"), converting);
    keepModified_ = new QCheckBox(QStringLiteral("Keep date/time &modified of original"), converting);
    fixUnsync_ = new QCheckBox(QStringLiteral("Fi&x out of sync of audio (please do not check this option "
                                              "unless the output audio is out of sync)"),
                               converting);
    normalize_ = new QCheckBox(QStringLiteral("Normalize file before converting &to one "), converting);
    normalizeHelp_ = new QPushButton(QStringLiteral("?"), converting);
    normalizeHelp_->setFixedWidth(normalizeHelp_->sizeHint().height());
    keepTag_ = new QCheckBox(QStringLiteral("Kee&p ID3 tag"), converting);
    convLayout->addWidget(keepCreated_, 0, 0);
    convLayout->addWidget(keepModified_, 0, 1);
    convLayout->addWidget(fixUnsync_, 1, 0, 1, 2);
    auto* normalizeRow = new QHBoxLayout;
    normalizeRow->addWidget(normalize_);
    normalizeRow->addWidget(normalizeHelp_);
    normalizeRow->addStretch();
    convLayout->addLayout(normalizeRow, 2, 0);
    convLayout->addWidget(keepTag_, 2, 1);

    auto* audioRow = new QHBoxLayout;
    auto* audioLabel =
        new QLabel(QStringLiteral("&If there are more than one audio stream in source file, converts no."), converting);
    audioIndex_ = NumberField(32767, converting);
    audioLabel->setBuddy(audioIndex_);
    audioRow->addWidget(audioLabel);
    audioRow->addWidget(audioIndex_);
    audioRow->addWidget(new QLabel(QStringLiteral("audio stream"), converting));
    audioRow->addStretch();
    convLayout->addLayout(audioRow, 3, 0, 1, 2);

    const QString rangeNames[3] = {QStringLiteral("Convert &from"), QStringLiteral("Only &convert"),
                                   QStringLiteral("I&gnore the last")};
    auto* times = new QGridLayout;
    for (int range = 0; range < 3; ++range) {
        rangeChecks_[range] = new QCheckBox(rangeNames[range], converting);
        times->addWidget(rangeChecks_[range], range, 0);
        const int maxima[4] = {32767, 59, 59, 999};
        const QString units[4] = {QStringLiteral("h"), QStringLiteral("m"), QStringLiteral("s"), QStringLiteral("ms")};
        for (int field = 0; field < 4; ++field) {
            timeFields_[range][field] = NumberField(maxima[field], converting);
            times->addWidget(timeFields_[range][field], range, 1 + field * 2);
            times->addWidget(new QLabel(units[field], converting), range, 2 + field * 2);
        }
        connect(rangeChecks_[range], &QCheckBox::toggled, this, [this, range](bool on) { OnRangeChecked(range, on); });
    }
    times->setColumnStretch(9, 1);
    convLayout->addLayout(times, 4, 0, 1, 2);
    page->addWidget(converting);

    auto* output = new QGroupBox(QStringLiteral("Output"), this);
    auto* outLayout = new QGridLayout(output);
    auto* folderOptLabel = new QLabel(QStringLiteral("&Output folder:"), output);
    outputFolderBox_ = new QComboBox(output);
    outputFolderBox_->addItem(QStringLiteral("Same as source file"), formats::kOutputSameAsSource);
    outputFolderBox_->addItem(QStringLiteral("Specific folder"), formats::kOutputSpecificFolder);
    folderOptLabel->setBuddy(outputFolderBox_);
    outLayout->addWidget(folderOptLabel, 0, 0);
    outLayout->addWidget(outputFolderBox_, 0, 1, 1, 3);

    auto* folderLabel = new QLabel(QStringLiteral("&Specific folder:"), output);
    folderBox_ = new QComboBox(output);
    KeepTypedText(folderBox_);
    folderBox_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    folderLabel->setBuddy(folderBox_);
    browseButton_ = new QPushButton(QStringLiteral("Bro&wse"), output);
    openButton_ = new QPushButton(QStringLiteral("O&pen"), output);
    outLayout->addWidget(folderLabel, 1, 0);
    outLayout->addWidget(folderBox_, 1, 1);
    outLayout->addWidget(browseButton_, 1, 2);
    outLayout->addWidget(openButton_, 1, 3);

    folderEach_ = new QCheckBox(QStringLiteral("C&reate an output folder for each source file"), output);
    keepTreeCheck_ = new QCheckBox(QStringLiteral("&Keep original directory tree"), output);
    keepTreeExample_ = new QLabel(
        QStringLiteral("For example: source file is \"/home/me/Video/Friends/Happy.mp4\" and output folder is "
                       "\"/media/Output\". If the option is checked, the output folder will be "
                       "\"/media/Output/home/me/Video/Friends/\"."),
        output);
    keepTreeExample_->setWordWrap(true);
    keepTreeExample_->setIndent(20);
    // The layout does not ask a wrapped label for its height: leave room for two lines.
    keepTreeExample_->setMinimumHeight(keepTreeExample_->fontMetrics().lineSpacing() * 2 + 6);
    outLayout->addWidget(folderEach_, 2, 0, 1, 4);
    outLayout->addWidget(keepTreeCheck_, 3, 0, 1, 4);
    outLayout->addWidget(keepTreeExample_, 4, 0, 1, 4);

    auto* existsLabel = new QLabel(QStringLiteral("If target file &exists "), output);
    targetExistsBox_ = new QComboBox(output);
    targetExistsBox_->addItem(QStringLiteral("Rename automatically (add number at end of file name)"),
                              formats::kTargetRename);
    targetExistsBox_->addItem(QStringLiteral("Overwrite"), formats::kTargetOverwrite);
    targetExistsBox_->addItem(QStringLiteral("Skip (not convert)"), formats::kTargetSkip);
    existsLabel->setBuddy(targetExistsBox_);
    outLayout->addWidget(existsLabel, 5, 0);
    outLayout->addWidget(targetExistsBox_, 5, 1, 1, 3);
    toDocuments_ = new QCheckBox(QStringLiteral("O&utput files to Documents if creating file failure"), output);
    browseAfter_ = new QCheckBox(QStringLiteral("&Browse output folder when conversion completes"), output);
    outLayout->addWidget(toDocuments_, 6, 0, 1, 4);
    outLayout->addWidget(browseAfter_, 7, 0, 1, 4);
    notifyCheck_ = new QCheckBox(QString::fromLatin1(app::kNotifyWhenFinishedText), output);
    outLayout->addWidget(notifyCheck_, 8, 0, 1, 4);
    page->addWidget(output);
    page->addStretch();

    connect(filterCheck_, &QCheckBox::toggled, this, &COptOutputPage::OnFilterChecked);
    connect(outputFolderBox_, &QComboBox::currentIndexChanged, this, &COptOutputPage::OnOutputFolderChanged);
    connect(browseButton_, &QPushButton::clicked, this, &COptOutputPage::OnBrowse);
    connect(openButton_, &QPushButton::clicked, this, &COptOutputPage::OnOpen);
    connect(normalizeHelp_, &QPushButton::clicked, this, [this] {
        Services().ShowMessage(
            this, MessageIcon::Information,
            QStringLiteral("Please check the option if files were encoded with different parameters such as file "
                           "format, video codec, video size, video frame rate, video bit rate, audio codec, audio "
                           "sample rate, audio bit rate, audio channels.\n\nYou can check-off the option if files "
                           "were encoded in exactly the same parameters or recorded by same device for example DC, "
                           "DV, cell phone, voice recorder, etc. This will make \"Convert to One\" faster."));
    });
}

void COptOutputPage::FillControls() {
    const platform::RegistryTree tree = store_.Read();
    // Both histories are shown; a filter history never stored offers the usual extensions.
    filterBox_->clear();
    if (!filterHistory_.Load(tree)) {
        // The defaults become the history, so that a first confirmed filter keeps them below it.
        const auto& defaults = app::DefaultFilterEntries();
        for (auto entry = defaults.rbegin(); entry != defaults.rend(); ++entry) filterHistory_.Remember(*entry);
    }
    for (const std::string& entry : filterHistory_.Entries()) filterBox_->addItem(Text(entry));
    filterBox_->setEditText(Text(settings_.FilterExts));
    filterCheck_->setChecked(settings_.EnableExtFilter == 1);
    filterBox_->setEnabled(settings_.EnableExtFilter == 1);

    keepCreated_->setChecked(settings_.KeepDateCreated != 0);
    keepModified_->setChecked(settings_.KeepDateModified != 0);
    fixUnsync_->setChecked(settings_.FixAudioUnsync != 0);
    normalize_->setChecked(settings_.NormalizeFile != 0);
    keepTag_->setChecked(settings_.KeepID3Tag != 0);
    audioIndex_->setValue(settings_.RequestAudioIndex);

    checks_ = app::TimeRangeChecks::FromSettings(settings_);
    const int32_t lengths[3] = {settings_.SkipLength, settings_.ConvertLength, settings_.IgnoreLength};
    for (int range = 0; range < 3; ++range) {
        const app::TimeFields fields = app::SplitTime(lengths[range]);
        const int values[4] = {fields.hours, fields.minutes, fields.seconds, fields.milliseconds};
        for (int field = 0; field < 4; ++field) timeFields_[range][field]->setValue(values[field]);
    }
    UpdateRangeFields();

    settings_.DestOutputFolderOpt = app::ValidOutputFolderOpt(settings_.DestOutputFolderOpt);
    {
        const QSignalBlocker block(outputFolderBox_);
        SelectByValue(outputFolderBox_, settings_.DestOutputFolderOpt);
    }
    folderHistory_.Load(tree);
    folderBox_->clear();
    for (const std::string& entry : folderHistory_.Entries()) folderBox_->addItem(Text(entry));
    folderBox_->setEditText(Text(settings_.DestSpecifiedFolder));
    folderEach_->setChecked(settings_.CreateFolderForEachSource != 0);
    keepTreeCheck_->setChecked(settings_.CreateDirs != 0);
    OnOutputFolderChanged();

    settings_.TargetExistsOpt = app::ValidTargetExistsOpt(settings_.TargetExistsOpt);
    SelectByValue(targetExistsBox_, settings_.TargetExistsOpt);
    toDocuments_->setChecked(settings_.OutputFiles2MyDocuments != 0);
    browseAfter_->setChecked(settings_.BrowseOutputFolder != 0);
    notifyCheck_->setChecked(app::LoadNotifyWhenFinished(store_));
}

void COptOutputPage::OnFilterChecked(bool on) {
    filterBox_->setEnabled(on);
    if (on) filterBox_->setFocus();
}

void COptOutputPage::OnRangeChecked(int range, bool on) {
    if (range == Convert) checks_.CheckConvert(on);
    else if (range == Ignore) checks_.CheckIgnore(on);
    else checks_.skip = on;
    UpdateRangeFields();
    if (on) timeFields_[range][0]->setFocus();
}

void COptOutputPage::UpdateRangeFields() {
    const bool states[3] = {checks_.skip, checks_.convert, checks_.ignore};
    for (int range = 0; range < 3; ++range) {
        const QSignalBlocker block(rangeChecks_[range]);
        rangeChecks_[range]->setChecked(states[range]);
        for (QSpinBox* field : timeFields_[range]) field->setEnabled(states[range]);
    }
}

void COptOutputPage::OnOutputFolderChanged() {
    const bool specific = outputFolderBox_->currentData().toInt() == formats::kOutputSpecificFolder;
    for (QWidget* widget :
         {static_cast<QWidget*>(folderBox_), static_cast<QWidget*>(browseButton_), static_cast<QWidget*>(openButton_),
          static_cast<QWidget*>(keepTreeCheck_), static_cast<QWidget*>(keepTreeExample_)}) {
        widget->setEnabled(specific);
    }
}

void COptOutputPage::OnBrowse() {
    const QString chosen =
        ChooseFolder(this, QStringLiteral("Please choose an output folder:"), folderBox_->currentText());
    if (!chosen.isEmpty()) folderBox_->setEditText(chosen);
}

void COptOutputPage::OnOpen() {
    const QString folder = folderBox_->currentText();
    if (!folder.isEmpty() && util::IsFolder(folder.toStdString())) {
        Services().OpenDocument(folder);
        return;
    }
    Services().ShowMessage(this, MessageIcon::Warning,
                           QStringLiteral("The folder \"%1\" is not available yet.\n\nNote: the program will "
                                          "create the folder automatically when converting files.")
                               .arg(folder));
}

app::TimeFields COptOutputPage::ReadTime(int range) const {
    return {timeFields_[range][0]->value(), timeFields_[range][1]->value(), timeFields_[range][2]->value(),
            timeFields_[range][3]->value()};
}

bool COptOutputPage::LeavePage() {
    app::GeneralPageInput input;
    input.outputFolderOpt = outputFolderBox_->currentData().toInt();
    input.specificFolder = folderBox_->currentText().toStdString();
    input.filterChecked = filterCheck_->isChecked();
    input.filterText = filterBox_->currentText().toStdString();
    input.targetExistsOpt = targetExistsBox_->currentData().toInt();
    input.checks = checks_;
    input.skip = ReadTime(Skip);
    input.convert = ReadTime(Convert);
    input.ignore = ReadTime(Ignore);
    input.requestAudioIndex = audioIndex_->value();

    const app::GeneralPageProblem problem = app::ValidateGeneralPage(input, settings_);
    filterBox_->setEditText(Text(input.filterText));
    checks_ = input.checks;
    UpdateRangeFields();
    audioIndex_->setValue(input.requestAudioIndex);
    if (!problem.message.empty()) {
        Services().ShowMessage(this, MessageIcon::Warning, Text(problem.message));
        switch (problem.focus) {
        case app::GeneralPageFocus::SpecificFolder: folderBox_->setFocus(); break;
        case app::GeneralPageFocus::Filter: filterBox_->setFocus(); break;
        case app::GeneralPageFocus::ConvertHours: timeFields_[Convert][0]->setFocus(); break;
        case app::GeneralPageFocus::None: break;
        }
        return false;
    }

    settings_.KeepDateCreated = keepCreated_->isChecked() ? 1 : 0;
    settings_.KeepDateModified = keepModified_->isChecked() ? 1 : 0;
    settings_.FixAudioUnsync = fixUnsync_->isChecked() ? 1 : 0;
    settings_.NormalizeFile = normalize_->isChecked() ? 1 : 0;
    settings_.KeepID3Tag = keepTag_->isChecked() ? 1 : 0;
    settings_.CreateFolderForEachSource = folderEach_->isChecked() ? 1 : 0;
    settings_.CreateDirs = keepTreeCheck_->isChecked() ? 1 : 0;
    settings_.OutputFiles2MyDocuments = toDocuments_->isChecked() ? 1 : 0;
    settings_.BrowseOutputFolder = browseAfter_->isChecked() ? 1 : 0;
    return true;
}

void COptOutputPage::UpdateHistories() {
    const auto remember = [this](formats::RecentEntries& history, QComboBox* box) {
        const std::string text = box->currentText().toStdString();
        if (!history.Remember(text)) return;
        {
            const QSignalBlocker block(box);
            box->clear();
            for (const std::string& entry : history.Entries()) box->addItem(Text(entry));
            box->setCurrentIndex(0);
        }
        history.Save(store_);
    };
    if (outputFolderBox_->currentData().toInt() == formats::kOutputSpecificFolder) remember(folderHistory_, folderBox_);
    if (filterCheck_->isChecked()) remember(filterHistory_, filterBox_);
    app::SaveNotifyWhenFinished(store_, notifyCheck_->isChecked());
}

}  // namespace quillon::ui
