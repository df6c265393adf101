#pragma once
// The Video & Audio page of the Options sheet: a format chosen from the catalogue and its own
// encoding settings, plus the global picture corrections. The page shows a VideoPageModel and
// hands the user's actions to it.

#include <QWidget>

#include <memory>

#include "app/video_page_model.h"
#include "formats/output_format.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QRadioButton;

namespace quillon::ui {

class ColorComboBox;
class StepSpinCtrl;

class COptVideoPage : public QWidget {
    Q_OBJECT
public:
    COptVideoPage(formats::FormatCatalogue& catalogue, int32_t outputFormatId, const formats::PictureSettings& picture,
                  QWidget* parent = nullptr);
    ~COptVideoPage() override;

    // Applies the page to the selected format and checks it; on a problem shows it, focuses
    // the control and returns false.
    bool LeavePage();

    app::VideoPageModel& Model() { return *model_; }

    // The controls, for tests and screenshots.
    ColorComboBox* FormatBox() const { return formatBox_; }
    QCheckBox* VideoEnableCheck() const { return video_.enable; }
    QComboBox* VideoCodecBox() const { return video_.codec; }
    QRadioButton* VideoCbr() const { return video_.cbr; }
    QRadioButton* VideoVbr() const { return video_.vbr; }
    QLabel* VideoRateLabel() const { return video_.rateLabel; }
    QComboBox* VideoRateBox() const { return video_.rate; }
    QComboBox* FrameRateBox() const { return frameRate_; }
    QComboBox* SizeBox() const { return size_; }
    QComboBox* AspectBox() const { return aspect_; }
    StepSpinCtrl* WidthField() const { return width_; }
    StepSpinCtrl* HeightField() const { return height_; }
    QCheckBox* KeepAspectCheck() const { return keepAspect_; }
    QCheckBox* PaddingCheck() const { return padding_; }
    QCheckBox* CropCheck() const { return crop_; }
    StepSpinCtrl* CropField(int margin) const { return cropFields_[margin]; }
    QCheckBox* SameAsLeftCheck() const { return sameAsLeft_; }
    QCheckBox* SameAsTopCheck() const { return sameAsTop_; }
    QComboBox* RotateBox() const { return rotate_; }
    QCheckBox* AudioEnableCheck() const { return audio_.enable; }
    QComboBox* AudioCodecBox() const { return audio_.codec; }
    QRadioButton* AudioCbr() const { return audio_.cbr; }
    QRadioButton* AudioVbr() const { return audio_.vbr; }
    QLabel* AudioRateLabel() const { return audio_.rateLabel; }
    QComboBox* AudioRateBox() const { return audio_.rate; }
    QComboBox* SampleRateBox() const { return sampleRate_; }
    QComboBox* ChannelsBox() const { return channels_; }
    StepSpinCtrl* VolumeField() const { return volume_; }

private:
    // The controls that open the video and the audio group alike.
    struct StreamRows {
        QCheckBox* enable = nullptr;
        QComboBox* codec = nullptr;
        QRadioButton* cbr = nullptr;
        QRadioButton* vbr = nullptr;
        QButtonGroup* modes = nullptr;  // CBR is 0, VBR 1
        QLabel* rateLabel = nullptr;
        QComboBox* rate = nullptr;
    };

    void BuildControls();
    void BuildStreamRows(StreamRows& rows, QWidget* group, QGridLayout* grid, const QString& enableText,
                         const QString& codecText, const QString& rateText, bool editableRate);
    // Each control of the rows tells the model through the given setter, then the page refreshes.
    void ConnectStreamRows(const StreamRows& rows, void (app::VideoPageModel::*enable)(bool),
                           void (app::VideoPageModel::*codec)(int), void (app::VideoPageModel::*mode)(int),
                           void (app::VideoPageModel::*rate)(int));
    void ShowStreamRows(const StreamRows& rows, bool enableChecked, bool enableEnabled, const app::ChoiceList& codec,
                        bool radiosVisible, int mode, const std::string& rateLabel);
    // Shows the model's state in every control.
    void Refresh();
    // Gives the model what the clamped number fields show.
    void KeepShownValues();
    void ShowList(QComboBox* box, const app::ChoiceList& list, bool editable);
    void Act(const std::function<void()>& action);

    std::unique_ptr<app::VideoPageModel> model_;
    formats::FormatCatalogue& catalogue_;
    bool refreshing_ = false;

    ColorComboBox* formatBox_ = nullptr;
    StreamRows video_;
    StreamRows audio_;
    QComboBox* frameRate_ = nullptr;
    QComboBox* size_ = nullptr;
    QComboBox* aspect_ = nullptr;
    StepSpinCtrl* width_ = nullptr;
    StepSpinCtrl* height_ = nullptr;
    QCheckBox* keepAspect_ = nullptr;
    QCheckBox* padding_ = nullptr;
    QCheckBox* deinterlace_ = nullptr;
    QCheckBox* crop_ = nullptr;
    StepSpinCtrl* cropFields_[4] = {};
    QCheckBox* sameAsLeft_ = nullptr;
    QCheckBox* sameAsTop_ = nullptr;
    QComboBox* rotate_ = nullptr;
    QComboBox* sampleRate_ = nullptr;
    QComboBox* channels_ = nullptr;
    StepSpinCtrl* volume_ = nullptr;
    std::vector<QWidget*> videoWidgets_;
    std::vector<QWidget*> audioWidgets_;
};

}  // namespace quillon::ui
