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

std::string Show(int kind, std::wstring_view text) {
    return " kind " + std::to_string(kind) + " " + testing::PrintToString(std::wstring(text));
}

// The limits and awkward forms read by hand, so that the independent
// reading below is held to them too.
TEST(NumericChecks, LimitsAndFormsReadByHand) {
    const std::tuple<int, const wchar_t*, bool> cases[] = {
        {KindUnsigned256, L"0000000000000000000000000256", true}, {KindUnsigned256, L"257", false},
        {KindShort, L"-32768", true}, {KindShort, L"-32769", false}, {KindUnsignedShort, L"65536", false},
        {KindLong, L"2147483647", true}, {KindLong, L"2147483648", false}, {KindUnsignedLong, L"4294967295", true},
        {KindUnsignedLong, L"18446744078004518911", false},  // wraps to 4294967295 in 64 bits
        {KindUnsignedLong, L"  +12", true}, {KindUnsignedLong, L"-0", false}, {KindLong, L"-", true},
        {KindLong, L"12 ", false}, {KindReal, L".-5", true}, {KindReal, L"1e+", true}, {KindReal, L"1e5.2", false},
        // Only values below zero are refused: -0 and what rounds to it are not.
        {KindNonNegativeReal, L"-1e-400", true}, {KindNonNegativeReal, L"-1e-320", false},
        {KindNonNegativeReal, L"-,5", false}, {KindNonNegativeReal, L"-1e999", false},
    };
    for (const auto& [kind, text, kept] : cases) {
        bool twice = false;
        EXPECT_EQ(oracle::FieldKeeps(kind, text, twice), kept) << Show(kind, text);
        EXPECT_EQ(oracle::Accepted(kind, text), kept) << "oracle" << Show(kind, text);
    }
}

TEST(NumericChecks, CommaConversionCaretAndLocale) {
    using V = TextVerdict;
    const std::tuple<int, const wchar_t*, V> verdicts[] = {{KindReal, L"1,", V::ConvertComma},
        {KindNonNegativeReal, L"1,5,5", V::ConvertComma}, {KindReal, L"1.,", V::Refuse},
        {KindReal, L"1e,", V::Refuse}, {KindUnsignedLong, L"1,", V::Refuse}};
    for (const auto& [kind, text, verdict] : verdicts) EXPECT_EQ(CheckText(kind, text), verdict) << Show(kind, text);
    EXPECT_EQ(ConvertCommas(L",1,,"), L".1..");
    // The caret goes back to where the refused character went: not from
    // behind a point, nor after a single character, and never beyond the end.
    const std::tuple<long, long, const wchar_t*, long> carets[] = {
        {11, 11, L"4294967295", 10}, {3, 11, L"4294967295", 2}, {2, 2, L"1.", 2}, {1, 1, L".", 1},
        {1, 1, L"x", 1}, {1, 1, L"", 0}, {1, 2, L"12", 0}, {0, 3, L"12", 0}, {25, 25, L"12", 2}};
    for (const auto& [from, to, text, caret] : carets)
        EXPECT_EQ(CaretAfterSet(from, to, text), caret) << from << "-" << to << Show(0, text);
    // A decimal-comma locale, where one is installed, must not change the reading.
    std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE.utf8"})
        if (std::setlocale(LC_NUMERIC, name)) break;
    EXPECT_EQ(RealValue(L" -1.5e1"), -15.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NumericChecks, AgreeWithAnIndependentReading) {
    // Pieces near the rules' edges, which random characters would rarely hit.
    const std::vector<std::wstring> pieces = {
        L" ", L"+", L"-", L".", L",", L"e", L"E", L"0", L"1", L"5", L"9", L"00", L"256", L"257", L"32767",
        L"32768", L"65535", L"65536", L"2147483647", L"2147483648", L"4294967295", L"4294967296",
        L"18446744073709551616", L"999", L"x", L"\t", L"\u00e9", L"e-400", L"e999", L"1e-320"};
    std::mt19937 rng(20240611);
    int accepted[9] = {};
    for (int i = 0; i < 30000; ++i) {
        std::wstring text;
        for (int n = rng() % 7; n > 0; --n) text += pieces[rng() % pieces.size()];
        for (int kind = -1; kind <= 7; ++kind) {
            bool twice = false, kept = oracle::FieldKeeps(kind, text, twice);
            ASSERT_FALSE(twice) << "converted text still converts" << Show(kind, text);
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
