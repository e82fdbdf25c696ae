#include "fields/numeric_checks.h"

#include <clocale>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "numeric_oracle.h"

namespace quillet {
namespace {

// What the field ends up doing with a text: a comma conversion puts the
// converted text in, which is then judged in its own turn.
bool FieldKeeps(int kind, std::wstring_view text) {
    TextVerdict verdict = CheckText(kind, text);
    if (verdict == TextVerdict::ConvertComma) {
        std::wstring converted = ConvertCommas(text);
        verdict = CheckText(kind, converted);
        EXPECT_NE(verdict, TextVerdict::ConvertComma) << "converted text still converts";
    }
    return verdict == TextVerdict::Accept;
}

struct Case {
    int kind;
    const wchar_t* text;
    bool kept;
};

void ExpectCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(FieldKeeps(c.kind, c.text), c.kept)
            << "kind " << c.kind << " text [" << testing::PrintToString(std::wstring(c.text))
            << "]";
    }
}

TEST(NumericChecks, IntegerLimitsOfEveryKind) {
    ExpectCases({
        {KindUnsigned256, L"256", true},   {KindUnsigned256, L"257", false},
        {KindUnsigned256, L"0", true},     {KindShort, L"-32768", true},
        {KindShort, L"32767", true},       {KindShort, L"-32769", false},
        {KindShort, L"32768", false},      {KindUnsignedShort, L"65535", true},
        {KindUnsignedShort, L"65536", false}, {KindLong, L"-2147483648", true},
        {KindLong, L"2147483647", true},   {KindLong, L"2147483648", false},
        {KindLong, L"-2147483649", false}, {KindUnsignedLong, L"4294967295", true},
        {KindUnsignedLong, L"42949672950", false}, {KindUnsignedLong, L"4294967296", false},
        // Leading zeros are free, however many.
        {KindUnsigned256, L"0000000000000000000000000256", true},
        {KindShort, L"-000000000000000000000032768", true},
    });
}

TEST(NumericChecks, DigitStringsBeyondEveryNativeType) {
    // 20 digits overflow uint64; 40 overflow everything; the 19-digit one is
    // the first that a careless long long accumulation would wrap.
    const wchar_t* huge[] = {L"18446744073709551616", L"99999999999999999999",
                             L"9223372036854775808", L"1000000000000000000000000000000000000000",
                             L"18446744078004518911"};  // wraps to 4294967295 modulo 2^64
    for (int kind = KindUnsigned256; kind <= KindUnsignedLong; ++kind) {
        for (const wchar_t* text : huge) {
            EXPECT_FALSE(FieldKeeps(kind, text)) << kind << " " << text;
            if (kind == KindShort || kind == KindLong) {
                EXPECT_FALSE(FieldKeeps(kind, std::wstring(L"-") + text)) << kind << " -" << text;
            }
        }
    }
}

TEST(NumericChecks, IntegerFormsSpacesAndSigns) {
    for (int kind = KindUnsigned256; kind <= KindUnsignedLong; ++kind) {
        bool isSigned = kind == KindShort || kind == KindLong;
        ExpectCases({
            {kind, L"", true},     {kind, L"   ", true},   {kind, L"+", true},
            {kind, L" 12", true},  {kind, L"+12", true},   {kind, L"  +12", true},
            {kind, L"12 ", false}, {kind, L"+ 12", false}, {kind, L"1+2", false},
            {kind, L"1a", false},  {kind, L"\t1", false},  {kind, L"++1", false},
            {kind, L"1\u00e9", false}, {kind, L"\u0661", false},  // Arabic-Indic one
            {kind, L"-", isSigned},    {kind, L"-12", isSigned},  {kind, L"12-", false},
            {kind, L"-0", isSigned},   {kind, L" -5", isSigned},  {kind, L"-+5", false},
        });
    }
}

TEST(NumericChecks, RealForms) {
    for (int kind : {KindReal, KindNonNegativeReal}) {
        ExpectCases({
            {kind, L"", true},      {kind, L"  ", true},    {kind, L"1e5", true},
            {kind, L".-5", true},   {kind, L"1e", true},    {kind, L"1e+", true},
            {kind, L"1E-5", true},  {kind, L"  1.5", true}, {kind, L"1.", true},
            {kind, L".", true},     {kind, L"e5", false},   {kind, L"1e5.2", false},
            {kind, L"1e+-5", false}, {kind, L"1.2.3", false}, {kind, L"1 ", false},
            {kind, L"1e5e", false}, {kind, L"- 1", false},  {kind, L"1-", false},
            {kind, L".e5", false},  {kind, L"1x", false},   {kind, L"inf", false},
            {kind, L"0x10", false}, {kind, L"1e5,", false},
            // A comma is a point that the field writes as one.
            {kind, L"2,5", true},   {kind, L"1,5,5", false}, {kind, L"1.5,", false},
            {kind, L",", true},
        });
    }
    ExpectCases({
        {KindReal, L"-.5", true}, {KindReal, L"1e-", true}, {KindReal, L"-1e-5", true},
        {KindReal, L"-", true},   {KindReal, L"-,5", true},
    });
}

TEST(NumericChecks, NonNegativeRealRefusesOnlyValuesBelowZero) {
    ExpectCases({
        {KindNonNegativeReal, L"-", true},    {KindNonNegativeReal, L"-1", false},
        {KindNonNegativeReal, L"0", true},    {KindNonNegativeReal, L"-0", true},
        {KindNonNegativeReal, L"-0.000", true}, {KindNonNegativeReal, L"-.5", false},
        {KindNonNegativeReal, L".-5", true},  // the C conversion stops at ".": 0
        {KindNonNegativeReal, L"-,5", false}, {KindNonNegativeReal, L"-0e999", true},
        {KindNonNegativeReal, L"-1e-400", true},  // rounds to -0
        {KindNonNegativeReal, L"-1e-320", false},  // a subnormal, still below zero
        {KindNonNegativeReal, L"1e999", true},
    });
}

TEST(NumericChecks, RealValueIgnoresTheProcessLocale) {
    const char* before = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = before ? before : "C";
    // Any installed locale with a decimal comma will do; without one the
    // test still checks the C reading.
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE.utf8", "C.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) break;
    EXPECT_EQ(RealValue(L"2.5"), 2.5);
    EXPECT_EQ(RealValue(L" -1.5e1"), -15.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NumericChecks, CommaConversionIsAskedForOnlyWhereACommaIsAllowed) {
    EXPECT_EQ(CheckText(KindReal, L"1,"), TextVerdict::ConvertComma);
    EXPECT_EQ(CheckText(KindNonNegativeReal, L"1,5,5"), TextVerdict::ConvertComma);
    EXPECT_EQ(CheckText(KindReal, L"1.,"), TextVerdict::Refuse);
    EXPECT_EQ(CheckText(KindReal, L"1e,"), TextVerdict::Refuse);
    EXPECT_EQ(CheckText(KindReal, L"x,"), TextVerdict::Refuse);
    EXPECT_EQ(CheckText(KindUnsignedLong, L"1,"), TextVerdict::Refuse);
    EXPECT_EQ(ConvertCommas(L",1,,"), L".1..");
}

TEST(NumericChecks, KindsOutsideTheTableAcceptEverything) {
    for (int kind : {-1, 7, 1000}) {
        EXPECT_EQ(CheckText(kind, L"anything, 1,5,5 -"), TextVerdict::Accept);
        EXPECT_EQ(CheckText(kind, L""), TextVerdict::Accept);
    }
}

TEST(NumericChecks, CaretAfterSet) {
    // Refused keystroke: back to where the character went.
    EXPECT_EQ(CaretAfterSet(11, 11, L"4294967295"), 10);
    EXPECT_EQ(CaretAfterSet(3, 11, L"4294967295"), 2);
    // Behind a converted point the caret stays.
    EXPECT_EQ(CaretAfterSet(2, 2, L"1."), 2);
    EXPECT_EQ(CaretAfterSet(1, 1, L"."), 1);
    // A single refused character at the end: the caret stays...
    EXPECT_EQ(CaretAfterSet(1, 1, L""), 0);  // ...clamped to the empty text
    EXPECT_EQ(CaretAfterSet(1, 1, L"x"), 1);
    EXPECT_EQ(CaretAfterSet(0, 0, L""), 0);
    // ...but not in front of a longer text.
    EXPECT_EQ(CaretAfterSet(1, 2, L"12"), 0);
    EXPECT_EQ(CaretAfterSet(0, 3, L"12"), 0);
    // A paste may leave the caret far beyond the restored text.
    EXPECT_EQ(CaretAfterSet(25, 25, L"12"), 2);
}

// Builds texts from pieces that sit near the rules' edges far more often
// than random characters would.
std::wstring GenerateText(std::mt19937& rng) {
    static const std::vector<std::wstring> pieces = {
        L" ", L"+", L"-", L".", L",", L"e", L"E", L"0", L"1", L"5", L"9", L"00", L"256",
        L"257", L"32767", L"32768", L"65535", L"65536", L"2147483647", L"2147483648",
        L"4294967295", L"4294967296", L"18446744073709551616", L"999", L"x", L"\t",
        L"\u00e9", L"e-400", L"e999", L"1e-320"};
    std::uniform_int_distribution<int> count(0, 6);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::wstring text;
    for (int n = count(rng); n > 0; --n) text += pieces[pick(rng)];
    return text;
}

TEST(NumericChecks, AgreeWithAnIndependentReading) {
    std::mt19937 rng(20240611);
    int accepted[7] = {};
    for (int i = 0; i < 30000; ++i) {
        std::wstring text = GenerateText(rng);
        for (int kind = KindUnsigned256; kind <= KindNonNegativeReal; ++kind) {
            bool kept = FieldKeeps(kind, text);
            ASSERT_EQ(kept, oracle::Accepted(kind, text))
                << "kind " << kind << " text [" << testing::PrintToString(text) << "]";
            accepted[kind] += kept;
        }
    }
    // The generator must reach both verdicts for every kind to mean anything.
    for (int kind = 0; kind < 7; ++kind) EXPECT_GT(accepted[kind], 1000) << kind;
}

}  // namespace
}  // namespace quillet
