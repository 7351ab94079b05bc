// The qbXML value forms the simulator reads.
#include <gtest/gtest.h>

#include "quickbooks/sim/qb_values.h"

namespace kvr::qbsim {
namespace {

TEST(QBValues, Dates) {
    for (const char* good : {"2018-03-05", "2024-02-29", "0001-01-01", "9999-12-31"}) {
        SCOPED_TRACE(good);
        EXPECT_TRUE(IsQBDate(good));
    }
    for (const char* bad : {"2023-02-29", "2018-13-01", "2018-00-10", "2018-04-31", "2018-3-05", "2018/03/05",
                            "2018-03-05T00:00:00", "", "0000-01-01", "20a8-03-05"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(IsQBDate(bad));
    }
}

TEST(QBValues, DurationsReadAndAnswered) {
    const struct {
        const char* text;
        std::int64_t seconds;
        const char* answer;
    } cases[] = {{"PT8H30M", 30600, "PT8H30M0S"}, {"PT45M", 2700, "PT0H45M0S"}, {"PT90M", 5400, "PT1H30M0S"},
                 {"-PT1H", -3600, "-PT1H0M0S"},   {"PT0S", 0, "PT0H0M0S"},       {"PT1H2M3S", 3723, "PT1H2M3S"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::int64_t seconds = -1;
        ASSERT_TRUE(ParseQBDuration(c.text, seconds));
        EXPECT_EQ(seconds, c.seconds);
        EXPECT_EQ(FormatQBDuration(seconds), c.answer);
    }
    for (const char* bad : {"PT", "", "P8H", "PT8", "PT8H8H", "PT1M1H", "PT-1H", "pt8h", "PT8H ", "PT999999999999H"}) {
        SCOPED_TRACE(bad);
        std::int64_t seconds = 0;
        EXPECT_FALSE(ParseQBDuration(bad, seconds));
    }
}

TEST(QBValues, Guids) {
    EXPECT_TRUE(IsGuid("{3F2504E0-4F89-11D3-9A0C-0305E82C3301}"));
    for (const char* bad : {"3F2504E0-4F89-11D3-9A0C-0305E82C3301", "{3F2504E0-4F89-11D3-9A0C-0305E82C330}",
                            "{3F2504E0+4F89-11D3-9A0C-0305E82C3301}", "{3F2504E0-4F89-11D3-9A0C-0305E82C330G}"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(IsGuid(bad));
    }
}

}  // namespace
}  // namespace kvr::qbsim
