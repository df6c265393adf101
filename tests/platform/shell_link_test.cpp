#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/shell_link.h"
#include "test_support.h"

namespace quillon::platform {
namespace {

// Builds link files byte by byte, the way the shell writes them.
struct LinkBuilder {
    uint32_t flags = 0;
    std::vector<uint8_t> idList;
    std::string localBase;         // LinkInfo, code-page text
    std::u16string localBaseWide;  // LinkInfo, Unicode text (header of 0x24 bytes)
    std::u16string name;
    std::u16string relative;
    bool unicode = true;

    static void U16(std::vector<uint8_t>& b, uint32_t v) {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
    }
    static void U32(std::vector<uint8_t>& b, uint32_t v) {
        U16(b, v & 0xFFFF);
        U16(b, v >> 16);
    }
    void Text(std::vector<uint8_t>& b, const std::u16string& t) const {
        U16(b, uint32_t(t.size()));
        for (char16_t c : t) {
            if (unicode) U16(b, c);
            else b.push_back(uint8_t(c));
        }
    }

    std::vector<uint8_t> Build() const {
        uint32_t f = flags | (unicode ? 0x80u : 0u);
        if (!idList.empty()) f |= 0x1;
        if (!localBase.empty() || !localBaseWide.empty()) f |= 0x2;
        if (!name.empty()) f |= 0x4;
        if (!relative.empty()) f |= 0x8;
        std::vector<uint8_t> b;
        U32(b, 0x4C);
        const uint8_t clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
        b.insert(b.end(), clsid, clsid + 16);
        U32(b, f);
        b.resize(0x4C, 0);
        if (!idList.empty()) {
            U16(b, uint32_t(idList.size()));
            b.insert(b.end(), idList.begin(), idList.end());
        }
        if (f & 0x2) {
            const bool wide = !localBaseWide.empty();
            const uint32_t header = wide ? 0x24 : 0x1C;
            std::vector<uint8_t> info;
            std::vector<uint8_t> tail;
            const uint32_t volumeOffset = header;
            const std::vector<uint8_t> volume = {0x10, 0, 0, 0, 3,    0, 0, 0,
                                                 0,    0, 0, 0, 0x10, 0, 0, 0};  // fixed disk, empty label
            tail.insert(tail.end(), volume.begin(), volume.end());
            const uint32_t baseOffset = header + uint32_t(tail.size());
            for (char c : localBase) tail.push_back(uint8_t(c));
            tail.push_back(0);
            const uint32_t suffixOffset = header + uint32_t(tail.size());
            tail.push_back(0);
            uint32_t wideBase = 0, wideSuffix = 0;
            if (wide) {
                wideBase = header + uint32_t(tail.size());
                for (char16_t c : localBaseWide) U16(tail, c);
                U16(tail, 0);
                wideSuffix = header + uint32_t(tail.size());
                U16(tail, 0);
            }
            U32(info, header + uint32_t(tail.size()));
            U32(info, header);
            U32(info, 1);
            U32(info, volumeOffset);
            U32(info, baseOffset);
            U32(info, 0);
            U32(info, suffixOffset);
            if (wide) {
                U32(info, wideBase);
                U32(info, wideSuffix);
            }
            info.insert(info.end(), tail.begin(), tail.end());
            b.insert(b.end(), info.begin(), info.end());
        }
        if (!name.empty()) Text(b, name);
        if (!relative.empty()) Text(b, relative);
        return b;
    }
};

TEST(ShellLink, ReadsTheLocalTargetInEitherTextForm) {
    LinkBuilder link;
    link.idList = {2, 0};  // an empty ID list is skipped over
    link.localBase = "/media/clips/a.avi";
    link.name = u"A clip";
    EXPECT_EQ(ParseShellLink(link.Build(), "/x"), "/media/clips/a.avi");

    link.localBase = "C:\\Videos\\b.avi";
    EXPECT_EQ(ParseShellLink(link.Build(), "/x"), "C:/Videos/b.avi");

    // The Unicode base path wins over the code-page one.
    link.localBase = "/media/?.avi";
    link.localBaseWide = u"/media/\u00e9t\u00e9.avi";
    EXPECT_EQ(ParseShellLink(link.Build(), "/x"), "/media/\xc3\xa9t\xc3\xa9.avi");
}

TEST(ShellLink, FallsBackOnTheRelativePathBesideTheLink) {
    LinkBuilder link;
    link.relative = u".\\sub\\c.mp4";
    EXPECT_EQ(ParseShellLink(link.Build(), "/home/u/links"), "/home/u/links/./sub/c.mp4");
    link.unicode = false;
    EXPECT_EQ(ParseShellLink(link.Build(), "/home/u/links/"), "/home/u/links/./sub/c.mp4");
}

TEST(ShellLink, RefusesDataThatIsNoWholeLink) {
    LinkBuilder link;
    link.localBase = "/media/a.avi";
    link.name = u"Description";
    const std::vector<uint8_t> good = link.Build();
    ASSERT_TRUE(ParseShellLink(good, "/").has_value());
    // Cut anywhere (the description included), it fails instead of reading past the end.
    for (std::size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(ParseShellLink(std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(size)), "/"))
            << "cut at " << size;
    }
    std::vector<uint8_t> wrongClass = good;
    wrongClass[5] ^= 1;
    EXPECT_FALSE(ParseShellLink(wrongClass, "/"));
    // A link whose LinkInfo offsets point outside it.
    std::vector<uint8_t> badOffset = good;
    badOffset[0x4C + 16] = 0xF0;
    EXPECT_FALSE(ParseShellLink(badOffset, "/"));
    // Nothing local to go to.
    LinkBuilder empty;
    empty.name = u"n";
    EXPECT_FALSE(ParseShellLink(empty.Build(), "/"));
}

TEST(ShellLink, ResolvesAFileOnDisk) {
    test::TempDir dir;
    LinkBuilder link;
    link.localBase = (dir / "t.wav").string();
    const std::vector<uint8_t> bytes = link.Build();
    test::WriteFile(dir / "s.lnk", std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(ResolveShortcut((dir / "s.lnk").string()), (dir / "t.wav").string());
    EXPECT_FALSE(ResolveShortcut((dir / "missing.lnk").string()));
}

}  // namespace
}  // namespace quillon::platform
