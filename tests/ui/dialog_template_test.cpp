#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ui/dialog_template.h"
#include "ui/missing_runtime_dialog.h"

namespace {

std::vector<BYTE> build(const char* caption, int height) {
    std::vector<BYTE> bytes(buildMissingRuntimeTemplate(nullptr, caption, height), 0xCC);
    const size_t written = buildMissingRuntimeTemplate(bytes.data(), caption, height);
    EXPECT_EQ(bytes.size(), written);
    return bytes;
}

WORD word(const std::vector<BYTE>& b, size_t at) { return static_cast<WORD>(b[at] | b[at + 1] << 8); }
DWORD dword(const std::vector<BYTE>& b, size_t at) { return word(b, at) | static_cast<DWORD>(word(b, at + 2)) << 16; }

std::u16string string16(const std::vector<BYTE>& b, size_t at) {
    std::u16string s;
    for (; word(b, at); at += 2) s += static_cast<char16_t>(word(b, at));
    return s;
}

}  // namespace

TEST(DialogTemplate, MissingRuntimeTemplateIs180BytesInThreeRecords) {
    const std::vector<BYTE> t = build("Application Cannot Start", 55);
    ASSERT_EQ(180u, t.size());
    // Header: 100 bytes with its strings and font.
    EXPECT_EQ(0x80C000C8u, dword(t, 0));
    EXPECT_EQ(0x00000008u, dword(t, 4));
    EXPECT_EQ(2, word(t, 8));
    EXPECT_EQ(0, word(t, 10));
    EXPECT_EQ(0, word(t, 12));
    EXPECT_EQ(337, word(t, 14));
    EXPECT_EQ(55, word(t, 16));
    EXPECT_EQ(0, word(t, 18));  // no menu
    EXPECT_EQ(0, word(t, 20));  // the system's dialog class
    EXPECT_EQ(u"Application Cannot Start", string16(t, 22));
    EXPECT_EQ(8, word(t, 72));
    EXPECT_EQ(u"MS Shell Dlg", string16(t, 74));
    // Text control: 48 bytes from offset 100.
    EXPECT_EQ(0x50010805u, dword(t, 100));
    EXPECT_EQ(0u, dword(t, 104));
    EXPECT_EQ(7, word(t, 108));
    EXPECT_EQ(7, word(t, 110));
    EXPECT_EQ(323, word(t, 112));
    EXPECT_EQ(25, word(t, 114));
    EXPECT_EQ(1004, word(t, 116));
    EXPECT_EQ(u"RichEdit20A", string16(t, 118));
    EXPECT_EQ(0, word(t, 142));  // empty text
    EXPECT_EQ(0, word(t, 144));  // no creation data
    EXPECT_EQ(0, word(t, 146));  // padding
    // Button: 32 bytes from offset 148.
    EXPECT_EQ(0x50000001u, dword(t, 148));
    EXPECT_EQ(141, word(t, 156));
    EXPECT_EQ(34, word(t, 158));
    EXPECT_EQ(50, word(t, 160));
    EXPECT_EQ(14, word(t, 162));
    EXPECT_EQ(IDOK, word(t, 164));
    EXPECT_EQ(0xFFFF, word(t, 166));
    EXPECT_EQ(0x0080, word(t, 168));
    EXPECT_EQ(u"OK", string16(t, 170));
    EXPECT_EQ(0, word(t, 176));
    EXPECT_EQ(0, word(t, 178));
}

TEST(DialogTemplate, OtherHeightMovesTheTextControlAndTheButton) {
    const std::vector<BYTE> t = build("Application Cannot Start", 80);
    EXPECT_EQ(80, word(t, 16));
    EXPECT_EQ(50, word(t, 114));  // height minus 30
    EXPECT_EQ(59, word(t, 158));  // 21 above the bottom: 7 free below the button
}

TEST(DialogTemplate, RecordsStayAlignedForAnyCaptionLength) {
    for (const char* caption : {"", "A", "AB", "ABC", "Caption with \xE9 in it"}) {
        const std::vector<BYTE> t = build(caption, 55);
        EXPECT_EQ(0u, t.size() % 4) << caption;
        EXPECT_EQ(2, word(t, 8));
    }
    // A caption too long for the field is written as an empty string.
    EXPECT_EQ(build("", 55).size(), build(std::string(2000, 'c').c_str(), 55).size());
}

TEST(DialogTemplate, NamesByNumberAreWrittenAsFfffAndTheNumber) {
    std::vector<BYTE> bytes(64, 0xCC);
    DialogTemplateBuilder builder(bytes.data());
    builder.header(WS_POPUP, 0, TemplateBox{1, 2, 3, 4}, TemplateName::numbered(7), TemplateName::named("X"), "",
                   0, nullptr);
    builder.finish();
    EXPECT_EQ(0xFFFF, word(bytes, 18));
    EXPECT_EQ(7, word(bytes, 20));
    EXPECT_EQ(u"X", string16(bytes, 22));
    EXPECT_EQ(0, word(bytes, 26));  // empty title; no font fields
    EXPECT_EQ(28u, builder.size());
    EXPECT_EQ(0, builder.controlCount());
}

TEST(MissingRuntimeMessage, HasThreeLinesWithEditionVersionAndTheSameAddressAsTheLink) {
    EXPECT_STREQ("This application cannot start since no appropriate JVM was found.\n"
                 "It is required to have JDK version 1.6 or higher installed on your computer.\n"
                 "Please go to https://www.java.com/download/ for installation instructions.",
                 missingRuntimeMessage(true, "1.6", JAVA_DOWNLOAD_ADDRESS).c_str());
    EXPECT_NE(nullptr, strstr(missingRuntimeMessage(false, "1.3", JAVA_DOWNLOAD_ADDRESS).c_str(),
                              "It is required to have JRE version 1.3 or higher"));
}

TEST(DialogPlacement, CentresOnTheReferenceAndStaysInsideTheWorkArea) {
    const RECT work = {0, 0, 1024, 738};
    auto at = [&](RECT reference, int w, int h) {
        POINT p = centredDialogOrigin(reference, work, w, h);
        return std::to_string(p.x) + "," + std::to_string(p.y);
    };
    EXPECT_EQ("256,315", at(work, 512, 108));
    EXPECT_EQ("0,0", at(RECT{-400, -300, 0, 0}, 512, 108));           // left of and above the work area
    EXPECT_EQ("512,630", at(RECT{1000, 700, 1200, 900}, 512, 108));   // past the right and bottom edges
    EXPECT_EQ("99,99", at(RECT{100, 100, 300, 300}, 203, 203));       // halves truncate
}
