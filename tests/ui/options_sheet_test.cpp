// The Options sheet on its widgets, without a display: the start page, the checks made when a
// page is left, OK and Cancel, the histories in the store, and a restart that reads back what
// OK saved.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <tuple>

#include "app/main_commands.h"
#include "formats/conversion_settings.h"
#include "formats/recent_entries.h"
#include "options_fixture.h"
#include "platform/registry_store.h"
#include "test_support.h"
#include "ui/color_combo_box.h"
#include "ui/custom_formats_dialog.h"
#include "ui/file_list_view.h"
#include "ui/image_button.h"
#include "ui/main_window.h"
#include "ui/opt_output_page.h"
#include "ui/opt_sheet.h"
#include "ui/opt_video_page.h"
#include "ui/output_format_box.h"
#include "ui/step_spin_ctrl.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

using namespace app::command;

using formats::OutputFormat;

using test::ChooseFormatOn;

class OptionsSheetTest : public test::OptionsTest {
protected:
    std::vector<std::string> History(const char* list) {
        formats::RecentEntries entries(list);
        entries.Load(store);
        return entries.Entries();
    }

    QStringList Messages() const {
        QStringList texts;
        for (const auto& m : test::Recorder().messages) texts << m.text;
        return texts;
    }

    static void Choose(QComboBox* box, int index) {
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    }
};

TEST_F(OptionsSheetTest, OpensOnTheStoredPageAndNotesThePageOnClose) {
    settings.OptStartPageIndex = 1;
    {
        COptSheet sheet(settings, catalogue, store);
        EXPECT_EQ(sheet.ActivePage(), 1);
        EXPECT_TRUE(sheet.PageShown(1));
        EXPECT_FALSE(sheet.PageShown(0));
        EXPECT_TRUE(sheet.SelectPage(0));
        sheet.reject();
    }
    EXPECT_EQ(settings.OptStartPageIndex, 0);

    settings.OptStartPageIndex = 7;
    COptSheet sheet(settings, catalogue, store);
    EXPECT_EQ(sheet.ActivePage(), 0);
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Options"));
    EXPECT_TRUE(sheet.SelectPage(1));
    sheet.reject();
    EXPECT_EQ(settings.OptStartPageIndex, 1);
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
}

TEST_F(OptionsSheetTest, FilterIsCleanedStoredAndRemembered) {
    COptSheet sheet(settings, catalogue, store);
    COptOutputPage* page = sheet.GeneralPage();
    // A first run offers the usual extensions.
    ASSERT_EQ(page->FilterBox()->count(), 8);
    EXPECT_EQ(page->FilterBox()->itemText(2), QStringLiteral("mkv,mka"));
    EXPECT_FALSE(page->FilterBox()->isEnabled());
    page->FilterCheck()->setChecked(true);
    EXPECT_TRUE(page->FilterBox()->isEnabled());

    page->FilterBox()->setEditText(QStringLiteral(" \t "));
    sheet.accept();
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Please enter file extensions you need to filter.")});
    EXPECT_EQ(test::Recorder().messages[0].icon, MessageIcon::Warning);
    EXPECT_NE(sheet.result(), QDialog::Accepted);

    page->FilterBox()->setEditText(QStringLiteral("mp4; avi"));
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(settings.FilterExts, "mp4,avi");
    EXPECT_EQ(settings.EnableExtFilter, 1);
    EXPECT_EQ(settings.ExtensionFilter, (std::vector<std::string>{"mp4", "avi"}));
    const auto history = History(formats::kFilterExtsList);
    ASSERT_EQ(history.size(), 9u);
    EXPECT_EQ(history[0], "mp4,avi");
    EXPECT_EQ(history[1], "avi");
    EXPECT_EQ(history[8], "wmv");
}

TEST_F(OptionsSheetTest, TimeRangesExcludeEachOtherAndZeroLengthIsRefused) {
    settings.EnableConvertLength = 1;
    settings.EnableIgnoreTheLast = 1;  // both stored: "Ignore the last" counts as off
    settings.ConvertLength = 0;
    settings.IgnoreLength = 3723004;
    COptSheet sheet(settings, catalogue, store);
    COptOutputPage* page = sheet.GeneralPage();
    using R = COptOutputPage::Range;
    EXPECT_TRUE(page->RangeCheck(R::Convert)->isChecked());
    EXPECT_FALSE(page->RangeCheck(R::Ignore)->isChecked());
    EXPECT_FALSE(page->TimeField(R::Ignore, 0)->isEnabled());
    EXPECT_EQ(page->TimeField(R::Ignore, 0)->value(), 1);
    EXPECT_EQ(page->TimeField(R::Ignore, 1)->value(), 2);
    EXPECT_EQ(page->TimeField(R::Ignore, 2)->value(), 3);
    EXPECT_EQ(page->TimeField(R::Ignore, 3)->value(), 4);
    EXPECT_FALSE(page->TimeField(R::Skip, 0)->isEnabled());

    page->RangeCheck(R::Ignore)->setChecked(true);
    EXPECT_FALSE(page->RangeCheck(R::Convert)->isChecked());
    EXPECT_FALSE(page->TimeField(R::Convert, 2)->isEnabled());
    EXPECT_TRUE(page->TimeField(R::Ignore, 2)->isEnabled());
    page->RangeCheck(R::Convert)->setChecked(true);
    EXPECT_FALSE(page->RangeCheck(R::Ignore)->isChecked());

    // 0:00:00.000 cannot be converted; the page stays, whether left by its tab or by OK.
    auto* tabs = sheet.findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    tabs->setCurrentIndex(1);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(sheet.ActivePage(), 0);
    EXPECT_FALSE(sheet.PageShown(1));
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Conversion length must be greater than 0 millisecond.")});
    page->TimeField(R::Convert, 3)->setValue(500);
    page->AudioIndexField()->setValue(0);
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(settings.ConvertLength, 500);
    EXPECT_EQ(settings.EnableIgnoreTheLast, 0);
    EXPECT_EQ(settings.IgnoreLength, 3723004);
    EXPECT_EQ(settings.RequestAudioIndex, 1);
}

TEST_F(OptionsSheetTest, SpecificFolderNeedsAFolderAndItsHistoryMovesToTheTop) {
    store.Update([](platform::RegistryTree& t) {
        const std::string key = "Software\\Quillon 5\\OutputFolder";
        t.SetString(key, "0", "/media/a");
        t.SetString(key, "1", "/media/b");
        t.SetString(key, "2", "/media/c");
        t.SetString(key, "4", "/media/gap");  // behind a gap: not read
    });
    settings.DestOutputFolderOpt = 12345;  // none of the entries
    COptSheet sheet(settings, catalogue, store);
    COptOutputPage* page = sheet.GeneralPage();
    EXPECT_EQ(page->OutputFolderBox()->currentData().toInt(), formats::kOutputSameAsSource);
    EXPECT_EQ(page->FolderBox()->count(), 3);
    EXPECT_FALSE(page->FolderBox()->isEnabled());
    EXPECT_FALSE(page->KeepTreeCheck()->isEnabled());

    page->OutputFolderBox()->setCurrentIndex(1);
    EXPECT_TRUE(page->FolderBox()->isEnabled());
    EXPECT_TRUE(page->BrowseButton()->isEnabled());
    page->FolderBox()->setEditText(QString());
    sheet.accept();
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Please choose an output folder.")});
    EXPECT_NE(sheet.result(), QDialog::Accepted);

    // "Open" on a folder that is not there yet explains; "Browse" takes the chosen folder.
    test::Recorder().Reset();
    page->FolderBox()->setEditText(QStringLiteral("/media/not-there"));
    page->OpenButton()->click();
    ASSERT_EQ(test::Recorder().messages.size(), 1u);
    EXPECT_TRUE(test::Recorder().messages[0].text.startsWith(
        QStringLiteral("The folder \"/media/not-there\" is not available yet.")));
    EXPECT_TRUE(test::Recorder().opened.isEmpty());
    page->FolderBox()->setEditText(QString::fromStdString(dir.path().string()));
    page->OpenButton()->click();
    EXPECT_EQ(test::Recorder().opened, QStringList{QString::fromStdString(dir.path().string())});
    QString prompt;
    COptOutputPage::SetFolderChooser([&](QWidget*, const QString& p, const QString&) {
        prompt = p;
        return QStringLiteral("/media/c");
    });
    page->BrowseButton()->click();
    COptOutputPage::SetFolderChooser({});
    EXPECT_EQ(prompt, QStringLiteral("Please choose an output folder:"));
    EXPECT_EQ(page->FolderBox()->currentText(), QStringLiteral("/media/c"));

    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(settings.DestOutputFolderOpt, formats::kOutputSpecificFolder);
    EXPECT_EQ(settings.DestSpecifiedFolder, "/media/c");
    EXPECT_EQ(History(formats::kOutputFolderList), (std::vector<std::string>{"/media/c", "/media/a", "/media/b"}));
    const platform::RegistryTree tree = store.Read();
    EXPECT_EQ(tree.ValueNames("Software\\Quillon 5\\OutputFolder"), (std::vector<std::string>{"0", "1", "2"}));
}

TEST_F(OptionsSheetTest, CancelKeepsTheSettingsAndWritesNothing) {
    COptSheet sheet(settings, catalogue, store);
    sheet.GeneralPage()->FilterCheck()->setChecked(true);
    sheet.GeneralPage()->FilterBox()->setEditText(QStringLiteral("mkv"));
    sheet.GeneralPage()->TargetExistsBox()->setCurrentIndex(2);
    sheet.reject();
    EXPECT_EQ(settings.EnableExtFilter, 0);
    EXPECT_EQ(settings.TargetExistsOpt, formats::kTargetRename);
    EXPECT_FALSE(store.Read().KeyExists("Software\\Quillon 5\\FilterExts"));
    EXPECT_FALSE(store.Read().KeyExists(formats::kOptionsKey));
}

TEST_F(OptionsSheetTest, VideoPageListsFollowFormatAndCodec) {
    settings.OptStartPageIndex = 1;
    COptSheet sheet(settings, catalogue, store);
    COptVideoPage* page = sheet.VideoPage();
    ChooseFormat(*page, 80);
    EXPECT_EQ(page->VideoRateLabel()->text(), QStringLiteral("&Quality:"));
    ASSERT_EQ(page->VideoRateBox()->count(), 52);
    EXPECT_EQ(page->VideoRateBox()->itemText(0), QStringLiteral("51 (low quality, small size)"));
    EXPECT_EQ(page->VideoRateBox()->currentText(), QStringLiteral("26 (normal quality)"));
    EXPECT_FALSE(page->VideoCbr()->isHidden());
    page->VideoCbr()->click();
    EXPECT_EQ(page->VideoRateLabel()->text(), QStringLiteral("&Bit Rate:"));
    EXPECT_EQ(page->VideoRateBox()->currentText(), QStringLiteral("Auto"));

    ChooseFormat(*page, 65);  // DVD Video: two fixed sizes, no padding choice
    ASSERT_EQ(page->SizeBox()->count(), 2);
    EXPECT_EQ(page->SizeBox()->itemText(0), QStringLiteral("720x480    (DVD NTSC)"));
    EXPECT_EQ(page->SizeBox()->currentIndex(), 0);
    EXPECT_FALSE(page->PaddingCheck()->isEnabled());
    EXPECT_FALSE(page->WidthField()->isEnabled());

    ChooseFormat(*page, 155);
    EXPECT_FALSE(page->VolumeField()->isEnabled());
    EXPECT_FALSE(page->RotateBox()->isEnabled());
    EXPECT_FALSE(page->PaddingCheck()->isEnabled());
    EXPECT_TRUE(page->VideoCbr()->isHidden());

    ChooseFormat(*page, 1200);  // WAV: no video at all
    EXPECT_FALSE(page->VideoEnableCheck()->isChecked());
    EXPECT_FALSE(page->VideoEnableCheck()->isEnabled());
    EXPECT_FALSE(page->VideoCodecBox()->isEnabled());
    EXPECT_EQ(page->VideoCodecBox()->count(), 0);
    EXPECT_TRUE(page->AudioEnableCheck()->isChecked());
    EXPECT_FALSE(page->AudioEnableCheck()->isEnabled());
    const int g726 = page->AudioCodecBox()->findText(QStringLiteral("G.726 ADPCM"));
    ASSERT_GE(g726, 0);
    Choose(page->AudioCodecBox(), g726);
    EXPECT_EQ(page->AudioRateBox()->count(), 5);
    EXPECT_EQ(page->AudioRateBox()->itemText(4), QStringLiteral("5 bit (high quality, big size)"));
    EXPECT_EQ(page->ChannelsBox()->count(), 2);

    // The audio radios switch the audio rate list, not the video one.
    ChooseFormat(*page, 1160);  // MP3
    ASSERT_FALSE(page->AudioCbr()->isHidden());
    page->AudioVbr()->click();
    EXPECT_EQ(page->AudioRateLabel()->text(), QStringLiteral("&Quality:"));
    EXPECT_EQ(page->AudioRateBox()->itemText(0), QStringLiteral("10 (low quality, small size)"));
    page->AudioCbr()->click();
    EXPECT_EQ(page->AudioRateLabel()->text(), QStringLiteral("Bi&t Rate:"));
    EXPECT_TRUE(page->AudioCbr()->isChecked());

    // Turning video off and on on a video format.
    ChooseFormat(*page, 110);
    page->VideoEnableCheck()->setChecked(false);
    EXPECT_FALSE(page->SizeBox()->isEnabled());
    EXPECT_FALSE(page->CropCheck()->isEnabled());
    page->VideoEnableCheck()->setChecked(true);
    EXPECT_TRUE(page->SizeBox()->isEnabled());

    // Crop companions.
    page->CropCheck()->setChecked(true);
    EXPECT_FALSE(page->CropField(1)->isEnabled());
    page->CropField(0)->setValue(8);
    EXPECT_EQ(page->CropField(1)->value(), 8);
    page->SameAsTopCheck()->setChecked(false);
    EXPECT_TRUE(page->CropField(3)->isEnabled());
    EXPECT_EQ(page->CropField(0)->singleStep(), 2);
}

TEST_F(OptionsSheetTest, OddSizeIsRefusedWhenLeavingTheVideoPage) {
    settings.OutputFormat = 110;
    settings.OptStartPageIndex = 1;
    COptSheet sheet(settings, catalogue, store);
    COptVideoPage* page = sheet.VideoPage();
    Choose(page->SizeBox(), page->SizeBox()->findText(QStringLiteral("Customize")));
    EXPECT_TRUE(page->WidthField()->isEnabled());
    page->WidthField()->setValue(641);
    page->HeightField()->setValue(480);
    EXPECT_FALSE(sheet.SelectPage(0));
    EXPECT_EQ(Messages(), QStringList{QStringLiteral("Video size must be a multiple of 2.\n")});
    EXPECT_EQ(formats::FindFormat(catalogue, 110)->VideoWidth, 641);
    sheet.accept();
    EXPECT_NE(sheet.result(), QDialog::Accepted);
    page->WidthField()->setValue(640);
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(formats::FindFormat(catalogue, 110)->VideoWidth, 640);
}

TEST_F(OptionsSheetTest, ACustomGroupOutputFormatBecomesTheFirstFormatAfterAVisit) {
    settings.OutputFormat = 21002;
    {
        COptSheet sheet(settings, catalogue, store);  // the Video & Audio page is never shown
        sheet.accept();
        EXPECT_EQ(settings.OutputFormat, 21002);
    }
    settings.OptStartPageIndex = 1;
    COptSheet sheet(settings, catalogue, store);
    EXPECT_EQ(sheet.VideoPage()->FormatBox()->currentIndex(), 0);
    EXPECT_EQ(sheet.VideoPage()->FormatBox()->currentText(), QStringLiteral(" 3G2"));
    sheet.accept();
    EXPECT_EQ(settings.OutputFormat, 10);
}

// Every format with every codec stored: opening the page and leaving it settles what the codec
// cannot show, and a second opening and leaving moves nothing. The defaults never move.
TEST_F(OptionsSheetTest, EveryFormatAndCodecSurvivesOpeningAndLeavingThePage) {
    formats::FormatCatalogue fresh;
    formats::BuildCatalogue(fresh);
    const auto values = [](const OutputFormat& f) {
        return std::tuple(f.VideoEnable, f.VideoCodec, f.VideoAspect, f.VideoWidth, f.VideoHeight, f.VideoKeepAspect,
                          f.AddPadding, f.VideoBitRate, f.VideoVBRQuality, f.VideoVBREnabled, f.VideoFrameRate,
                          f.AudioEnable, f.AudioCodec, f.AudioBitRate, f.AudioVBRQuality, f.AudioVBREnabled,
                          f.AudioCompressionLevel, f.AudioSampleRate, f.AudioChannels, f.AudioVolume);
    };
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        const std::size_t videoCodecs = fresh[i].VideoCodecs ? fresh[i].VideoCodecs->size() : 1;
        const std::size_t audioCodecs = fresh[i].AudioCodecs ? fresh[i].AudioCodecs->size() : 1;
        for (std::size_t codec = 0; codec < std::max(videoCodecs, audioCodecs); ++codec) {
            catalogue[i] = fresh[i];
            if (fresh[i].VideoCodecs) catalogue[i].VideoCodec = (*fresh[i].VideoCodecs)[codec % videoCodecs]->Name;
            if (fresh[i].AudioCodecs) catalogue[i].AudioCodec = (*fresh[i].AudioCodecs)[codec % audioCodecs]->Name;
            const bool defaults =
                catalogue[i].VideoCodec == fresh[i].VideoCodec && catalogue[i].AudioCodec == fresh[i].AudioCodec;
            for (int round = 0; round < 2; ++round) {
                const OutputFormat before = catalogue[i];
                COptVideoPage page(catalogue, fresh[i].FormatId, formats::PictureSettings{});
                ASSERT_EQ(page.FormatBox()->currentIndex(), static_cast<int>(i));
                ASSERT_TRUE(page.LeavePage()) << fresh[i].FormatId;
                if (round == 1 || defaults) {
                    EXPECT_TRUE(values(before) == values(catalogue[i])) << fresh[i].FormatId << " codec " << codec;
                }
            }
        }
    }
    EXPECT_TRUE(test::Recorder().messages.empty());
}

TEST_F(OptionsSheetTest, ConfirmedValuesComeBackAfterARestart) {
    settings.OptStartPageIndex = 0;
    {
        COptSheet sheet(settings, catalogue, store);
        COptOutputPage* general = sheet.GeneralPage();
        general->FilterCheck()->setChecked(true);
        general->FilterBox()->setEditText(QStringLiteral("mkv;webm"));
        general->RangeCheck(COptOutputPage::Skip)->setChecked(true);
        general->TimeField(COptOutputPage::Skip, 1)->setValue(2);
        general->TargetExistsBox()->setCurrentIndex(1);
        general->AudioIndexField()->setValue(3);
        general->OutputFolderBox()->setCurrentIndex(1);
        general->FolderBox()->setEditText(QStringLiteral("/media/out"));
        ASSERT_TRUE(sheet.SelectPage(1));
        COptVideoPage* video = sheet.VideoPage();
        ChooseFormat(*video, 195);          // WebM
        Choose(video->VideoCodecBox(), 1);  // VP9
        video->VideoVbr()->click();
        Choose(video->VideoRateBox(), video->VideoRateBox()->findText(QStringLiteral("10")));
        Choose(video->AspectBox(), 2);     // 16:9
        Choose(video->FrameRateBox(), 8);  // 25 Hz
        video->CropCheck()->setChecked(true);
        video->CropField(0)->setValue(6);
        Choose(video->RotateBox(), 5);
        video->VolumeField()->setValue(150);
        sheet.accept();
        ASSERT_EQ(sheet.result(), QDialog::Accepted);
    }
    ASSERT_TRUE(formats::SaveSettings(store, settings, catalogue, formats::kProgramStateGroup));

    formats::FormatCatalogue restarted;
    formats::ConversionSettings loaded;
    ReadBack(loaded, restarted);
    EXPECT_EQ(loaded.EnableExtFilter, 1);
    EXPECT_EQ(loaded.FilterExts, "mkv,webm");
    EXPECT_EQ(loaded.ExtensionFilter, (std::vector<std::string>{"mkv", "webm"}));
    EXPECT_EQ(loaded.EnableSkipLength, 1);
    EXPECT_EQ(loaded.SkipLength, 120000);
    EXPECT_EQ(loaded.TargetExistsOpt, formats::kTargetOverwrite);
    EXPECT_EQ(loaded.RequestAudioIndex, 3);
    EXPECT_EQ(loaded.DestSpecifiedFolder, "/media/out");
    EXPECT_EQ(loaded.OutputFormat, 195);
    EXPECT_EQ(loaded.CropPictures, 1);
    EXPECT_EQ(loaded.CropLeft, 6);
    EXPECT_EQ(loaded.CropRight, 6);
    EXPECT_EQ(loaded.RotateFlip, 5);
    EXPECT_EQ(loaded.OptStartPageIndex, 1);
    const OutputFormat& webm = *formats::FindFormat(restarted, 195);
    EXPECT_EQ(webm.VideoCodec, "libvpx-vp9");
    EXPECT_EQ(webm.VideoVBREnabled, 1);
    EXPECT_EQ(webm.VideoVBRQuality, 10);
    EXPECT_EQ(webm.VideoAspect, "16:9");
    EXPECT_EQ(webm.VideoFrameRate, 25.0);
    EXPECT_EQ(webm.AudioVolume, 150);
    // Everything loaded equals what the running program holds.
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        EXPECT_EQ(restarted[i].VideoCodec, catalogue[i].VideoCodec);
        EXPECT_EQ(restarted[i].VideoFrameRate, catalogue[i].VideoFrameRate);
        EXPECT_EQ(restarted[i].AudioBitRate, catalogue[i].AudioBitRate);
    }
}

std::unique_ptr<engine::SourceItem> Clip(const std::string& path, int audioStreams) {
    auto item = std::make_unique<engine::SourceItem>();
    item->path = path;
    for (int s = 0; s < audioStreams; ++s) {
        item->audioStreamIds.push_back("0:" + std::to_string(s + 1));
        item->audioChannels.push_back(2);
        item->audioSampleRates.push_back(44100 + s);
        item->audioBitRates.push_back(128);
    }
    return item;
}

// Runs the modal sheet of the main window's Options command and confirms it from inside.
TEST(OptionsCommandTest, ConfirmingChoosesTheAudioStreamsAgainAndSelectsTheFormat) {
    test::Recorder().Reset();
    platform::RegistryStore().Update([](platform::RegistryTree& t) { t.DeleteKey("Software\\Quillon 5"); });
    MainWindow window(test::BinDir().string() + "/");
    window.SetUpMainWindow();
    window.show();
    window.AddSource(Clip("/media/three.mkv", 3));
    window.AddSource(Clip("/media/one.mp4", 1));
    window.Settings().OptStartPageIndex = 0;

    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* sheet = qobject_cast<COptSheet*>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr);
        sheet->GeneralPage()->AudioIndexField()->setValue(3);
        ASSERT_TRUE(sheet->SelectPage(1));
        ChooseFormatOn(*sheet->VideoPage(), 1160);
        ran = true;
        sheet->accept();
    });
    QTest::mouseClick(window.Button(kOptions), Qt::LeftButton);
    ASSERT_TRUE(ran);
    EXPECT_EQ(window.Settings().RequestAudioIndex, 3);
    EXPECT_EQ(window.List()->ItemAt(0)->selectedAudioStream, 2);
    EXPECT_EQ(window.List()->ItemAt(1)->selectedAudioStream, 0);
    EXPECT_EQ(window.Settings().OutputFormat, 1160);
    EXPECT_EQ(window.FormatBox()->SelectedFormat()->FormatId, 1160);
    // The options group is in the store at once.
    formats::ConversionSettings loaded = formats::DefaultSettings("");
    formats::FormatCatalogue catalogue;
    formats::BuildCatalogue(catalogue);
    platform::RegistryStore store;
    formats::LoadSettings(store, loaded, catalogue);
    EXPECT_EQ(loaded.RequestAudioIndex, 3);
}

}  // namespace
}  // namespace quillon::ui
