#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/input_checks.h"
#include "core/main_state.h"
#include "core/messages.h"

namespace qcal {
namespace {

using CheckFn = CheckOutcome (*)(std::string_view);

struct CheckCase {
    const char* name;
    CheckFn check;
    const char* text;
    bool accepted;
    std::string_view expected;  // the rewritten text when accepted, else the message
};
void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name << "(\"" << c.text << "\")"; }

class CheckTextTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckTextTest, AcceptsOrRefuses)
{
    const auto& c = GetParam();
    const CheckOutcome out = c.check(c.text);
    EXPECT_EQ(out.accepted, c.accepted);
    if (c.accepted) {
        EXPECT_EQ(out.text, c.expected);
        EXPECT_TRUE(out.message.empty());
        // An accepted text passes the same check again, unchanged.
        const CheckOutcome again = c.check(out.text);
        EXPECT_TRUE(again.accepted) << "re-check of \"" << out.text << "\"";
        EXPECT_EQ(again.text, out.text);
    } else {
        EXPECT_EQ(out.message, c.expected);
        EXPECT_TRUE(out.text.empty());
    }
}

#define BUY_PRICE "CheckBuyPriceText", &CheckBuyPriceText
#define SELL_PRICE "CheckSellPriceText", &CheckSellPriceText
#define BUY_QTY "CheckBuyQuantityText", &CheckBuyQuantityText
#define SELL_QTY "CheckSellQuantityText", &CheckSellQuantityText
#define BONUS "CheckBonusText", &CheckBonusText
#define DIVIDEND "CheckDividendText", &CheckDividendText

const CheckCase kPrices[] = {
    {BUY_PRICE, "9.45", true, "9.45"},
    {BUY_PRICE, "9.4", true, "9.40"},
    {BUY_PRICE, "10", true, "10.00"},
    {BUY_PRICE, "9.12345678", true, "9.1235"},
    {BUY_PRICE, "9.4567", true, "9.4567"},
    {BUY_PRICE, "0.005", true, "0.005"},
    {BUY_PRICE, " 1,234.5 ", true, "1234.50"},
    {BUY_PRICE, "1e1", true, "10.00"},
    {BUY_PRICE, "+11", true, "11.00"},
    {BUY_PRICE, "214748.3647", true, "214748.3647"},
    {BUY_PRICE, "214748.36474", true, "214748.3647"},
    {BUY_PRICE, "0", false, msg::kBuyPriceRange},
    {BUY_PRICE, "-1", false, msg::kBuyPriceRange},
    {BUY_PRICE, "-0.0001", false, msg::kBuyPriceRange},
    {BUY_PRICE, "214748.3648", false, msg::kBuyPriceRange},     // the 32-bit limit
    {BUY_PRICE, "214748.36476", false, msg::kBuyPriceRange},    // would round up to it
    {BUY_PRICE, "300000", false, msg::kBuyPriceRange},
    {BUY_PRICE, "1e300", false, msg::kBuyPriceRange},
    {BUY_PRICE, "abc", false, msg::kBuyPriceNotNumeric},
    {BUY_PRICE, "", false, msg::kBuyPriceNotNumeric},
    {BUY_PRICE, "1e999", false, msg::kBuyPriceRange},  // a number, too large
    {BUY_PRICE, "0.00004", false, msg::kBuyPriceRange},  // shown as 0.00: no price
    {BUY_PRICE, "1e-300", false, msg::kBuyPriceRange},
    {BUY_PRICE, "0.00006", true, "0.0001"},
    {BUY_PRICE, "9,", false, msg::kBuyPriceNotNumeric},
    {SELL_PRICE, "11", true, "11.00"},
    {SELL_PRICE, "9.303", true, "9.303"},
    {SELL_PRICE, "0", false, msg::kSellPriceRange},
    {SELL_PRICE, "214748.3648", false, msg::kSellPriceRange},
    {SELL_PRICE, "x", false, msg::kSellPriceNotNumeric},
    {SELL_PRICE, "", false, msg::kSellPriceNotNumeric},
};
INSTANTIATE_TEST_SUITE_P(CheckPrices, CheckTextTest, ::testing::ValuesIn(kPrices));

const CheckCase kQuantities[] = {
    {BUY_QTY, "1000", true, "1,000"},
    {BUY_QTY, "1,000", true, "1,000"},
    {BUY_QTY, "150", true, "150"},
    {BUY_QTY, "150.4", true, "150"},
    {BUY_QTY, "150.5", true, "151"},
    {BUY_QTY, "1", true, "1"},
    {BUY_QTY, "1.4", true, "1"},
    {BUY_QTY, "1e6", true, "1,000,000"},
    {BUY_QTY, "999999999999999", true, "999,999,999,999,999"},
    {BUY_QTY, "0.5", false, msg::kBuyQuantityRange},
    {BUY_QTY, "0", false, msg::kBuyQuantityRange},
    {BUY_QTY, "-100", false, msg::kBuyQuantityRange},
    {BUY_QTY, "0.9999", false, msg::kBuyQuantityRange},
    {BUY_QTY, "1e15", false, msg::kOutOfRange},
    {BUY_QTY, "999999999999999.9", false, msg::kOutOfRange},  // would show as 1,000,000,000,000,000
    {BUY_QTY, "1e999", false, msg::kOutOfRange},
    {BUY_QTY, "1e300", false, msg::kOutOfRange},
    {BUY_QTY, "abc", false, msg::kBuyQuantityNotNumeric},
    {BUY_QTY, "", false, msg::kBuyQuantityNotNumeric},
    {BUY_QTY, "1,,000", false, msg::kBuyQuantityNotNumeric},
    {SELL_QTY, "500", true, "500"},
    {SELL_QTY, "1,000", true, "1,000"},
    {SELL_QTY, "0", false, msg::kSellQuantityRange},
    {SELL_QTY, "q", false, msg::kSellQuantityNotNumeric},
    {SELL_QTY, "1e16", false, msg::kOutOfRange},
};
INSTANTIATE_TEST_SUITE_P(CheckQuantities, CheckTextTest, ::testing::ValuesIn(kQuantities));

const CheckCase kBonus[] = {
    {BONUS, "0", true, "0"},
    {BONUS, "3", true, "3"},
    {BONUS, "10", true, "10"},
    {BONUS, "2.5", true, "2"},   // ties to even
    {BONUS, "3.5", true, "4"},
    {BONUS, "0.5", true, "0"},
    {BONUS, "9.6", true, "10"},
    {BONUS, " 7 ", true, "7"},
    {BONUS, "10.5", false, msg::kBonusTooLarge},
    {BONUS, "11", false, msg::kBonusTooLarge},
    {BONUS, "10.0001", false, msg::kBonusTooLarge},
    {BONUS, "-1", false, msg::kBonusNotNumeric},
    {BONUS, "-0.1", false, msg::kBonusNotNumeric},
    {BONUS, "", false, msg::kBonusNotNumeric},
    {BONUS, "abc", false, msg::kBonusNotNumeric},
    {BONUS, "1e999", false, msg::kBonusTooLarge},  // a number, and above 10
    {BONUS, "-0", true, "0"},
};
INSTANTIATE_TEST_SUITE_P(CheckBonus, CheckTextTest, ::testing::ValuesIn(kBonus));

const CheckCase kDividend[] = {
    {DIVIDEND, "1.234", true, "1.23"},
    {DIVIDEND, "0", true, "0.00"},
    {DIVIDEND, "1.5", true, "1.50"},
    {DIVIDEND, "0.125", true, "0.12"},  // 12.5 -> 12 (even)
    {DIVIDEND, "0.375", true, "0.38"},
    {DIVIDEND, "1,000", true, "1000.00"},
    {DIVIDEND, "21474836.47", true, "21474836.47"},
    {DIVIDEND, "21474836.48", false, msg::kOutOfRange},   // the 32-bit limit: a number, too large
    {DIVIDEND, "21474836.476", false, msg::kOutOfRange},  // would round up to it
    {DIVIDEND, "1e20", false, msg::kOutOfRange},
    {DIVIDEND, "1e999", false, msg::kOutOfRange},
    {DIVIDEND, "-1", false, msg::kDividendNotNumeric},
    {DIVIDEND, "", false, msg::kDividendNotNumeric},
    {DIVIDEND, "abc", false, msg::kDividendNotNumeric},
};
INSTANTIATE_TEST_SUITE_P(CheckDividend, CheckTextTest, ::testing::ValuesIn(kDividend));

TEST(CheckTextShared, PriceAndQuantityUseTheGivenMessages)
{
    const Reason first = Reason::SellPriceNotNumeric;
    const Reason second = Reason::SellQuantityRange;
    EXPECT_EQ(CheckPriceText("a", first, second).message, MessageFor(first));
    EXPECT_EQ(CheckPriceText("0", first, second).message, MessageFor(second));
    EXPECT_EQ(CheckPriceText("2", first, second).text, "2.00");
    EXPECT_EQ(CheckQuantityText("a", first, second).message, MessageFor(first));
    EXPECT_EQ(CheckQuantityText("0", first, second).message, MessageFor(second));
    EXPECT_EQ(CheckQuantityText("2000", first, second).text, "2,000");
}

TEST(CheckTextShared, MessagesEndInSevenBlanks)
{
    for (std::string_view m : {msg::kBuyPriceNotNumeric, msg::kBuyPriceRange, msg::kBuyQuantityNotNumeric,
                               msg::kBuyQuantityRange, msg::kSellPriceNotNumeric, msg::kSellPriceRange,
                               msg::kSellQuantityNotNumeric, msg::kSellQuantityRange, msg::kBonusNotNumeric,
                               msg::kBonusTooLarge, msg::kDividendNotNumeric, msg::kOutOfRange}) {
        ASSERT_GE(m.size(), 8u);
        EXPECT_EQ(m.substr(m.size() - 7), "       ") << m;
        EXPECT_NE(m[m.size() - 8], ' ') << m;
    }
}

struct AmountCase {
    const char* text;
    bool positive;
};
void PrintTo(const AmountCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
class CheckPositiveAmount : public ::testing::TestWithParam<AmountCase> {};

TEST_P(CheckPositiveAmount, AtLeastOneHundredth)
{
    EXPECT_EQ(IsPositiveAmountText(GetParam().text), GetParam().positive);
}

const AmountCase kAmounts[] = {
    {"0.01", true},  {"0.010", true},  {"1", true},        {"10,000.00", true}, {"1e-2", true},
    {"0.009", false}, {"0", false},    {"-5", false},      {"abc", false},      {"", false},
    {" ", false},    {"1e999", false}, {"0.0099999", false},
};
INSTANTIATE_TEST_SUITE_P(Check, CheckPositiveAmount, ::testing::ValuesIn(kAmounts));

TEST(CheckMainState, ResetSidesClearsOnlyTheirMoney)
{
    MainWindowState s;
    const Money v = Money::FromWhole(5);
    for (Money* m : {&s.buy.price, &s.buy.quantity, &s.buy.amount, &s.buy.commission, &s.buy.stampDuty,
                     &s.buy.transferFee, &s.buy.fees, &s.sell.price, &s.sell.quantity, &s.sell.amount,
                     &s.sell.commission, &s.sell.stampDuty, &s.sell.transferFee, &s.sell.fees, &s.profit})
        *m = v;
    s.text[1] = "10.00";

    MainWindowState buyReset = s;
    buyReset.ResetBuySide();
    for (Money m : {buyReset.buy.price, buyReset.buy.quantity, buyReset.buy.amount, buyReset.buy.commission,
                    buyReset.buy.stampDuty, buyReset.buy.transferFee, buyReset.buy.fees})
        EXPECT_EQ(m, Money());
    for (Money m : {buyReset.sell.price, buyReset.sell.quantity, buyReset.sell.amount, buyReset.sell.commission,
                    buyReset.sell.stampDuty, buyReset.sell.transferFee, buyReset.sell.fees, buyReset.profit})
        EXPECT_EQ(m, v);
    EXPECT_EQ(buyReset.text[1], "10.00");

    MainWindowState sellReset = s;
    sellReset.ResetSellSide();
    for (Money m : {sellReset.sell.price, sellReset.sell.quantity, sellReset.sell.amount, sellReset.sell.commission,
                    sellReset.sell.stampDuty, sellReset.sell.transferFee, sellReset.sell.fees})
        EXPECT_EQ(m, Money());
    for (Money m : {sellReset.buy.price, sellReset.buy.quantity, sellReset.buy.amount, sellReset.buy.commission,
                    sellReset.buy.stampDuty, sellReset.buy.transferFee, sellReset.buy.fees, sellReset.profit})
        EXPECT_EQ(m, v);
}

} // namespace
} // namespace qcal

namespace qcal {
namespace {

// Texts of every shape the grammar knows, and some it does not: signs, groups, fractions,
// exponents, tiny and huge values, and the values just around each check's limits.
std::vector<std::string> GeneratedTexts()
{
    std::vector<std::string> texts = {"214748.36475", "214748.36474", "0.00005", "0.00015", "21474836.475",
                                      "21474836.474", "999999999999999.4", "999999999999999.5", "10.4", "10.5",
                                      "-0", "-0.004", "0.005", "1e-5", "9.99995"};
    std::mt19937 random(11);
    const auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const char* const signs[] = {"", "", "-", "+"};
    for (int i = 0; i < 20000; ++i) {
        std::string t = signs[pick(4)];
        const int digits = pick(17);
        for (int d = 0; d < digits; ++d) {
            t += static_cast<char>('0' + pick(10));
            if (pick(9) == 0 && d + 1 < digits)
                t += ',';
        }
        if (pick(2)) {
            t += '.';
            const int decimals = pick(9);
            for (int d = 0; d < decimals; ++d)
                t += static_cast<char>('0' + pick(10));
        }
        if (pick(6) == 0)
            t += "e" + std::string(pick(2) ? "-" : "") + std::to_string(pick(320));
        texts.push_back(t);
    }
    return texts;
}

// What a check accepts it must accept again as rewritten, unchanged: otherwise the next Enter
// would refuse the very text the check wrote.
TEST(CheckTextSettles, EveryAcceptedTextPassesItsOwnCheckAgain)
{
    using Check = CheckOutcome (*)(std::string_view);
    const std::pair<const char*, Check> checks[] = {
        {"buy price", CheckBuyPriceText}, {"buy quantity", CheckBuyQuantityText},
        {"sell price", CheckSellPriceText}, {"sell quantity", CheckSellQuantityText},
        {"bonus", CheckBonusText}, {"dividend", CheckDividendText},
    };
    for (const std::string& text : GeneratedTexts()) {
        for (const auto& [name, check] : checks) {
            const CheckOutcome first = check(text);
            if (!first.accepted)
                continue;
            const CheckOutcome again = check(first.text);
            ASSERT_TRUE(again.accepted) << name << ": \"" << text << "\" became \"" << first.text << "\"";
            ASSERT_EQ(again.text, first.text) << name << ": \"" << text << "\"";
        }
    }
}

} // namespace
} // namespace qcal
