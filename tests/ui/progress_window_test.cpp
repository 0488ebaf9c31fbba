// The progress window's text: megabytes cut to one decimal, and the percent.
#include <gtest/gtest.h>

#include "ui/progress_window.h"

TEST(ProgressWindow, ShowsMegabytesAndPercent) {
    EXPECT_STREQ("Downloading Java runtime: 0.0 of 45.6 MB (0%)", progressText(0, 47815066).c_str());
    EXPECT_STREQ("Downloading Java runtime: 12.3 of 45.6 MB (26%)", progressText(12897485, 47815066).c_str());
    EXPECT_STREQ("Downloading Java runtime: 45.6 of 45.6 MB (100%)", progressText(47815066, 47815066).c_str());
    EXPECT_STREQ("Downloading Java runtime: 3072.0 of 3072.0 MB (100%)",
                 progressText(3221225472ULL, 3221225472ULL).c_str());
}
