#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

using namespace vmado;

TEST(Exceptions, EngineErrorKeepsNativeDataApartFromMessage)
{
    try {
        throw EOleException("Cannot open table 'T'", "Connection", 1, "42S02", "no such table: T");
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Cannot open table 'T'");
        const auto& ole = dynamic_cast<const EOleException&>(e);
        EXPECT_EQ(ole.Source(), "Connection");
        EXPECT_EQ(ole.ErrorCode(), 1);
        EXPECT_EQ(ole.SqlState(), "42S02");
        EXPECT_EQ(ole.DatabaseText(), "no such table: T");
    }
}

TEST(Exceptions, FixedTextKeepsContextSeparately)
{
    EDatabaseError e("Open error!", "no such table: T");
    EXPECT_STREQ(e.what(), "Open error!");
    EXPECT_EQ(e.Context(), "no such table: T");
}

TEST(Currency, RoundsHalfAwayFromZeroAndRejectsOverflow)
{
    EXPECT_EQ(Currency::FromDouble(1.23455).Raw, 12346);
    EXPECT_EQ(Currency::FromDouble(-1.23455).Raw, -12346);
    EXPECT_THROW(Currency::FromDouble(1e300), EConvertError);
}
