#include "core/main_view.h"

#include "core/main_state.h"

#include "core/numtext.h"
#include "core/rounding.h"

namespace qcal {

namespace {

Money FigureOf(const std::string& text) { return ParseMoney(text).value_or(Money()); }

Money CostOf(Money toRecover, Money shares)
{
    if (toRecover <= Money() || shares <= Money())
        return Money();
    return CostPerShareRoundedUp(toRecover, shares);
}

} // namespace

MainView ViewOf(const MainWindowState& s)
{
    MainView view{s.fees, std::nullopt, std::nullopt, std::nullopt};
    if (!s.shownBuy || s.text[Paid].empty())
        return view;
    view.buy = ShownTrade{s.shownBuy->price, s.shownBuy->quantity, s.buy.amount};
    if (s.sell.quantity > Money() && !s.text[Received].empty())
        view.sale = ShownTrade{s.sell.price, s.sell.quantity, s.sell.amount};
    // The buy as it was computed: its texts may have been retyped since without Enter.
    const Money bought = FigureOf(s.shownBuy->basis.quantity);
    if (bought <= Money())
        return view;
    HeldPosition held;
    held.buyPrice = s.buy.price;
    held.shares = bought;
    held.toRecover = FigureOf(s.text[Paid]);
    const bool sold = s.sell.quantity > Money() && !s.text[Received].empty();
    if (sold) {
        if (s.sell.quantity >= bought)
            return view;  // nothing is held any more
        held.shares = bought - s.sell.quantity;
        held.toRecover = held.toRecover - FigureOf(s.text[Received]);
        held.partial = true;
        held.cost = CostOf(held.toRecover, held.shares);
    } else {
        // The main window's own cost per share, dividends and bonus shares counted as it counts them.
        const Money shown = FigureOf(s.text[BuyCost]);
        held.cost = held.toRecover > Money() && shown > Money() ? shown : Money();
    }
    view.holding = held;
    return view;
}

} // namespace qcal
