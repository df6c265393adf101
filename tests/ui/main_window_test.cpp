// The main window without a display: layout, keys that must not close it, the first-run help,
// the shutdown that removes rows and saves the program state, and the start-up checks.
#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>

#include <filesystem>

#include "app/main_commands.h"
#include "app/product_info.h"
#include "formats/conversion_settings.h"
#include "platform/registry_store.h"
#include "test_support.h"
#include "ui/about_box.h"
#include "ui/file_list_view.h"
#include "ui/image_button.h"
#include "ui/link_label.h"
#include "ui/main_window.h"
#include "ui/output_format_box.h"
#include "ui/start_up.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

using namespace app::command;

std::string ProgramFolder() { return test::BinDir().string() + "/"; }

void ForgetFirstRun() {
    platform::RegistryStore store;
    store.Update([](platform::RegistryTree& tree) { tree.DeleteValue(formats::kOptionsKey, "FirstRun"); });
}

TEST(MainWindowTest, LayoutButtonsAndTooltips) {
    test::Recorder().Reset();
    MainWindow window(ProgramFolder());
    window.SetUpMainWindow();
    EXPECT_EQ(window.size(), QSize(950, 650));
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quillon"));

    struct Place {
        int id;
        QRect rect;
        const char* tip;
    };
    const Place places[] = {
        {kAddFiles, {11, 72, 107, 27}, "Add files"},
        {kAddFolder, {11, 117, 107, 27}, "Add files from a folder"},
        {kAddDvd, {11, 163, 107, 27}, "Add DVD video from a drive or folder"},
        {kRemoveAll, {11, 208, 107, 27}, "Remove all files in list"},
        {kConvertAll, {11, 254, 107, 27}, "Convert all files"},
        {kConvertAllToOne, {11, 299, 107, 27}, "Convert all files and combine to one file"},
        {kOptions, {11, 380, 107, 27}, "Options"},
        {kHomePage, {9, 618, 113, 20}, "Visit Quillon Homepage"},
        {kHelpButton, {867, 11, 21, 21}, "Help"},
        {kMinimize, {893, 11, 21, 21}, "Minimize"},
        {kClose, {918, 11, 21, 21}, "Close"},
    };
    for (const Place& place : places) {
        ImageButton* button = window.Button(place.id);
        ASSERT_NE(button, nullptr) << place.id;
        EXPECT_EQ(button->geometry(), place.rect) << place.id;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(place.tip));
    }
    EXPECT_EQ(window.Button(kConvertAll)->text(), QStringLiteral("&Convert"));
    EXPECT_EQ(window.Button(kConvertAll)->NormalTextColor(), QColor(53, 53, 53));
    EXPECT_EQ(window.Button(kConvertAll)->TextFont().pixelSize(), 11);
    EXPECT_EQ(window.List()->geometry(), QRect(137, 63, 803, 575));
    EXPECT_EQ(window.FormatBox()->geometry().topLeft(), QPoint(11, 338));
    EXPECT_EQ(window.FormatBox()->toolTip(), QStringLiteral("Output format"));
    EXPECT_GT(window.FormatBox()->count(), 70);

    // The help menu: Help Topics, the four web commands, About.
    QStringList entries;
    for (QAction* action : window.HelpMenu()->actions()) entries << action->text();
    EXPECT_EQ(entries, (QStringList{"&Help Topics", "", "&Tell A Friend", "&Feedback and Support", "Home&page",
                                    "&Check for Updates", "", "&About..."}));
    test::Recorder().Reset();
    window.Button(kHomePage)->click();
    EXPECT_EQ(test::Recorder().opened, QStringList{QString::fromUtf8(app::kHomePageUrl)});
}

TEST(MainWindowTest, EnterAndEscapeLeaveTheWindowOpen) {
    MainWindow window(ProgramFolder());
    window.SetUpMainWindow();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (QWidget* target : {static_cast<QWidget*>(&window), static_cast<QWidget*>(window.List())}) {
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(target, key);
            QApplication::processEvents();
            EXPECT_TRUE(window.isVisible()) << key;
        }
    }
    window.Button(kClose)->click();
    EXPECT_FALSE(window.isVisible());
}

// The help menu's key, the title-bar Help button and Ctrl+A, pressed and clicked as a person does.
TEST(MainWindowTest, HelpKeyHelpButtonAndSelectAllAnswerFromTheWindow) {
    MainWindow window(ProgramFolder());
    window.SetUpMainWindow();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (int i = 0; i < 3; ++i) window.AddSource(std::make_unique<engine::SourceItem>());
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));  // window shortcuts need the active window
    test::Recorder().Reset();

    QTest::keyClick(&window, Qt::Key_F1);
    EXPECT_EQ(test::Recorder().opened, QStringList{QString::fromStdString(ProgramFolder() + "help/index.html")});
    QTest::mouseClick(window.Button(kHelpButton), Qt::LeftButton);
    EXPECT_TRUE(window.HelpMenu()->isVisible());
    window.HelpMenu()->close();

    QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(window.List()->selectedItems().size(), 3);
    for (std::size_t row = 0; row < 3; ++row) EXPECT_TRUE(window.Files().Selected(row)) << row;
}

TEST(MainWindowTest, HelpOpensOnTheFirstRunOnly) {
    ForgetFirstRun();
    test::Recorder().Reset();
    {
        MainWindow window(ProgramFolder());
        window.SetUpMainWindow();
    }
    const QString help = QString::fromStdString(ProgramFolder() + "help/index.html");
    EXPECT_EQ(test::Recorder().opened, QStringList{help});
    EXPECT_TRUE(std::filesystem::exists(help.toStdString()));
    {
        MainWindow window(ProgramFolder());
        window.SetUpMainWindow();
    }
    EXPECT_EQ(test::Recorder().opened.size(), 1);
}

TEST(MainWindowTest, ClosingDeletesPreparedFilesAndSavesProgramState) {
    test::TempDir dir;
    const std::string prepared = (dir / "prepared.wav").string();
    test::WriteFile(prepared, "RIFF");
    const std::string source = (dir / "track.aif").string();
    test::WriteFile(source, "FORM");
    {
        MainWindow window(ProgramFolder());
        window.SetUpMainWindow();
        auto item = std::make_unique<engine::SourceItem>();
        item->kind = engine::SourceKind::AiffFile;
        item->path = source;
        item->needsPreparation = true;
        item->prepared = true;
        item->preparedPath = prepared;
        window.AddSource(std::move(item));
        auto plain = std::make_unique<engine::SourceItem>();
        plain->path = (dir / "clip.mp4").string();
        window.AddSource(std::move(plain));
        ASSERT_EQ(window.List()->ItemCount(), 2);
        window.Settings().LastAddFileDir = "/media/in/";
        window.Settings().ConversionThreads = 7;
        window.Settings().OutputFormat = 1160;
        window.show();
        window.close();
        EXPECT_EQ(window.List()->ItemCount(), 0);
    }
    EXPECT_FALSE(std::filesystem::exists(prepared));
    EXPECT_TRUE(std::filesystem::exists(source));

    platform::RegistryStore store;
    formats::FormatCatalogue catalogue;
    formats::BuildCatalogue(catalogue);
    formats::ConversionSettings loaded = formats::DefaultSettings("");
    formats::LoadSettings(store, loaded, catalogue);
    EXPECT_EQ(loaded.LastAddFileDir, "/media/in/");
    EXPECT_EQ(loaded.ConversionThreads, 7);
    EXPECT_EQ(loaded.OutputFormat, 1160);

    MainWindow again(ProgramFolder());
    again.SetUpMainWindow();
    EXPECT_EQ(again.FormatBox()->SelectedFormat()->FormatId, 1160);
}

TEST(StartUpTest, MissingEngineAsksAndEnds) {
    test::TempDir empty;
    const std::string folder = empty.path().string() + "/";
    test::RecordingServices& services = test::Recorder();

    services.Reset();
    EXPECT_EQ(StartApplication(folder), StartUpOutcome::EngineMissing);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(services.messages[0].text,
              QStringLiteral("Quillon could not start up. Some files of the program are missing or "
                             "corrupted.\n\nPlease re-download the program and then install it "
                             "again. Do you want to download it now?"));
    EXPECT_TRUE(services.opened.isEmpty());  // answered No

    services.Reset();
    services.answerYes = true;
    EXPECT_EQ(StartApplication(folder), StartUpOutcome::EngineMissing);
    EXPECT_EQ(services.opened, QStringList{QString::fromUtf8(app::kDownloadUrl)});

    // With the engine there, the decoding layer starts without a word.
    services.Reset();
    EXPECT_EQ(StartApplication(ProgramFolder()), StartUpOutcome::Ready);
    EXPECT_TRUE(services.messages.empty());
    ExitApplication();
}

TEST(AboutBoxTest, VersionAndLinks) {
    test::Recorder().Reset();
    AboutBox box;
    EXPECT_EQ(AboutVersionLine(), QStringLiteral("Quillon v5.0.0"));
    EXPECT_EQ(box.HomePageLink()->text(), QStringLiteral("Visit Quillon Homepage"));
    EXPECT_EQ(box.HomePageLink()->Target(), QString::fromUtf8(app::kHomePageUrl));
    EXPECT_EQ(box.SupportLink()->Target(), QString::fromUtf8(app::kSupportMail));
    EXPECT_EQ(box.HomePageLink()->UnderlineModeValue(), LinkLabel::UnderlineAlways);
    EXPECT_TRUE(box.SupportLink()->IsUnderlined());
    box.SupportLink()->OnClick();
    EXPECT_EQ(test::Recorder().opened, QStringList{QString::fromUtf8(app::kSupportMail)});
}

}  // namespace
}  // namespace quillon::ui
