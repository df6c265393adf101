// The Options pages typed into key by key, as a person does, and confirmed with the OK button;
// what the store holds afterwards is read back from the store file.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "formats/conversion_settings.h"
#include "formats/recent_entries.h"
#include "options_fixture.h"
#include "platform/registry_store.h"
#include "test_support.h"
#include "ui/color_combo_box.h"
#include "ui/opt_output_page.h"
#include "ui/opt_sheet.h"
#include "ui/opt_video_page.h"
#include "ui/step_spin_ctrl.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

using formats::OutputFormat;

constexpr int32_t kAvi = 40;

// Replaces the box's text by typing: select all, then the keys.
void TypeInto(QComboBox* box, const QString& text) {
    QLineEdit* edit = box->lineEdit();
    ASSERT_NE(edit, nullptr);
    QTest::mouseClick(edit, Qt::LeftButton);  // the box takes the focus, as the completer needs
    ASSERT_TRUE(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

void TypeInto(QSpinBox* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
}

// True when some entry is a longer text beginning with what will be typed: the case in which
// a box that completes on its own would change it.
bool SomeEntryExtends(const QComboBox* box, const QString& typed) {
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).startsWith(typed) && box->itemText(i).size() > typed.size()) return true;
    }
    return false;
}

class OptionsTypingTest : public test::OptionsTest {
protected:
    // Shows the sheet as the active window, where typing goes.
    static void Show(COptSheet& sheet) {
        sheet.show();
        sheet.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    }

    // Presses OK as a person does; true when the sheet closed.
    static bool PressOk(COptSheet& sheet) {
        auto* buttons = sheet.findChild<QDialogButtonBox*>();
        if (!buttons) return false;
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
        return sheet.result() == QDialog::Accepted;
    }
};

TEST_F(OptionsTypingTest, TypedFolderAndFilterAreStoredAsTyped) {
    formats::RecentEntries folders(formats::kOutputFolderList);
    folders.Remember("/home/me/Videos/converted");
    folders.Save(store);

    COptSheet sheet(settings, catalogue, store);
    Show(sheet);
    COptOutputPage* page = sheet.GeneralPage();
    QTest::keyClick(page->FilterCheck(), Qt::Key_Space);
    ASSERT_TRUE(page->FilterBox()->isEnabled());
    ASSERT_TRUE(SomeEntryExtends(page->FilterBox(), QStringLiteral("mkv")));
    TypeInto(page->FilterBox(), QStringLiteral("mkv"));
    EXPECT_EQ(page->FilterBox()->currentText(), QStringLiteral("mkv"));

    page->OutputFolderBox()->setCurrentIndex(1);  // Specific folder
    ASSERT_TRUE(SomeEntryExtends(page->FolderBox(), QStringLiteral("/home/me/Videos")));
    TypeInto(page->FolderBox(), QStringLiteral("/home/me/Videos"));
    EXPECT_EQ(page->FolderBox()->currentText(), QStringLiteral("/home/me/Videos"));
    // Enter in the box does not swap the text for a longer entry either.
    QTest::keyClick(page->FolderBox()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(page->FolderBox()->currentText(), QStringLiteral("/home/me/Videos"));

    ASSERT_TRUE(PressOk(sheet));
    EXPECT_TRUE(test::Recorder().messages.empty());
    formats::ConversionSettings loaded;
    formats::FormatCatalogue restarted;
    ReadBack(loaded, restarted);
    EXPECT_EQ(loaded.FilterExts, "mkv");
    EXPECT_EQ(loaded.ExtensionFilter, std::vector<std::string>{"mkv"});
    EXPECT_EQ(loaded.DestSpecifiedFolder, "/home/me/Videos");
}

TEST_F(OptionsTypingTest, AFilterOfSeparatorsIsRefusedAsEmpty) {
    COptSheet sheet(settings, catalogue, store);
    Show(sheet);
    COptOutputPage* page = sheet.GeneralPage();
    QTest::keyClick(page->FilterCheck(), Qt::Key_Space);
    TypeInto(page->FilterBox(), QStringLiteral(";"));
    EXPECT_FALSE(PressOk(sheet));
    ASSERT_EQ(test::Recorder().messages.size(), 1u);
    EXPECT_EQ(test::Recorder().messages[0].text, QStringLiteral("Please enter file extensions you need to filter."));

    TypeInto(page->FilterBox(), QStringLiteral("webm"));
    ASSERT_TRUE(PressOk(sheet));
    formats::ConversionSettings loaded;
    formats::FormatCatalogue restarted;
    ReadBack(loaded, restarted);
    EXPECT_EQ(loaded.FilterExts, "webm");
}

TEST_F(OptionsTypingTest, TypedRatesAreStoredAsTyped) {
    settings.OptStartPageIndex = 1;
    settings.OutputFormat = kAvi;
    {
        COptSheet sheet(settings, catalogue, store);
        Show(sheet);
        COptVideoPage* page = sheet.VideoPage();
        ChooseFormat(*page, kAvi);
        if (page->VideoCbr()->isVisible()) QTest::mouseClick(page->VideoCbr(), Qt::LeftButton);
        ASSERT_TRUE(page->VideoRateBox()->isEnabled());
        ASSERT_TRUE(SomeEntryExtends(page->VideoRateBox(), QStringLiteral("150")));
        TypeInto(page->VideoRateBox(), QStringLiteral("150"));
        EXPECT_EQ(page->VideoRateBox()->currentText(), QStringLiteral("150"));
        ASSERT_TRUE(page->FrameRateBox()->isEnabled());
        ASSERT_TRUE(SomeEntryExtends(page->FrameRateBox(), QStringLiteral("1")));
        TypeInto(page->FrameRateBox(), QStringLiteral("1"));
        ASSERT_TRUE(PressOk(sheet));
    }
    formats::ConversionSettings loaded;
    formats::FormatCatalogue restarted;
    ReadBack(loaded, restarted);
    const OutputFormat& avi = *formats::FindFormat(restarted, kAvi);
    EXPECT_EQ(avi.VideoVBREnabled, 0);
    EXPECT_EQ(avi.VideoBitRate, 150000);
    EXPECT_DOUBLE_EQ(avi.VideoFrameRate, 1.0);

    // A sign or a word reads as no number at all, never as a negative rate.
    for (const QString& typed : {QStringLiteral("-3"), QStringLiteral("fast")}) {
        COptSheet sheet(settings, catalogue, store);
        Show(sheet);
        COptVideoPage* page = sheet.VideoPage();
        ChooseFormat(*page, kAvi);
        TypeInto(page->VideoRateBox(), typed);
        ASSERT_TRUE(PressOk(sheet));
        ReadBack(loaded, restarted);
        EXPECT_EQ(formats::FindFormat(restarted, kAvi)->VideoBitRate, 0) << typed.toStdString();
    }
}

TEST_F(OptionsTypingTest, StoredValuesOutOfRangeAreShownAsTheyWillBeStored) {
    OutputFormat& avi = *formats::FindFormat(catalogue, kAvi);
    settings.OptStartPageIndex = 1;
    settings.OutputFormat = kAvi;

    struct Case {
        int32_t volume, width;
        int32_t shownVolume, shownWidth;
    };
    for (const Case& c : {Case{0, 40000, 10, 32766}, Case{5, -4, 10, 0}, Case{5000, 650, 3000, 650}}) {
        avi.AudioVolume = c.volume;
        avi.VideoWidth = c.width;
        avi.VideoHeight = 480;
        COptSheet sheet(settings, catalogue, store);
        Show(sheet);
        COptVideoPage* page = sheet.VideoPage();
        ChooseFormat(*page, kAvi);
        ASSERT_TRUE(page->WidthField()->isEnabled()) << c.width;
        EXPECT_EQ(page->VolumeField()->value(), c.shownVolume);
        EXPECT_EQ(page->WidthField()->value(), c.shownWidth);
        ASSERT_TRUE(PressOk(sheet)) << (test::Recorder().messages.empty()
                                            ? std::string()
                                            : test::Recorder().messages.back().text.toStdString());
        formats::ConversionSettings loaded;
        formats::FormatCatalogue restarted;
        ReadBack(loaded, restarted);
        EXPECT_EQ(formats::FindFormat(restarted, kAvi)->AudioVolume, c.shownVolume) << c.volume;
        EXPECT_EQ(formats::FindFormat(restarted, kAvi)->VideoWidth, c.shownWidth) << c.width;
    }

    // Typed into the field, the value is what is stored too.
    avi.VideoWidth = 650;
    COptSheet sheet(settings, catalogue, store);
    Show(sheet);
    COptVideoPage* page = sheet.VideoPage();
    ChooseFormat(*page, kAvi);
    TypeInto(page->VolumeField(), QStringLiteral("250"));
    TypeInto(page->WidthField(), QStringLiteral("720"));
    ASSERT_TRUE(PressOk(sheet));
    formats::ConversionSettings loaded;
    formats::FormatCatalogue restarted;
    ReadBack(loaded, restarted);
    EXPECT_EQ(formats::FindFormat(restarted, kAvi)->AudioVolume, 250);
    EXPECT_EQ(formats::FindFormat(restarted, kAvi)->VideoWidth, 720);
}

}  // namespace
}  // namespace quillon::ui
