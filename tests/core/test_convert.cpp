#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "core/convert.h"
#include "core/messages.h"

namespace qcal {

// Found by argument-dependent lookup, so it lives beside the type, not in the anonymous namespace.
void PrintTo(const ConverterFields& f, std::ostream* os)
{
    *os << '{' << f.amount << " | " << f.price << " | " << f.shares << " | " << f.payment << " | " << f.left << '}';
}

namespace {

// Enter in the price field: the checks and the rewrite of the price, then the computation.
ConvertOutcome ConfirmPrice(ConverterFields& f, const FeeSettings& settings)
{
    const auto checked = qcal::ConfirmPrice(f);
    return checked.ok() ? ConvertAmount(f, settings) : checked;
}

FeeSettings Settings(const char* commission, const char* stampDuty, std::string_view market)
{
    return FeeSettings{commission, stampDuty, std::string(market)};
}

struct ConvertCase {
    const char* name;
    const char* amount;
    const char* price;
    const char* commission;
    const char* stampDuty;
    std::string_view market;
    const char* priceShown;  // Text2 after Enter
    const char* shares;
    const char* payment;
    const char* left;
};

class ConvertTest : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTest, FindsTheLargestAffordableLots)
{
    const auto& c = GetParam();
    ConverterFields f{c.amount, c.price, "", "", ""};
    const auto outcome = ConfirmPrice(f, Settings(c.commission, c.stampDuty, c.market));
    ASSERT_TRUE(outcome.ok()) << outcome.message;
    EXPECT_EQ(f.price, c.priceShown);
    EXPECT_EQ(f.shares, c.shares);
    EXPECT_EQ(f.payment, c.payment);
    EXPECT_EQ(f.left, c.left);
}

const ConvertCase kCases[] = {
    // 1,000 shares would cost 10,058.00: one lot fewer.
    {"Shanghai", "10,000.00", "10", "2.7", "3", kShanghai, "10.00", "900", "9,052.30", "947.70"},
    {"Shenzhen", "10,000.00", "10", "2.7", "3", kShenzhen, "10.00", "900", "9,051.30", "948.70"},
    {"Funds", "10,000.00", "10", "2.7", "3", kFunds, "10.00", "900", "9,024.30", "975.70"},
    // Commission 267.9075, stamp duty 297.675, transfer 10.5, all unrounded until the total.
    {"TransferAboveMinimum", "100,000.00", "9.45", "2.7", "3", kShanghai, "9.45", "10,500", "99,801.08", "198.92"},
    // The fund price keeps its third decimal: 8,100 at 1.234 would really cost 10,022.39.
    {"FundPriceThreeDecimals", "10000", "1.234", "2.7", "3", kFunds, "1.234", "8,000", "9,898.65", "101.35"},
    {"PriceRoundedToFourDecimals", "10000", "1.23456", "2.7", "3", kFunds, "1.2346", "8,000", "9,903.47", "96.53"},
    // A commission rate of 0 still pays the 5-yuan minimum, and the sum pays exactly that.
    {"PaymentEqualsSum", "996.00", "9.91", "0", "0", kFunds, "9.91", "100", "996.00", "0.00"},
    // The minimum commission counts: 9,500 shares at 0.01 cost 95 plus 5.
    {"MinimumCommission", "100.00", "0.01", "0", "0", kShenzhen, "0.01", "9,500", "100.00", "0.00"},
};
INSTANTIATE_TEST_SUITE_P(Examples, ConvertTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConvertAmount, SumOfExactlyOneLotBeforeFeesIsRefused)
{
    ConverterFields f{"1,000.00", "10", "", "9,052.30", "947.70"};
    const auto outcome = ConfirmPrice(f, Settings("2.7", "3", kShanghai));
    EXPECT_EQ(outcome.reason, Reason::NotEnoughMoney);
    EXPECT_EQ(outcome.field, converter::Amount);
    EXPECT_EQ(outcome.message, msg::kInputError);
    EXPECT_EQ(f.shares, "0");
    // No figures of an earlier sum stay beside "0" shares.
    EXPECT_EQ(f.payment, "");
    EXPECT_EQ(f.left, "");
}

TEST(ConvertAmount, FeesThatMakeOneLotUnaffordableStopAtOneLot)
{
    // 100 shares cost 1,000 plus 5 + 3 + 1 of fees: more than 1,003.
    ConverterFields f{"1,003.00", "10", "", "", ""};
    const auto outcome = ConfirmPrice(f, Settings("2.7", "3", kShanghai));
    EXPECT_EQ(outcome.reason, Reason::NotEnoughMoney);
    EXPECT_EQ(outcome.field, converter::Amount);
    EXPECT_EQ(outcome.message, msg::kInputError);
    EXPECT_EQ(f.shares, "0");
    EXPECT_EQ(f.payment, "");
    EXPECT_EQ(f.left, "");
}

struct RefusedCase {
    const char* name;
    const char* amount;
    const char* price;
    const char* commission;
    Reason reason;
    int field;  // the field at fault, 0 for a rate
    std::string_view message;
};

class ConvertRefusedTest : public ::testing::TestWithParam<RefusedCase> {};

// A refused computation leaves the last results standing (the price field, already confirmed, is
// typed in its shown form here so that the whole window can be compared).
TEST_P(ConvertRefusedTest, ChangesNothing)
{
    const auto& c = GetParam();
    const ConverterFields before{c.amount, c.price, "900", "9,052.30", "947.70"};
    ConverterFields f = before;
    const auto outcome = ConfirmPrice(f, Settings(c.commission, "3", kShanghai));
    EXPECT_EQ(outcome.reason, c.reason);
    EXPECT_EQ(outcome.field, c.field);
    EXPECT_EQ(outcome.message, c.message);
    EXPECT_EQ(f, before);
}

const RefusedCase kRefused[] = {
    {"EmptyAmount", "", "10", "2.7", Reason::InputError, converter::Amount, msg::kInputError},
    {"AmountNotNumeric", "abc", "10", "2.7", Reason::InputError, converter::Amount, msg::kInputError},
    {"AmountBelowOneCent", "0.009", "10", "2.7", Reason::InputError, converter::Amount, msg::kInputError},
    {"EmptyPrice", "10000", "", "2.7", Reason::InputError, converter::Price, msg::kInputError},
    {"PriceNotNumeric", "10000", "ten", "2.7", Reason::InputError, converter::Price, msg::kInputError},
    {"PriceZero", "10000", "0", "2.7", Reason::InputError, converter::Price, msg::kInputError},
    {"PriceNegative", "10000", "-10", "2.7", Reason::InputError, converter::Price, msg::kInputError},
    {"CommissionNotNumeric", "10000", "10.00", "abc", Reason::CommissionRate, 0, msg::kCommission},
    // The money left is rounded through 32 bits in cents.
    {"SumBeyond32Bits", "21,474,836.48", "10.00", "2.7", Reason::OutOfRange, converter::Amount, msg::kOutOfRange},
    {"HugeSum", "1e300", "10.00", "2.7", Reason::OutOfRange, converter::Amount, msg::kOutOfRange},
};
INSTANTIATE_TEST_SUITE_P(Inputs, ConvertRefusedTest, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConvertAmount, LargestSumWithinRangeStillConverts)
{
    // The first count tried costs more than 32 bits of cents hold; it is simply not affordable.
    ConverterFields f{"21,474,836.47", "10", "", "", ""};
    ASSERT_TRUE(ConfirmPrice(f, Settings("3", "3", kShanghai)).ok());
    EXPECT_EQ(f.shares, "2,134,400");
    EXPECT_EQ(f.payment, "21,474,198.40");
    EXPECT_EQ(f.left, "638.07");
}

TEST(ConvertAmount, ConfirmAmountRewritesTheSum)
{
    ConverterFields f{"10000", "", "", "", ""};
    ASSERT_TRUE(ConfirmAmount(f).ok());
    EXPECT_EQ(f.amount, "10,000.00");
    ConverterFields bad{"0", "", "", "", ""};
    EXPECT_EQ(ConfirmAmount(bad).reason, Reason::InputError);
    EXPECT_EQ(ConfirmAmount(bad).field, converter::Amount);
    EXPECT_EQ(bad.amount, "0");
}

TEST(CarryRefusal, NeedsAnUnlockedBuySideAndComputedShares)
{
    const ConverterFields computed{"10,000.00", "10.00", "900", "9,052.30", "947.70"};
    EXPECT_EQ(CarryRefusal(computed, false).message, "");
    EXPECT_EQ(CarryRefusal(computed, true).message, msg::kClearFirst);
    EXPECT_EQ(CarryRefusal({"10,000.00", "10.00", "", "", ""}, false).message, msg::kInputError);
    EXPECT_EQ(CarryRefusal({"1,000.00", "10.00", "0", "", ""}, false).message, msg::kInputError);
    EXPECT_EQ(CarryRefusal({"10,000.00", "abc", "900", "", ""}, false).message, msg::kInputError);
}

} // namespace
} // namespace qcal
