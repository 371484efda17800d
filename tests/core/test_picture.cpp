#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "core/picture.h"
#include "core/rounding.h"

namespace qcal {
namespace {

struct PictureCase {
    double value;
    const char* picture;
    const char* expected;
};

void PrintTo(const PictureCase& c, std::ostream* os)
{
    *os << c.value << " with \"" << c.picture << "\"";
}

class PictureTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(PictureTest, Formats)
{
    const auto& c = GetParam();
    EXPECT_EQ(FormatPicture(c.value, c.picture), c.expected);
}

const PictureCase kAmounts[] = {
    {10000, "###,##0.00", "10,000.00"},
    {30, "###,##0.00", "30.00"},
    {1, "###,##0.00", "1.00"},
    {61, "###,##0.00", "61.00"},
    {10061, "###,##0.00", "10,061.00"},
    {0, "###,##0.00", "0.00"},
    {0.5, "###,##0.00", "0.50"},
    {-4595, "###,##0.00", "-4,595.00"},
    {-0.001, "###,##0.00", "0.00"},   // rounds to zero: no "-0.00"
    {-0.004999, "###,##0.00", "0.00"},
    {-0.005, "###,##0.00", "-0.01"},
    {-0.0, "###,##0.00", "0.00"},
    {999.995, "###,##0.00", "1,000.00"},
    {999999.999, "###,##0.00", "1,000,000.00"},
    {1234567.891, "###,##0.00", "1,234,567.89"},
    {123456789012.34, "###,##0.00", "123,456,789,012.34"},
    {922337203685477.0, "###,##0.00", "922,337,203,685,477.00"},
    {999999999999999.0, "###,##0.00", "999,999,999,999,999.00"},
    {1e15, "###,##0.00", "1,000,000,000,000,000.00"},
    {9.303, "###,##0.00", "9.30"},
};
INSTANTIATE_TEST_SUITE_P(PictureAmounts, PictureTest, ::testing::ValuesIn(kAmounts));

// Halves away from zero, decided on the decimal form to 15 significant digits.
const PictureCase kHalves[] = {
    {1.005, "0.00", "1.01"},
    {2.675, "0.00", "2.68"},
    {1.015, "0.00", "1.02"},
    {1.025, "0.00", "1.03"},
    {-1.005, "0.00", "-1.01"},
    {-2.675, "0.00", "-2.68"},
    {0.125, "0.00", "0.13"},
    {0.135, "0.00", "0.14"},
    {1.0049999999, "0.00", "1.00"},
    {0.5, "#0", "1"},
    {1.5, "#0", "2"},
    {2.5, "#0", "3"},
    {-2.5, "#0", "-3"},
    {-0.5, "#0", "-1"},
    {-0.4, "#0", "0"},
    {10.0605, "###,##0.000", "10.061"},
    {10.1225, "##0.000", "10.123"},
    {1.0005, "##0.00##", "1.0005"},
    {1.00005, "##0.00##", "1.0001"},
    {0.1 + 0.2, "0.00", "0.30"},
    {4.35 * 100, "#0", "435"},
};
INSTANTIATE_TEST_SUITE_P(PictureHalves, PictureTest, ::testing::ValuesIn(kHalves));

const PictureCase kPrices[] = {
    {9.4, "##0.00##", "9.40"},
    {9.45, "##0.00##", "9.45"},
    {10, "##0.00##", "10.00"},
    {9.4567, "##0.00##", "9.4567"},
    {9.45678, "##0.00##", "9.4568"},
    {9.1235, "##0.00##", "9.1235"},
    {9.123, "##0.00##", "9.123"},
    {0.005, "##0.00##", "0.005"},
    {0.00005, "##0.00##", "0.0001"},
    {0.00004, "##0.00##", "0.00"},
    {0, "##0.00##", "0.00"},
    {214748.3647, "##0.00##", "214748.3647"},
    {1234567.5, "##0.00##", "1234567.50"},
    {1.5, "###,###,##0.00##", "1.50"},
    {1234567.12345, "###,###,##0.00##", "1,234,567.1235"},
    {1234567.1, "###,###,##0.00", "1,234,567.10"},
    {10.123, "###,##0.000", "10.123"},
    {10.121, "###,##0.000", "10.121"},
    {10.12, "###,##0.000", "10.120"},
    {1234.5, "###,##0.000", "1,234.500"},
    {1234.5, "##0.000", "1234.500"},
    {0, "##0.000", "0.000"},
    {1.51, "##0.000", "1.510"},
    {1.5, "##0.00", "1.50"},
    {0, "##0.00", "0.00"},
    {1.234, "##0.00", "1.23"},
    {12345.678, "##0.00", "12345.68"},
    {0.126, "0.00", "0.13"},
    {123.4, "0.00", "123.40"},
};
INSTANTIATE_TEST_SUITE_P(PicturePrices, PictureTest, ::testing::ValuesIn(kPrices));

const PictureCase kWhole[] = {
    {1000, "###,###", "1,000"},
    {0, "###,###", ""},
    {0.4, "###,###", ""},
    {-0.4, "###,###", ""},
    {150.4, "###,###", "150"},
    {150.5, "###,###", "151"},
    {999, "###,###", "999"},
    {1234567, "###,###", "1,234,567"},
    {-1000, "###,###", "-1,000"},
    {1000, "###,###,###", "1,000"},
    {150.4, "###,###,###", "150"},
    {150.5, "###,###,###", "151"},
    {150, "###,###,###", "150"},
    {0, "###,###,###", ""},
    {999999.5, "###,###,###", "1,000,000"},
    {1234567890, "###,###,###", "1,234,567,890"},
    {999999999999999.0, "###,###,###", "999,999,999,999,999"},
    {0.5, "###,###.00", ".50"},
    {0, "###,###.00", ".00"},
    {1234.5, "###,###.00", "1,234.50"},
    {-0.5, "###,###.00", "-.50"},
    {3, "#0", "3"},
    {0, "#0", "0"},
    {10, "#0", "10"},
    {12345, "#0", "12345"},
};
INSTANTIATE_TEST_SUITE_P(PictureWhole, PictureTest, ::testing::ValuesIn(kWhole));

// The general language beyond the pictures in use.
const PictureCase kGeneral[] = {
    {5, "000", "005"},
    {5, "0#0", "005"},  // every digit from the first "0" on is shown
    {5, "#0#", "05"},
    {1234, "000", "1234"},
    {1234, "#,##0", "1,234"},
    {1.5, "0", "2"},
    {1.25, "0.0#", "1.25"},
    {1.2, "0.0#", "1.2"},
    {1, "0.##", "1"},
    {1.5, "#.##", "1.5"},
    {0.5, "#.##", ".5"},
    {0, "#.##", ""},
    {7, "", "7"},
};
INSTANTIATE_TEST_SUITE_P(PictureGeneral, PictureTest, ::testing::ValuesIn(kGeneral));

TEST(PictureEdges, HugeAndNonFiniteDoNotCrash)
{
    const std::string huge = FormatPicture(1e300, "###,##0.00");
    EXPECT_EQ(huge.substr(0, 4), "1,00");
    EXPECT_EQ(huge.substr(huge.size() - 3), ".00");
    EXPECT_EQ(huge.size(), 301u + 100u + 3u);  // 301 digits, 100 commas, ".00"
    EXPECT_EQ(FormatPicture(-std::numeric_limits<double>::max(), "#0").size(), 310u);
    EXPECT_EQ(FormatPicture(std::numeric_limits<double>::quiet_NaN(), "##0.00"), "NaN");
    EXPECT_EQ(FormatPicture(std::numeric_limits<double>::infinity(), "##0.00"), "Infinity");
    EXPECT_EQ(FormatPicture(-std::numeric_limits<double>::infinity(), "##0.00"), "-Infinity");
    EXPECT_EQ(FormatPicture(std::numeric_limits<double>::denorm_min(), "##0.00##"), "0.00");
    EXPECT_EQ(FormatPicture(-std::numeric_limits<double>::denorm_min(), "##0.00##"), "0.00");
}

struct PlainCase {
    double value;
    const char* expected;
};
void PrintTo(const PlainCase& c, std::ostream* os) { *os << c.value; }

class PlainTest : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainTest, Formats)
{
    EXPECT_EQ(FormatPlain(GetParam().value), GetParam().expected);
}

const PlainCase kPlain[] = {
    {1300, "1300"},
    {0.5, "0.5"},
    {1.555, "1.555"},
    {10.061, "10.061"},
    {-4595, "-4595"},
    {0, "0"},
    {-0.0, "0"},
    {1e-5, "0.00001"},
    {-1e-5, "-0.00001"},
    {0.1 + 0.2, "0.3"},
    {1.0 / 3.0, "0.333333333333333"},
    {2.0 / 3.0, "0.666666666666667"},
    {123456789012345.0, "123456789012345"},
    {1e15, "1000000000000000"},
    {922337203685477.5807, "922337203685478"},
    {1e20, "100000000000000000000"},
    {1e-20, "0.00000000000000000001"},
    {1e21, "1e+21"},
    {1e-21, "1e-21"},
    {1e300, "1e+300"},
    {9.303, "9.303"},
    {10000, "10000"},
};
INSTANTIATE_TEST_SUITE_P(PicturePlain, PlainTest, ::testing::ValuesIn(kPlain));

TEST(PicturePlainEdges, NonFinite)
{
    EXPECT_EQ(FormatPlain(std::numeric_limits<double>::quiet_NaN()), "NaN");
    EXPECT_EQ(FormatPlain(std::numeric_limits<double>::infinity()), "Infinity");
    EXPECT_EQ(FormatPlain(-std::numeric_limits<double>::infinity()), "-Infinity");
}

} // namespace
} // namespace qcal

namespace qcal {
namespace {

TEST(PictureLocale, IgnoresTheCLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    const char* chosen = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    const std::string amount = FormatPicture(1234.5, "###,##0.00");
    const std::string price = FormatPicture(9.4567, "##0.00##");
    const std::string plain = FormatPlain(10.061);
    const std::string huge = FormatPlain(1e300);
    const double up = RoundUpToThousandth(10061.1);
    const double exact = RoundUpToThousandth(2007.0000000000002);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(amount, "1,234.50");
    EXPECT_EQ(price, "9.4567");
    EXPECT_EQ(plain, "10.061");
    EXPECT_EQ(huge, "1e+300");
    EXPECT_EQ(up, 10.062);
    EXPECT_EQ(exact, 2.007);
}

} // namespace
} // namespace qcal
