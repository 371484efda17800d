#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "core/numtext.h"

namespace qcal {
namespace {

struct NumCase {
    const char* text;
    std::optional<double> expected;
};

void PrintTo(const NumCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseNumberTest : public ::testing::TestWithParam<NumCase> {};

TEST_P(ParseNumberTest, ReadsTheGrammar)
{
    const auto& c = GetParam();
    const auto got = ParseNumber(c.text);
    if (!c.expected) {
        EXPECT_FALSE(got.has_value()) << "got " << *got;
    } else {
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, *c.expected);
    }
}

const NumCase kNumeric[] = {
    {"0", 0.0},
    {"1", 1.0},
    {"10", 10.0},
    {"9.45", 9.45},
    {"2.7", 2.7},
    {"+5", 5.0},
    {"-1", -1.0},
    {"-4595", -4595.0},
    {".5", 0.5},
    {"5.", 5.0},
    {"-.5", -0.5},
    {"+.25", 0.25},
    {"1,500", 1500.0},
    {"1,000", 1000.0},
    {"1,000,000", 1000000.0},
    {"10,000.00", 10000.0},
    {"1,5,00", 1500.0},      // group sizes are not checked
    {"12,34", 1234.0},
    {"1e3", 1000.0},
    {"1E3", 1000.0},
    {"1e+3", 1000.0},
    {"1e-3", 0.001},
    {"2.5E-1", 0.25},
    {"1,000e2", 100000.0},
    {".5e1", 5.0},
    {"5.e1", 50.0},
    {"  42  ", 42.0},
    {"\t7\t", 7.0},
    {" \t -3.25 \t ", -3.25},
    {"000123", 123.0},
    {"0.00", 0.0},
    {"9.12345678", 9.12345678},
    {"214748.3648", 214748.3648},
    {"1e308", 1e308},
    {"1e-999", 0.0},          // too small to hold: reads as 0
    {"0e999", 0.0},
    {"0.0000e99999999999999999999", 0.0},
    {"1e-99999999999999999999", 0.0},
};
INSTANTIATE_TEST_SUITE_P(ParseNumeric, ParseNumberTest, ::testing::ValuesIn(kNumeric));

const NumCase kNotNumeric[] = {
    {"", std::nullopt},
    {" ", std::nullopt},
    {"\t", std::nullopt},
    {"abc", std::nullopt},
    {"+", std::nullopt},
    {"-", std::nullopt},
    {".", std::nullopt},
    {"-.", std::nullopt},
    {"e5", std::nullopt},
    {".e5", std::nullopt},
    {"1e", std::nullopt},
    {"1e+", std::nullopt},
    {"1e-", std::nullopt},
    {"1e5.5", std::nullopt},
    {",5", std::nullopt},
    {"5,", std::nullopt},
    {"1,,5", std::nullopt},
    {"1,.5", std::nullopt},
    {"1.5,0", std::nullopt},
    {"-,5", std::nullopt},
    {"1 000", std::nullopt},
    {"1.2.3", std::nullopt},
    {"--1", std::nullopt},
    {"+-1", std::nullopt},
    {"1-", std::nullopt},
    {"(1)", std::nullopt},
    {"$1", std::nullopt},
    {"0x10", std::nullopt},
    {"&H10", std::nullopt},
    {"inf", std::nullopt},
    {"nan", std::nullopt},
    {"infinity", std::nullopt},
    {"1e999", std::nullopt},  // not finite
    {"-1e999", std::nullopt},
    {"1e99999999999999999999", std::nullopt},
    {"2,7abc", std::nullopt},
    {"1\n", std::nullopt},
    {"１２", std::nullopt},    // full-width digits
};
INSTANTIATE_TEST_SUITE_P(ParseNotNumeric, ParseNumberTest, ::testing::ValuesIn(kNotNumeric));

TEST(ParseNumber, FourHundredDigitsAreNotNumeric)
{
    EXPECT_FALSE(ParseNumber(std::string(400, '9')).has_value());
    EXPECT_FALSE(ParseNumber("-" + std::string(400, '9')).has_value());
    // ... but 400 digits after the point are fine.
    const auto v = ParseNumber("0." + std::string(400, '3'));
    ASSERT_TRUE(v.has_value());
    EXPECT_DOUBLE_EQ(*v, 1.0 / 3.0);
}

TEST(ParseNumber, NegativeZeroKeepsItsValue)
{
    const auto v = ParseNumber("-0");
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(*v, 0.0);
}

TEST(ParseNumber, SubnormalValuesAreFinite)
{
    const auto v = ParseNumber("4e-320");
    ASSERT_TRUE(v.has_value());
    EXPECT_GE(*v, 0.0);
    EXPECT_LT(*v, 1e-300);
}

TEST(ParseNumber, IgnoresTheCLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "ru_RU.UTF-8"};
    const char* chosen = nullptr;
    for (const char* name : candidates) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    // The C library now reads "2.7" as 2 (that is the fault to avoid).
    const double libc = std::strtod("2.7", nullptr);
    const auto v = ParseNumber("2.7");
    const auto w = ParseNumber("1,500.25");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(libc, 2.0) << "the locale " << chosen << " has no decimal comma";
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(*v, 2.7);
    ASSERT_TRUE(w.has_value());
    EXPECT_EQ(*w, 1500.25);
}

TEST(ParseNumber, NumberOrZero)
{
    EXPECT_EQ(NumberOrZero(""), 0.0);
    EXPECT_EQ(NumberOrZero("abc"), 0.0);
    EXPECT_EQ(NumberOrZero("1e999"), 0.0);
    EXPECT_EQ(NumberOrZero("10,061.00"), 10061.0);
    EXPECT_EQ(NumberOrZero(" -3 "), -3.0);
}

} // namespace
} // namespace qcal
