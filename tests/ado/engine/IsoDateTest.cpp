// The ISO date text the SQLite provider stores and reads back: accepted forms, refused forms,
// and the rendering per column type.
#include "ado/engine/internal/IsoDate.h"

#include <gtest/gtest.h>

namespace vmado::engine {

namespace {

TEST(IsoDate, ParsesTheStoredForms)
{
    struct Case {
        const char* Text;
        bool Ok;
        double Value;
    } cases[] = {
        {"2024-01-05", true, 45296.0},
        {"1899-12-30", true, 0.0},
        {"2000-02-29 00:00:00", true, 36585.0},
        {"2024-01-05 14:05:09", true, 45296.0 + (14 * 3600 + 5 * 60 + 9) / 86400.0},
        {"2024-01-05T06:00", true, 45296.25},
        {"2024-01-05 02:05:09 PM", true, 45296.0 + (14 * 3600 + 5 * 60 + 9) / 86400.0},
        {"2024-01-05 12:00:00 AM", true, 45296.0},
        {"12:00:00", true, 0.5},
        {"2024-01-05 14:05:09.500", true, 45296.0 + (14 * 3600 + 5 * 60 + 9.5) / 86400.0},
        {"2023-02-29", false, 0},
        {"2024-13-01", false, 0},
        {"2024-1-5", false, 0},
        {"2024-01-05 25:00", false, 0},
        {"2024-01-05 13:00 PM", false, 0},
        {"yesterday", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        double v = -1;
        EXPECT_EQ(ParseIsoDateTime(c.Text, v), c.Ok);
        if (c.Ok) {
            EXPECT_NEAR(v, c.Value, 1e-9);
        }
    }
}

TEST(IsoDate, RendersByColumnType)
{
    const double when = 45296.0 + (14 * 3600 + 5 * 60 + 9) / 86400.0;
    EXPECT_EQ(FormatIsoDateTime(when, adDBDate), "2024-01-05");
    EXPECT_EQ(FormatIsoDateTime(when, adDBTime), "14:05:09");
    EXPECT_EQ(FormatIsoDateTime(when, adDBTimeStamp), "2024-01-05 14:05:09");
    EXPECT_EQ(FormatIsoDateTime(45296.5 + 0.25 / 86400.0, adDBTimeStamp), "2024-01-05 12:00:00.250");
    EXPECT_EQ(FormatIsoDateTime(-1.25, adDBTimeStamp), "1899-12-29 06:00:00");
}

} // namespace

} // namespace vmado::engine
