// The catalogue against a plain-text copy of its tables (catalogue_tables.md), read here by a
// reader of its own, so that a slip in the C++ tables shows up as a mismatch.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "formats/output_format.h"

namespace quillon::formats {
namespace {

using Row = std::vector<std::string>;

struct Tables {
    std::map<std::string, std::vector<Row>> sections;  // rows without their header row
};

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::vector<std::string> Split(const std::string& s, const std::string& sep) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t at = s.find(sep, start);
        out.push_back(Trim(s.substr(start, at - start)));
        if (at == std::string::npos) return out;
        start = at + sep.size();
    }
}

const Tables& Expected() {
    static const Tables tables = [] {
        Tables t;
        std::ifstream in(std::string(QUILLON_TEST_SOURCE_DIR) + "/formats/catalogue_tables.md");
        std::string line, section;
        bool header = false;
        while (std::getline(in, line)) {
            if (line.rfind("## ", 0) == 0) {
                section = line.substr(3);
                header = true;
                continue;
            }
            if (line.empty() || line[0] != '|' || line.rfind("|---", 0) == 0) continue;
            if (header) {
                header = false;
                continue;
            }
            Row cells = Split(line.substr(1, line.size() - 2), "|");
            t.sections[section].push_back(cells);
        }
        return t;
    }();
    return tables;
}

bool IsDash(const std::string& cell) { return cell == "—"; }

// "\"text\"" -> text
std::string Unquote(const std::string& cell) {
    EXPECT_TRUE(cell.size() >= 2 && cell.front() == '"' && cell.back() == '"') << cell;
    return cell.substr(1, cell.size() - 2);
}

std::optional<std::string> OptionalText(const std::string& cell) {
    if (IsDash(cell)) return std::nullopt;
    return Unquote(cell);
}

const Row& ListRow(const std::string& section, const std::string& key) {
    for (const Row& r : Expected().sections.at(section)) {
        if (r[0] == key) return r;
    }
    ADD_FAILURE() << "no list " << key;
    static const Row none{"", ""};
    return none;
}

std::vector<int32_t> ExpectedInts(const std::string& section, const std::string& key) {
    std::vector<int32_t> out;
    for (const std::string& v : Split(ListRow(section, key)[1], ",")) out.push_back(std::atoi(v.c_str()));
    return out;
}

std::vector<double> ExpectedDoubles(const std::string& key) {
    std::vector<double> out;
    for (const std::string& v : Split(ListRow("video lists", key)[1], ","))
        out.push_back(std::strtod(v.c_str(), nullptr));
    return out;
}

std::vector<std::pair<int, int>> ExpectedSizes(const std::string& key) {
    std::vector<std::pair<int, int>> out;
    std::string text = ListRow("video lists", key)[1];
    if (text.rfind("(-1, -1), ", 0) == 0) {
        out.emplace_back(-1, -1);
        text = text.substr(10);
    }
    for (const std::string& v : Split(text, ",")) {
        size_t x = v.find("×");
        out.emplace_back(std::atoi(v.substr(0, x).c_str()), std::atoi(v.substr(x + 2).c_str()));
    }
    return out;
}

std::vector<std::pair<int, int>> Sizes(const FrameSize* list) {
    std::vector<std::pair<int, int>> out;
    for (const FrameSize& s : ListEntries(list)) out.emplace_back(s.width, s.height);
    return out;
}

void ExpectHighLow(const std::string& cell, int32_t high, int32_t low, const std::string& what) {
    if (IsDash(cell)) {
        EXPECT_EQ(high, -1) << what;
        EXPECT_EQ(low, -1) << what;
        return;
    }
    std::vector<std::string> parts = Split(cell, "/");
    EXPECT_EQ(high, std::atoi(parts[0].c_str())) << what;
    EXPECT_EQ(low, std::atoi(parts[1].c_str())) << what;
}

// The codec's row of the table, with its name and label checked; null when the table has none.
template <typename Codec>
const Row* NamedCodecRow(const Codec& c, const std::string& section, const std::string& key) {
    const Row* row = nullptr;
    for (const Row& r : Expected().sections.at(section)) {
        if (r[0] == key) row = &r;
    }
    EXPECT_NE(row, nullptr) << key;
    if (!row) return nullptr;
    EXPECT_STREQ(c.Name, Unquote((*row)[1]).c_str()) << key;
    EXPECT_STREQ(c.Label, Unquote((*row)[2]).c_str()) << key;
    return row;
}

void ExpectVideoCodec(const VideoCodecInfo& c, const std::string& key) {
    const Row* row = NamedCodecRow(c, "video codecs", key);
    if (!row) return;
    EXPECT_EQ(Sizes(c.FrameSizes), ExpectedSizes((*row)[3])) << key;
    if (IsDash((*row)[4])) {
        EXPECT_EQ(c.BitRates, nullptr) << key;
    } else {
        EXPECT_EQ(ListEntries(c.BitRates), ExpectedInts("video lists", (*row)[4])) << key;
    }
    ExpectHighLow((*row)[5], c.QualityHigh, c.QualityLow, key);
    EXPECT_EQ(ListEntries(c.FrameRates), ExpectedDoubles((*row)[6])) << key;
}

void ExpectAudioCodec(const AudioCodecInfo& c, const std::string& key) {
    const Row* row = NamedCodecRow(c, "audio codecs", key);
    if (!row) return;
    EXPECT_EQ(c.RateControl, std::atoi((*row)[3].c_str())) << key;
    EXPECT_EQ(ListEntries(c.SampleRates), ExpectedInts("audio lists", (*row)[4])) << key;
    if (IsDash((*row)[5])) {
        EXPECT_EQ(c.BitRates, nullptr) << key;
    } else {
        EXPECT_EQ(ListEntries(c.BitRates), ExpectedInts("audio lists", (*row)[5])) << key;
    }
    ExpectHighLow((*row)[6], c.QualityHigh, c.QualityLow, key);
    EXPECT_EQ(c.ChannelMask, std::strtol((*row)[7].c_str(), nullptr, 16)) << key;
}

// A format's codecs against the table's cell: a dash for none, else the codecs' keys in order.
template <typename List, typename Check>
void ExpectCodecList(const List* codecs, const std::string& cell, const std::string& id, Check expectCodec) {
    if (IsDash(cell)) {
        EXPECT_EQ(codecs, nullptr) << id;
        return;
    }
    std::vector<std::string> keys = Split(cell, ",");
    ASSERT_NE(codecs, nullptr) << id;
    ASSERT_EQ(codecs->size(), keys.size()) << id;
    for (size_t k = 0; k < keys.size(); ++k) expectCodec(*(*codecs)[k], keys[k]);
}

// The settings a record starts with, read from the table's notation.
void ExpectVideoDefaults(const OutputFormat& f, const std::string& cell) {
    const std::string id = std::to_string(f.FormatId);
    if (IsDash(cell)) {
        EXPECT_EQ(f.VideoEnable, 0) << id;
        EXPECT_EQ(f.VideoCodec, "") << id;
        EXPECT_EQ(f.VideoKeepAspect, 0) << id;
        EXPECT_EQ(f.VideoWidth, 0) << id;
        EXPECT_EQ(f.VideoHeight, 0) << id;
        EXPECT_EQ(f.AddPadding, 0) << id;
        EXPECT_EQ(f.VideoBitRate, 0) << id;
        EXPECT_EQ(f.VideoVBRQuality, -1) << id;
        EXPECT_EQ(f.VideoVBREnabled, 0) << id;
        EXPECT_EQ(f.VideoFrameRate, -1.0) << id;
        EXPECT_EQ(f.VideoAspect, "") << id;
        return;
    }
    std::vector<std::string> parts = Split(cell, "·");
    int width = 0, height = 0, pad = 0, bitRate = 0, quality = -1, vbr = 0;
    double fps = -1.0;
    std::smatch m;
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::string& p = parts[i];
        if (std::regex_match(p, m, std::regex("(\\d+)×(\\d+)"))) {
            width = std::stoi(m[1]);
            height = std::stoi(m[2]);
        } else if (p == "pad") {
            pad = 1;
        } else if (std::regex_match(p, m, std::regex("q (\\d+)"))) {
            quality = std::stoi(m[1]);
            vbr = 1;
        } else if (std::regex_match(p, m, std::regex("qv (\\d+)"))) {
            quality = std::stoi(m[1]);
        } else if (std::regex_match(p, m, std::regex("br (\\d+)"))) {
            bitRate = std::stoi(m[1]);
        } else if (std::regex_match(p, m, std::regex("([\\d.]+) fps"))) {
            fps = std::stod(m[1]);
        } else {
            ADD_FAILURE() << "unknown notation " << p;
        }
    }
    EXPECT_EQ(f.VideoEnable, 1) << id;
    EXPECT_EQ(f.VideoCodec, parts[0]) << id;
    EXPECT_EQ(f.VideoAspect, "") << id;
    EXPECT_EQ(f.VideoWidth, width) << id;
    EXPECT_EQ(f.VideoHeight, height) << id;
    EXPECT_EQ(f.VideoKeepAspect, 1) << id;
    EXPECT_EQ(f.AddPadding, pad) << id;
    EXPECT_EQ(f.VideoBitRate, bitRate) << id;
    EXPECT_EQ(f.VideoVBRQuality, quality) << id;
    EXPECT_EQ(f.VideoVBREnabled, vbr) << id;
    EXPECT_EQ(f.VideoFrameRate, fps) << id;
}

void ExpectAudioDefaults(const OutputFormat& f, const std::string& cell) {
    const std::string id = std::to_string(f.FormatId);
    EXPECT_EQ(f.AudioVBREnabled, 0) << id;
    EXPECT_EQ(f.AudioVolume, 100) << id;
    int bitRate = 0, quality = -1, level = -1, rate = 0, channels = 0;
    std::string codec;
    if (!IsDash(cell)) {
        std::vector<std::string> parts = Split(cell, "·");
        codec = parts[0];
        std::smatch m;
        for (size_t i = 1; i < parts.size(); ++i) {
            const std::string& p = parts[i];
            if (std::regex_match(p, m, std::regex("q (\\d+)"))) {
                quality = std::stoi(m[1]);
            } else if (std::regex_match(p, m, std::regex("level (\\d+)"))) {
                level = std::stoi(m[1]);
            } else if (std::regex_match(p, m, std::regex("br (\\d+)"))) {
                bitRate = std::stoi(m[1]);
            } else if (std::regex_match(p, m, std::regex("(\\d+) Hz"))) {
                rate = std::stoi(m[1]);
            } else if (p == "mono" || p == "stereo") {
                channels = p == "mono" ? 1 : 2;
            } else {
                ADD_FAILURE() << "unknown notation " << p;
            }
        }
    }
    EXPECT_EQ(f.AudioEnable, IsDash(cell) ? 0 : 1) << id;
    EXPECT_EQ(f.AudioCodec, codec) << id;
    EXPECT_EQ(f.AudioBitRate, bitRate) << id;
    EXPECT_EQ(f.AudioVBRQuality, quality) << id;
    EXPECT_EQ(f.AudioCompressionLevel, level) << id;
    EXPECT_EQ(f.AudioSampleRate, rate) << id;
    EXPECT_EQ(f.AudioChannels, channels) << id;
}

TEST(Catalogue, RecordsEqualTheTablesFieldByField) {
    FormatCatalogue catalogue;
    BuildCatalogue(catalogue);
    ASSERT_EQ(catalogue.size(), 79u);

    const std::pair<const char*, int> families[] = {{"video formats", FamilyVideo},
                                                    {"device formats", FamilyDevice},
                                                    {"image sequence formats", FamilyImageSequence},
                                                    {"audio formats", FamilyAudio}};
    size_t index = 0;
    for (const auto& [section, family] : families) {
        for (const Row& r : Expected().sections.at(section)) {
            ASSERT_LT(index, catalogue.size());
            const OutputFormat& f = catalogue[index++];
            ASSERT_EQ(r.size(), 10u);
            const std::string id = r[0];
            EXPECT_EQ(std::to_string(f.FormatId), id);
            EXPECT_EQ(f.Family, family) << id;
            EXPECT_EQ(f.CustomFormat, nullptr) << id;
            EXPECT_EQ(f.Label, OptionalText(r[1])) << id;
            EXPECT_EQ(f.Extension, Unquote(r[2])) << id;
            EXPECT_EQ(f.Muxer, OptionalText(r[3])) << id;
            EXPECT_EQ(f.SettingsKey, OptionalText(r[4])) << id;
            EXPECT_EQ(f.FastStart, std::atoi(r[5].c_str())) << id;
            ExpectVideoDefaults(f, r[6]);
            ExpectAudioDefaults(f, r[7]);

            ExpectCodecList(f.VideoCodecs, r[8], id, ExpectVideoCodec);
            ExpectCodecList(f.AudioCodecs, r[9], id, ExpectAudioCodec);
        }
    }
    EXPECT_EQ(index, catalogue.size());
}

TEST(Catalogue, DescriptorsEqualTheTablesInOrderWithTheirEndMarkers) {
    const auto& videoRows = Expected().sections.at("video codecs");
    ASSERT_EQ(AllVideoCodecs().size(), 54u);
    ASSERT_EQ(videoRows.size(), 54u);
    for (size_t i = 0; i < videoRows.size(); ++i) {
        const VideoCodecInfo& c = *AllVideoCodecs()[i];
        ExpectVideoCodec(c, videoRows[i][0]);
        // The raw lists end where the tables say.
        const size_t sizes = ListEntries(c.FrameSizes).size();
        EXPECT_EQ(c.FrameSizes[sizes].width, 0);
        EXPECT_EQ(c.FrameSizes[sizes].height, 0);
        EXPECT_EQ(c.FrameRates[ListEntries(c.FrameRates).size()], -1.0);
        if (c.BitRates) {
            EXPECT_EQ(c.BitRates[ListEntries(c.BitRates).size()], -1);
        }
    }
    const auto& audioRows = Expected().sections.at("audio codecs");
    ASSERT_EQ(AllAudioCodecs().size(), 47u);
    ASSERT_EQ(audioRows.size(), 47u);
    for (size_t i = 0; i < audioRows.size(); ++i) ExpectAudioCodec(*AllAudioCodecs()[i], audioRows[i][0]);

    // Formats point at these very descriptors, not at copies.
    FormatCatalogue catalogue;
    BuildCatalogue(catalogue);
    std::set<const void*> known(AllVideoCodecs().begin(), AllVideoCodecs().end());
    known.insert(AllAudioCodecs().begin(), AllAudioCodecs().end());
    for (const OutputFormat& f : catalogue) {
        for (auto* c : f.VideoCodecs ? *f.VideoCodecs : VideoCodecList{}) {
            EXPECT_TRUE(known.count(c)) << f.FormatId;
        }
        for (auto* c : f.AudioCodecs ? *f.AudioCodecs : AudioCodecList{}) {
            EXPECT_TRUE(known.count(c)) << f.FormatId;
        }
    }
}

TEST(Catalogue, IdsAreUniqueAndLookupsFindTheFirstMatch) {
    FormatCatalogue catalogue;
    BuildCatalogue(catalogue);
    std::set<int32_t> ids;
    for (const OutputFormat& f : catalogue) EXPECT_TRUE(ids.insert(f.FormatId).second) << f.FormatId;

    ASSERT_NE(FindFormat(catalogue, 1160), nullptr);
    EXPECT_EQ(FindFormat(catalogue, 1160)->Extension, "mp3");
    EXPECT_EQ(FindFormat(catalogue, 0), nullptr);
    EXPECT_EQ(FindFormat(catalogue, kCustomizeEntryId), nullptr);

    // A device format's h264bp is its own short-list descriptor, not the one of the video formats.
    const OutputFormat& android = *FindFormat(catalogue, 516);
    const VideoCodecInfo* video = FindVideoCodec(android);
    ASSERT_NE(video, nullptr);
    EXPECT_STREQ(video->Name, "h264bp");
    EXPECT_EQ(ListEntries(video->FrameSizes).back().width, 1920);
    EXPECT_EQ(ListEntries(video->FrameSizes).size(), 23u);

    OutputFormat copy = android;
    copy.VideoCodec = "H264BP";  // case matters
    EXPECT_EQ(FindVideoCodec(copy), nullptr);
    copy.AudioCodec = "alac";
    ASSERT_NE(FindAudioCodec(copy), nullptr);
    EXPECT_EQ(FindAudioCodec(copy)->RateControl, kRateCompressionLevels);
    EXPECT_EQ(FindVideoCodec(*FindFormat(catalogue, 1160)), nullptr);  // no video offers at all
}

TEST(Catalogue, RegistryPrefixes) {
    FormatCatalogue catalogue;
    BuildCatalogue(catalogue);
    const std::pair<int32_t, const char*> cases[] = {{10, "3G2"},        {50, "DIVX"},        {65, "DVDVOB"},
                                                     {705, "GIFIMAGES"}, {516, "ANDROIDMP4"}, {130, "OGG"},
                                                     {1180, "OGG"},      {135, "OGGTHEORA"},  {1220, "WV"}};
    for (const auto& [id, prefix] : cases) EXPECT_EQ(RegistryPrefix(*FindFormat(catalogue, id)), prefix);

    // Formats that share an extension keep apart through their keys; only the two "ogg" share.
    std::map<std::string, std::vector<int32_t>> byPrefix;
    for (const OutputFormat& f : catalogue) byPrefix[RegistryPrefix(f)].push_back(f.FormatId);
    for (const auto& [prefix, members] : byPrefix) {
        if (prefix == "OGG") {
            EXPECT_EQ(members, (std::vector<int32_t>{130, 1180}));
        } else {
            EXPECT_EQ(members.size(), 1u) << prefix;
        }
    }
}

TEST(Catalogue, ResetFormatGivesNeutralValues) {
    FormatCatalogue catalogue;
    BuildCatalogue(catalogue);
    OutputFormat f = *FindFormat(catalogue, 10);
    ResetFormat(f);
    EXPECT_EQ(f.FormatId, -1);
    EXPECT_EQ(f.Family, -1);
    EXPECT_EQ(f.VideoEnable, 0);
    EXPECT_EQ(f.VideoCodec, "");
    EXPECT_EQ(f.VideoWidth, 0);
    EXPECT_EQ(f.VideoVBRQuality, -1);
    EXPECT_EQ(f.VideoFrameRate, -1.0);
    EXPECT_EQ(f.AudioEnable, 1);
    EXPECT_EQ(f.AudioCompressionLevel, -1);
    EXPECT_EQ(f.AudioVolume, 100);
    EXPECT_EQ(f.Extension, "");
    EXPECT_EQ(f.Label, std::optional<std::string>(""));
    EXPECT_EQ(f.Muxer, std::optional<std::string>(""));
    EXPECT_FALSE(f.SettingsKey.has_value());
    EXPECT_EQ(f.FastStart, 0);
    EXPECT_EQ(f.AudioCodecs, nullptr);
    EXPECT_EQ(f.VideoCodecs, nullptr);
}

}  // namespace
}  // namespace quillon::formats
