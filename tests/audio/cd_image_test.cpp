#include <gtest/gtest.h>

#include <random>

#include "audio/bass_file_reader.h"
#include "audio/bass_startup.h"
#include "audio/cd_drive.h"
#include "audio/cue_sheet.h"
#include "audio/own_readers.h"
#include "audio_test_media.h"
#include "test_support.h"

namespace fs = std::filesystem;
using namespace quillon::audio;
using namespace quillon::test;

namespace {

class CdImage : public BassLibraryTest {};

std::string RandomBytes(std::size_t sectors, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::string bytes(sectors * 2352, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    return bytes;
}

// The track's PCM as a decode to WAV gives it, or "FAILED: message".
std::string Decode(const fs::path& cda, const fs::path& wav) {
    std::string message;
    if (!DecodeToWavFile(cda.string(), OwnReaderKind::Bass, wav.string(), message)) return "FAILED: " + message;
    const std::string file = ReadFile(wav);
    return file.size() < 44 ? "SHORT" : file.substr(44);
}

std::uint64_t ReportedLength(const fs::path& cda) {
    BassFileReader reader;
    return reader.Open(cda.string()) ? reader.GetLength() : 0;
}

TEST_F(CdImage, CutImageGivesThePrefixItHoldsAndTheLengthItDelivers) {
    TempDir dir;
    // Three tracks, so that the serial number does not depend on where the image ends.
    const std::string clean = RandomBytes(30, 1);
    const std::uint32_t serial = CdSerial({0, 10, 20}, 30);
    WriteFile(dir / "disc.cue",
              "FILE \"disc.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
              " TRACK 02 AUDIO\n  INDEX 01 00:00:10\n TRACK 03 AUDIO\n  INDEX 01 00:00:20\n");
    for (unsigned t = 0; t < 3; ++t)
        WriteFile(dir / ("T" + std::to_string(t + 1) + ".cda"), CdTrackDescriptor(t + 1, t * 10, 10, serial));

    struct Cut {
        std::size_t bytes;
        std::size_t track1, track2, track3;  // bytes each track delivers; 0: it fails to open
    };
    const std::size_t s = 2352;
    for (const Cut& cut : {Cut{30 * s, 10 * s, 10 * s, 10 * s}, Cut{25 * s + 1001, 10 * s, 10 * s, 5 * s + 1000},
                           Cut{20 * s, 10 * s, 10 * s, 0}, Cut{10 * s + 3, 10 * s, 0, 0},
                           Cut{6 * s - 2, 6 * s - 4, 0, 0}, Cut{3, 0, 0, 0}}) {
        WriteFile(dir / "disc.bin", clean.substr(0, cut.bytes));
        const std::size_t expected[] = {cut.track1, cut.track2, cut.track3};
        for (unsigned t = 0; t < 3; ++t) {
            const fs::path cda = dir / ("T" + std::to_string(t + 1) + ".cda");
            const std::string first = Decode(cda, dir / "a.wav");
            const std::string context = "cut at " + std::to_string(cut.bytes) + ", track " + std::to_string(t + 1);
            if (expected[t] == 0) {
                EXPECT_EQ(first, "FAILED: Failed to open file") << context;
                continue;
            }
            EXPECT_EQ(first, clean.substr(t * 10 * s, expected[t])) << context;
            EXPECT_EQ(Decode(cda, dir / "b.wav"), first) << context << ": two decodes differ";
            EXPECT_EQ(ReportedLength(cda), expected[t]) << context;
        }
    }
}

TEST_F(CdImage, SheetsFindTheImagesTheyName) {
    const std::string a = RandomBytes(12, 2), b = RandomBytes(9, 3);
    const std::uint32_t serial = CdSerial({0, 12}, 21);
    struct Case {
        const char* sheetName;
        std::string sheet;
        std::vector<std::pair<std::string, std::string>> files;
    };
    const std::string tracks = " TRACK 01 AUDIO\n  INDEX 01 00:00:00\n TRACK 02 AUDIO\n  INDEX 01 00:00:12\n";
    std::string swapped = a + b;
    for (std::size_t i = 0; i + 1 < swapped.size(); i += 2) std::swap(swapped[i], swapped[i + 1]);
    for (const Case& c : {
             Case{"Album.CUE", "FILE \"My Album (1).img\" BINARY\r\n" + tracks, {{"My Album (1).img", a + b}}},
             Case{"x.cue", "file DISC.BIN binary\n" + tracks, {{"Disc.bin", a + b}}},
             Case{"x.cue", "FILE \"C:\\Rips\\take one.bin\" BINARY\n" + tracks, {{"take one.bin", a + b}}},
             Case{"renamed.cue", "FILE \"old name.bin\" BINARY\n" + tracks, {{"renamed.BIN", a + b}}},
             Case{"be.cue", "FILE be.bin MOTOROLA\n" + tracks, {{"be.bin", swapped}}},
             // One file per track, the gap before track 2 at the start of its own file.
             Case{"split.cue",
                  "FILE \"01.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
                  "FILE \"02.bin\" BINARY\n TRACK 02 AUDIO\n  INDEX 00 00:00:00\n  INDEX 01 00:00:02\n",
                  {{"01.bin", a.substr(0, 10 * 2352)}, {"02.bin", a.substr(10 * 2352) + b}}},
             // The same, with the gap at the end of the previous file.
             Case{"gaps.cue",
                  "FILE \"01.bin\" BINARY\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n TRACK 02 AUDIO\n  INDEX 00 00:00:10\n"
                  "FILE \"02.bin\" BINARY\n  INDEX 01 00:00:00\n",
                  {{"01.bin", a}, {"02.bin", b}}},
         }) {
        TempDir dir;
        WriteFile(dir / c.sheetName, c.sheet);
        for (const auto& [name, bytes] : c.files) WriteFile(dir / name, bytes);
        WriteFile(dir / "Track01.cda", CdTrackDescriptor(1, 0, 12, serial));
        WriteFile(dir / "Track02.cda", CdTrackDescriptor(2, 12, 9, serial));
        EXPECT_EQ(Decode(dir / "Track01.cda", dir / "out.wav"), a) << c.sheet;
        EXPECT_EQ(Decode(dir / "Track02.cda", dir / "out.wav"), b) << c.sheet;
    }
}

TEST_F(CdImage, TwoDiscsInOneFolderEachTrackFromItsOwnDisc) {
    TempDir dir;
    // Both discs start with a 10-sector track; only the serial numbers tell them apart.
    const std::string a1 = RandomBytes(10, 4), a2 = RandomBytes(20, 5);
    const std::string b1 = RandomBytes(10, 6), b2 = RandomBytes(25, 7);
    const std::string sheet = " TRACK 01 AUDIO\n  INDEX 01 00:00:00\n TRACK 02 AUDIO\n  INDEX 01 00:00:10\n";
    WriteFile(dir / "a.cue", "FILE a.bin BINARY\n" + sheet);
    WriteFile(dir / "a.bin", a1 + a2);
    WriteFile(dir / "b.cue", "FILE b.bin BINARY\n" + sheet);
    WriteFile(dir / "b.bin", b1 + b2);
    const std::uint32_t serialA = CdSerial({0, 10}, 30), serialB = CdSerial({0, 10}, 35);
    ASSERT_NE(serialA, serialB);
    WriteFile(dir / "A1.cda", CdTrackDescriptor(1, 0, 10, serialA));
    WriteFile(dir / "A2.cda", CdTrackDescriptor(2, 10, 20, serialA));
    WriteFile(dir / "B1.cda", CdTrackDescriptor(1, 0, 10, serialB));
    WriteFile(dir / "B2.cda", CdTrackDescriptor(2, 10, 25, serialB));
    // A third disc's tracks: no sheet here matches them.
    WriteFile(dir / "C1.cda", CdTrackDescriptor(1, 0, 12, serialA));
    WriteFile(dir / "C2.cda", CdTrackDescriptor(2, 10, 40, 0x0BADF00D));
    const fs::path wav = dir / "out.wav";
    EXPECT_EQ(Decode(dir / "A1.cda", wav), a1);
    EXPECT_EQ(Decode(dir / "A2.cda", wav), a2);
    EXPECT_EQ(Decode(dir / "B1.cda", wav), b1);
    EXPECT_EQ(Decode(dir / "B2.cda", wav), b2);
    EXPECT_EQ(Decode(dir / "C1.cda", wav), "FAILED: Failed to open file");
    EXPECT_EQ(Decode(dir / "C2.cda", wav), "FAILED: Failed to open file");

    // A copy of a sheet reads the same image: still one disc.
    WriteFile(dir / "a copy.cue", ReadFile(dir / "a.cue"));
    EXPECT_EQ(Decode(dir / "A2.cda", wav), a2);
    // Two images of one layout and serial with different sound: which one is meant is unknown.
    WriteFile(dir / "a2.cue", "FILE a2.bin BINARY\n" + sheet);
    WriteFile(dir / "a2.bin", b1 + a2);
    EXPECT_EQ(Decode(dir / "A1.cda", wav), "FAILED: Failed to open file");
}

TEST(CueSheet, LayoutOfGapsDataTracksAndDamagedSheets) {
    // A data track of 2048-byte sectors first, a pre-gap no file holds, an index 00 gap.
    CueSheet sheet;
    ASSERT_TRUE(
        ParseCueSheet("\xEF\xBB\xBFREM x\nFILE \"d.bin\" BINARY\n  TRACK 01 MODE1/2048\n    INDEX 01 00:00:00\n"
                      "  TRACK 02 AUDIO\n    PREGAP 00:02:00\n    INDEX 01 00:00:20\n"
                      "  TRACK 03 AUDIO\n    INDEX 00 00:00:40\n    INDEX 01 00:00:42\n",
                      sheet));
    // 20 data sectors, then 20 + 2 + 8 audio sectors.
    DiscLayout layout;
    ASSERT_TRUE(LayOutDisc(sheet, {20 * 2048 + 30 * 2352}, layout));
    ASSERT_EQ(layout.tracks.size(), 3u);
    EXPECT_FALSE(layout.tracks[0].audio);
    EXPECT_EQ(layout.tracks[0].start, 0u);
    EXPECT_EQ(layout.tracks[0].sectors, 170u) << "its data and the pre-gap after it";
    EXPECT_EQ(layout.tracks[1].start, 170u);
    EXPECT_EQ(layout.tracks[1].sectors, 22u) << "to the next track's index 01";
    EXPECT_EQ(layout.tracks[2].start, 192u);
    EXPECT_EQ(layout.tracks[2].sectors, 8u);
    EXPECT_EQ(layout.leadOut, 200u);
    // 00:02:00 + 00:04:20 + 00:04:42, no lead-out term with three tracks.
    EXPECT_EQ(DiscSerial(layout), (2u << 8) + ((4u << 8) | 20u) + ((4u << 8) | 42u));
    const std::vector<TrackPiece> pieces = TrackPieces(layout, 1);
    ASSERT_FALSE(pieces.empty());
    EXPECT_EQ(pieces[0].offset, 20u * 2048);
    std::uint64_t bytes = 0;
    for (const TrackPiece& piece : pieces) bytes += piece.bytes;
    EXPECT_EQ(bytes, 22u * 2352);
    EXPECT_TRUE(TrackPieces(layout, 0).empty()) << "data is no sound";

    // One track of 10 sectors: its start and the disc's length.
    ASSERT_TRUE(ParseCueSheet("FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n", sheet));
    ASSERT_TRUE(LayOutDisc(sheet, {10 * 2352}, layout));
    EXPECT_EQ(DiscSerial(layout), 0x20Au);

    for (const char* bad :
         {"", "TRACK 01 AUDIO\nINDEX 01 00:00:00\n", "FILE a.wav WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
          "FILE a.bin BINARY\nTRACK 01 AUDIO\n", "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:60:00\n",
          "FILE a.bin BINARY\nTRACK 02 AUDIO\nINDEX 01 00:00:00\nTRACK 01 AUDIO\nINDEX 01 00:01:00\n",
          "FILE a.bin BINARY\nTRACK 01 AUDIO\nINDEX 01 00:02:00\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n",
          "FILE a.bin BINARY\nTRACK 01 VIDEO\nINDEX 01 00:00:00\n"}) {
        EXPECT_FALSE(ParseCueSheet(bad, sheet)) << bad;
    }
}

}  // namespace
