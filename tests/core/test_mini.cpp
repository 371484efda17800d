#include <gtest/gtest.h>

#include "case_names.h"

#include <ostream>
#include <string>

#include "core/messages.h"
#include "core/mini.h"

namespace qcal {

// Found by argument-dependent lookup, so it lives beside the type, not in the anonymous namespace.
void PrintTo(const MiniFields& f, std::ostream* os)
{
    *os << '{' << f.price << " | " << f.quantity << " | " << f.breakEven << '}';
}

namespace {

FeeSettings Settings(std::string_view market, const char* commission = "3", const char* stampDuty = "3")
{
    return FeeSettings{commission, stampDuty, std::string(market)};
}

struct PriceCase {
    const char* typed;
    const char* shown;
};

class MiniPriceTest : public ::testing::TestWithParam<PriceCase> {};

TEST_P(MiniPriceTest, RewritesWithTwoToFourDecimals)
{
    MiniFields f{GetParam().typed, "", ""};
    ASSERT_TRUE(ConfirmMiniPrice(f).ok());
    EXPECT_EQ(f.price, GetParam().shown);
}

const PriceCase kPrices[] = {
    {"10", "10.00"},
    {"9.4567", "9.4567"},
    {"9.45678", "9.4568"},
    {"1.234", "1.234"},
    {"0.01", "0.01"},
    {"1234.5", "1,234.50"},
    {" 9.4 ", "9.40"},
};
INSTANTIATE_TEST_SUITE_P(Formats, MiniPriceTest, ::testing::ValuesIn(kPrices),
                         [](const auto& info) { return test::CaseName(info.index, info.param.typed); });

struct BreakEvenCase {
    const char* price;
    const char* quantity;
    std::string_view market;
    const char* quantityShown;
    const char* breakEven;
};

class MiniBreakEvenTest : public ::testing::TestWithParam<BreakEvenCase> {};

TEST_P(MiniBreakEvenTest, ShowsTheBreakEvenPrice)
{
    const auto& c = GetParam();
    MiniFields f{c.price, c.quantity, ""};
    const auto outcome = ComputeMini(f, Settings(c.market));
    ASSERT_TRUE(outcome.ok()) << outcome.message;
    EXPECT_EQ(f.price, c.price);  // Enter in the quantity field leaves the price as it stands
    EXPECT_EQ(f.quantity, c.quantityShown);
    EXPECT_EQ(f.breakEven, c.breakEven);
}

const BreakEvenCase kBreakEvens[] = {
    {"10.00", "1000", kShanghai, "1,000", "10.123"},
    {"10.00", "1,000", kShenzhen, "1,000", "10.121"},
    {"10.00", "100", kShanghai, "100", "10.152"},  // the sell commission's minimum counts
    {"1.50", "1000", kFunds, "1,000", "1.51"},
    {"10.00", "999.6", kShanghai, "1,000", "10.123"},  // the rewritten whole quantity is what counts
    {"10.00", "1000", "纽约", "1,000", "0.00"},         // no fee schedule for another market
};
INSTANTIATE_TEST_SUITE_P(Markets, MiniBreakEvenTest, ::testing::ValuesIn(kBreakEvens), [](const auto& info) {
    return test::CaseName(info.index, test::MarketName(info.param.market) + " " + info.param.quantity);
});

struct RefusedCase {
    const char* name;
    const char* price;
    const char* quantity;
    const char* commission;
    Reason reason;
    int field;  // the field at fault, 0 for a rate
    std::string_view message;
};

class MiniRefusedTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(MiniRefusedTest, ChangesNothing)
{
    const auto& c = GetParam();
    const MiniFields before{c.price, c.quantity, "10.123"};
    MiniFields f = before;
    const auto outcome = ComputeMini(f, Settings(kShanghai, c.commission));
    EXPECT_EQ(outcome.reason, c.reason);
    EXPECT_EQ(outcome.field, c.field);
    EXPECT_EQ(outcome.message, c.message);
    EXPECT_EQ(f, before);
}

const RefusedCase kRefused[] = {
    {"EmptyPrice", "", "1000", "3", Reason::InputError, mini::Price, msg::kInputError},
    {"PriceBelowOneCent", "0.009", "1000", "3", Reason::InputError, mini::Price, msg::kInputError},
    {"PriceNotNumeric", "abc", "1000", "3", Reason::InputError, mini::Price, msg::kInputError},
    // Below one share the search would divide by zero.
    {"QuantityZero", "10.00", "0", "3", Reason::InputError, mini::Quantity, msg::kInputError},
    {"QuantityBelowOne", "10.00", "0.6", "3", Reason::InputError, mini::Quantity, msg::kInputError},
    {"QuantityNegative", "10.00", "-100", "3", Reason::InputError, mini::Quantity, msg::kInputError},
    {"QuantityEmpty", "10.00", "", "3", Reason::InputError, mini::Quantity, msg::kInputError},
    {"QuantityNotNumeric", "10.00", "abc", "3", Reason::InputError, mini::Quantity, msg::kInputError},
    {"CommissionNotNumeric", "10.00", "1000", "x", Reason::CommissionRate, 0, msg::kCommission},
    {"QuantityHuge", "10.00", "1e20", "3", Reason::OutOfRange, mini::Quantity, msg::kOutOfRange},
    // price × quantity × rate leaves the search's 32-bit roundings.
    {"AmountBeyondSearch", "1000000", "1000000", "3", Reason::OutOfRange, mini::Quantity, msg::kOutOfRange},
    {"PriceBeyondMoney", "1e300", "100", "3", Reason::OutOfRange, mini::Quantity, msg::kOutOfRange},
};
INSTANTIATE_TEST_SUITE_P(Inputs, MiniRefusedTest, ::testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConfirmMiniPrice, RefusedPriceStaysAsTyped)
{
    MiniFields f{"0", "", ""};
    const auto outcome = ConfirmMiniPrice(f);
    EXPECT_EQ(outcome.reason, Reason::InputError);
    EXPECT_EQ(outcome.field, mini::Price);
    EXPECT_EQ(outcome.message, msg::kInputError);
    EXPECT_EQ(f.price, "0");
}

} // namespace
} // namespace qcal
