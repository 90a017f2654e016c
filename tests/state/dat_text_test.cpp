#include "state/dat_text.h"

#include <gtest/gtest.h>

#include "state/cp932.h"

using namespace lum;

namespace {

DatReader reader(const std::string& bytes) {
    return DatReader(bytes, "t.dat");
}

std::string error_of(const std::string& bytes, int reads) {
    DatReader r = reader(bytes);
    try {
        for (int i = 0; i < reads; ++i) r.read_int();
    } catch (const DataError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(DatReader, NumbersSkipBlankLinesAndIgnoreTextAfterABlank) {
    DatReader r = reader("\r\n\r\n  \t12 abc\r\n-7\r\n+5\r\n\n\n3\tx\r\n");
    EXPECT_EQ(r.read_int(), 12);
    EXPECT_EQ(r.read_int(), -7);
    EXPECT_EQ(r.read_int(), 5);
    EXPECT_EQ(r.read_int(), 3);
    // Past the end: 0 and empty strings, no error.
    EXPECT_EQ(r.read_int(), 0);
    EXPECT_EQ(r.read_string(), "");
    EXPECT_TRUE(r.at_end());
}

TEST(DatReader, ANumberDirectlyFollowedByLettersIsAnErrorNamingFileAndLine) {
    EXPECT_EQ(error_of("1\r\n\r\n12abc\r\n", 2), "t.dat: line 3: \"12abc\" is not a number");
    EXPECT_EQ(error_of("-\r\n", 1), "t.dat: line 1: \"-\" is not a number");
    EXPECT_EQ(error_of("1\r\n\x01\r\n", 2), "t.dat: line 2: a number was expected");
    EXPECT_EQ(error_of("1\r\n１２\r\n", 2).substr(0, 14), "t.dat: line 2:");
}

TEST(DatReader, ANumberIsReadExactlyOrNotAtAll) {
    // 30 zeros then "12": exactly 32 characters, the longest token there is.
    std::string t32 = std::string(30, '0') + "12";
    EXPECT_EQ(reader(t32 + "\r\n").read_int(), 12);
    EXPECT_EQ(reader("-" + std::string(29, '0') + "12 rest\r\n").read_int(), -12);
    // 33 characters: cutting them to 32 would read 0 (or 1), another number.
    EXPECT_EQ(error_of(std::string(32, '0') + "7\r\n", 1),
              "t.dat: line 1: a number longer than 32 characters");
    EXPECT_EQ(error_of("5\r\n\r\n" + std::string(31, '0') + "12\r\n", 2),
              "t.dat: line 3: a number longer than 32 characters");
    EXPECT_EQ(error_of(t32 + "x\r\n", 1), "t.dat: line 1: \"" + t32 + "x\" is not a number");
    EXPECT_EQ(reader("2147483647\r\n").read_int(), 2147483647);
    EXPECT_EQ(reader("-2147483648\r\n").read_int(), INT32_MIN);
    EXPECT_EQ(error_of("2147483648\r\n", 1), "t.dat: line 1: number out of range");
    EXPECT_EQ(error_of("-2147483649\r\n", 1), "t.dat: line 1: number out of range");
    EXPECT_EQ(error_of("99999999999999999999999\r\n", 1), "t.dat: line 1: number out of range");
}

TEST(DatReader, AByteFieldRefusesWhatDoesNotFitInsteadOfKeepingTheLow8Bits) {
    DatReader r = reader("0\r\n255\r\n\r\n300\r\n");
    EXPECT_EQ(r.read_byte(), 0);
    EXPECT_EQ(r.read_byte(), 255);
    try {
        r.read_byte();
        FAIL() << "300 read as a byte";
    } catch (const DataError& e) {
        EXPECT_EQ(std::string(e.what()), "t.dat: line 4: 300 does not fit in a byte (0..255)");
    }
    DatReader neg = reader("-1\r\n");
    EXPECT_THROW(neg.read_byte(), DataError);
    // Past the end a byte reads 0 like any number.
    DatReader end = reader("");
    EXPECT_EQ(end.read_byte(), 0);
}

TEST(DatReader, StringsAreWholeLinesInAnyLineEndConvention) {
    std::string sjis = *utf8_to_cp932("ルミナリア ﾎﾜｲﾄﾎｰﾙ");
    DatReader r = reader(sjis + "\r\n  padded  \nlast\rnext");
    EXPECT_EQ(r.read_string(), "ルミナリア ﾎﾜｲﾄﾎｰﾙ");
    EXPECT_EQ(r.read_string(), "  padded  ");
    EXPECT_EQ(r.read_string(), "last");
    EXPECT_EQ(r.read_string(), "next");
    EXPECT_EQ(r.read_string(), "");
}

TEST(DatReader, AStringAfterANumberStartsOnTheNextLine) {
    DatReader r = reader("5 trailing\r\nname\r\n");
    EXPECT_EQ(r.read_int(), 5);
    EXPECT_EQ(r.line(), 2);
    EXPECT_EQ(r.read_string(), "name");
}

TEST(DatReader, InvalidShiftJisIsReportedWithItsLine) {
    DatReader r = reader("ok\r\n\x81\x20\xff\r\n");
    r.read_string();
    try {
        r.read_string();
        FAIL() << "no error";
    } catch (const DataError& e) {
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(std::string(e.what()), "t.dat: line 2: not valid Shift-JIS (CP932) text");
    }
}

TEST(DatWriter, WritesCp932LinesEndingInCrLf) {
    DatWriter w("w.dat");
    w.write_string("哀古");
    w.write_int(-12);
    w.write_int(0);
    w.write_string("");
    w.write_string("a\r\nb");
    EXPECT_EQ(w.bytes(), "\x88\xa3\x8c\xc3\r\n-12\r\n0\r\n\r\na  b\r\n");
    EXPECT_EQ(w.lines(), 5);
    DatWriter bad("w.dat");
    bad.write_int(1);
    try {
        bad.write_string("emoji 😀");
        FAIL() << "no error";
    } catch (const DataError& e) {
        EXPECT_EQ(e.line(), 2);
        EXPECT_EQ(e.file(), "w.dat");
    }
}

TEST(Cp932, MeasuresBytesAndSplitsWithoutBreakingCharacters) {
    EXPECT_EQ(cp932_length("ab"), 2);
    EXPECT_EQ(cp932_length("ルミナリア"), 10);
    EXPECT_EQ(cp932_length("ﾎﾜｲﾄ"), 4);
    EXPECT_EQ(cp932_length("Ⅰ～"), 4);
    EXPECT_EQ(cp932_prefix("あいうえお", 5), "あい");
    EXPECT_EQ(cp932_suffix("あいうえお", 5), "うえお");
    EXPECT_EQ(cp932_prefix("aあい", 3), "aあ");
    // Every two-byte character the game writes survives a round trip.
    std::string all;
    for (int lead = 0x81; lead <= 0x84; ++lead)
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            std::string c{char(lead), char(trail)};
            if (auto u = cp932_to_utf8(c)) {
                auto back = utf8_to_cp932(*u);
                ASSERT_TRUE(back.has_value());
                EXPECT_EQ(*back, c) << std::hex << lead << trail;
            }
        }
}
