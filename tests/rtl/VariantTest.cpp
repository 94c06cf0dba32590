// Variants: type codes of every constructor, conversions and their failures, equality for
// change detection, VarAsType ranges, and arrays (bounds, byte arrays, copies).
#include "framework/rtl/Variant.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"

#include <gtest/gtest.h>

using namespace vmado;

TEST(Variant, ConstructorsGiveThePlatformTypeCodes)
{
    struct Row {
        Variant v;
        Word code;
        const char* name;
    } rows[] = {
        {Variant(), varEmpty, "Empty"},
        {Variant::Null(), varNull, "Null"},
        {Variant::FromSmallint(-3), varSmallint, "Smallint"},
        {Variant(Integer{3}), varInteger, "Integer"},
        {Variant::FromSingle(1.5f), varSingle, "Single"},
        {Variant(1.5), varDouble, "Double"},
        {Variant(Currency::FromRaw(15000)), varCurrency, "Currency"},
        {Variant::FromDate(45296), varDate, "Date"},
        {Variant::FromOleStr("x"), varOleStr, "OleStr"},
        {Variant(true), varBoolean, "Boolean"},
        {Variant::FromShortInt(-1), varShortInt, "ShortInt"},
        {Variant::FromByte(200), varByte, "Byte"},
        {Variant::FromWord(60000), varWord, "Word"},
        {Variant::FromLongWord(4000000000u), varLongWord, "LongWord"},
        {Variant(Int64{1} << 40), varInt64, "Int64"},
        {Variant(5LL), varInt64, "Int64"},
        {Variant("abc"), varString, "String"},
        {Variant(AnsiString("abc")), varString, "String"},
        {VarArrayCreate({0, 2}, varInteger), varArray | varInteger, "Array Integer"},
        {VarByteArray("ab", 2), varArray | varByte, "Array Byte"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(VarType(r.v), r.code);
        EXPECT_EQ(VarTypeName(r.v.VarType()), r.name);
    }
    EXPECT_EQ(VarTypeName(varByRef | varInteger), "ByRef Integer");
    EXPECT_TRUE(VarIsNullOrEmpty(Variant()));
    EXPECT_TRUE(VarIsNullOrEmpty(Variant::Null()));
    EXPECT_FALSE(VarIsNullOrEmpty(Variant("")));
}

TEST(Variant, ConvertsToTextThroughTheLocale)
{
    EXPECT_EQ(Variant(Integer{-42}).AsString(), "-42");
    EXPECT_EQ(Variant(1.5).AsString(), "1.5");
    EXPECT_EQ(Variant(1e20).AsString(), "1E20");
    EXPECT_EQ(Variant::FromSingle(0.1f).AsString(), "0.1");
    EXPECT_EQ(Variant(Currency::FromRaw(12345)).AsString(), "1.2345");
    EXPECT_EQ(Variant(true).AsString(), "-1");
    EXPECT_EQ(Variant(false).AsString(), "0");
    EXPECT_TRUE(Variant(Variant(true).AsString()).AsBoolean()); // the text reads back
    EXPECT_EQ(VarAsType(Variant(false), varString), Variant("0"));
    EXPECT_EQ(Variant::FromDate(EncodeDateTime(2024, 1, 5, 15, 4, 5, 0)).AsString(), "1/5/2024 3:04:05 PM");
    EXPECT_EQ(Variant().AsString(), "");
    EXPECT_EQ(VarToStr(Variant::Null()), "");
    EXPECT_EQ(VarToStr(Variant::FromLongWord(4000000000u)), "4000000000");

    ScopedFormatSettings scope;
    FormatSettings().DecimalSeparator = ',';
    EXPECT_EQ(Variant(1.5).AsString(), "1,5");
    EXPECT_EQ(Variant("2,5").AsFloat(), 2.5);
}

TEST(Variant, ConvertsToNumbers)
{
    EXPECT_EQ(Variant("42").AsInteger(), 42);
    EXPECT_EQ(Variant(" 42").AsInteger(), 42);
    EXPECT_EQ(Variant("$10").AsInteger(), 16);
    EXPECT_EQ(Variant("2.5").AsInteger(), 2); // half to even, as the platform rounds
    EXPECT_EQ(Variant("3.5").AsInteger(), 4);
    EXPECT_EQ(Variant(-2.5).AsInteger(), -2);
    EXPECT_EQ(Variant(Currency::FromRaw(25000)).AsInteger(), 2);
    EXPECT_EQ(Variant(Currency::FromRaw(35000)).AsInteger(), 4);
    EXPECT_EQ(Variant(Currency::FromRaw(-25001)).AsInteger(), -3);
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant().AsInteger(), 0);
    EXPECT_EQ(Variant("9000000000").AsInt64(), 9000000000LL);
    EXPECT_EQ(Variant("1.25").AsFloat(), 1.25);
    EXPECT_EQ(Variant(Integer{7}).AsFloat(), 7.0);
    EXPECT_EQ(Variant("1.23456").AsCurrency().Raw, 12346);
    EXPECT_EQ(Variant(Integer{3}).AsCurrency().Raw, 30000);
    EXPECT_EQ(Variant(0.1).AsCurrency().Raw, 1000);
}

TEST(Variant, ConvertsToBooleanAndDate)
{
    struct Row {
        Variant v;
        bool value;
    } rows[] = {
        {Variant("True"), true}, {Variant("false"), false}, {Variant("TRUE"), true},
        {Variant("0"), false},   {Variant("-1"), true},     {Variant(Integer{2}), true},
        {Variant(0.0), false},   {Variant(), false},        {Variant(Currency::FromRaw(1)), true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(VarToStr(r.v));
        EXPECT_EQ(r.v.AsBoolean(), r.value);
    }
    EXPECT_EQ(Variant("1/5/2024").AsDateTime(), EncodeDate(2024, 1, 5));
    EXPECT_EQ(Variant("1/5/2024 3:04 PM").AsDateTime(), EncodeDateTime(2024, 1, 5, 15, 4, 0, 0));
    EXPECT_EQ(Variant(Integer{45296}).AsDateTime(), 45296);
    EXPECT_EQ(Variant(-1.25).AsDateTime(), -1.25);
}

TEST(Variant, ConversionFailuresRaiseWithTheFrameworkTexts)
{
    struct Row {
        std::function<void()> call;
        bool variantError; // EVariantError, else EConvertError
        const char* message;
    } rows[] = {
        {[] { Variant::Null().AsInteger(); }, true,
         "Could not convert variant of type (Null) into type (Integer)"},
        {[] { Variant::Null().AsString(); }, true,
         "Could not convert variant of type (Null) into type (String)"},
        {[] { Variant::Null().AsFloat(); }, true,
         "Could not convert variant of type (Null) into type (Double)"},
        {[] { Variant::Null().AsBoolean(); }, true,
         "Could not convert variant of type (Null) into type (Boolean)"},
        {[] { Variant::Null().AsDateTime(); }, true,
         "Could not convert variant of type (Null) into type (Date)"},
        {[] { Variant::Null().AsCurrency(); }, true,
         "Could not convert variant of type (Null) into type (Currency)"},
        {[] { VarArrayOf({Variant(1)}).AsString(); }, true,
         "Could not convert variant of type (Array Variant) into type (String)"},
        {[] { Variant(Int64{5000000000}).AsInteger(); }, true,
         "Overflow while converting variant of type (Int64) into type (Integer)"},
        {[] { Variant(1e300).AsCurrency(); }, true,
         "Overflow while converting variant of type (Double) into type (Currency)"},
        {[] { Variant("abc").AsInteger(); }, false, "'abc' is not a valid integer value"},
        {[] { Variant("abc").AsFloat(); }, false, "'abc' is not a valid floating point value"},
        {[] { Variant("abc").AsCurrency(); }, false, "'abc' is not a valid floating point value"},
        {[] { Variant("abc").AsBoolean(); }, false, "'abc' is not a valid boolean value"},
        {[] { Variant("abc").AsDateTime(); }, false, "'abc' is not a valid date and time"},
        {[] { VarAsType(Variant(Integer{300}), varByte); }, true,
         "Overflow while converting variant of type (Integer) into type (Byte)"},
        {[] { VarAsType(Variant::Null(), varString); }, true,
         "Could not convert variant of type (Null) into type (String)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.message);
        try {
            r.call();
            ADD_FAILURE() << "no exception";
        } catch (const EVariantError& e) {
            EXPECT_TRUE(r.variantError);
            EXPECT_STREQ(e.what(), r.message);
        } catch (const EConvertError& e) {
            EXPECT_FALSE(r.variantError);
            EXPECT_STREQ(e.what(), r.message);
        }
    }
}

TEST(Variant, VarAsTypeConvertsAndChecksRanges)
{
    EXPECT_EQ(VarAsType(Variant("12"), varInteger), Variant(Integer{12}));
    EXPECT_EQ(VarType(VarAsType(Variant("12"), varSmallint)), varSmallint);
    EXPECT_EQ(VarAsType(Variant(Integer{255}), varByte).AsInteger(), 255);
    EXPECT_EQ(VarAsType(Variant(Integer{5}), varString).AsString(), "5");
    EXPECT_EQ(VarType(VarAsType(Variant(Integer{5}), varOleStr)), varOleStr);
    EXPECT_EQ(VarAsType(Variant("True"), varBoolean).AsBoolean(), true);
    EXPECT_EQ(VarType(VarAsType(Variant(1.0), varDate)), varDate);
    EXPECT_TRUE(VarAsType(Variant(Integer{5}), varNull).IsNull());
    EXPECT_TRUE(VarAsType(Variant::Null(), varEmpty).IsEmpty());
    EXPECT_THROW(VarAsType(Variant(Integer{-1}), varWord), EVariantError);
    EXPECT_THROW(VarAsType(Variant(Integer{40000}), varSmallint), EVariantError);
    EXPECT_THROW(VarAsType(Variant(1e39), varSingle), EVariantError);
    EXPECT_THROW(VarAsType(Variant(Integer{1}), varDispatch), EVariantError);
}

TEST(Variant, EqualityDecidesWhetherAValueDiffers)
{
    struct Row {
        Variant a, b;
        bool equal;
    } rows[] = {
        {Variant(), Variant(), true},
        {Variant::Null(), Variant::Null(), true},
        {Variant(), Variant::Null(), false},
        {Variant::Null(), Variant(Integer{0}), false},
        {Variant::Null(), Variant(""), false},
        {Variant(Integer{5}), Variant(Int64{5}), true},
        {Variant(Integer{5}), Variant(5.0), true},
        {Variant(Integer{5}), Variant(Currency::FromRaw(50000)), true},
        {Variant(Currency::FromRaw(50001)), Variant(Integer{5}), false},
        {Variant(Integer{5}), Variant(Integer{6}), false},
        {Variant("abc"), Variant("abc"), true},
        {Variant("abc"), Variant("ABC"), false},
        {Variant("5"), Variant(Integer{5}), false},
        {Variant("x"), Variant::FromOleStr("x"), true},
        {Variant(true), Variant(true), true},
        {Variant(true), Variant(Integer{-1}), false},
        {Variant::FromDate(1.5), Variant(1.5), true},
        {VarByteArray("ab", 2), VarByteArray("ab", 2), true},
        {VarByteArray("ab", 2), VarByteArray("ac", 2), false},
        {VarByteArray("ab", 2), VarByteArray("abc", 3), false},
        {VarArrayOf({Variant(1), Variant("x")}), VarArrayOf({Variant(1), Variant("x")}), true},
        {VarArrayOf({Variant(1), Variant("x")}), VarArrayOf({Variant(1), Variant("y")}), false},
        {VarArrayOf({Variant(1)}), Variant(1), false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].a == rows[i].b, rows[i].equal);
        EXPECT_EQ(rows[i].b == rows[i].a, rows[i].equal);
        EXPECT_EQ(rows[i].a != rows[i].b, !rows[i].equal);
    }
}

TEST(VariantArray, BoundsAndElementsInAnyDimension)
{
    Variant a = VarArrayCreate({1, 3, -1, 0}, varInteger);
    EXPECT_EQ(VarArrayDimCount(a), 2);
    EXPECT_EQ(VarArrayLowBound(a, 1), 1);
    EXPECT_EQ(VarArrayHighBound(a, 1), 3);
    EXPECT_EQ(VarArrayLowBound(a, 2), -1);
    EXPECT_EQ(VarArrayHighBound(a, 2), 0);
    EXPECT_EQ(VarArrayGet(a, {2, -1}).AsInteger(), 0); // fresh elements are zero
    for (Integer i = 1; i <= 3; ++i)
        for (Integer j = -1; j <= 0; ++j)
            VarArrayPut(a, Variant(i * 10 + j), {i, j});
    for (Integer i = 1; i <= 3; ++i)
        for (Integer j = -1; j <= 0; ++j)
            EXPECT_EQ(VarArrayGet(a, {i, j}).AsInteger(), i * 10 + j);
    VarArrayPut(a, Variant("7"), {1, 0}); // converted to the element type
    EXPECT_EQ(VarType(VarArrayGet(a, {1, 0})), varInteger);

    struct Row {
        std::function<void()> call;
        const char* fragment;
    } failures[] = {
        {[&] {
             VarArrayGet(a, {0, 0});
         },
         "index out of bounds (0)"},
        {[&] {
             VarArrayGet(a, {4, 0});
         },
         "index out of bounds (4)"},
        {[&] {
             VarArrayGet(a, {1, 1});
         },
         "index out of bounds (1)"},
        {[&] { VarArrayGet(a, {1}); }, "2 dimension(s), 1 index(es)"},
        {[&] { a.GetElement(1); }, "2 dimension(s), 1 index(es)"},
        {[&] { VarArrayLowBound(a, 3); }, "no dimension 3"},
        {[&] {
             VarArrayPut(a, Variant("x"), {1, 0});
         },
         "'x' is not a valid integer value"},
        {[] { VarArrayCreate({0}, varInteger); }, "low, high pairs"},
        {[] {
             VarArrayCreate({5, 3}, varInteger);
         },
         "below low bound"},
        {[] {
             VarArrayCreate({0, 1}, varDispatch);
         },
         "not allowed"},
        {[] { Variant(1).Array(); }, "Variant is not an array"},
        {[] { VarArrayLowBound(Variant(1), 1); }, "Variant is not an array"},
        {[] { VarArrayBytes(VarArrayOf({})); }, "(Array Variant) into type (Array Byte)"},
    };
    for (const Row& r : failures) {
        SCOPED_TRACE(r.fragment);
        try {
            r.call();
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_NE(std::string(e.what()).find(r.fragment), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(VarArrayGet(a, {1, 0}).AsInteger(), 7); // the failed put left the element alone
    EXPECT_EQ(VarArrayDimCount(Variant(1)), 0);
}

TEST(VariantArray, ByteArraysKeepRawBytes)
{
    const unsigned char raw[] = {0, 1, 0x7F, 0x80, 0xFF};
    Variant b = VarByteArray(raw, sizeof raw);
    EXPECT_EQ(VarArrayLowBound(b, 1), 0);
    EXPECT_EQ(VarArrayHighBound(b, 1), 4);
    EXPECT_EQ(VarArrayBytes(b), std::vector<Byte>(raw, raw + sizeof raw));
    EXPECT_EQ(b.GetElement(4).AsInteger(), 255);
    EXPECT_EQ(VarType(b.GetElement(4)), varByte);
    b.PutElement(0, Variant(Integer{65}));
    EXPECT_EQ(VarArrayBytes(b)[0], 65);
    EXPECT_THROW(b.PutElement(1, Variant(Integer{256})), EVariantError);
    VarArrayRedim(b, 6);
    EXPECT_EQ(VarArrayBytes(b).size(), 7u);
    EXPECT_EQ(VarArrayBytes(b)[6], 0);
    VarArrayRedim(b, 1);
    EXPECT_EQ(VarArrayBytes(b), (std::vector<Byte>{65, 1}));
    const Variant empty = VarByteArray(nullptr, 0);
    EXPECT_EQ(VarArrayHighBound(empty, 1), -1);
    EXPECT_TRUE(VarArrayBytes(empty).empty());
}

TEST(VariantArray, CopiesAreIndependent)
{
    Variant a = VarArrayOf({Variant(1), Variant("x")});
    Variant b = a;
    b.PutElement(0, Variant(2));
    EXPECT_EQ(a.GetElement(0).AsInteger(), 1);
    EXPECT_EQ(b.GetElement(0).AsInteger(), 2);
    Variant c;
    c = b;
    VarArrayBytes(c = VarByteArray("q", 1))[0] = 'r';
    EXPECT_EQ(VarArrayBytes(c)[0], 'r');
    Variant d = c;
    VarArrayBytes(d)[0] = 's';
    EXPECT_EQ(VarArrayBytes(c)[0], 'r');
    Variant e = std::move(d);
    EXPECT_EQ(VarArrayBytes(e)[0], 's');
    EXPECT_EQ(VarType(VarArrayCreate({0, 1}, varString).GetElement(0)), varString);
    EXPECT_EQ(VarArrayCreate({0, 1}, varString).GetElement(0).AsString(), "");
    EXPECT_TRUE(VarArrayCreate({0, 1}, varVariant).GetElement(1).IsEmpty());
}
