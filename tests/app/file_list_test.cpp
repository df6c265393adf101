#include <gtest/gtest.h>

#include <filesystem>

#include "app/file_list.h"
#include "fake_run_host.h"
#include "test_support.h"

namespace quillon::app {
namespace {

namespace fs = std::filesystem;
using engine::SourceItem;
using engine::SourceKind;

std::unique_ptr<SourceItem> Item(const std::string& path, std::size_t audioStreams = 1, bool needsPreparation = false) {
    auto item = std::make_unique<SourceItem>();
    item->path = path;
    for (std::size_t i = 0; i < audioStreams; ++i) {
        item->audioSampleRates.push_back(44100);
        item->audioChannels.push_back(2);
        item->audioBitRates.push_back(128);
        item->audioStreamIds.push_back("0:" + std::to_string(i + 1));
    }
    item->needsPreparation = needsPreparation;
    if (needsPreparation) item->kind = SourceKind::AiffFile;
    return item;
}

TEST(FileList, RowTextsAndAudioStreamChoice) {
    FileList list;
    list.InsertRow(Item("/m/three.mkv", 3), 2);
    list.InsertRow(Item("/m/two.mkv", 2), 5);
    list.InsertRow(Item("noslash.mp3"), 1);
    EXPECT_EQ(list.FileText(0), "three.mkv (3 audios)");
    EXPECT_EQ(list.Item(0).selectedAudioStream, 1);
    EXPECT_EQ(list.Item(1).selectedAudioStream, 0);  // index 5 does not exist
    EXPECT_EQ(list.FileText(2), "noslash.mp3");
    EXPECT_EQ(ChooseAudioStream(1, 3), 0);
    EXPECT_EQ(ChooseAudioStream(3, 3), 2);
}

TEST(FileList, FormatCopiesStandBelowTheirSourceAndOnlyTheyAreQueuedForAGroup) {
    formats::FormatCatalogue catalogue;
    formats::BuildCatalogue(catalogue);
    const formats::OutputFormat* mp4 = formats::FindFormat(catalogue, 110);
    const formats::OutputFormat* divx = formats::FindFormat(catalogue, 50);
    FileList list;
    list.InsertRow(Item("/m/a.mov"), 1);
    list.InsertRow(Item("/m/b.mov"), 1);
    list.InsertRow(Item("/m/c.aif", 1, true), 1);  // not prepared: no copies, not queued
    list.SetSelected(1, true);
    list.AddFormatCopies(true, {mp4, divx});
    ASSERT_EQ(list.RowCount(), 5u);
    EXPECT_EQ(list.FileText(2), "   to DivX");
    EXPECT_EQ(list.FileText(3), "   to MP4");
    EXPECT_TRUE(list.Selected(2));
    EXPECT_EQ(list.Item(3).copyFormat, mp4);
    EXPECT_EQ(list.Item(3).path, "/m/b.mov");

    RunQueues queues;
    list.SetStatus(4, "Error: Failed to open file");
    ASSERT_TRUE(list.QueueRows(false, true, queues));
    ASSERT_EQ(queues.pending.size(), 2u);
    EXPECT_EQ(queues.pending[0], &list.Item(2));
    EXPECT_EQ(queues.pending[0]->listRow, 2);
    EXPECT_EQ(list.Status(4), "Error: Failed to open file");  // kept for a failed preparation

    ASSERT_TRUE(list.QueueRows(false, false, queues));
    EXPECT_EQ(queues.pending.size(), 4u);
    list.RemoveFormatCopies();
    EXPECT_EQ(list.RowCount(), 3u);
    ASSERT_TRUE(list.QueueRows(true, false, queues));
    ASSERT_EQ(queues.pending.size(), 1u);
    EXPECT_EQ(queues.pending[0]->path, "/m/b.mov");
}

TEST(FileList, PreparationIsReusedWhileItsFileExistsAndGoesWithTheSourceRow) {
    test::TempDir dir;
    FileList list;
    list.InsertRow(Item("/m/a.aif", 1, true), 1);
    list.InsertRow(Item("/m/b.mp4"), 1);
    list.InsertRow(Item("/m/c.aif", 1, true), 1);
    int prepared = 0;
    auto prepare = [&](SourceItem& item, engine::LoadingWindow&, std::string& message) {
        if (item.path == "/m/c.aif") {
            message = "Failed to open file";
            return false;
        }
        ++prepared;
        item.preparedPath = (dir / ("prep" + std::to_string(prepared) + ".wav")).string();
        test::WriteFile(item.preparedPath, "RIFF");
        return true;
    };
    test::FakeLoadingWindow window;
    EXPECT_TRUE(list.NeedsPreparation(false));
    EXPECT_TRUE(list.PrepareRows(false, window, prepare));
    EXPECT_EQ(list.Status(0), "Loading OK");
    EXPECT_EQ(list.Status(1), "");
    EXPECT_EQ(list.Status(2), "Error: Failed to open file");
    EXPECT_TRUE(list.PrepareRows(false, window, prepare));
    EXPECT_EQ(prepared, 1);  // reused

    // A copy row shares the prepared file; removing it keeps the file, removing the source not.
    formats::FormatCatalogue catalogue;
    formats::BuildCatalogue(catalogue);
    list.AddFormatCopies(false, {formats::FindFormat(catalogue, 110)});
    const std::string file = list.Item(0).preparedPath;
    ASSERT_TRUE(list.Item(1).isFormatCopy);
    list.RemoveFormatCopies();
    EXPECT_TRUE(fs::exists(file));
    fs::remove(file);
    EXPECT_TRUE(list.PrepareRows(false, window, prepare));
    EXPECT_EQ(prepared, 2);  // its file was gone
    const std::string second = list.Item(0).preparedPath;
    list.RemoveRow(0);
    EXPECT_FALSE(fs::exists(second));
}

// Records what a view would be told, and checks that every item it is told of still exists.
class RemovalRecorder final : public FileListObserver {
public:
    explicit RemovalRecorder(FileList& list) : list_(list) {}
    void RowRemoved(std::size_t row) override { calls.push_back({row}); }
    void RowsRemoved(const std::vector<std::size_t>& rows) override {
        calls.push_back(rows);
        rowsLeftWhenTold = list_.RowCount();
    }
    std::vector<std::vector<std::size_t>> calls;
    std::size_t rowsLeftWhenTold = 0;

private:
    FileList& list_;
};

TEST(FileList, SeveralRowsGoInOneOperationAndNoneWhileLocked) {
    test::TempDir dir;
    const std::string prepared = (dir / "b.wav").string();
    test::WriteFile(prepared, "RIFF");
    FileList list;
    RemovalRecorder recorder(list);
    list.SetObserver(&recorder);
    for (const char* name : {"/m/a", "/m/b", "/m/c", "/m/d", "/m/e"}) list.InsertRow(Item(name), 1);
    list.Item(1).needsPreparation = true;
    list.Item(1).preparedPath = prepared;
    for (std::size_t row : {0u, 1u, 3u}) list.SetSelected(row, true);
    list.SetSelected(4, true);
    list.SetSelected(4, false);
    list.SetFocusedRow(4);

    // Locked (an engine reports to these rows), nothing goes.
    list.SetRemovalLocked(true);
    EXPECT_EQ(list.RemoveRowsIf([&](std::size_t row, const SourceItem&) { return list.Selected(row); }), 0u);
    list.RemoveAll();
    EXPECT_EQ(list.RowCount(), 5u);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_TRUE(fs::exists(prepared));
    list.SetRemovalLocked(false);

    std::vector<std::string> seen;
    EXPECT_EQ(list.RemoveRowsIf([&](std::size_t row, const SourceItem&) { return list.Selected(row); },
                                [&](SourceItem& item) { seen.push_back(item.path); }),
              3u);
    EXPECT_EQ(seen, (std::vector<std::string>{"/m/a", "/m/b", "/m/d"}));
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0], (std::vector<std::size_t>{3, 1, 0}));
    EXPECT_EQ(recorder.rowsLeftWhenTold, 2u);  // told once, with the list whole again
    ASSERT_EQ(list.RowCount(), 2u);
    EXPECT_EQ(list.Item(0).path, "/m/c");
    EXPECT_EQ(list.Item(1).path, "/m/e");
    EXPECT_FALSE(list.Selected(0));
    EXPECT_FALSE(fs::exists(prepared));
    // The focus follows its row to its new place.
    list.SetSelected(1, true);
    EXPECT_EQ(list.FocusedRow(), 1);
    list.SetObserver(nullptr);
}

TEST(FileList, CancelInPreparationStopsAtOnce) {
    FileList list;
    list.InsertRow(Item("/m/a.aif", 1, true), 1);
    list.InsertRow(Item("/m/b.aif", 1, true), 1);
    test::FakeLoadingWindow window;
    int calls = 0;
    auto prepare = [&](SourceItem&, engine::LoadingWindow& w, std::string& message) {
        ++calls;
        static_cast<test::FakeLoadingWindow&>(w).cancelled = true;
        message = "Cancelled";
        return false;
    };
    EXPECT_FALSE(list.PrepareRows(false, window, prepare));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(list.Status(0), "Cancelled");
    EXPECT_EQ(list.Status(1), "");
}

}  // namespace
}  // namespace quillon::app
