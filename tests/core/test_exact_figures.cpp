// Figures exact at the edges: numeric texts read without spelling out huge exponents, Money read and
// formatted from its digits, and the cost per share rounded up on the exact fraction; each checked
// against a model in 128-bit integers on random values of every size.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "core/average_down.h"
#include "core/batch.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/recalculate.h"
#include "core/rounding.h"
#include "core/target.h"
#include "main_state_fixture.h"

namespace qcal {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

// Raw values spread over every magnitude, from a few ten-thousandths to the ends of the range.
std::int64_t RandomRaw(std::mt19937_64& random)
{
    const int digits = static_cast<int>(random() % 19) + 1;
    std::int64_t limit = 1;
    for (int i = 0; i < digits && limit <= kMax / 10; ++i)
        limit *= 10;
    const auto raw = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(limit));
    return random() % 2 ? -raw : raw;
}

// Reading ------------------------------------------------------------------------------------------

// Each of these once took seconds and hundreds of megabytes: the exponent was spelt out in zeros.
TEST(ExactReading, HugeExponentsAreRefusedWithoutSpellingThemOut)
{
    for (const char* text : {"30E90000000900", "1e99999999", "-7.5e999999999", "1e18", "0.1e2000000000",
                             "1,000e99999999999999999999"}) {
        EXPECT_FALSE(ParseExactDecimal(text)) << text;
        EXPECT_FALSE(ParseMoney(text)) << text;
        EXPECT_THROW(MoneyOrZero(text), OutOfRange) << text;
    }
    for (const char* text : {"1e-99999999", "5e-5", "-0e999999999"})
        EXPECT_EQ(ParseMoney(text), Money()) << text;
    EXPECT_FALSE(ParseExactDecimal("1e-99999999"));
    EXPECT_EQ(ParseExactDecimal("-0e999999999"), (ExactDecimal{0, 0}));
    EXPECT_EQ(ParseExactDecimal("1e17"), (ExactDecimal{100000000000000000, 0}));
    EXPECT_EQ(ParseExactDecimal("1000e-3"), (ExactDecimal{1, 0}));
    EXPECT_EQ(ParseExactDecimal("-12.5e-17"), (ExactDecimal{-125, 18}));
}

TEST(ExactReading, MoneyRoundsToFourDecimalsHalvesToEven)
{
    const struct {
        const char* text;
        std::int64_t raw;
    } cases[] = {{"0.00005", 0},  {"0.00015", 2},     {"0.000151", 2},        {"-0.00015", -2},
                 {"0.000049", 0}, {"1,234.5", 12345000}, {"1e14", 1000000000000000000}, {".5e-3", 5},
                 {"922337203685477.5807", kMax}, {"-922337203685477.5807", -kMax},
                 {"20,110,392,857,087.96", 201103928570879600}};
    for (const auto& c : cases)
        EXPECT_EQ(ParseMoney(c.text), Money::FromRaw(c.raw)) << c.text;
    for (const char* text : {"922337203685477.5808", "922337203685477.58075", "1e15", "abc", "", "1e"})
        EXPECT_FALSE(ParseMoney(text)) << text;
    EXPECT_EQ(MoneyOrZero("abc"), Money());
}

// Formatting ---------------------------------------------------------------------------------------

struct Picture {
    std::string_view text;
    int decimals;
};
constexpr Picture kPictures[] = {{kAmountPicture, 2}, {kPricePicture, 4}, {kThousandthsPicture, 3},
                                 {kSharesPicture, 0}, {"###,###.00", 2},  {"0.0000", 4}};

// raw / 10^4 rounded to `decimals` places, halves away from zero, in ten-thousandths.
Int128 RoundedAway(std::int64_t raw, int decimals)
{
    Int128 unit = 1;
    for (int i = decimals; i < 4; ++i)
        unit *= 10;
    const Int128 magnitude = raw < 0 ? -static_cast<Int128>(raw) : raw;
    const Int128 rounded = (magnitude + unit / 2) / unit * unit;
    return raw < 0 ? -rounded : rounded;
}

// Money shows every digit: the text reads back as the value rounded where the picture stops, and
// where a double holds the digits (below 10^15 ten-thousandths) it is the text a double shows.
TEST(ExactFormatting, MoneyShowsItsOwnDigitsRoundedHalvesAwayFromZero)
{
    std::mt19937_64 random(6);
    for (int i = 0; i < 6000; ++i) {
        const std::int64_t raw = i == 0 ? kMin : i == 1 ? kMax : RandomRaw(random);
        const Money m = Money::FromRaw(raw);
        for (const Picture& picture : kPictures) {
            const std::string text = FormatPicture(m, picture.text);
            const Int128 expected = RoundedAway(raw, picture.decimals);
            if (expected > kMax || expected < kMin) {
                EXPECT_EQ(text.substr(text.find_first_not_of('-'), 3), "922") << raw;
                continue;
            }
            const Money shown = text.empty() ? Money() : ParseMoney(text).value_or(Money::FromRaw(1));
            ASSERT_EQ(shown.Raw(), static_cast<std::int64_t>(expected)) << raw << " with " << picture.text << ": " << text;
            if (raw > -1000000000000000 && raw < 1000000000000000) {
                ASSERT_EQ(text, FormatPicture(m.ToDouble(), picture.text)) << raw << " with " << picture.text;
            }
        }
    }
}

// Rounding a cost up ---------------------------------------------------------------------------------

// The least thousandth t with t × shares ≥ money, on exact 128-bit products.
TEST(ExactCostRounding, TheLeastThousandthAtOrAboveTheFraction)
{
    std::mt19937_64 random(7);
    for (int i = 0; i < 100000; ++i) {
        const std::int64_t money = RandomRaw(random);
        std::int64_t shares = RandomRaw(random);
        shares = shares < 0 ? -shares : shares;
        if (shares == 0)
            shares = 1;
        Money cost;
        try {
            cost = CostPerShareRoundedUp(Money::FromRaw(money), Money::FromRaw(shares));
        } catch (const OutOfRange&) {
            // Only a quotient whose thousandths leave Money's ten-thousandths.
            const Int128 q = static_cast<Int128>(money) * 1000 / shares;
            ASSERT_TRUE(q >= kMax / 10 || q <= kMin / 10) << money << " / " << shares;
            continue;
        }
        ASSERT_EQ(cost.Raw() % 10, 0) << money << " / " << shares;
        const Int128 t = cost.Raw() / 10;
        const Int128 wanted = static_cast<Int128>(money) * 1000;
        ASSERT_GE(t * shares, wanted) << money << " / " << shares;
        ASSERT_LT((t - 1) * shares, wanted) << money << " / " << shares;
    }
    EXPECT_THROW(CostPerShareRoundedUp(Money::FromWhole(1), Money()), OutOfRange);
    // A thousandth exactly stays; the least excess goes up.
    EXPECT_EQ(CostPerShareRoundedUp(Money::FromRaw(20070000), Money::FromWhole(1000)), Money::FromRaw(20070));
    EXPECT_EQ(CostPerShareRoundedUp(Money::FromRaw(20070001), Money::FromWhole(1000)), Money::FromRaw(20080));
}

// The windows' figures at the edges ----------------------------------------------------------------

FeeSettings FundsWaived(const char* commission)
{
    return {commission, "3", std::string(kFunds), FeeRules::Current, true};
}

// A target yield of 10.37 % on 783 trillion paid is a profit of 16 digits; a double would show it
// as ...680.00. (A target of 820,199.62 % on 2,451,890,048.07, a profit of 20,110,392,857,087.96,
// is refused: it would take a price beyond what a price field accepts.)
TEST(ExactFigures, TheTargetProfitShowsEveryDigit)
{
    TargetFields f;
    f.text[target::BuyPrice] = "190000.1234";
    f.text[target::Quantity] = "4111111111";
    f.text[target::Yield] = "10.37";
    const TargetResult r = ComputeTargetPrice(f, TargetBy::Yield, FundsWaived("3.0"));
    ASSERT_TRUE(r.outcome.ok()) << r.outcome.message;
    EXPECT_EQ(f.text[target::Paid], "783,454,953,256,314.43");
    EXPECT_EQ(f.text[target::Profit], "81,244,278,652,679.81");
    // The sale at the target price reaches the profit, and its figures add up to the cent.
    const Money received = *ParseMoney(f.text[target::Received]);
    const Money profit = *ParseMoney(f.text[target::ProfitAtPrice]);
    EXPECT_EQ(received - *ParseMoney(f.text[target::Paid]), profit);
    EXPECT_GE(profit, *ParseMoney(f.text[target::Profit]));
}

// Averaging down on 426 trillion: at 4,153,428,200 shares the cost is a hair above 102,601.067,
// which a double comparison took for 102,601.067 exactly.
TEST(ExactFigures, AveragingDownFindsTheLeastLotsOnLargeSums)
{
    PositionFields f;
    f.text[position::Held] = "5,035";
    f.text[position::Cost] = "163,434.661";
    f.text[position::Price] = "102,600.9932";
    f.text[position::TargetCost] = "102,601.067";
    const FeeSettings settings = FundsWaived("530E-9");
    ASSERT_TRUE(ComputeAverageDown(f, settings).ok());
    EXPECT_EQ(f.text[position::SharesToBuy], "4,153,428,300");
    EXPECT_EQ(f.text[position::NewCost], "102601.067");
    EXPECT_EQ(f.text[position::Needed], "426,145,868,990,844.87");  // 426,145,868,764,987.56 + 225,857.31

    PositionFields fewer = f;
    fewer.text[position::SharesToBuy] = "4,153,428,200";
    ASSERT_TRUE(ComputeAverageDownShares(fewer, settings).ok());
    EXPECT_EQ(fewer.text[position::NewCost], "102601.068");
}

// A fund bought without fees for 152 trillion: every figure of the main window and of the batches
// has 17 digits, which a double would round to the yuan.
TEST(ExactFigures, TheMainWindowAndTheBatchesShowEveryDigitUnderTheCurrentRules)
{
    MainWindowState w = test::ClearedWindow(std::string(kFunds).c_str(), "0");
    w.fees.rules = FeeRules::Current;
    w.fees.waiveMinimum = true;
    w.fees.instruments = test::SingleShares();  // quantities of every digit, not whole lots
    const MainWindowState cleared = w;
    test::Buy(w, "12345.6789", "12345678901");
    EXPECT_EQ(w.text[BuyAmount], "152,415,787,514,250.89");
    EXPECT_EQ(w.text[Paid], "152,415,787,514,250.89");
    EXPECT_EQ(w.text[BuyCost], "12,345.679");
    test::Sell(w, "12345.6799", "12345678901");
    EXPECT_EQ(w.text[Received], "152,415,799,859,929.79");
    EXPECT_EQ(w.text[ProfitOrShares], "12,345,678.90");
    EXPECT_EQ(w.profit, Money::FromRaw(123456789000));

    // Two batches: the amount is their exact sum; the cost per share is a hair above 12,345.679.
    BatchFields b;
    b.text = {"", "12345.6789", "6172839450", "12345.6791", "6172839451", "", ""};
    StoreBatchInputs(b);
    MainWindowState batches = cleared;
    ASSERT_TRUE(PostBuyBatches(b, batches).posted);
    EXPECT_EQ(batches.text[BuyAmount], "152,415,788,748,818.7791");
    EXPECT_EQ(batches.text[Paid], "152,415,788,748,818.78");
    EXPECT_EQ(batches.text[BuyCost], "12345.680");
}

// A quantity of 15 digits is read as typed: through a double times 10,000 it lost a twentieth of a
// share (500,000,000,000,001 became 500,000,000,000,000.9488), and the amount its cents.
TEST(ExactFigures, AQuantityOfFifteenDigitsIsReadAsTyped)
{
    MainWindowState w = test::ClearedWindow(std::string(kFunds).c_str(), "0");
    w.fees.rules = FeeRules::Current;
    w.fees.waiveMinimum = true;
    w.fees.instruments = test::SingleShares();
    test::Buy(w, "1", "100");
    w.text[BuyPrice] = "1.234";
    w.text[BuyQuantity] = "500000000000001";
    ASSERT_TRUE(RecalculateShownBuy(w).ok());
    EXPECT_EQ(w.buy.quantity.Raw(), Money::FromWhole(500000000000001).Raw());
    EXPECT_EQ(w.text[BuyAmount], "617,000,000,000,001.23");
}

} // namespace
} // namespace qcal
