#include "core/recalculate.h"

#include <utility>

#include "core/batch.h"
#include "core/calc_steps.h"
#include "core/captions.h"
#include "core/input_checks.h"
#include "core/trade.h"

namespace qcal {

namespace {

using namespace steps;

bool Passes(const MainWindowState& s, Field field, CheckOutcome (*check)(std::string_view))
{
    return check(s.text[field]).accepted;
}

// A field's value as the calculation reads it, from its digits (a quantity of 15 digits times 10,000
// is beyond a double's); beyond range it is the field to correct.
Money Value(const MainWindowState& s, Field field)
{
    try {
        return MoneyOrZero(s.text[field]);
    } catch (const OutOfRange&) {
        throw Refused{Refusal(Reason::OutOfRange, field)};
    }
}

// Runs a calculation that reads the state's price and quantity on a copy whose inputs were just
// chosen; the original is replaced only when the calculation went through.
template <typename Prepare, typename Calculate>
Outcome Recalculate(MainWindowState& state, Prepare prepare, Calculate calculate)
{
    return OnCopy(state, [&](MainWindowState& work) {
        const Outcome prepared = Attempt([&] { prepare(work); });
        return prepared.ok() ? calculate(work) : prepared;
    });
}

void TakeBuyInputs(MainWindowState& s)
{
    // Only a buy of the normal kind reads its quantity from Text2: a holding shows the shares with
    // the bonus folded in already, which must not be folded in a second time.
    const bool normal = s.label[BuyQuantityLabel].caption == caption::kBuyQuantity && !s.locked[BuyQuantity];
    const bool typed = normal && Passes(s, BuyPrice, CheckBuyPriceText) &&
                       Passes(s, BuyQuantity, CheckBuyQuantityText) && Passes(s, Bonus, CheckBonusText) &&
                       Passes(s, Dividend, CheckDividendText);
    if (typed) {
        s.buy.price = Value(s, BuyPrice);
        s.buy.quantity = Value(s, BuyQuantity);
        return;
    }
    const ShownBuy& shown = *s.shownBuy;
    s.text[BuyPrice] = shown.basis.price;
    s.text[BuyQuantity] = shown.basis.quantity;
    s.text[Bonus] = shown.basis.bonus;
    s.text[Dividend] = shown.basis.dividend;
    s.buy.price = shown.price;
    s.buy.quantity = shown.quantity;
}

void TakeSellInputs(MainWindowState& s)
{
    s.sell.price = Value(s, SellPrice);
    s.sell.quantity = Value(s, SellQuantity);
}

} // namespace

Outcome RecalculateShownBuy(MainWindowState& state)
{
    if (!state.shownBuy)
        return {};
    if (state.buyBatches)
        return RepostBuyBatches(state);
    return Recalculate(state, TakeBuyInputs, CalculateBuy);
}

Outcome RecalculateShownSale(MainWindowState& state)
{
    if (state.text[SellAmount].empty())
        return {};
    if (state.sellBatches)
        return RepostSellBatches(state);
    if (!Passes(state, SellPrice, CheckSellPriceText) || !Passes(state, SellQuantity, CheckSellQuantityText))
        return {};
    return Recalculate(state, TakeSellInputs, CalculateSell);
}

} // namespace qcal
