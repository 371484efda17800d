#include "core/instrument.h"

#include <array>

namespace qcal {

namespace {

// Ticks and lots of the exchanges.
constexpr Money kShareTick = Money::FromRaw(100);  // 0.01 yuan
constexpr Money kFundTick = Money::FromRaw(10);    // 0.001 yuan
constexpr Money Shares(std::int64_t n) { return Money::FromRaw(n * Money::kScale); }

constexpr std::string_view kUnitShares = "股";
constexpr std::string_view kUnitBonds = "张";

constexpr std::array kBuiltIn = {
    Instrument{.name = kShanghai, .market = Market::Shanghai, .exchange = Exchange::Shanghai, .menuItem = "SHAG",
               .codes = "600,601,603,605", .tick = kShareTick, .leastBuy = Shares(100), .buyStep = Shares(100),
               .sellRule = SellRule::WholeLotsOrOddRemainder, .sellLot = Shares(100), .stampDuty = Charged::OnSells,
               .transferFee = Charged::OnBoth, .own = OwnModel::ShanghaiShares, .ownEntry = kShanghai,
               .breakEven = true, .unit = kUnitShares, .buyRule = "上海A股买入须为100股的整数倍",
               .sellRuleText = "上海A股卖出须为100股的整数倍，不足100股的零股须一次卖出"},
    Instrument{.name = kShenzhen, .market = Market::Shenzhen, .exchange = Exchange::Shenzhen, .menuItem = "SZAG",
               .codes = "000,001,002,003", .tick = kShareTick, .leastBuy = Shares(100), .buyStep = Shares(100),
               .sellRule = SellRule::WholeLotsOrOddRemainder, .sellLot = Shares(100), .stampDuty = Charged::OnSells,
               .transferFee = Charged::OnBoth, .own = OwnModel::ShenzhenShares, .ownEntry = kShenzhen,
               .breakEven = true, .unit = kUnitShares, .buyRule = "深圳A股买入须为100股的整数倍",
               .sellRuleText = "深圳A股卖出须为100股的整数倍，不足100股的零股须一次卖出"},
    Instrument{.name = kChiNext, .exchange = Exchange::Shenzhen, .menuItem = "CYB", .codes = "300,301",
               .tick = kShareTick, .leastBuy = Shares(100), .buyStep = Shares(100),
               .sellRule = SellRule::WholeLotsOrOddRemainder, .sellLot = Shares(100), .stampDuty = Charged::OnSells,
               .transferFee = Charged::OnBoth, .own = OwnModel::ShenzhenShares, .ownEntry = kShenzhen,
               .breakEven = true, .unit = kUnitShares, .buyRule = "创业板买入须为100股的整数倍",
               .sellRuleText = "创业板卖出须为100股的整数倍，不足100股的零股须一次卖出"},
    Instrument{.name = kStar, .exchange = Exchange::Shanghai, .menuItem = "KCB", .codes = "688,689",
               .tick = kShareTick, .leastBuy = Shares(200), .buyStep = Shares(1),
               .sellRule = SellRule::AtLeastOrAllBelow, .sellLot = Shares(200), .stampDuty = Charged::OnSells,
               .transferFee = Charged::OnBoth, .own = OwnModel::ShanghaiShares, .ownEntry = kShanghai,
               .breakEven = true, .unit = kUnitShares, .buyRule = "科创板买入至少200股，超过200股的部分可按1股递增",
               .sellRuleText = "科创板卖出至少200股，剩余不足200股时须一次卖出"},
    // The Beijing exchange's transfer and regulatory fees could not be confirmed: left out.
    Instrument{.name = kBeijing, .exchange = Exchange::Beijing, .menuItem = "BJS", .codes = "920",
               .formerCodes = "43,83,87", .formerCodesUntil = "2025-10-08", .tick = kShareTick,
               .leastBuy = Shares(100), .buyStep = Shares(1), .sellRule = SellRule::AtLeastOrAllBelow,
               .sellLot = Shares(100), .stampDuty = Charged::OnSells, .transferFee = Charged::Never,
               .own = OwnModel::ShenzhenShares, .ownEntry = kShenzhen, .feeGroup = kBeijingGroup, .breakEven = true,
               .unit = kUnitShares, .buyRule = "北交所买入至少100股，超过100股的部分可按1股递增",
               .sellRuleText = "北交所卖出至少100股，剩余不足100股时须一次卖出"},
    Instrument{.name = kFunds, .market = Market::Funds, .exchange = Exchange::Either, .menuItem = "JJQZ",
               .codes = "50,51,52,56,58,15,16", .tick = kFundTick, .leastBuy = Shares(100), .buyStep = Shares(100),
               .sellRule = SellRule::WholeLotsOrOddRemainder, .sellLot = Shares(100),
               .commission = CommissionKind::Funds, .own = OwnModel::Funds, .ownEntry = kFunds, .feeGroup = kFundsGroup,
               .breakEven = true,
               .unit = kUnitShares, .buyRule = "基金买入须为100份的整数倍",
               .sellRuleText = "基金卖出须为100份的整数倍，不足100份的零头须一次卖出"},
    Instrument{.name = kBonds, .exchange = Exchange::Either, .menuItem = "KZZ",
               .codes = "110,111,113,118,123,127,128", .tick = kFundTick, .leastBuy = Shares(10),
               .buyStep = Shares(10), .sellRule = SellRule::WholeLots, .sellLot = Shares(10),
               .commission = CommissionKind::Bonds, .own = OwnModel::Funds, .ownEntry = kFunds, .feeGroup = kBondsGroup,
               .breakEven = true,
               .unit = kUnitBonds, .buyRule = "可转债买入须为10张的整数倍", .sellRuleText = "可转债卖出须为10张的整数倍"},
};

constexpr Instrument kUnknown{.tick = kShareTick, .leastBuy = Shares(100), .buyStep = Shares(100),
                              .sellRule = SellRule::WholeLotsOrOddRemainder, .sellLot = Shares(100),
                              .unit = kUnitShares, .buyRule = "买入须为100股的整数倍",
                              .sellRuleText = "卖出须为100股的整数倍，不足100股的零股须一次卖出"};

// Whether the code starts with one of the comma-separated prefixes.
bool StartsWithOneOf(std::string_view code, std::string_view prefixes)
{
    while (!prefixes.empty()) {
        const auto comma = prefixes.find(',');
        const std::string_view prefix = prefixes.substr(0, comma);
        if (!prefix.empty() && code.substr(0, prefix.size()) == prefix)
            return true;
        if (comma == std::string_view::npos)
            break;
        prefixes.remove_prefix(comma + 1);
    }
    return false;
}

} // namespace

bool IsSixDigits(std::string_view code)
{
    if (code.size() != 6)
        return false;
    for (char c : code) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

InstrumentTable BuiltInInstruments() { return kBuiltIn; }

const Instrument& UnknownInstrument() { return kUnknown; }

const Instrument& FindInstrument(std::string_view name, InstrumentTable table)
{
    for (const Instrument& row : table) {
        if (row.name == name)
            return row;
    }
    return kUnknown;
}

bool IsOwnRulesEntry(const Instrument& row) { return !row.name.empty() && row.ownEntry == row.name; }

const Instrument* InstrumentOfCode(std::string_view code, CivilDate date, InstrumentTable table)
{
    if (!IsSixDigits(code))
        return nullptr;
    for (const Instrument& row : table) {
        if (StartsWithOneOf(code, row.codes))
            return &row;
        const auto until = CivilDate::Parse(row.formerCodesUntil);
        if (until && date <= *until && StartsWithOneOf(code, row.formerCodes))
            return &row;
    }
    return nullptr;
}

bool IsValidBuy(const Instrument& row, Money quantity)
{
    return quantity >= row.leastBuy && (quantity - row.leastBuy).Raw() % row.buyStep.Raw() == 0;
}

bool IsValidSell(const Instrument& row, Money quantity, std::optional<Money> held)
{
    if (quantity <= Money() || (held && quantity > *held))
        return false;
    const std::int64_t lot = row.sellLot.Raw();
    switch (row.sellRule) {
    case SellRule::WholeLotsOrOddRemainder:
        // The odd shares of a holding go in one sale, alone or with whole lots; without the holding
        // any sale may be the one that takes them.
        return !held || quantity.Raw() % lot == 0 || quantity.Raw() % lot == held->Raw() % lot;
    case SellRule::AtLeastOrAllBelow:
        return quantity >= row.sellLot || (held ? quantity == *held : true);
    case SellRule::WholeLots:
        return quantity.Raw() % lot == 0;
    }
    return false;
}

Money NthValidBuy(const Instrument& row, std::int64_t k) { return row.leastBuy + row.buyStep.TimesWhole(k); }

const Instrument& InstrumentOf(Market market)
{
    if (market == Market::Other)
        return kUnknown;
    for (const Instrument& row : kBuiltIn) {
        if (row.market == market)
            return row;
    }
    return kUnknown;
}

Market MarketOf(std::string_view marketText) { return FindInstrument(marketText).market; }

Money PriceTick(Market market) { return InstrumentOf(market).tick; }

} // namespace qcal
