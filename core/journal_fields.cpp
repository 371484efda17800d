#include "core/journal_fields.h"

#include <limits>

#include "core/civil_date.h"
#include "core/input_checks.h"
#include "core/journal_fees.h"
#include "core/numtext.h"
#include "core/picture.h"

namespace qcal::journal {

namespace {

std::string Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// A whole number of shares from a text the main window's quantity check has accepted or from any
// text: nullopt when it is not numeric or has a fraction.
std::optional<std::int64_t> WholeShares(std::string_view text)
{
    const auto value = ParseMoney(text);
    if (!value || value->Raw() % Money::kScale != 0)
        return std::nullopt;
    return value->Raw() / Money::kScale;
}

// Shares grouped by thousands; nothing for none.
std::string SharesText(std::int64_t shares)
{
    if (shares > std::numeric_limits<std::int64_t>::max() / Money::kScale)
        return std::to_string(shares);
    return FormatPicture(Money::FromWhole(shares), kSharesPicture);
}

struct Reader {
    EntryReading out;

    bool Refuse(Reason reason, int field)
    {
        out.outcome = qcal::Refusal(reason, field);
        return false;
    }

    std::string& Text(Field field) { return out.fields.text[field]; }

    bool Price()
    {
        const CheckOutcome check = CheckPriceText(Text(Field::Price), kNamedFieldPrice);
        if (!check.accepted)
            return Refuse(check.reason, Field::Price);
        Text(Field::Price) = check.text;
        out.entry.price = *ParseMoney(check.text);
        return true;
    }

    bool TradeShares()
    {
        const CheckOutcome check = CheckQuantityText(Text(Field::Quantity), kNamedFieldShares);
        if (!check.accepted)
            return Refuse(check.reason, Field::Quantity);
        const auto shares = WholeShares(Text(Field::Quantity));
        if (!shares)
            return Refuse(Reason::JournalQuantity, Field::Quantity);
        out.entry.quantity = *shares;
        Text(Field::Quantity) = check.text;
        return true;
    }

    // Bonus shares credited: empty or 0 counts them from the rate.
    bool CreditedShares()
    {
        const std::string text = Trimmed(Text(Field::Quantity));
        if (text.empty()) {
            Text(Field::Quantity).clear();
            return true;
        }
        if (!ParseNumber(text))
            return Refuse(IsTooLargeNumber(text) ? Reason::FieldOutOfRange : Reason::FieldNotNumeric, Field::Quantity);
        if (!ParseMoney(text))
            return Refuse(Reason::FieldOutOfRange, Field::Quantity);
        const auto shares = WholeShares(text);
        if (!shares || *shares < 0)
            return Refuse(Reason::JournalQuantity, Field::Quantity);
        out.entry.quantity = *shares;
        Text(Field::Quantity) = SharesText(*shares);
        return true;
    }

    bool ReadFee(Field field, journal::Fee& fee)
    {
        const std::string text = Trimmed(Text(field));
        fee = {};
        if (text.empty()) {
            Text(field).clear();
            return true;
        }
        const auto value = ParseMoney(text);
        if (!value)
            return Refuse(IsTooLargeNumber(text) || ParseNumber(text) ? Reason::FieldOutOfRange : Reason::FieldNotNumeric,
                          field);
        if (*value < Money())
            return Refuse(Reason::JournalFee, field);
        fee = {*value, true};
        Text(field) = FormatPicture(*value, kPricePicture);
        return true;
    }

    bool Read()
    {
        Entry& e = out.entry;
        e.kind = out.fields.kind;
        const auto date = CivilDate::Parse(out.fields.date);
        if (!date)
            return Refuse(Reason::JournalDate, 0);  // the date control is the window's own
        e.date = out.fields.date;
        Text(Field::Time) = Trimmed(Text(Field::Time));
        if (!SecondsOfTime(Text(Field::Time)))
            return Refuse(Reason::JournalTime, Field::Time);
        e.time = Text(Field::Time);
        Text(Field::Code) = Trimmed(Text(Field::Code));
        if (!IsSixDigits(Text(Field::Code)))
            return Refuse(Reason::JournalCode, Field::Code);
        e.code = Text(Field::Code);
        // The code decides the product, as it decides the fees; the list's choice stands for a
        // code of no product the program knows.
        if (const std::string_view named = ProductOf(e.code, out.fields.product, *date).name; !named.empty())
            out.fields.product = std::string(named);
        e.product = out.fields.product;
        if (!Price())
            return false;
        if (IsTrade(e.kind)) {
            if (!TradeShares())
                return false;
            try {
                e.amount = e.price * Money::FromWhole(e.quantity);
            } catch (const OutOfRange&) {
                return Refuse(Reason::FieldOutOfRange, Field::Quantity);
            }
            const std::pair<Field, journal::Fee*> fees[] = {{Field::Commission, &e.commission},
                                                            {Field::StampDuty, &e.stampDuty},
                                                            {Field::TransferFee, &e.transferFee},
                                                            {Field::OtherFees, &e.otherFees}};
            for (const auto& [field, fee] : fees) {
                if (!ReadFee(field, *fee))
                    return false;
            }
        } else {
            if (e.kind != Kind::CashDividend && !CreditedShares())
                return false;
            for (Field field : {Field::Commission, Field::StampDuty, Field::TransferFee, Field::OtherFees})
                Text(field).clear();
            if (e.kind == Kind::CashDividend)
                Text(Field::Quantity).clear();
        }
        e.note = out.fields.text[Field::Note];
        return true;
    }
};

} // namespace

bool FieldUsed(Kind kind, Field field)
{
    switch (field) {
    case Field::Quantity: return kind != Kind::CashDividend;
    case Field::Commission:
    case Field::StampDuty:
    case Field::TransferFee:
    case Field::OtherFees: return IsTrade(kind);
    default: return true;
    }
}

EntryReading ReadEntryFields(const EntryFields& fields)
{
    Reader reader{{Outcome{}, Entry{}, fields}};
    reader.Read();
    return std::move(reader.out);
}

EntryFields FieldsOf(const Entry& e)
{
    EntryFields f;
    f.date = e.date;
    f.product = e.product;
    f.kind = e.kind;
    f.text[Field::Time] = e.time;
    f.text[Field::Code] = e.code;
    f.text[Field::Price] = FormatPicture(e.price, kPricePicture);
    if (IsTrade(e.kind) || e.quantity > 0)
        f.text[Field::Quantity] = SharesText(e.quantity);
    const std::pair<Field, const journal::Fee*> fees[] = {{Field::Commission, &e.commission},
                                                          {Field::StampDuty, &e.stampDuty},
                                                          {Field::TransferFee, &e.transferFee},
                                                          {Field::OtherFees, &e.otherFees}};
    for (const auto& [field, fee] : fees) {
        if (fee->typed)
            f.text[field] = FormatPicture(fee->value, kPricePicture);
    }
    f.text[Field::Note] = e.note;
    return f;
}

} // namespace qcal::journal
