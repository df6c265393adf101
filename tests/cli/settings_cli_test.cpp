// quillon-cli settings and formats, run as child processes on a private store.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include "test_support.h"

namespace quillon::cli {
namespace {

namespace fs = std::filesystem;
using test::CommandResult;
using test::RunCommand;

// Just enough JSON to check what the commands print.
struct Json {
    enum Kind { Null, Number, String, Array, Object } kind = Null;
    std::string text;  // number as written, or string
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;

    const Json& operator[](const std::string& key) const {
        for (const auto& [k, v] : members) {
            if (k == key) return v;
        }
        static const Json missing;
        ADD_FAILURE() << "no key " << key;
        return missing;
    }
    double Num() const { return std::strtod(text.c_str(), nullptr); }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : s_(text) {}
    bool Read(Json& out) {
        bool ok = Value(out);
        Blanks();
        return ok && pos_ == s_.size();
    }

private:
    void Blanks() {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    }
    bool Literal(const char* word) {
        size_t n = std::strlen(word);
        if (s_.compare(pos_, n, word) != 0) return false;
        pos_ += n;
        return true;
    }
    bool Str(std::string& out) {
        if (s_[pos_] != '"') return false;
        for (++pos_; pos_ < s_.size(); ++pos_) {
            char c = s_[pos_];
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c == '\\') {
                char e = s_[++pos_];
                if (e == 'u') {
                    out += "\\u" + s_.substr(pos_ + 1, 4);
                    pos_ += 4;
                } else {
                    out += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
                }
                continue;
            }
            out += c;
        }
        return false;
    }
    bool Value(Json& out) {
        Blanks();
        if (pos_ >= s_.size()) return false;
        char c = s_[pos_];
        if (c == 'n') return Literal("null");
        if (c == '"') {
            out.kind = Json::String;
            return Str(out.text);
        }
        if (c == '[' || c == '{') {
            const bool object = c == '{';
            out.kind = object ? Json::Object : Json::Array;
            ++pos_;
            Blanks();
            if (s_[pos_] == (object ? '}' : ']')) {
                ++pos_;
                return true;
            }
            for (;;) {
                Blanks();
                Json item;
                std::string key;
                if (object) {
                    if (!Str(key)) return false;
                    Blanks();
                    if (s_[pos_++] != ':') return false;
                }
                if (!Value(item)) return false;
                if (object) {
                    out.members.emplace_back(key, std::move(item));
                } else {
                    out.items.push_back(std::move(item));
                }
                Blanks();
                char next = s_[pos_++];
                if (next == (object ? '}' : ']')) return true;
                if (next != ',') return false;
            }
        }
        size_t start = pos_;
        while (pos_ < s_.size() && std::strchr("-+.eE0123456789", s_[pos_])) ++pos_;
        out.kind = Json::Number;
        out.text = s_.substr(start, pos_ - start);
        return pos_ > start;
    }
    const std::string& s_;
    size_t pos_ = 0;
};

class CliStore : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::make_unique<test::TempDir>();
        saved_ = std::getenv("QUILLON_CONFIG_DIR");
        setenv("QUILLON_CONFIG_DIR", dir_->path().c_str(), 1);
    }
    void TearDown() override { setenv("QUILLON_CONFIG_DIR", saved_.c_str(), 1); }

    static CommandResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), (test::BinDir() / "quillon-cli").string());
        return RunCommand(args);
    }
    static std::string Get(const std::string& name) {
        CommandResult r = Cli({"settings", "get", name});
        EXPECT_EQ(r.exitCode, 0) << r.output;
        return r.output;
    }

    std::unique_ptr<test::TempDir> dir_;
    std::string saved_;
};

TEST_F(CliStore, SetValuesReadBackInFreshProcesses) {
    EXPECT_EQ(Get("OutputFormat"), "110\n");
    EXPECT_EQ(Get("MP4VideoFrameRate"), "-1\n");
    const std::pair<const char*, const char*> cases[] = {
        {"OutputFormat", "1160"},       {"CropLeft", "-1"},  // negative numbers are values, not options
        {"DIVXVideoCodec", "libxvid"},  {"LastAddFileDir", "/home/me/My Videos/Küche"},
        {"MP4VideoFrameRate", "29.97"}, {"H264VideoFrameRate", "0.1"},
        {"VCDVideoFrameRate", "-1.0"},  {"ConversionPriority", "4294967295"},  // any 32-bit pattern
    };
    for (const auto& [name, value] : cases) {
        CommandResult r = Cli({"settings", "set", name, value});
        EXPECT_EQ(r.exitCode, 0) << name << ": " << r.output;
    }
    EXPECT_EQ(Get("OutputFormat"), "1160\n");
    EXPECT_EQ(Get("CropLeft"), "0\n");  // a stored negative margin loads as 0
    EXPECT_EQ(Get("divxvideocodec"), "libxvid\n");
    EXPECT_EQ(Get("LastAddFileDir"), "/home/me/My Videos/Küche\n");
    EXPECT_EQ(Get("MP4VideoFrameRate"), "29.97\n");
    EXPECT_EQ(Get("H264VideoFrameRate"), "0.1\n");
    EXPECT_EQ(Get("VCDVideoFrameRate"), "-1\n");
    EXPECT_EQ(Get("ConversionPriority"), "-1\n");
    EXPECT_EQ(Get("MP4VideoCodec"), "mpeg4\n");  // untouched values keep their defaults

    CommandResult listing = Cli({"settings"});
    EXPECT_EQ(listing.exitCode, 0);
    EXPECT_NE(listing.output.find("OutputFormat (dword) = 1160\n"), std::string::npos);
    EXPECT_NE(listing.output.find("MP4VideoFrameRate (double) = 29.97\n"), std::string::npos);
}

TEST_F(CliStore, RefusesUnknownNamesAndWrongTypes) {
    const std::vector<std::vector<std::string>> refused = {
        {"settings", "get", "NoSuchValue"},
        {"settings", "set", "NoSuchValue", "1"},
        {"settings", "set", "MP3VideoCodec", "x"},  // the mp3 format has no video values
        {"settings", "set", "OutputFormat", "abc"},
        {"settings", "set", "OutputFormat", "1.5"},
        {"settings", "set", "OutputFormat", "4294967296"},
        {"settings", "set", "OutputFormat", ""},
        {"settings", "set", "MP4VideoFrameRate", "fast"},
        {"settings", "set", "MP4VideoFrameRate", "nan"},
        {"settings", "set", "OutputFormat"},
        {"settings", "--xml"},
    };
    for (const auto& args : refused) {
        CommandResult r = Cli(args);
        EXPECT_EQ(r.exitCode, 2) << args.back() << ": " << r.output;
        EXPECT_FALSE(r.output.empty());
    }
    CommandResult r = Cli({"settings", "set", "OutputFormat", "abc"});
    EXPECT_NE(r.output.find("OutputFormat"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir_->path() / "quillon.reg"));  // nothing was written
}

TEST_F(CliStore, TwoProcessesSavingDifferentValuesBothKeepTheirs) {
    auto worker = [](std::string name, int from) {
        for (int i = 0; i < 15; ++i) {
            CommandResult r = Cli({"settings", "set", name, std::to_string(from + i)});
            EXPECT_EQ(r.exitCode, 0) << r.output;
        }
    };
    std::thread a(worker, "SkipLength", 1000);
    std::thread b(worker, "IgnoreLength", 2000);
    a.join();
    b.join();
    EXPECT_EQ(Get("SkipLength"), "1014\n");
    EXPECT_EQ(Get("IgnoreLength"), "2014\n");
}

TEST_F(CliStore, DamagedStoreGivesDefaultsAndIsKeptAside) {
    test::WriteFile(dir_->path() / "quillon.reg",
                    "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\n");
    EXPECT_EQ(Get("OutputFormat"), "110\n");
    int kept = 0;
    for (const auto& e : fs::directory_iterator(dir_->path())) {
        kept += e.path().filename().string().rfind("quillon.reg.damaged-", 0) == 0;
    }
    EXPECT_EQ(kept, 1);
    EXPECT_EQ(Cli({"settings", "set", "OutputFormat", "80"}).exitCode, 0);
    EXPECT_EQ(Get("OutputFormat"), "80\n");
}

TEST_F(CliStore, FormatsJsonHasEveryRecordWithItsFieldsAndCurrentSettings) {
    ASSERT_EQ(Cli({"settings", "set", "MP4VideoFrameRate", "23.97"}).exitCode, 0);
    ASSERT_EQ(Cli({"settings", "set", "OGGAudioCodec", "flac"}).exitCode, 0);
    CommandResult r = Cli({"formats", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.output;
    Json all;
    ASSERT_TRUE(JsonReader(r.output).Read(all)) << r.output.substr(0, 200);
    ASSERT_EQ(all.kind, Json::Array);
    ASSERT_EQ(all.items.size(), 79u);

    const std::vector<std::string> fields = {
        "FormatId",        "Family",          "CustomFormat",    "VideoEnable",     "VideoCodec",
        "VideoAspect",     "VideoWidth",      "VideoHeight",     "VideoKeepAspect", "AddPadding",
        "VideoBitRate",    "VideoVBRQuality", "VideoVBREnabled", "VideoFrameRate",  "AudioEnable",
        "AudioCodec",      "AudioBitRate",    "AudioVBRQuality", "AudioVBREnabled", "AudioCompressionLevel",
        "AudioSampleRate", "AudioChannels",   "AudioVolume",     "Extension",       "Label",
        "Muxer",           "SettingsKey",     "FastStart",       "AudioCodecs",     "VideoCodecs"};
    std::map<int, const Json*> byId;
    for (const Json& record : all.items) {
        std::vector<std::string> keys;
        for (const auto& m : record.members) keys.push_back(m.first);
        EXPECT_EQ(keys, fields);
        byId[static_cast<int>(record["FormatId"].Num())] = &record;
    }
    EXPECT_EQ(all.items.front()["FormatId"].text, "10");
    EXPECT_EQ(all.items.back()["FormatId"].text, "1220");

    const Json& mp4 = *byId.at(110);
    EXPECT_EQ(mp4["VideoFrameRate"].text, "23.97");
    EXPECT_EQ(byId.at(130)->operator[]("AudioCodec").text, "flac");
    EXPECT_EQ(byId.at(1180)->operator[]("AudioCodec").text, "flac");
    EXPECT_EQ(byId.at(10)->operator[]("Label").kind, Json::Null);
    EXPECT_EQ(byId.at(10)->operator[]("CustomFormat").kind, Json::Null);
    EXPECT_EQ(byId.at(25)->operator[]("AudioCodecs").kind, Json::Null);
    EXPECT_EQ(byId.at(1160)->operator[]("VideoCodecs").kind, Json::Null);
    EXPECT_EQ(byId.at(790)->operator[]("Muxer").text, "image2 -pix_fmt rgb24");

    const Json& dv = (*byId.at(60))["VideoCodecs"].items.at(0);
    std::vector<std::string> codecKeys;
    for (const auto& m : dv.members) codecKeys.push_back(m.first);
    EXPECT_EQ(codecKeys, (std::vector<std::string>{"Name", "Label", "FrameSizes", "BitRates", "QualityHigh",
                                                   "QualityLow", "FrameRates"}));
    ASSERT_EQ(dv["FrameSizes"].items.size(), 3u);  // the fixed-size mark, 720x480, 720x576
    EXPECT_EQ(dv["FrameSizes"].items[0].items.at(0).text, "-1");
    EXPECT_EQ(dv["FrameSizes"].items[2].items.at(1).text, "576");
    EXPECT_EQ(dv["BitRates"].kind, Json::Null);
    ASSERT_EQ(dv["FrameRates"].items.size(), 2u);
    EXPECT_EQ(dv["FrameRates"].items[1].text, "29.97");

    const Json& amr = (*byId.at(10))["AudioCodecs"].items.at(1);
    std::vector<std::string> audioKeys;
    for (const auto& m : amr.members) audioKeys.push_back(m.first);
    EXPECT_EQ(audioKeys, (std::vector<std::string>{"Name", "Label", "RateControl", "SampleRates", "BitRates",
                                                   "QualityHigh", "QualityLow", "ChannelMask"}));
    EXPECT_EQ(amr["Name"].text, "libopencore_amrnb");
    EXPECT_EQ(amr["BitRates"].items.back().text, "12200");  // no end marker

    CommandResult text = Cli({"formats"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_EQ(std::count(text.output.begin(), text.output.end(), '\n'), 79);
}

}  // namespace
}  // namespace quillon::cli
