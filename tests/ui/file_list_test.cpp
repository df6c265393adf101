// The file list's cells: what a probed source shows in each column and in the audio cells of
// its chosen stream, and how the list sorts by them.
#include <gtest/gtest.h>

#include "app/list_cells.h"
#include "formats/output_format.h"
#include "ui/file_list_view.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

using engine::SourceItem;

SourceItem Clip(const std::string& path, uint32_t seconds, std::vector<uint32_t> rates,
                std::vector<uint32_t> bitRates, std::vector<uint32_t> channels) {
    SourceItem item;
    item.path = path;
    item.durationSeconds = seconds;
    item.audioSampleRates = std::move(rates);
    item.audioBitRates = std::move(bitRates);
    item.audioChannels = std::move(channels);
    return item;
}

QStringList RowTexts(const FileListView& list, int row) {
    QStringList texts;
    for (int column = 0; column < app::kListColumnCount; ++column) texts << list.ItemText(row, column);
    return texts;
}

TEST(FileListTest, ColumnsHeadersWidthsAndAlignment) {
    FileListView list;
    const char* headers[] = {"File", "Duration", "Width", "Height", "V.Frame", "V.BitRate",
                             "A.Freq.", "A.BitRate", "A.Ch.", "Status"};
    const int widths[] = {175, 65, 45, 48, 55, 70, 75, 65, 50, 138};
    ASSERT_EQ(list.columnCount(), 10);
    for (int column = 0; column < 10; ++column) {
        EXPECT_EQ(list.headerItem()->text(column), QString::fromLatin1(headers[column]));
        EXPECT_EQ(list.columnWidth(column), widths[column]);
        const bool right = column >= 1 && column <= 7;
        EXPECT_EQ(bool(Qt::Alignment(list.headerItem()->textAlignment(column)) & Qt::AlignRight), right);
    }
    EXPECT_EQ(list.StatusColumn(), 9);
    list.WidenStatusColumn();
    EXPECT_EQ(list.columnWidth(9), 500);
}

TEST(FileListTest, CellsOfAVideoRow) {
    FileListView list;
    SourceItem item = Clip("/home/me/Video/Friends/Happy day.mp4", 3599, {48000}, {192}, {6});
    item.width = 1280;
    item.height = 720;
    item.frameRate = 29.97;
    item.videoBitRate = 2500;
    const int row = list.InsertRow(&item);
    EXPECT_EQ(RowTexts(list, row),
              (QStringList{"Happy day.mp4", "59:59", "1280", "720", "29.97", "2500 kbps", "48000 Hz",
                           "192 kbps", "5.1", ""}));
    EXPECT_EQ(list.ItemAt(row), &item);
    EXPECT_EQ(list.RowOf(&item), row);
}

TEST(FileListTest, MissingValuesLeaveCellsEmpty) {
    FileListView list;
    SourceItem dvd;
    dvd.kind = engine::SourceKind::DvdTitle;
    dvd.path = "DVD Title 2";
    dvd.audioSampleRates = {0, 48000};
    dvd.audioBitRates = {0, 0};
    dvd.audioChannels = {0, 2};
    const int row = list.InsertRow(&dvd);
    // A rate of 0 in a two-stream file shows only the stream count.
    EXPECT_EQ(RowTexts(list, row),
              (QStringList{"DVD Title 2 (2 audios)", "", "", "", "", "", "*2", "", "", ""}));
}

TEST(FileListTest, AudioCellsFollowTheChosenStream) {
    SourceItem item = Clip("/a/three.mkv", 3600, {44100, 48000, 22050}, {128, 256, 64}, {2, 9, 3});
    item.selectedAudioStream = app::ChooseAudioStream(2, item.audioSampleRates.size());
    FileListView list;
    const int row = list.InsertRow(&item);
    EXPECT_EQ(list.ItemText(row, 0), QStringLiteral("three.mkv (3 audios)"));
    EXPECT_EQ(list.ItemText(row, 1), QStringLiteral("1:00:00"));
    EXPECT_EQ(list.ItemText(row, 6), QStringLiteral("48000 Hz*3"));
    EXPECT_EQ(list.ItemText(row, 7), QStringLiteral("256 kbps"));
    EXPECT_EQ(list.ItemText(row, 8), QStringLiteral("9"));

    item.selectedAudioStream = 2;
    list.RefreshAudioCells(row);
    EXPECT_EQ(list.ItemText(row, 6), QStringLiteral("22050 Hz*3"));
    EXPECT_EQ(list.ItemText(row, 8), QStringLiteral("2.1"));

    // A stream beyond the arrays empties the cells; shorter bit-rate or channel arrays too.
    item.selectedAudioStream = 5;
    list.RefreshAudioCells(row);
    EXPECT_EQ(list.ItemText(row, 6), QString());
    EXPECT_EQ(list.ItemText(row, 7), QString());
    item.selectedAudioStream = 1;
    item.audioBitRates.resize(1);
    item.audioChannels.resize(1);
    list.RefreshAudioCells(row);
    EXPECT_EQ(list.ItemText(row, 6), QStringLiteral("48000 Hz*3"));
    EXPECT_EQ(list.ItemText(row, 7), QString());
    EXPECT_EQ(list.ItemText(row, 8), QString());
}

TEST(FileListTest, ChannelTextsAndStreamChoice) {
    const char* texts[] = {"0", "Mono", "Stereo", "2.1", "4.0", "4.1", "5.1", "6.1", "7.1", "9"};
    for (uint32_t count = 0; count <= 9; ++count) EXPECT_EQ(app::ChannelText(count), texts[count]);
    EXPECT_EQ(app::ChooseAudioStream(5, 2), 0);
    EXPECT_EQ(app::ChooseAudioStream(2, 2), 1);
    EXPECT_EQ(app::ChooseAudioStream(1, 4), 0);
    EXPECT_EQ(app::ChooseAudioStream(0, 4), 0);
    EXPECT_EQ(app::DurationText(0), "00:00");
    EXPECT_EQ(app::DurationText(36000 + 61), "10:01:01");
}

TEST(FileListTest, FormatCopyRowsNameTheirFormat) {
    formats::OutputFormat labelled;
    labelled.Label = "MPEG-4";
    labelled.Extension = "mp4";
    formats::OutputFormat bare;
    bare.Extension = "avi";
    SourceItem copy = Clip("/a/b.mov", 10, {}, {}, {});
    copy.isFormatCopy = true;
    copy.copyFormat = &labelled;
    EXPECT_EQ(app::FileCellText(copy), "   to MPEG-4");
    copy.copyFormat = &bare;
    EXPECT_EQ(app::FileCellText(copy), "   to AVI");
}

TEST(FileListTest, SortingByDurationAndRateMovesTheItems) {
    FileListView list;
    SourceItem longer = Clip("/a/long.wav", 3600, {8000}, {}, {1});
    SourceItem shorter = Clip("/a/short.wav", 599, {44100}, {}, {2});
    list.InsertRow(&longer);
    list.InsertRow(&shorter);
    list.Sort(1, true);
    EXPECT_EQ(list.ItemText(0, 1), QStringLiteral("09:59"));
    EXPECT_EQ(list.ItemAt(0), &shorter);
    list.Sort(6, true);  // 8000 before 44100, as numbers
    EXPECT_EQ(list.ItemAt(0), &longer);
}

}  // namespace
}  // namespace quillon::ui
