#include "ui/common/field_checks.h"

#include <QLineEdit>

#include "core/input_checks.h"
#include "ui/common/message_box.h"
#include "ui/common/text.h"

namespace qcal::ui::Module1 {

int InputValid = 0;

namespace {

// The shape every field check shares: refuse with the message and the field reselected, or
// rewrite the text and report acceptance through InputValid.
void RunFieldCheck(QLineEdit* field, CheckOutcome (*check)(std::string_view))
{
    const CheckOutcome outcome = check(S(field->text()));
    if (!outcome.accepted) {
        Refuse(field->window(), outcome.message, field);
        return;
    }
    field->setText(Q(outcome.text));
    InputValid = 1;
}

} // namespace

void CheckBuyPrice(QLineEdit* field) { RunFieldCheck(field, CheckBuyPriceText); }
void CheckBuyQuantity(QLineEdit* field) { RunFieldCheck(field, CheckBuyQuantityText); }
void CheckSellPrice(QLineEdit* field) { RunFieldCheck(field, CheckSellPriceText); }
void CheckSellQuantity(QLineEdit* field) { RunFieldCheck(field, CheckSellQuantityText); }

} // namespace qcal::ui::Module1
