// The pieces below the C interface: configuration parsing, the password
// hash, UTF-8 cutting.
#include "store/engine/engine_config.h"
#include "store/engine/password_hash.h"
#include "store/engine/utf8_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string Hex(const std::array<uint8_t, 32>& d) {
    std::string s;
    char b[3];
    for (uint8_t c : d) {
        std::snprintf(b, sizeof b, "%02x", c);
        s += b;
    }
    return s;
}

} // namespace

TEST(EngineConfig, ReadsAliasesOfTheAliasesSectionOnly) {
    TEngineConfig c = ParseEngineConfig("\xEF\xBB\xBF; comment\r\n"
                                        "[Other]\r\nQuestoes=/wrong\r\n"
                                        "[ aliases ]\r\n"
                                        "  Questoes = C:\\ZQ\\Questoes\\  \r\n"
                                        "# another comment\n"
                                        "no equals sign\n"
                                        "=novalue\n"
                                        "Empty=\n"
                                        "Dados=/srv/dados\n");
    EXPECT_EQ("C:\\ZQ\\Questoes\\", c.FindAlias("QUESTOES").value_or("-"));
    EXPECT_EQ("/srv/dados", c.FindAlias("dados").value_or("-"));
    EXPECT_FALSE(c.FindAlias("Empty"));
    EXPECT_FALSE(c.FindAlias(""));
    EXPECT_EQ(2u, c.Aliases.size());
}

TEST(EngineConfig, LaterLineForTheSameAliasWins) {
    TEngineConfig c = ParseEngineConfig("[Aliases]\nA=/one\na=/two\n");
    EXPECT_EQ("/two", c.FindAlias("A").value_or("-"));
}

TEST(EngineConfig, BinaryJunkYieldsNothing) {
    std::string junk("[Aliases]\nA\0B=/x\n\xff\xfe=\x01\n[", 24);
    TEngineConfig c = ParseEngineConfig(junk);
    EXPECT_FALSE(c.FindAlias("A"));
}

TEST(PasswordHash, Sha256MatchesTheStandardVectors) {
    EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", Hex(Sha256("")));
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
              Hex(Sha256("abc")));
    EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
              Hex(Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")));
    EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
              Hex(Sha256(std::string(1000000, 'a'))));
}

TEST(PasswordHash, SaltMakesHashesDiffer) {
    std::string s1 = NewPasswordSalt(), s2 = NewPasswordSalt();
    EXPECT_EQ(32u, s1.size());
    EXPECT_NE(s1, s2);
    EXPECT_EQ(HashPassword("marmelada", s1), HashPassword("marmelada", s1));
    EXPECT_NE(HashPassword("marmelada", s1), HashPassword("marmelada", s2));
    EXPECT_NE(HashPassword("marmelada", s1), HashPassword("Marmelada", s1));
}

struct TUtf8Case {
    const char* Name;
    std::string Text;
    bool Valid;
};

class Utf8Validity : public ::testing::TestWithParam<TUtf8Case> {};

void PrintTo(const TUtf8Case& c, std::ostream* os) {
    *os << c.Name;
}

TEST_P(Utf8Validity, TellsWellFormedText) {
    EXPECT_EQ(GetParam().Valid, IsValidUtf8(GetParam().Text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Validity,
    ::testing::Values(
        TUtf8Case{"Ascii", "abc", true}, TUtf8Case{"Accents", "a\xc3\xa7\xc3\xa3o", true},
        TUtf8Case{"Emoji", "\xf0\x9f\x98\x80", true}, TUtf8Case{"Truncated", "\xc3", false},
        TUtf8Case{"Overlong", "\xc0\xaf", false}, TUtf8Case{"Surrogate", "\xed\xa0\x80", false},
        TUtf8Case{"Latin1", "a\xe7\xe3o", false},
        TUtf8Case{"BeyondUnicode", "\xf4\x90\x80\x80", false},
        // Runs of ASCII longer than a machine word,
        // with the fault before, inside and after them.
        TUtf8Case{"LongAsciiThenAccent", "Qual a resposta certa? \xc3\xa9 esta", true},
        TUtf8Case{"BadByteInsideFirstWord",
                  "abc\xff"
                  "defghijklmnop",
                  false},
        TUtf8Case{"BadByteAfterLongAscii", "abcdefghijklmnopq\xff", false},
        TUtf8Case{"TruncatedAfterLongAscii", "abcdefghijklmno\xc3", false},
        TUtf8Case{"BadByteBetweenAccents",
                  "\xc3\xa7"
                  "abcdefghij\x80klmnop\xc3\xa3",
                  false},
        TUtf8Case{"AccentInLastBytes", "abcdefghij\xc3\xa7", true},
        TUtf8Case{"StrayContinuationInLastBytes", "abcdefgh\xc3\xa7\xa7", false}),
    [](const auto& info) { return std::string(info.param.Name); });

// The word-at-a-time check against the plain decoder that cutting uses: a
// text is valid exactly when cutting it to its length keeps all of it.
TEST(Utf8Validity, AgreesWithThePlainDecoderOnMixedText) {
    const unsigned char pieces[] = {'a',  ' ',  '?',  0xc3, 0xa7, 0x80, 0xe2, 0x82,
                                    0xac, 0xf0, 0x9f, 0x98, 0xff, 0xed, 0xa0, 0xc0};
    std::mt19937 random(20261208);
    int valid = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        size_t length = random() % 41;
        while (text.size() < length) {
            if (random() % 3 == 0)
                text += "\xc3\xa3"; // a whole character now and then
            else
                text += char(pieces[random() % sizeof pieces]);
        }
        bool expected = CutToCharacters(text, text.size()).size() == text.size();
        valid += expected;
        ASSERT_EQ(expected, IsValidUtf8(text)) << ::testing::PrintToString(text);
    }
    EXPECT_GT(valid, 100); // the mix holds valid texts as well as broken ones
}

TEST(Utf8Cut, NeverSplitsACharacter) {
    EXPECT_EQ("a\xc3\xa7", CutToCharacters("a\xc3\xa7\xc3\xa3o", 2));
    EXPECT_EQ("", CutToCharacters("\xc3\xa7", 0));
    EXPECT_EQ("\xf0\x9f\x98\x80", CutToCharacters("\xf0\x9f\x98\x80\xf0\x9f\x98\x80", 1));
    EXPECT_EQ(3u, CountCharacters("a\xc3\xa7\xf0\x9f\x98\x80"));
}
