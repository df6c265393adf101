#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>

#include "platform/registry_store.h"
#include "test_support.h"

namespace quillon::platform {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr const char* kKey = "Software\\Quillon 5\\Options";

std::vector<std::string> DamagedCopies(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        std::string name = e.path().filename().string();
        if (name.rfind("quillon.reg.damaged-", 0) == 0) names.push_back(name);
    }
    return names;
}

TEST(RegistryTree, KeysAndValuesIgnoreLetterCaseAndDeleteTakesEverythingBelow) {
    RegistryTree t;
    t.SetDword(kKey, "OutputFormat", 110);
    t.SetString("software\\QUILLON 5\\options", "outputformat", "x");  // the same value
    EXPECT_EQ(t.ValueNames(kKey), std::vector<std::string>{"OutputFormat"});
    EXPECT_EQ(StringFromValue(*t.QueryValue(kKey, "OUTPUTFORMAT")), "x");
    EXPECT_TRUE(t.KeyExists("Software\\Quillon 5"));  // parents come with their children

    t.SetString("Software\\Quillon 5\\CustomOutFormats\\Deep", "a", "1");
    t.SetString("Software\\Quillon 5\\CustomOutFormats2", "b", "2");  // a sibling, not below
    EXPECT_EQ(t.SubkeyNames("Software\\Quillon 5"),
              (std::vector<std::string>{"CustomOutFormats", "CustomOutFormats2", "Options"}));
    EXPECT_TRUE(t.DeleteKey("software\\quillon 5\\customoutformats"));
    EXPECT_FALSE(t.KeyExists("Software\\Quillon 5\\CustomOutFormats\\Deep"));
    EXPECT_TRUE(t.KeyExists("Software\\Quillon 5\\CustomOutFormats2"));
    EXPECT_FALSE(t.DeleteKey("Software\\Quillon 5\\CustomOutFormats"));
    EXPECT_TRUE(t.DeleteValue(kKey, "OutputFormat"));
    EXPECT_EQ(t.QueryValue(kKey, "OutputFormat"), nullptr);
}

TEST(RegistryTree, ExportTextRoundTripsEveryKindOfValue) {
    RegistryTree t;
    t.SetString(kKey, "Plain", "/home/me/Video");
    t.SetString(kKey, "Awkward \"name\" \\", "quote \" backslash \\ line\nbreak\r tab\t");
    t.SetString(kKey, "Unicode", "Küche ビデオ 🎬");
    t.SetString(kKey, "NotUtf8", std::string("caf\xE9/\xFF", 6));  // a Latin-1 file name
    t.SetString(kKey, "Empty", "");
    t.SetDword(kKey, "Negative", -1);
    const double rate = 29.97;
    t.SetBinary(kKey, "Rate", &rate, sizeof rate);
    std::vector<uint8_t> big(300);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i);
    t.SetBinary(kKey, "Big", big.data(), big.size());
    t.SetValue(kKey, "OddString", RegValue{RegSz, {0x41, 0x00, 0x42}});  // not a clean text
    t.SetValue(kKey, "ShortDword", RegValue{RegDword, {1, 2}});          // not 4 bytes
    t.SetValue(kKey, "Multi", RegValue{RegMultiSz, {0x61, 0, 0, 0, 0, 0}});
    t.SetString(kKey, "", "default value");

    const std::string text = t.Serialize();
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Quillon 5\\Options]\n"), std::string::npos);
    EXPECT_NE(text.find("\"Negative\"=dword:ffffffff\n"), std::string::npos);
    EXPECT_NE(text.find("\"Plain\"=\"/home/me/Video\"\n"), std::string::npos);
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        EXPECT_LE(end - start, 80u) << "long line";
    }

    std::string error;
    std::optional<RegistryTree> back = RegistryTree::Parse(text, &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, t);
    EXPECT_EQ(StringFromValue(*back->QueryValue(kKey, "NotUtf8")), std::string("caf\xE9/\xFF", 6));
    EXPECT_EQ(back->QueryValue(kKey, "Empty")->data.size(), 2u);
    EXPECT_EQ(back->QueryValue(kKey, "Unicode")->data.size(), 2u * (12 + 1));  // the emoji is a pair
}

TEST(RegistryTree, ReadsWhatOtherToolsWrite) {
    const std::string text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
        "; a comment\r\n"
        "[HKEY_CURRENT_USER\\Software\\Quillon 5\\Options]\r\n"
        "\"Folder\"=\"C:\\\\Video\"\r\n"
        "\"Bytes\"=hex:01,02,\\\r\n"
        "  03\r\n"
        "\"Expand\"=hex(2):25,00,00,00\r\n"
        "@=\"d\"\r\n";
    std::optional<RegistryTree> t = RegistryTree::Parse(text);
    ASSERT_TRUE(t);
    EXPECT_EQ(StringFromValue(*t->QueryValue(kKey, "Folder")), "C:\\Video");
    EXPECT_EQ(t->QueryValue(kKey, "Bytes")->data, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(t->QueryValue(kKey, "Expand")->type, RegExpandSz);
    EXPECT_EQ(StringFromValue(*t->QueryValue(kKey, "")), "d");
}

// A hand-edited file may double a separator or end a path with one: the key read is the one
// written back, and a second reading finds the same tree (a round trip once lost such keys).
TEST(RegistryTree, RunsOfSeparatorsNameOneKeyThatRoundTrips) {
    const std::string text = std::string("Windows Registry Editor Version 5.00") +
                             "\r\n\r\n[HKEY_CURRENT_USER\\Software\\\\\\Quillon 5\\\\Options\\]\r\n"
                             "\"A\"=dword:00000001\r\n";
    std::optional<RegistryTree> t = RegistryTree::Parse(text);
    ASSERT_TRUE(t);
    ASSERT_NE(t->QueryValue(kKey, "A"), nullptr);
    EXPECT_EQ(t->SubkeyNames("Software"), std::vector<std::string>{"Quillon 5"});
    std::optional<RegistryTree> again = RegistryTree::Parse(t->Serialize());
    ASSERT_TRUE(again);
    EXPECT_TRUE(*again == *t) << t->Serialize();
}

TEST(RegistryTree, RefusesDamagedText) {
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const std::string key = "[HKEY_CURRENT_USER\\Software\\Quillon 5\\Options]\n";
    const std::string damaged[] = {
        "",
        "garbage\n",
        header + "\"Orphan\"=dword:00000001\n",   // a value before any key
        header + key + "\"Cut\"=\"/home/me/Vid",  // torn in the middle of a text
        header + key + "\"Cut\"=hex:01,02,\\\n",  // torn inside continued hex
        header + key + "\"N\"=dword:1\n",         // not 8 digits
        header + key + "\"N\"=hex:0g\n",
        header + "[HKEY_LOCAL_MACHINE\\Software]\n",
        header + "[HKEY_CURRENT_USER\\Software\n",
        header + key + "\"Bad\"=\"\xC3\x28\"\n",  // not UTF-8
        header + key + "\"Trailing\"=\"a\" junk\n",
    };
    for (const std::string& text : damaged) {
        EXPECT_FALSE(RegistryTree::Parse(text)) << text;
    }
}

TEST(RegistryStore, MissingFileIsEmptyAndUpdatesPersist) {
    TempDir dir;
    RegistryStore store((dir / "cfg").string());
    EXPECT_EQ(store.Read(), RegistryTree{});
    ASSERT_TRUE(store.Update([](RegistryTree& t) { t.SetDword(kKey, "A", 1); }));
    ASSERT_TRUE(store.Update([](RegistryTree& t) { t.SetDword(kKey, "B", 2); }));  // keeps A
    RegistryTree t = store.Read();
    ASSERT_NE(t.QueryValue(kKey, "A"), nullptr);
    EXPECT_EQ(*t.QueryValue(kKey, "A"), MakeDwordValue(1));
    EXPECT_EQ(*t.QueryValue(kKey, "B"), MakeDwordValue(2));
    EXPECT_FALSE(fs::exists(dir / "cfg" / "quillon.reg.tmp"));
}

TEST(RegistryStore, DamagedFileIsKeptAsideAndTheStoreStartsEmpty) {
    TempDir dir;
    const fs::path file = dir / "quillon.reg";
    const std::string junk = "Windows Registry Editor Version 5.00\n\n\"Orphan\"=dword:00000001\n";
    WriteFile(file, junk);
    RegistryStore store(dir.path().string());
    EXPECT_EQ(store.Read(), RegistryTree{});
    std::vector<std::string> kept = DamagedCopies(dir.path());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ReadFile(dir / kept[0]), junk);
    EXPECT_FALSE(fs::exists(file));

    // A second damaged file does not replace the first kept copy.
    WriteFile(file, "nonsense");
    ASSERT_TRUE(store.Update([](RegistryTree& t) { t.SetDword(kKey, "A", 1); }));
    EXPECT_EQ(DamagedCopies(dir.path()).size(), 2u);
    EXPECT_EQ(*store.Read().QueryValue(kKey, "A"), MakeDwordValue(1));
}

// Readers never see a half-written store while a writer works, and a writer killed at any
// moment leaves either the old or the new store, never a torn one.
TEST(RegistryStore, KilledWriterNeverLeavesATornFile) {
    TempDir dir;
    const fs::path file = dir / "quillon.reg";
    constexpr int kValues = 300;
    auto expectWhole = [&](const char* when, int round) {
        const std::string text = ReadFile(file);
        if (text.empty()) return;  // before the first rename
        std::string error;
        std::optional<RegistryTree> t = RegistryTree::Parse(text, &error);
        ASSERT_TRUE(t) << when << " in round " << round << ": " << error;
        EXPECT_EQ(t->ValueNames(kKey).size(), kValues + 1u) << when << " in round " << round;
    };
    std::mt19937 rng(12345);
    for (int round = 0; round < 30; ++round) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            RegistryStore child(dir.path().string());
            for (int32_t i = 0;; ++i) {
                child.Update([i](RegistryTree& t) {
                    for (int k = 0; k < kValues; ++k) {
                        t.SetString(kKey, "Value" + std::to_string(k), std::string(1000, 'a' + (i + k) % 26));
                    }
                    t.SetDword(kKey, "Counter", i);
                });
            }
        }
        const auto until = std::chrono::steady_clock::now() +
                           std::chrono::milliseconds(std::uniform_int_distribution<int>(5, 60)(rng));
        while (std::chrono::steady_clock::now() < until && !HasFailure()) expectWhole("while writing", round);
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        if (HasFailure()) break;
        expectWhole("after the kill", round);
    }
    EXPECT_TRUE(DamagedCopies(dir.path()).empty());
}

TEST(RegistryStore, ConcurrentWritersKeepEachOthersValues) {
    TempDir dir;
    std::vector<pid_t> children;
    for (int w = 0; w < 3; ++w) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            RegistryStore child(dir.path().string());
            for (int i = 0; i < 40; ++i) {
                child.Update(
                    [&](RegistryTree& t) { t.SetDword(kKey, "W" + std::to_string(w) + "_" + std::to_string(i), i); });
            }
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    RegistryStore store(dir.path().string());
    EXPECT_EQ(store.Read().ValueNames(kKey).size(), 120u);
}

}  // namespace
}  // namespace quillon::platform
