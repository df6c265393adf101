#include "ui/opt_video_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/color_combo_box.h"
#include "ui/output_format_box.h"
#include "ui/step_spin_ctrl.h"
#include "ui/typed_combo.h"
#include "ui/ui_services.h"

namespace quillon::ui {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

constexpr int kMaxEven = 32766;

StepSpinCtrl* SpinField(int minimum, int maximum, int step, QWidget* parent) {
    auto* field = new StepSpinCtrl(parent);
    field->setRange(minimum, maximum);
    field->SetStep(step);
    field->setAlignment(Qt::AlignRight);
    field->setMinimumWidth(70);
    return field;
}

QComboBox* ListBox(bool editable, QWidget* parent) {
    auto* box = new QComboBox(parent);
    if (editable) KeepTypedText(box);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(16);
    box->setMaxVisibleItems(20);
    return box;
}

QLabel* Label(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// A new list and its label in one row of a group's grid, the list across two columns.
QComboBox* AddListRow(QGridLayout* grid, int row, const QString& text, bool editable, QWidget* group,
                      QLabel** label = nullptr) {
    QComboBox* box = ListBox(editable, group);
    QLabel* shown = Label(text, box, group);
    grid->addWidget(shown, row, 0);
    grid->addWidget(box, row, 1, 1, 2);
    if (label) *label = shown;
    return box;
}

}  // namespace

COptVideoPage::COptVideoPage(formats::FormatCatalogue& catalogue, int32_t outputFormatId,
                             const formats::PictureSettings& picture, QWidget* parent)
    : QWidget(parent), model_(std::make_unique<app::VideoPageModel>(catalogue, outputFormatId, picture)),
      catalogue_(catalogue) {
    BuildControls();
    FillPageFormatBox(*formatBox_, catalogue_, outputFormatId);
    Refresh();
}

COptVideoPage::~COptVideoPage() = default;

void COptVideoPage::BuildControls() {
    auto* page = new QVBoxLayout(this);

    auto* formatRow = new QHBoxLayout;
    formatBox_ = new ColorComboBox(this);
    formatBox_->setMaxVisibleItems(24);
    formatBox_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    formatRow->addWidget(Label(QStringLiteral("&Output Format:"), formatBox_, this));
    formatRow->addWidget(formatBox_, 1);
    page->addLayout(formatRow);

    auto* columns = new QHBoxLayout;
    page->addLayout(columns);

    // Video
    auto* video = new QGroupBox(QStringLiteral("Video"), this);
    auto* v = new QGridLayout(video);
    BuildStreamRows(video_, video, v, QStringLiteral("E&nable Video"), QStringLiteral("Video &Codec:"),
                    QStringLiteral("&Bit Rate:"), true);
    frameRate_ = AddListRow(v, 4, QStringLiteral("&Frame Rate:"), true, video);
    size_ = AddListRow(v, 5, QStringLiteral("&Size: "), false, video);
    // Sizes and crops must be even: the highest is 32766, so a clamped value is still accepted.
    width_ = SpinField(0, kMaxEven, 2, video);
    height_ = SpinField(0, kMaxEven, 2, video);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(Label(QStringLiteral("&Width:"), width_, video));
    sizeRow->addWidget(width_);
    sizeRow->addWidget(Label(QStringLiteral("&Height: "), height_, video));
    sizeRow->addWidget(height_);
    sizeRow->addWidget(new QLabel(QStringLiteral("pixels"), video));
    sizeRow->addStretch();
    v->addLayout(sizeRow, 6, 1, 1, 2);
    aspect_ = AddListRow(v, 7, QStringLiteral("&Aspect Ratio:"), true, video);
    keepAspect_ = new QCheckBox(QStringLiteral("&Keep original aspect ratio when resize video"), video);
    padding_ = new QCheckBox(QStringLiteral("Add &padding if video does not fill entire width or height"), video);
    v->addWidget(keepAspect_, 8, 0, 1, 3);
    v->addWidget(padding_, 9, 0, 1, 3);
    v->setColumnStretch(2, 1);
    v->setRowStretch(10, 1);
    columns->addWidget(video, 1);

    auto* right = new QVBoxLayout;
    columns->addLayout(right, 1);

    // Picture corrections
    auto* picture = new QGroupBox(QStringLiteral("Picture"), this);
    auto* p = new QGridLayout(picture);
    deinterlace_ = new QCheckBox(QStringLiteral("De&interlace pictures"), picture);
    p->addWidget(deinterlace_, 0, 0, 1, 5);
    crop_ = new QCheckBox(QStringLiteral("Crop pict&ures"), picture);
    p->addWidget(crop_, 1, 0, 1, 5);
    const QString cropNames[4] = {QStringLiteral("Left:"), QStringLiteral("Right:"), QStringLiteral("Top:"),
                                  QStringLiteral("Bottom:")};
    for (int margin = 0; margin < 4; ++margin) {
        cropFields_[margin] = SpinField(0, kMaxEven, 2, picture);
        const int row = 2 + margin / 2;
        const int column = margin % 2 * 2;
        p->addWidget(Label(cropNames[margin], cropFields_[margin], picture), row, column);
        p->addWidget(cropFields_[margin], row, column + 1);
    }
    sameAsLeft_ = new QCheckBox(QStringLiteral("Same as Left"), picture);
    sameAsTop_ = new QCheckBox(QStringLiteral("Same as Top"), picture);
    p->addWidget(sameAsLeft_, 2, 4);
    p->addWidget(sameAsTop_, 3, 4);
    rotate_ = ListBox(false, picture);
    p->addWidget(Label(QStringLiteral("Rotate && F&lip:"), rotate_, picture), 4, 0);
    p->addWidget(rotate_, 4, 1, 1, 4);
    right->addWidget(picture);

    // Audio
    auto* audio = new QGroupBox(QStringLiteral("Audio"), this);
    auto* a = new QGridLayout(audio);
    BuildStreamRows(audio_, audio, a, QStringLiteral("&Enable Audio"), QStringLiteral("Audio Co&dec: "),
                    QStringLiteral("Bi&t Rate:"), false);
    sampleRate_ = AddListRow(a, 4, QStringLiteral("Sample &Rate:"), false, audio);
    channels_ = AddListRow(a, 5, QStringLiteral("C&hannels:"), false, audio);
    volume_ = SpinField(10, 3000, 10, audio);
    auto* volumeRow = new QHBoxLayout;
    volumeRow->addWidget(volume_);
    volumeRow->addWidget(new QLabel(QStringLiteral("%"), audio));
    volumeRow->addStretch();
    a->addWidget(Label(QStringLiteral("&Volume:"), volume_, audio), 6, 0);
    a->addLayout(volumeRow, 6, 1, 1, 2);
    a->setColumnStretch(2, 1);
    right->addWidget(audio);
    right->addStretch();

    videoWidgets_ = {video_.codec,   video_.cbr,     video_.vbr,     video_.rate, frameRate_,   size_,  aspect_,
                     width_,         height_,        keepAspect_,    padding_,    deinterlace_, crop_,  cropFields_[0],
                     cropFields_[1], cropFields_[2], cropFields_[3], sameAsLeft_, sameAsTop_,   rotate_};
    audioWidgets_ = {audio_.codec, audio_.cbr, audio_.vbr, audio_.rate, sampleRate_, channels_, volume_};

    auto& m = *model_;
    connect(formatBox_, &QComboBox::activated, this, [this](int index) {
        const auto* format = static_cast<const formats::OutputFormat*>(formatBox_->GetItemUser(index));
        const int catalogueIndex = format ? static_cast<int>(format - catalogue_.data()) : -1;
        Act([this, catalogueIndex] { model_->SelectFormat(catalogueIndex); });
    });
    ConnectStreamRows(video_, &app::VideoPageModel::SetVideoEnabled, &app::VideoPageModel::SelectVideoCodec,
                      &app::VideoPageModel::SetVideoMode, &app::VideoPageModel::SelectVideoRate);
    connect(video_.rate, &QComboBox::editTextChanged, this, [this, &m](const QString& text) {
        if (!refreshing_) m.SetVideoRateText(text.toStdString());
    });
    connect(frameRate_, &QComboBox::activated, this, [this, &m](int i) { Act([&m, i] { m.SelectFrameRate(i); }); });
    connect(frameRate_, &QComboBox::editTextChanged, this, [this, &m](const QString& text) {
        if (!refreshing_) m.SetFrameRateText(text.toStdString());
    });
    connect(aspect_, &QComboBox::activated, this, [this, &m](int i) { Act([&m, i] { m.SelectAspect(i); }); });
    connect(aspect_, &QComboBox::editTextChanged, this, [this, &m](const QString& text) {
        if (!refreshing_) m.SetAspectText(text.toStdString());
    });
    connect(size_, &QComboBox::activated, this, [this, &m](int i) { Act([&m, i] { m.SelectSize(i); }); });
    const auto sizeChanged = [this, &m](int) {
        if (!refreshing_) m.SetCustomSize(width_->value(), height_->value());
    };
    connect(width_, &QSpinBox::valueChanged, this, sizeChanged);
    connect(height_, &QSpinBox::valueChanged, this, sizeChanged);
    connect(keepAspect_, &QCheckBox::toggled, this, [this, &m](bool on) { Act([&m, on] { m.SetKeepAspect(on); }); });
    connect(padding_, &QCheckBox::toggled, this, [this, &m](bool on) { Act([&m, on] { m.SetPadding(on); }); });
    connect(deinterlace_, &QCheckBox::toggled, this, [this, &m](bool on) { Act([&m, on] { m.SetDeinterlace(on); }); });
    connect(crop_, &QCheckBox::toggled, this, [this, &m](bool on) { Act([&m, on] { m.SetCropPictures(on); }); });
    connect(cropFields_[0], &QSpinBox::valueChanged, this,
            [this, &m](int value) { Act([&m, value] { m.SetCropLeft(value); }); });
    connect(cropFields_[1], &QSpinBox::valueChanged, this,
            [this, &m](int value) { Act([&m, value] { m.SetCropRight(value); }); });
    connect(cropFields_[2], &QSpinBox::valueChanged, this,
            [this, &m](int value) { Act([&m, value] { m.SetCropTop(value); }); });
    connect(cropFields_[3], &QSpinBox::valueChanged, this,
            [this, &m](int value) { Act([&m, value] { m.SetCropBottom(value); }); });
    connect(sameAsLeft_, &QCheckBox::toggled, this,
            [this, &m](bool on) { Act([&m, on] { m.SetCropSameAsLeft(on); }); });
    connect(sameAsTop_, &QCheckBox::toggled, this, [this, &m](bool on) { Act([&m, on] { m.SetCropSameAsTop(on); }); });
    connect(rotate_, &QComboBox::activated, this, [this, &m](int i) { Act([&m, i] { m.SelectRotate(i); }); });
    ConnectStreamRows(audio_, &app::VideoPageModel::SetAudioEnabled, &app::VideoPageModel::SelectAudioCodec,
                      &app::VideoPageModel::SetAudioMode, &app::VideoPageModel::SelectAudioRate);
    connect(sampleRate_, &QComboBox::activated, this, [this, &m](int i) { Act([&m, i] { m.SelectSampleRate(i); }); });
    connect(channels_, &QComboBox::activated, this, [this, &m](int i) { Act([&m, i] { m.SelectChannels(i); }); });
    connect(volume_, &QSpinBox::valueChanged, this, [this, &m](int value) {
        if (!refreshing_) m.SetVolume(value);
    });
}

void COptVideoPage::BuildStreamRows(StreamRows& rows, QWidget* group, QGridLayout* grid, const QString& enableText,
                                    const QString& codecText, const QString& rateText, bool editableRate) {
    rows.enable = new QCheckBox(enableText, group);
    grid->addWidget(rows.enable, 0, 0, 1, 3);
    rows.codec = AddListRow(grid, 1, codecText, false, group);
    rows.cbr = new QRadioButton(QStringLiteral("CBR (Constant Bit Rate)"), group);
    rows.vbr = new QRadioButton(QStringLiteral("VBR (Variable Bit Rate)"), group);
    rows.modes = new QButtonGroup(this);
    rows.modes->addButton(rows.cbr, 0);
    rows.modes->addButton(rows.vbr, 1);
    auto* radios = new QHBoxLayout;
    radios->addWidget(rows.cbr);
    radios->addWidget(rows.vbr);
    radios->addStretch();
    grid->addLayout(radios, 2, 1, 1, 2);
    rows.rate = AddListRow(grid, 3, rateText, editableRate, group, &rows.rateLabel);
}

void COptVideoPage::ConnectStreamRows(const StreamRows& rows, void (app::VideoPageModel::*enable)(bool),
                                      void (app::VideoPageModel::*codec)(int), void (app::VideoPageModel::*mode)(int),
                                      void (app::VideoPageModel::*rate)(int)) {
    app::VideoPageModel& m = *model_;
    connect(rows.enable, &QCheckBox::toggled, this,
            [this, &m, enable](bool on) { Act([&m, enable, on] { (m.*enable)(on); }); });
    connect(rows.codec, &QComboBox::activated, this,
            [this, &m, codec](int i) { Act([&m, codec, i] { (m.*codec)(i); }); });
    connect(rows.modes, &QButtonGroup::idClicked, this,
            [this, &m, mode](int id) { Act([&m, mode, id] { (m.*mode)(id); }); });
    connect(rows.rate, &QComboBox::activated, this, [this, &m, rate](int i) { Act([&m, rate, i] { (m.*rate)(i); }); });
}

void COptVideoPage::ShowStreamRows(const StreamRows& rows, bool enableChecked, bool enableEnabled,
                                   const app::ChoiceList& codec, bool radiosVisible, int mode,
                                   const std::string& rateLabel) {
    rows.enable->setChecked(enableChecked);
    rows.enable->setEnabled(enableEnabled);
    ShowList(rows.codec, codec, false);
    rows.cbr->setVisible(radiosVisible);
    rows.vbr->setVisible(radiosVisible);
    (mode == 1 ? rows.vbr : rows.cbr)->setChecked(true);
    rows.rateLabel->setText(Text(rateLabel));
}

void COptVideoPage::Act(const std::function<void()>& action) {
    if (refreshing_) return;
    action();
    Refresh();
}

void COptVideoPage::ShowList(QComboBox* box, const app::ChoiceList& list, bool editable) {
    box->clear();
    for (const app::Choice& entry : list.entries) box->addItem(Text(entry.text));
    box->setCurrentIndex(list.selected);
    if (editable) box->setEditText(Text(list.text));
}

void COptVideoPage::Refresh() {
    refreshing_ = true;
    const app::VideoPageState& s = model_->State();

    // The format box lists catalogue records in catalogue order.
    formatBox_->setCurrentIndex(s.formatIndex);

    ShowStreamRows(video_, s.videoEnableChecked, s.videoEnableEnabled, s.videoCodec, s.videoRadiosVisible, s.videoMode,
                   s.videoRateLabel);
    ShowList(video_.rate, s.videoRate, true);
    ShowList(frameRate_, s.frameRate, true);
    ShowList(size_, s.size, false);
    ShowList(aspect_, s.aspect, true);
    width_->setValue(s.width);
    height_->setValue(s.height);
    keepAspect_->setChecked(s.keepAspect);
    padding_->setChecked(s.padding);
    deinterlace_->setChecked(s.picture.VideoDeinterlace != 0);
    crop_->setChecked(s.picture.CropPictures != 0);
    const int32_t margins[4] = {s.picture.CropLeft, s.picture.CropRight, s.picture.CropTop, s.picture.CropBottom};
    for (int margin = 0; margin < 4; ++margin) cropFields_[margin]->setValue(margins[margin]);
    sameAsLeft_->setChecked(s.picture.CropSameAsLeft != 0);
    sameAsTop_->setChecked(s.picture.CropSameAsTop != 0);
    ShowList(rotate_, s.rotate, false);

    const bool videoOn = model_->VideoOn();
    for (QWidget* widget : videoWidgets_) widget->setEnabled(videoOn);
    if (videoOn) {
        video_.rate->setEnabled(s.videoRate.enabled);
        frameRate_->setEnabled(s.frameRate.enabled);
        aspect_->setEnabled(s.aspect.enabled);
        width_->setEnabled(model_->SizeFieldsEnabled());
        height_->setEnabled(model_->SizeFieldsEnabled());
        keepAspect_->setEnabled(model_->KeepAspectEnabled());
        padding_->setEnabled(model_->PaddingEnabled());
        for (int margin = 0; margin < 4; ++margin) cropFields_[margin]->setEnabled(model_->CropFieldEnabled(margin));
        sameAsLeft_->setEnabled(s.picture.CropPictures != 0);
        sameAsTop_->setEnabled(s.picture.CropPictures != 0);
        rotate_->setEnabled(model_->RotateEnabled());
    }

    ShowStreamRows(audio_, s.audioEnableChecked, s.audioEnableEnabled, s.audioCodec, s.audioRadiosVisible, s.audioMode,
                   s.audioRateLabel);
    ShowList(audio_.rate, s.audioRate, false);
    ShowList(sampleRate_, s.sampleRate, false);
    ShowList(channels_, s.channels, false);
    volume_->setValue(s.volume);
    const bool audioOn = model_->AudioOn();
    for (QWidget* widget : audioWidgets_) widget->setEnabled(audioOn);
    if (audioOn) {
        audio_.rate->setEnabled(s.audioRate.enabled);
        sampleRate_->setEnabled(s.sampleRate.enabled);
        channels_->setEnabled(s.channels.enabled);
        volume_->setEnabled(model_->VolumeEnabled());
    }
    refreshing_ = false;
    KeepShownValues();
}

void COptVideoPage::KeepShownValues() {
    // A stored value outside a field's range is shown clamped; OK stores what is shown.
    app::VideoPageModel& m = *model_;
    const app::VideoPageState& s = m.State();
    if (volume_->value() != s.volume) m.SetVolume(volume_->value());
    if (width_->value() != s.width || height_->value() != s.height) m.SetCustomSize(width_->value(), height_->value());
    if (cropFields_[0]->value() != s.picture.CropLeft) m.SetCropLeft(cropFields_[0]->value());
    if (cropFields_[1]->value() != s.picture.CropRight) m.SetCropRight(cropFields_[1]->value());
    if (cropFields_[2]->value() != s.picture.CropTop) m.SetCropTop(cropFields_[2]->value());
    if (cropFields_[3]->value() != s.picture.CropBottom) m.SetCropBottom(cropFields_[3]->value());
}

bool COptVideoPage::LeavePage() {
    model_->Apply();
    const app::VideoPageProblem problem = model_->Validate();
    if (problem.message.empty()) return true;
    Services().ShowMessage(this, MessageIcon::Warning, Text(problem.message));
    if (problem.focus == app::VideoPageFocus::Size) {
        (width_->isEnabled() ? static_cast<QWidget*>(width_) : size_)->setFocus();
    } else if (problem.focus == app::VideoPageFocus::CropLeft) {
        cropFields_[0]->setFocus();
    }
    return false;
}

}  // namespace quillon::ui
