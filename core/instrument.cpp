#include "core/instrument.h"

#include <array>

namespace qcal {

namespace {

// Ticks and lots of the exchanges.
constexpr Money kShareTick = Money::FromRaw(100);  // 0.01 yuan
constexpr Money kFundTick = Money::FromRaw(10);    // 0.001 yuan
constexpr Money kBoardLot = Money::FromRaw(100 * Money::kScale);  // 100 shares

constexpr std::array kBuiltIn = {
    Instrument{kShanghai, Market::Shanghai, Exchange::Shanghai, "SHAG", kShareTick, kBoardLot, kBoardLot, kBoardLot,
               Charged::OnSells, Charged::OnBoth, OwnModel::ShanghaiShares, true},
    Instrument{kShenzhen, Market::Shenzhen, Exchange::Shenzhen, "SZAG", kShareTick, kBoardLot, kBoardLot, kBoardLot,
               Charged::OnSells, Charged::OnBoth, OwnModel::ShenzhenShares, true},
    Instrument{kFunds, Market::Funds, Exchange::Either, "JJQZ", kFundTick, kBoardLot, kBoardLot, kBoardLot,
               Charged::Never, Charged::Never, OwnModel::Funds, true},
};

constexpr Instrument kUnknown{{}, Market::Other, Exchange::None, nullptr, kShareTick, kBoardLot, kBoardLot, kBoardLot,
                              Charged::Never, Charged::Never, OwnModel::Unknown, false};

} // namespace

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

const Instrument& InstrumentOf(Market market)
{
    for (const Instrument& row : kBuiltIn) {
        if (row.market == market)
            return row;
    }
    return kUnknown;
}

Market MarketOf(std::string_view marketText) { return FindInstrument(marketText).market; }

Money PriceTick(Market market) { return InstrumentOf(market).tick; }

} // namespace qcal
