// PROP_RUNTIME_SIZE's reading: an unsigned 64-bit decimal, nothing else.
#include <gtest/gtest.h>

#include "launcher/runtime_on_demand.h"

TEST(RuntimeOnDemand, ReadsTheSizeAsAnUnsigned64BitDecimal) {
    const struct {
        const char* text;
        bool valid;
        ULONGLONG value;
    } cases[] = {
        {"1", true, 1},
        {"3000000000", true, 3000000000ULL},
        {"18446744073709551615", true, 18446744073709551615ULL},
        {"18446744073709551616", false, 0},
        {"0", false, 0},
        {"", false, 0},
        {"12 ", false, 0},
        {"-5", false, 0},
        {"0x10", false, 0},
    };
    for (const auto& c : cases) {
        ULONGLONG value = 0;
        EXPECT_EQ(c.valid, parseByteCount(c.text, &value)) << c.text;
        EXPECT_EQ(c.valid ? c.value : 0, value) << c.text;
    }
}
