#include "engine/output_path.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <filesystem>

#include "test_support.h"

namespace quillon::engine {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;

struct OutputPathTest : ::testing::Test {
    TempDir dir;
    formats::ConversionSettings settings;
    ClaimedOutputNames claimed;
    formats::OutputFormat mp4;
    std::string documents;

    OutputPathTest() {
        mp4.FormatId = 110;
        mp4.Extension = "mp4";
        settings.DestOutputFolderOpt = formats::kOutputSameAsSource;
        settings.OutputFiles2MyDocuments = 0;
        documents = (dir / "Documents").string() + "/";
    }

    std::string P(const std::string& name) const { return (dir / name).string(); }

    SourceItem Source(const std::string& name) {
        SourceItem s;
        s.path = P(name);
        return s;
    }

    // The resolved path, or "!" and the message on failure.
    std::string Resolve(SourceItem& source, bool convertToOne = false) {
        std::string message;
        OutputPathContext context{settings, claimed, [this] {
                                      fs::create_directories(documents);
                                      return documents;
                                  }};
        if (!ResolveOutputPath(mp4, source, convertToOne, context, message)) return "!" + message;
        EXPECT_FALSE(fs::exists(source.outputPath)) << "resolution left a file behind";
        return source.outputPath;
    }
};

TEST_F(OutputPathTest, RenameNumbersPastExistingAndClaimedNames) {
    WriteFile(dir / "a.mp4", "old");
    auto avi = Source("a.avi");
    auto mov = Source("A.mov");
    EXPECT_EQ(Resolve(avi), P("a_1.mp4"));
    // Claimed names compare without letter case: A_1.mp4 counts as taken.
    WriteFile(dir / "A.mp4", "old");
    EXPECT_EQ(Resolve(mov), P("A_2.mp4"));
    EXPECT_EQ(avi.outputPath, P("a_1.mp4"));
    EXPECT_EQ(claimed.Size(), 2u);

    // Converting a.mp4 to MP4 beside itself is renamed, never written over.
    auto same = Source("a.mp4");
    EXPECT_EQ(Resolve(same), P("a_3.mp4"));
    EXPECT_EQ(test::ReadFile(dir / "a.mp4"), "old");
}

TEST_F(OutputPathTest, OverwriteRefusesTheSourceAndNumbersOnlyClaimedNames) {
    settings.TargetExistsOpt = formats::kTargetOverwrite;
    WriteFile(dir / "a.mp4", "source");
    auto same = Source("a.mp4");
    EXPECT_EQ(Resolve(same),
              "!Target file name is same as original file that can't be overwritten. Please output files to a "
              "custom folder.");
    EXPECT_TRUE(same.outputPath.empty());
    EXPECT_EQ(test::ReadFile(dir / "a.mp4"), "source");

    // The same file reached through a link is still the source.
    WriteFile(dir / "b.mkv", "source");
    fs::create_symlink(dir / "b.mkv", dir / "b.mp4");
    auto linked = Source("b.mkv");
    EXPECT_EQ(Resolve(linked).substr(0, 12), "!Target file");

    // An existing other file is overwritten; a name given out in this run is numbered.
    WriteFile(dir / "c.mp4", "old");
    auto c1 = Source("c.avi");
    auto c2 = Source("c.mov");
    EXPECT_EQ(Resolve(c1), P("c.mp4"));
    EXPECT_EQ(Resolve(c2), P("c_1.mp4"));
}

TEST_F(OutputPathTest, OverwriteNumberingNeverLandsOnTheSource) {
    settings.TargetExistsOpt = formats::kTargetOverwrite;
    WriteFile(dir / "d.mov", "source");
    fs::create_symlink(dir / "d.mov", dir / "d_1.mp4");  // d_1.mp4 is the source under another name
    claimed.Add(P("d.mp4"));
    auto d = Source("d.mov");
    EXPECT_EQ(Resolve(d), P("d_2.mp4"));
    EXPECT_EQ(test::ReadFile(dir / "d.mov"), "source");
}

TEST_F(OutputPathTest, OverwriteSparesEveryFileTheRunReads) {
    settings.TargetExistsOpt = formats::kTargetOverwrite;
    RunSourceFiles sources;
    for (const char* name : {"g.avi", "g.mp4", "h.wmv", "h.mkv"}) {
        WriteFile(dir / name, name);
        sources.Add(P(name));
    }
    fs::create_symlink(dir / "h.mkv", dir / "h.mp4");  // h.mkv's file under the target's name
    fs::create_symlink(dir / "g.avi", dir / "g_1.mp4");
    WriteFile(dir / "g_2.mp4", "an earlier output");
    auto resolve = [&](SourceItem& source) {
        std::string message;
        const OutputPathContext context{settings, claimed, {}, &sources};
        return ResolveOutputPath(mp4, source, false, context, message) ? source.outputPath : "!" + message;
    };
    // g.mp4 is another row's source and g_1.mp4 is g.avi itself: numbered on to g_2.mp4,
    // which no row reads and Overwrite may replace.
    auto g = Source("g.avi");
    EXPECT_EQ(resolve(g), P("g_2.mp4"));
    auto h = Source("h.wmv");
    EXPECT_EQ(resolve(h), P("h_1.mp4"));
    for (const char* name : {"g.avi", "g.mp4", "h.wmv", "h.mkv"}) EXPECT_EQ(test::ReadFile(dir / name), name);
    // The row's own file keeps its refusal; files that no row reads are still overwritten.
    auto self = Source("g.mp4");
    EXPECT_EQ(resolve(self).substr(0, 12), "!Target file");
    auto other = Source("k.avi");
    WriteFile(dir / "k.mp4", "old");
    EXPECT_EQ(resolve(other), P("k.mp4"));
    // A missing source is no file to spare.
    sources.Add(P("gone.avi"));
    EXPECT_FALSE(sources.Contains(P("gone.avi")));
}

TEST_F(OutputPathTest, ImageSequenceIsOneTargetNamedByItsFirstImage) {
    formats::OutputFormat jpg;
    jpg.FormatId = 710;
    jpg.Family = formats::FamilyImageSequence;
    jpg.Extension = "jpg";
    auto resolve = [&](SourceItem& source) {
        std::string message;
        const OutputPathContext context{settings, claimed, {}};
        return ResolveOutputPath(jpg, source, false, context, message) ? source.outputPath : "!" + message;
    };
    auto clip = Source("clip.avi");
    clip.durationSeconds = 10;
    clip.frameRate = 25;  // 250 frames: clip_001.jpg first
    WriteFile(clip.path, "source");

    // Nothing there yet: the plain name; a stray clip.jpg is no sequence and stays.
    WriteFile(dir / "clip.jpg", "photo");
    settings.TargetExistsOpt = formats::kTargetSkip;
    EXPECT_EQ(resolve(clip), P("clip.jpg"));
    EXPECT_EQ(test::ReadFile(dir / "clip.jpg"), "photo");
    claimed.Clear();

    // A first image from an earlier run: Skip leaves the sequence alone.
    WriteFile(dir / "clip_001.jpg", "frame");
    EXPECT_EQ(resolve(clip), "!Target exists and skipped");
    EXPECT_EQ(test::ReadFile(dir / "clip_001.jpg"), "frame");

    // Rename picks a pattern whose first image is free.
    settings.TargetExistsOpt = formats::kTargetRename;
    WriteFile(dir / "clip_1_001.jpg", "frame");
    EXPECT_EQ(resolve(clip), P("clip_2.jpg"));
    EXPECT_TRUE(fs::exists(dir / "clip_1_001.jpg"));
    EXPECT_FALSE(fs::exists(dir / "clip_2_001.jpg"));  // the writability probe is gone
    claimed.Clear();

    // Overwrite takes the plain pattern again.
    settings.TargetExistsOpt = formats::kTargetOverwrite;
    EXPECT_EQ(resolve(clip), P("clip.jpg"));
    EXPECT_EQ(test::ReadFile(dir / "clip.jpg"), "photo");
}

TEST_F(OutputPathTest, SkipRefusesExistingAndClaimedTargets) {
    settings.TargetExistsOpt = formats::kTargetSkip;
    settings.OutputFiles2MyDocuments = 1;  // Skip never falls back
    WriteFile(dir / "e.mp4", "old");
    auto e = Source("e.avi");
    e.outputPath = "kept";
    EXPECT_EQ(Resolve(e), "!Target exists and skipped");
    EXPECT_EQ(e.outputPath, "kept");
    auto f1 = Source("f.avi");
    auto f2 = Source("f.mov");
    EXPECT_EQ(Resolve(f1), P("f.mp4"));
    EXPECT_EQ(Resolve(f2), "!Target exists and skipped");
}

TEST_F(OutputPathTest, SpecificFolderWithTreeAndFolderPerSource) {
    settings.DestOutputFolderOpt = formats::kOutputSpecificFolder;
    settings.DestSpecifiedFolder = P("out/new");  // created on demand, without a trailing slash
    settings.CreateDirs = 1;
    auto s = Source("Video//Friends/Happy.mp4");
    const std::string tree = P("out/new/") + P("Video/Friends/").substr(1);
    EXPECT_EQ(Resolve(s), tree + "Happy.mp4");
    EXPECT_TRUE(fs::is_directory(tree));

    settings.CreateDirs = 0;
    settings.CreateFolderForEachSource = 1;
    auto t = Source("Video/Friends/Happy.mp4");
    EXPECT_EQ(Resolve(t), P("out/new/Happy/Happy.mp4"));
    EXPECT_TRUE(fs::is_directory(dir / "out/new/Happy"));

    // The tree option belongs to the specific folder only.
    settings.DestOutputFolderOpt = formats::kOutputSameAsSource;
    settings.CreateDirs = 1;
    settings.CreateFolderForEachSource = 0;
    fs::create_directories(dir / "Video/Friends");
    auto u = Source("Video/Friends/Sad.avi");
    EXPECT_EQ(Resolve(u), P("Video/Friends/Sad.mp4"));
}

TEST_F(OutputPathTest, FolderFailuresAndTheDocumentsFallback) {
    settings.DestOutputFolderOpt = formats::kOutputSpecificFolder;
    WriteFile(dir / "plain", "a file where a folder should be");
    settings.DestSpecifiedFolder = P("plain/out");
    auto s = Source("clip.avi");
    EXPECT_EQ(Resolve(s), "!Failed to create folder \"" + P("plain/out") + "\"");
    settings.DestSpecifiedFolder.clear();
    EXPECT_EQ(Resolve(s), "!Failed to create folder \"\"");

    settings.OutputFiles2MyDocuments = 1;
    EXPECT_EQ(Resolve(s), documents + "clip.mp4");

    // Folder per source whose folder cannot be made: the file cannot be created, then the
    // documents folder takes it (still with the folder per source).
    settings.DestSpecifiedFolder = P("out2");
    settings.CreateFolderForEachSource = 1;
    fs::create_directories(dir / "out2");
    WriteFile(dir / "out2/movie", "blocks the folder");
    auto m = Source("movie.avi");
    EXPECT_EQ(Resolve(m), documents + "movie/movie.mp4");
    settings.OutputFiles2MyDocuments = 0;
    auto m2 = Source("movie.mkv");
    EXPECT_EQ(Resolve(m2), "!Failed to create file \"" + P("out2/movie/movie.mp4") + "\"");

    // Without a documents folder the last message stands.
    settings.OutputFiles2MyDocuments = 1;
    documents.clear();
    std::string message;
    OutputPathContext context{settings, claimed, [] { return std::string(); }};
    EXPECT_FALSE(ResolveOutputPath(mp4, m2, false, context, message));
    EXPECT_EQ(message, "Failed to create file \"" + P("out2/movie/movie.mp4") + "\"");
}

TEST_F(OutputPathTest, DvdTitlesAndConvertToOneNames) {
    fs::create_directories(dir / "VIDEO_TS");
    SourceItem title;
    title.kind = SourceKind::DvdTitle;
    title.path = "DVD Title 2";
    title.dvdFolder = P("VIDEO_TS/");
    title.dvdTitleOrdinal = 2;
    EXPECT_EQ(Resolve(title), P("VIDEO_TS/DVD_Title_2.mp4"));

    // Convert to One names differ between calls and ignore Skip and the folder options.
    settings.TargetExistsOpt = formats::kTargetSkip;
    settings.CreateFolderForEachSource = 1;
    auto a = Source("x.avi");
    auto b = Source("x.avi");
    const std::string first = Resolve(a, true);
    const std::string second = Resolve(b, true);
    EXPECT_EQ(first.substr(0, dir.path().string().size() + 1), dir.path().string() + "/");
    EXPECT_NE(first, second);
    EXPECT_EQ(first.find("/x"), std::string::npos);
}

TEST_F(OutputPathTest, CopySourceFileTimes) {
    WriteFile(dir / "src.avi", "s");
    WriteFile(dir / "out.mp4", "o");
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, P("src.avi").c_str(), old, 0), 0);
    auto s = Source("src.avi");
    auto mtime = [](const std::string& path) {
        struct stat st {};
        stat(path.c_str(), &st);
        return st.st_mtim.tv_sec;
    };

    EXPECT_FALSE(CopySourceFileTimes(s, P("out.mp4"), settings));  // neither option set
    settings.KeepDateCreated = 1;
    EXPECT_FALSE(CopySourceFileTimes(s, P("out.mp4"), settings));  // creation time cannot be set
    EXPECT_NE(mtime(P("out.mp4")), 1000000000);
    settings.KeepDateModified = 1;
    EXPECT_FALSE(CopySourceFileTimes(s, "", settings));
    EXPECT_FALSE(CopySourceFileTimes(s, P("missing.mp4"), settings));
    EXPECT_TRUE(CopySourceFileTimes(s, P("out.mp4"), settings));
    EXPECT_EQ(mtime(P("out.mp4")), 1000000000);

    // A DVD title takes the times of its first VOB file, found in any letter case.
    fs::create_directories(dir / "dvd");
    WriteFile(dir / "dvd/vts_03_1.vob", "v");
    const timespec older[2] = {{900000000, 0}, {900000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, P("dvd/vts_03_1.vob").c_str(), older, 0), 0);
    SourceItem title;
    title.kind = SourceKind::DvdTitle;
    title.dvdFolder = P("dvd/");
    title.dvdTitleNumber = 3;
    EXPECT_TRUE(CopySourceFileTimes(title, P("out.mp4"), settings));
    EXPECT_EQ(mtime(P("out.mp4")), 900000000);
}

}  // namespace
}  // namespace quillon::engine
