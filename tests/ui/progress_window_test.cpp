// The progress window's text: megabytes cut to one decimal, and the percent;
// its title: the name the version information gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "configurator/version_info.h"
#include "ui/application_name.h"
#include "ui/progress_window.h"

TEST(ProgressWindow, ShowsMegabytesAndPercent) {
    EXPECT_STREQ("Downloading Java runtime: 0.0 of 45.6 MB (0%)", progressText(0, 47815066).c_str());
    EXPECT_STREQ("Downloading Java runtime: 12.3 of 45.6 MB (26%)", progressText(12897485, 47815066).c_str());
    EXPECT_STREQ("Downloading Java runtime: 45.6 of 45.6 MB (100%)", progressText(47815066, 47815066).c_str());
    EXPECT_STREQ("Downloading Java runtime: 3072.0 of 3072.0 MB (100%)",
                 progressText(3221225472ULL, 3221225472ULL).c_str());
}

TEST(ProgressWindow, TitleIsTheFileDescriptionElseTheProductName) {
    const struct {
        std::map<std::string, std::string> strings;
        const wchar_t* name;  // null: none, the file name is taken
    } cases[] = {
        {{{"FileDescription", "Marble Run"}, {"ProductName", "Marbles"}}, L"Marble Run"},
        {{{"ProductName", "Marbles"}, {"CompanyName", "FileDescription"}}, L"Marbles"},
        {{{"FileDescription", ""}, {"ProductName", "Marbles"}}, L"Marbles"},
        {{{"CompanyName", "Marblewright"}}, nullptr},
    };
    for (const auto& c : cases) {
        VersionInfo info;
        info.strings = c.strings;
        const Bytes block = buildVersionInfo(info);
        std::vector<DWORD> aligned(block.size() / 4 + 1);
        memcpy(aligned.data(), block.data(), block.size());
        size_t length = 0;
        const wchar_t* name = nameInVersionInfo(reinterpret_cast<const BYTE*>(aligned.data()), block.size(), &length);
        EXPECT_EQ(std::wstring(c.name ? c.name : L""), name ? std::wstring(name, length) : std::wstring());
    }
}
