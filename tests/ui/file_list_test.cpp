// The file list's cells: what a probed source shows in each column and in the audio cells of
// its chosen stream, and how the list sorts by them.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QTextDocument>

#include "app/list_cells.h"
#include "ui/file_list_view.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

using engine::SourceItem;

std::unique_ptr<SourceItem> Clip(const std::string& path, uint32_t seconds, std::vector<uint32_t> rates,
                                 std::vector<uint32_t> bitRates, std::vector<uint32_t> channels) {
    auto item = std::make_unique<SourceItem>();
    item->path = path;
    item->durationSeconds = seconds;
    item->audioSampleRates = std::move(rates);
    item->audioBitRates = std::move(bitRates);
    item->audioChannels = std::move(channels);
    return item;
}

// A list with its view, as the main window has them.
struct ShownList {
    ShownList() { view.SetList(&list); }
    ~ShownList() { view.SetList(nullptr); }
    int Add(std::unique_ptr<SourceItem> item, int requestAudioIndex = 1) {
        return static_cast<int>(list.InsertRow(std::move(item), requestAudioIndex));
    }
    app::FileList list;
    FileListView view;
};

QStringList RowTexts(const FileListView& list, int row) {
    QStringList texts;
    for (int column = 0; column < app::kListColumnCount; ++column) texts << list.ItemText(row, column);
    return texts;
}

TEST(FileListTest, ColumnsHeadersWidthsAndAlignment) {
    FileListView list;
    const char* headers[] = {"File",      "Duration", "Width",     "Height", "V.Frame",
                             "V.BitRate", "A.Freq.",  "A.BitRate", "A.Ch.",  "Status"};
    const int widths[] = {175, 65, 45, 48, 55, 70, 75, 65, 50, 138};
    ASSERT_EQ(list.columnCount(), 10);
    for (int column = 0; column < 10; ++column) {
        EXPECT_EQ(list.headerItem()->text(column), QString::fromLatin1(headers[column]));
        EXPECT_EQ(list.columnWidth(column), widths[column]);
        const bool right = column >= 1 && column <= 7;
        EXPECT_EQ(bool(Qt::Alignment(list.headerItem()->textAlignment(column)) & Qt::AlignRight), right);
    }
    EXPECT_EQ(list.StatusColumn(), 9);
}

TEST(FileListTest, CellsOfAVideoRow) {
    ShownList shown;
    auto item = Clip("/home/me/Video/Friends/Happy day.mp4", 3599, {48000}, {192}, {6});
    item->width = 1280;
    item->height = 720;
    item->frameRate = 29.97;
    item->videoBitRate = 2500;
    SourceItem* raw = item.get();
    const int row = shown.Add(std::move(item));
    EXPECT_EQ(RowTexts(shown.view, row), (QStringList{"Happy day.mp4", "59:59", "1280", "720", "29.97", "2500 kbps",
                                                      "48000 Hz", "192 kbps", "5.1", ""}));
    EXPECT_EQ(shown.view.ItemAt(row), raw);
    shown.list.SetStatus(row, "42% [00:01.500]");
    EXPECT_EQ(shown.view.Status(row), QStringLiteral("42% [00:01.500]"));
    shown.list.SetStatusColumnWidth(app::kWideStatusColumnWidth);
    EXPECT_EQ(shown.view.columnWidth(9), 500);
}

TEST(FileListTest, MissingValuesLeaveCellsEmpty) {
    ShownList shown;
    auto dvd = Clip("DVD Title 2", 0, {0, 48000}, {0, 0}, {0, 2});
    dvd->kind = engine::SourceKind::DvdTitle;
    const int row = shown.Add(std::move(dvd));
    // A rate of 0 in a two-stream file shows only the stream count.
    EXPECT_EQ(RowTexts(shown.view, row), (QStringList{"DVD Title 2 (2 audios)", "", "", "", "", "", "*2", "", "", ""}));
}

TEST(FileListTest, AudioCellsFollowTheChosenStream) {
    ShownList shown;
    auto owned = Clip("/a/three.mkv", 3600, {44100, 48000, 22050}, {128, 256, 64}, {2, 9, 3});
    SourceItem& item = *owned;
    const int row = shown.Add(std::move(owned), 2);
    FileListView& list = shown.view;
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

    // RequestAudioIndex 5 on two streams starts with the first.
    const int second = shown.Add(Clip("/a/two.mkv", 1, {8000, 16000}, {}, {}), 5);
    EXPECT_EQ(list.ItemText(second, 6), QStringLiteral("8000 Hz*2"));
}

TEST(FileListTest, ChannelAndDurationTexts) {
    const char* texts[] = {"0", "Mono", "Stereo", "2.1", "4.0", "4.1", "5.1", "6.1", "7.1", "9"};
    for (uint32_t count = 0; count <= 9; ++count) EXPECT_EQ(app::ChannelText(count), texts[count]);
    EXPECT_EQ(app::DurationText(0), "00:00");
    EXPECT_EQ(app::DurationText(36000 + 61), "10:01:01");
}

TEST(FileListTest, SortingMovesTheListRowsAndFollowsRemovals) {
    ShownList shown;
    shown.Add(Clip("/a/long.wav", 3600, {8000}, {}, {1}));
    shown.Add(Clip("/a/short.wav", 599, {44100}, {}, {2}));
    shown.Add(Clip("/a/mid.wav", 600, {22050}, {}, {2}));
    shown.view.Sort(1, true);
    EXPECT_EQ(shown.view.ItemText(0, 1), QStringLiteral("09:59"));
    // The list (and so the conversion order) follows the shown order.
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(&shown.list.Item(static_cast<std::size_t>(row)), shown.view.ItemAt(row));
    }
    EXPECT_EQ(shown.list.Item(0).path, "/a/short.wav");
    shown.view.Sort(6, true);  // 8000 before 44100, as numbers
    EXPECT_EQ(shown.list.Item(0).path, "/a/long.wav");
    EXPECT_EQ(shown.list.Item(2).path, "/a/short.wav");

    shown.view.topLevelItem(2)->setSelected(true);
    EXPECT_TRUE(shown.list.Selected(2));
    EXPECT_FALSE(shown.list.Selected(0));
    shown.list.RemoveRow(1);
    ASSERT_EQ(shown.view.ItemCount(), 2);
    EXPECT_EQ(shown.view.ItemText(1, 0), QStringLiteral("short.wav"));
    shown.list.RemoveAll();
    EXPECT_EQ(shown.view.ItemCount(), 0);
}

TEST(FileListTest, ANameWithLineBreaksShowsWholeOnOneLine) {
    ShownList shown;
    shown.Add(Clip("/a/first line\nsecond\tpart <b>.mp4", 1, {}, {}, {}));
    const QString cell = shown.view.ItemText(0, 0);
    EXPECT_EQ(cell, QString::fromUtf8("first line\u21b5second\u2409part <b>.mp4"));
    EXPECT_FALSE(cell.contains(QLatin1Char('\n')));
    // The tooltip holds the name as it is, markup characters shown as text.
    QTextDocument tip;
    tip.setHtml(shown.view.topLevelItem(0)->toolTip(0));
    EXPECT_TRUE(tip.toPlainText().startsWith(QStringLiteral("first line\nsecond"))) << tip.toPlainText().toStdString();
    EXPECT_TRUE(tip.toPlainText().endsWith(QStringLiteral("part <b>.mp4"))) << tip.toPlainText().toStdString();
    EXPECT_EQ(app::OneLineText(std::string("a\x7f\rb")), "a\u2421\u240db");
    EXPECT_EQ(app::OneLineText("plain é.mp4"), "plain é.mp4");
}

// The pixels a header section draws differently from a blank one, within the section.
QImage Grab(FileListView& view) { return view.header()->grab().toImage(); }

std::vector<QPoint> Differing(const QImage& a, const QImage& b, const QRect& within) {
    std::vector<QPoint> points;
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) points.push_back({x, y});
        }
    }
    return points;
}

TEST(FileListTest, TheSortArrowNeverCoversTheHeaderText) {
    FileListView view;
    view.resize(900, 200);
    view.show();
    for (int column : {2, 6, 7, 0, 8}) {  // right-aligned narrow ones and left-aligned ones
        const QString caption = view.headerItem()->text(column);
        const QRect section(view.header()->sectionViewportPosition(column), 0, view.header()->sectionSize(column),
                            view.header()->height());
        view.Sort(column, true);
        const QImage both = Grab(view);
        view.headerItem()->setText(column, QString());
        const QImage arrowOnly = Grab(view);
        view.header()->setSortIndicatorShown(false);
        const QImage blank = Grab(view);
        view.headerItem()->setText(column, caption);
        const QImage textOnly = Grab(view);
        view.header()->setSortIndicatorShown(true);

        // The arrow: what the indicator adds to a blank section; the text: what the caption adds
        // to the section with its arrow.
        const std::vector<QPoint> arrow = Differing(arrowOnly, blank, section);
        const std::vector<QPoint> text = Differing(both, arrowOnly, section);
        ASSERT_FALSE(arrow.empty()) << column;
        ASSERT_FALSE(text.empty()) << column;
        QRect arrowBox;
        for (const QPoint& p : arrow) arrowBox |= QRect(p, QSize(1, 1));
        int covered = 0;
        for (const QPoint& p : text) covered += arrowBox.contains(p) ? 1 : 0;
        EXPECT_EQ(covered, 0) << "column " << column;
        // Without the arrow the caption is drawn in full again.
        EXPECT_FALSE(Differing(textOnly, blank, section).empty()) << column;
    }
}

TEST(FileListTest, ReorderRowsRefusesWhatIsNoPermutation) {
    app::FileList list;
    list.InsertRow(Clip("/a/1", 1, {}, {}, {}), 1);
    list.InsertRow(Clip("/a/2", 1, {}, {}, {}), 1);
    EXPECT_FALSE(list.ReorderRows({0, 0}));
    EXPECT_FALSE(list.ReorderRows({1}));
    EXPECT_FALSE(list.ReorderRows({2, 0}));
    EXPECT_EQ(list.Item(0).path, "/a/1");
    EXPECT_TRUE(list.ReorderRows({1, 0}));
    EXPECT_EQ(list.Item(0).path, "/a/2");
}

}  // namespace
}  // namespace quillon::ui
