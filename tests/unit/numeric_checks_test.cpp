#include "fields/numeric_checks.h"

#include <clocale>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "numeric_oracle.h"

namespace quillet {
namespace {

// What the field ends up holding: a comma conversion puts the converted text
// in, which is then judged in its own turn.
bool FieldKeeps(int kind, std::wstring_view text) {
    TextVerdict verdict = CheckText(kind, text);
    if (verdict == TextVerdict::ConvertComma) {
        verdict = CheckText(kind, ConvertCommas(text));
        EXPECT_NE(verdict, TextVerdict::ConvertComma) << "converted text still converts";
    }
    return verdict == TextVerdict::Accept;
}

std::string Show(int kind, std::wstring_view text) {
    return " kind " + std::to_string(kind) + " " + testing::PrintToString(std::wstring(text));
}

void Expect(int kind, std::initializer_list<const wchar_t*> texts, bool kept) {
    for (const wchar_t* text : texts) EXPECT_EQ(FieldKeeps(kind, text), kept) << Show(kind, text);
}

TEST(NumericChecks, IntegerKinds) {
    Expect(KindUnsigned256, {L"0", L"256", L"0000000000000000000000000256"}, true);
    Expect(KindShort, {L"-32768", L"32767", L"-000000000000000000000032768"}, true);
    Expect(KindUnsignedShort, {L"65535"}, true);
    Expect(KindLong, {L"-2147483648", L"2147483647"}, true);
    Expect(KindUnsignedLong, {L"4294967295"}, true);
    Expect(KindUnsigned256, {L"257"}, false);
    Expect(KindShort, {L"-32769", L"32768"}, false);
    Expect(KindUnsignedShort, {L"65536"}, false);
    Expect(KindLong, {L"-2147483649", L"2147483648"}, false);
    Expect(KindUnsignedLong, {L"4294967296", L"42949672950"}, false);
    for (int kind = KindUnsigned256; kind <= KindUnsignedLong; ++kind) {
        Expect(kind, {L"", L"   ", L"+", L" 12", L"+12", L"  +12"}, true);
        Expect(kind, {L"12 ", L"+ 12", L"1+2", L"1a", L"\t1", L"++1", L"1\u00e9", L"\u0661",
                      L"12-", L"-+5", L"1,",
                      // Beyond every native type; the last wraps to 4294967295 in 64 bits.
                      L"9223372036854775808", L"18446744073709551616", L"-99999999999999999999",
                      L"1000000000000000000000000000000000000000", L"18446744078004518911"},
               false);
        Expect(kind, {L"-", L"-12", L"-0", L" -5"}, kind == KindShort || kind == KindLong);
    }
}

TEST(NumericChecks, RealKinds) {
    for (int kind : {KindReal, KindNonNegativeReal}) {
        Expect(kind, {L"", L"  ", L"1e5", L".-5", L"1e", L"1e+", L"1e-", L"1E-5", L"  1.5", L"1.",
                      L".", L"2,5", L",", L"-", L"-0", L"-0.000", L"-0e999", L"1e999"},
               true);
        Expect(kind, {L"e5", L"1e5.2", L"1e+-5", L"1.2.3", L"1 ", L"1e5e", L"- 1", L"1-", L".e5",
                      L"1x", L"inf", L"0x10", L"1e5,", L"1,5,5", L"1.5,"},
               false);
    }
    Expect(KindReal, {L"-.5", L"-1e-5", L"-,5", L"-1e-320"}, true);
    // Only values below zero are refused: -0 and what rounds to it are not.
    Expect(KindNonNegativeReal, {L"-1e-400"}, true);
    Expect(KindNonNegativeReal, {L"-.5", L"-1e-5", L"-,5", L"-1e-320", L"-1e999"}, false);
}

TEST(NumericChecks, CommaConversionAndLocale) {
    using V = TextVerdict;
    const std::tuple<int, const wchar_t*, V> verdicts[] = {{KindReal, L"1,", V::ConvertComma},
        {KindNonNegativeReal, L"1,5,5", V::ConvertComma}, {KindReal, L"1.,", V::Refuse},
        {KindReal, L"1e,", V::Refuse}, {KindUnsignedLong, L"1,", V::Refuse}};
    for (const auto& [kind, text, verdict] : verdicts)
        EXPECT_EQ(CheckText(kind, text), verdict) << Show(kind, text);
    EXPECT_EQ(ConvertCommas(L",1,,"), L".1..");
    // A decimal-comma locale, where one is installed, must not change the reading.
    std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE.utf8"})
        if (std::setlocale(LC_NUMERIC, name)) break;
    EXPECT_EQ(RealValue(L" -1.5e1"), -15.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NumericChecks, CaretGoesBackToWhereTheRefusedCharacterWent) {
    // Not from behind a point, nor after a single character, and never beyond the end.
    const std::tuple<long, long, const wchar_t*, long> cases[] = {
        {11, 11, L"4294967295", 10}, {3, 11, L"4294967295", 2}, {2, 2, L"1.", 2}, {1, 1, L".", 1},
        {1, 1, L"x", 1}, {1, 1, L"", 0}, {1, 2, L"12", 0}, {0, 3, L"12", 0}, {25, 25, L"12", 2}};
    for (const auto& [from, to, text, caret] : cases)
        EXPECT_EQ(CaretAfterSet(from, to, text), caret) << from << "-" << to << Show(0, text);
}

TEST(NumericChecks, AgreeWithAnIndependentReading) {
    // Pieces near the rules' edges, which random characters would rarely hit.
    const std::vector<std::wstring> pieces = {
        L" ", L"+", L"-", L".", L",", L"e", L"E", L"0", L"1", L"5", L"9", L"00", L"256",
        L"257", L"32767", L"32768", L"65535", L"65536", L"2147483647", L"2147483648",
        L"4294967295", L"4294967296", L"18446744073709551616", L"999", L"x", L"\t",
        L"\u00e9", L"e-400", L"e999", L"1e-320"};
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> count(0, 6);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    int accepted[9] = {};
    for (int i = 0; i < 30000; ++i) {
        std::wstring text;
        for (int n = count(rng); n > 0; --n) text += pieces[pick(rng)];
        for (int kind = -1; kind <= 7; ++kind) {
            bool kept = FieldKeeps(kind, text);
            ASSERT_EQ(kept, oracle::Accepted(kind, text)) << Show(kind, text);
            accepted[kind + 1] += kept;
        }
    }
    // Both verdicts must be common for every kind for the test to mean anything.
    for (int kind = 0; kind <= 6; ++kind)
        EXPECT_TRUE(accepted[kind + 1] > 1000 && accepted[kind + 1] < 29000) << kind << " " << accepted[kind + 1];
}

}  // namespace
}  // namespace quillet
