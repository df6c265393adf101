// The list's cells for a person reading them: progress bars in converting rows, whole texts in
// tooltips, columns fitted to their contents, the empty list's hint, and the format box's name.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include <map>

#include "app/list_cells.h"
#include "test_support.h"
#include "ui/empty_list_hint.h"
#include "ui/file_list_view.h"
#include "ui/main_window.h"
#include "ui/output_format_box.h"
#include "ui/progress_cell_delegate.h"
#include "ui_test_support.h"

namespace quillon::ui {
namespace {

using engine::SourceItem;

struct ShownList {
    ShownList() {
        view.SetList(&list);
        InstallProgressCells(view, [this](const SourceItem* item) -> std::optional<int> {
            const auto found = percents.find(item);
            if (found == percents.end()) return std::nullopt;
            return found->second;
        });
        view.resize(900, 300);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    ~ShownList() { view.SetList(nullptr); }
    SourceItem& Add(const std::string& path, std::size_t audioStreams = 1) {
        auto item = std::make_unique<SourceItem>();
        item->path = path;
        item->width = 640;
        for (std::size_t i = 0; i < audioStreams; ++i) {
            item->audioSampleRates.push_back(i == 0 ? 44100 : 48000);
            item->audioBitRates.push_back(128);
            item->audioChannels.push_back(2);
        }
        SourceItem& ref = *item;
        list.InsertRow(std::move(item), 1);
        return ref;
    }
    QPoint CellCentre(int row, int column) const {
        const QRect line = view.visualItemRect(view.topLevelItem(row));
        return QPoint(view.header()->sectionViewportPosition(column) + view.columnWidth(column) / 2, line.center().y());
    }
    // The tooltip a resting mouse over the cell gets, or "" when it gets none.
    QString TooltipAt(int row, int column) {
        QToolTip::hideText();
        QTest::qWait(400);
        const QPoint at = CellCentre(row, column);
        QHelpEvent help(QEvent::ToolTip, at, view.viewport()->mapToGlobal(at));
        QApplication::sendEvent(view.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    app::FileList list;
    FileListView view;
    std::map<const SourceItem*, int> percents;
};

bool Green(QRgb pixel) { return qGreen(pixel) > qRed(pixel) + 40 && qGreen(pixel) > qBlue(pixel) + 20; }

// The rightmost green pixel along the cell's upper part, relative to the cell; -1 for none.
int FilledTo(FileListView& view, int row) {
    const QImage picture = view.viewport()->grab().toImage();
    const QRect line = view.visualItemRect(view.topLevelItem(row));
    const int left = view.header()->sectionViewportPosition(view.StatusColumn());
    int found = -1;
    for (int y = line.top() + 4; y <= line.top() + 5; ++y) {
        for (int x = 0; x < view.columnWidth(view.StatusColumn()); ++x) {
            if (Green(picture.pixel(left + x, y))) found = std::max(found, x);
        }
    }
    return found;
}

TEST(ProgressCellsTest, ConvertingRowsDrawABarFilledToTheirPercent) {
    ShownList shown;
    std::vector<SourceItem*> items;
    for (int i = 0; i < 5; ++i) items.push_back(&shown.Add("/m/clip" + std::to_string(i) + ".mp4"));
    const int percents[] = {0, 25, 50, 100};
    for (int i = 0; i < 4; ++i) {
        shown.percents[items[i]] = percents[i];
        shown.list.SetStatus(items[i], std::to_string(percents[i]) + "% [00:0" + std::to_string(i) + ".000]");
    }
    // Row 4 is not converting: a status that looks like progress stays text.
    shown.list.SetStatus(items[4], "50% [00:01.000]");
    QTest::qWait(50);

    const int width = shown.view.columnWidth(shown.view.StatusColumn());
    EXPECT_EQ(FilledTo(shown.view, 0), -1);
    const int quarter = FilledTo(shown.view, 1);
    const int half = FilledTo(shown.view, 2);
    const int full = FilledTo(shown.view, 3);
    EXPECT_NEAR(quarter, width / 4, 6);
    EXPECT_NEAR(half, width / 2, 6);
    EXPECT_NEAR(full, width - 5, 4);
    EXPECT_EQ(FilledTo(shown.view, 4), -1);

    // The bar follows the row as it moves on, and an unknown length draws an empty bar.
    shown.percents[items[1]] = 75;
    shown.list.SetStatus(items[1], "75% [00:05.000]");
    shown.percents[items[0]] = -1;
    shown.list.SetStatus(items[0], "[00:05.000]");
    QTest::qWait(50);
    EXPECT_NEAR(FilledTo(shown.view, 1), width * 3 / 4, 6);
    EXPECT_EQ(FilledTo(shown.view, 0), -1);
}

TEST(ProgressCellsTest, CutCellsShowTheirWholeTextInTooltips) {
    ShownList shown;
    const std::string longName = "/m/A very long file name that the File column cannot show whole.mp4";
    SourceItem& longRow = shown.Add(longName, 3);
    shown.Add("/m/x.mp4");
    QTest::qWait(20);

    // Cells that fit have no tooltip.
    EXPECT_EQ(shown.TooltipAt(1, app::ColumnFile), QString());
    EXPECT_EQ(shown.TooltipAt(0, app::ColumnWidth), QString());
    // Cut cells: the name, with its stream count, and the audio rate with its streams.
    const QString name = shown.TooltipAt(0, app::ColumnFile);
    EXPECT_TRUE(
        name.contains(QStringLiteral("A very long file name that the File column cannot show whole.mp4 (3 audios)")))
        << name.toStdString();
    shown.view.setColumnWidth(app::ColumnAudioRate, 40);
    EXPECT_TRUE(shown.TooltipAt(0, app::ColumnAudioRate).contains(QStringLiteral("44100 Hz*3")));

    // A failed row's reason in full, even when the column is wide enough for it.
    shown.list.SetStatus(&longRow, "Conversion failure (x.mp4: Invalid data found when processing input <&>)");
    shown.view.setColumnWidth(shown.view.StatusColumn(), 800);
    EXPECT_TRUE(shown.TooltipAt(0, shown.view.StatusColumn())
                    .contains(QStringLiteral("Invalid data found when processing input &lt;&amp;&gt;)")));
    // A name with a line break shows it whole.
    SourceItem& broken = shown.Add("/m/two\nlines.mp4");
    (void)broken;
    shown.view.setColumnWidth(app::ColumnFile, 400);
    EXPECT_TRUE(shown.TooltipAt(2, app::ColumnFile).contains(QStringLiteral("lines.mp4")));
}

TEST(ProgressCellsTest, DoubleClickOnAHeaderSeparatorFitsTheColumn) {
    ShownList shown;
    shown.Add("/m/A much longer file name than the column is wide, to be fitted.mkv");
    QTest::qWait(20);
    QHeaderView* header = shown.view.header();
    const int before = shown.view.columnWidth(app::ColumnFile);
    const QPoint separator(header->sectionViewportPosition(app::ColumnFile) + before - 1, header->height() / 2);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, separator);
    const int fitted = shown.view.columnWidth(app::ColumnFile);
    EXPECT_GT(fitted, before + 100);
    EXPECT_GE(fitted, shown.view.fontMetrics().horizontalAdvance(
                          QStringLiteral("A much longer file name than the column is wide, to be fitted.mkv")));
    EXPECT_EQ(shown.TooltipAt(0, app::ColumnFile), QString());
}

TEST(ProgressCellsTest, EmptyListShowsAQuietHintThatLetsDropsThrough) {
    ShownList shown;
    auto* hint = new EmptyListHint(&shown.view);
    QTest::qWait(20);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), QStringLiteral("Drop video and audio files or folders here"));
    const QRect area = shown.view.viewport()->rect();
    EXPECT_TRUE(hint->geometry().contains(area.center()));
    EXPECT_EQ(shown.view.viewport()->childAt(area.center()), nullptr);  // the list takes drops

    shown.Add("/m/a.mp4");
    EXPECT_FALSE(hint->isVisible());
    shown.list.RemoveAll();
    EXPECT_TRUE(hint->isVisible());
    shown.view.resize(500, 200);
    QTest::qWait(20);
    EXPECT_TRUE(hint->geometry().contains(shown.view.viewport()->rect().center()));
}

TEST(ProgressCellsTest, FormatBoxTooltipNamesTheSelectedFormatInFull) {
    test::Recorder().Reset();
    MainWindow window(test::BinDir().string() + "/");
    window.SetUpMainWindow();
    window.show();
    OutputFormatBox* box = window.FormatBox();
    const int index = box->IndexOfFormat(80);
    ASSERT_GT(index, 0);
    box->setCurrentIndex(index);
    Q_EMIT box->activated(index);
    const QString full = box->itemText(index).trimmed().mid(3);
    ASSERT_FALSE(full.isEmpty());
    // The tooltip keeps the box's own text and adds the name the narrow box cuts.
    const QPoint at = box->rect().center();
    QHelpEvent help(QEvent::ToolTip, at, box->mapToGlobal(at));
    QApplication::sendEvent(box, &help);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Output format\n") + full);
    EXPECT_EQ(box->toolTip(), QStringLiteral("Output format"));
}

}  // namespace
}  // namespace quillon::ui
