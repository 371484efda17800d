// A libFuzzer target (scripts/fuzz): every reader of a numeric text, the field checks built on them
// and the window steps that read a typed field, on any bytes. Each call must finish within the limit
// (QCAL_FUZZ_LIMIT_MS, 100 ms by default): a reader that spells out a huge exponent or walks a huge
// value digit by digit stops the run with the reader's name. What the readers must agree on is
// checked as well: an exact reading is the double reading to its precision, and Money read from
// a text reads back from what FormatPicture shows.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/average_down.h"
#include "core/convert.h"
#include "core/fees.h"
#include "core/input_checks.h"
#include "core/mini.h"
#include "core/numtext.h"
#include "core/picture.h"
#include "core/rule_table.h"
#include "core/schedule.h"
#include "core/target.h"

namespace {

using namespace qcal;

double LimitMs()
{
    static const double limit = [] {
        const char* text = std::getenv("QCAL_FUZZ_LIMIT_MS");
        return text ? std::atof(text) : 100.0;
    }();
    return limit;
}

[[noreturn]] void Fail(const char* what, std::string_view text)
{
    std::fprintf(stderr, "%s: \"%.*s\"\n", what, static_cast<int>(std::min<std::size_t>(text.size(), 200)),
                 text.data());
    std::abort();
}

template <typename Call>
void Timed(const char* name, std::string_view text, Call call)
{
    const auto start = std::chrono::steady_clock::now();
    call();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (took.count() > LimitMs()) {
        std::fprintf(stderr, "%s took %.1f ms\n", name, took.count());
        Fail(name, text);
    }
}

void CheckAgreement(const std::string& text)
{
    const auto number = ParseNumber(text);
    if (IsTooLargeNumber(text) && number)
        Fail("too large yet numeric", text);
    if (const auto exact = ParseExactDecimal(text)) {
        if (!number)
            Fail("exact but not numeric", text);
        const double value = static_cast<double>(exact->units) / std::pow(10.0, exact->scale);
        if (std::fabs(value - *number) > std::fabs(*number) * 1e-14)
            Fail("exact decimal differs from the double", text);
    }
    if (const auto money = ParseMoney(text)) {
        if (!number)
            Fail("money but not numeric", text);
        if (std::fabs(money->ToDouble() - *number) > 0.00005 + std::fabs(*number) * 1e-14)
            Fail("money differs from the double", text);
        if (ParseMoney(FormatPicture(*money, "0.0000")) != *money)
            Fail("money does not read back from its own digits", text);
        const auto shown = ParseMoney(FormatPicture(*money, kAmountPicture));
        if (!shown || std::abs(shown->Raw() - money->Raw()) > 50)
            Fail("money shown to the cent is not the money", text);
    } else if (number && std::fabs(*number) < 9e14) {
        Fail("a number within Money's range is not read as Money", text);
    }
}

} // namespace

std::string RuleFileOf(const RuleTable& table)
{
    std::string out = "品种 起始日期 印花税 过户费 经手费 证管费\n";
    for (const RuleRow& row : table.Rows()) {
        out += row.group + " " + row.from.Format();
        for (const ExactDecimal& rate : {row.stampDuty, row.transferFee, row.handlingFee, row.regulatoryFee})
            out += " " + FormatExactDecimal(rate);
        out += "\n";
    }
    return out;
}

void CheckRuleFile(const std::string& text)
{
    const RuleFileReading reading = ReadRuleFile(text);
    if (!reading.table) {
        const auto lines = 1 + std::count(text.begin(), text.end(), '\n');
        if (reading.error.line < 1 || reading.error.line > lines || reading.error.message.empty())
            Fail("rule file refused without a line of it", text);
        return;
    }
    const RuleFileReading again = ReadRuleFile(RuleFileOf(*reading.table));
    if (!again.table || again.table->Rows() != reading.table->Rows())
        Fail("rule file rows do not read back", text);
    const RuleTable table = RuleTable::BuiltIn().With(*reading.table);
    FeeSettings settings{"3", "1", std::string(kShanghai), FeeRules::Current, false, {}, nullptr, "2030-01-01", &table};
    if (const auto schedule = ReadSchedule(settings).schedule)
        schedule->Charge(Side::Sell, Money::FromWhole(1'000'000'000), Money::FromWhole(1000));
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    Timed("ParseNumber", text, [&] { ParseNumber(text); });
    Timed("IsTooLargeNumber", text, [&] { IsTooLargeNumber(text); });
    Timed("NumberOrZero", text, [&] { NumberOrZero(text); });
    Timed("ParseExactDecimal", text, [&] { ParseExactDecimal(text); });
    Timed("ParseMoney", text, [&] { ParseMoney(text); });
    Timed("MoneyOrZero", text, [&] {
        try {
            MoneyOrZero(text);
        } catch (const OutOfRange&) {
        }
    });
    Timed("agreement", text, [&] { CheckAgreement(text); });

    Timed("field checks", text, [&] {
        IsPositiveAmountText(text);
        CheckBuyPriceText(text);
        CheckBuyQuantityText(text);
        CheckSellPriceText(text);
        CheckSellQuantityText(text);
        CheckBonusText(text);
        CheckDividendText(text);
    });
    Timed("rates", text, [&] {
        ReadFeeSettings({text, "1", std::string(kShanghai)});
        ReadFeeSettings({"3", text, std::string(kShanghai)});
        ReadFeeSettings({text, "1", std::string(kFunds), FeeRules::Current, true});
    });

    // The side windows' fields, typed and confirmed, then used in a computation.
    const FeeSettings current{"3", "1", std::string(kShanghai), FeeRules::Current};
    Timed("converter", text, [&] {
        ConverterFields f{text, "10", "", "", ""};
        ConfirmAmount(f);
        ConvertAmount(f, current);
        ConverterFields g{"10000", text, "", "", ""};
        ConfirmPrice(g);
        ConvertAmount(g, current);
    });
    Timed("mini", text, [&] {
        MiniFields f{text, "1000", ""};
        ConfirmMiniPrice(f);
        MiniFields g{"10", text, ""};
        ComputeMini(g, current);
    });
    Timed("target", text, [&] {
        for (target::Field field : {target::BuyPrice, target::Quantity}) {
            TargetFields f;
            f.text[target::BuyPrice] = "10";
            f.text[target::Quantity] = "1000";
            f.text[field] = text;
            ConfirmTargetBuy(f, field);
        }
        for (TargetBy by : {TargetBy::Yield, TargetBy::Profit}) {
            TargetFields f;
            f.text[target::BuyPrice] = "10";
            f.text[target::Quantity] = "1000";
            f.text[by == TargetBy::Yield ? target::Yield : target::Profit] = text;
            ComputeTargetPrice(f, by, current);
        }
    });
    Timed("position", text, [&] {
        for (int field = position::Held; field <= position::Invested; ++field) {
            PositionFields f;
            f.text[position::Held] = "1000";
            f.text[position::Cost] = "10";
            f.text[position::Price] = "8";
            f.text[position::TargetCost] = "9";
            f.text[field] = text;
            ConfirmPositionField(f, static_cast<position::Field>(field));
            if (field == position::TargetCost || field == position::Invested)
                ComputeAverageDown(f, current);
        }
    });
    // The rule file: any bytes are a table or a refusal with a line inside the text; a table's rows,
    // written out again, read back as the same rows, and charge a trade on any date.
    Timed("rule file", text, [&] { CheckRuleFile(text); });
    return 0;
}
