// The main window's handlers: loading, the commands, the menus, Enter and the arrow keys in
// the six input fields, activation, and the two calculations.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/captions.h"
#include "core/input_checks.h"
#include "core/messages.h"
#include "core/numtext.h"
#include "ui/common/layout.h"
#include "ui/main/form1.h"
#include "ui/main/form1_layout.h"
#include "ui/main/module1.h"
#include "ui/tools/side_windows.h"

namespace qcal::ui {

using Module1::InputValid;

namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

bool IsEmpty(const QLineEdit* field) { return field->text().isEmpty(); }

// The caption and tool tip that a label was created with.
void RestoreLabel(QLabel* label)
{
    const ControlSpec* row = form1::FindControl(label->objectName().toLatin1().constData());
    label->setText(QString::fromUtf8(row->text));
    label->setToolTip(row->toolTip ? QString::fromUtf8(row->toolTip) : QString());
    SetLabelColour(label, qcal::Colour::Black);
}

} // namespace

// The six input fields: the field Up and Down move to (0 for none) and the Enter handler.
struct Form1::InputField {
    int index;
    int up;
    int down;
    void (Form1::*enter)();
};

const Form1::InputField* Form1::FindInputField(const QObject* watched) const
{
    static constexpr InputField kFields[] = {
        {1, 0, 2, &Form1::Text1_KeyPress},    {2, 1, 11, &Form1::Text2_KeyPress},
        {11, 2, 12, &Form1::Text11_KeyPress}, {12, 11, 0, &Form1::Text12_KeyPress},
        {21, 0, 0, &Form1::Text21_KeyPress},  {22, 0, 0, &Form1::Text22_KeyPress},
    };
    for (const InputField& field : kFields) {
        if (text_[field.index] == watched)
            return &field;
    }
    return nullptr;
}

// Loading ------------------------------------------------------------------------------------

void Form1::Form_Load()
{
    WZ();
    for (int tenths = 30; tenths >= 0; --tenths)
        combo_[1]->addItem(QString::number(tenths / 10.0, 'f', 1));
    for (int duty = 6; duty >= 0; --duty)
        combo_[2]->addItem(QString::number(duty));
    for (std::string_view market : {qcal::kShanghai, qcal::kShenzhen, qcal::kFunds})
        combo_[3]->addItem(Q(market));
    // The lists start without a choice; what they show comes from the settings file.
    for (int i = 1; i <= 3; ++i)
        combo_[i]->setCurrentIndex(-1);
    QK();
    // The handlers are live before the settings are restored: restoring a check box or the
    // market runs its click behaviour, as a click would.
    ConnectHandlers();
    const qcal::settings::Profile stored = Module1::ReadSettingsFile(*this);
    Module1::LoadBuyInputs(*this, stored);
    Module1::LoadSettings(*this, stored);
}

void Form1::ConnectHandlers()
{
    const auto onClick = [this](const char* name, void (Form1::*handler)()) {
        connect(centralWidget()->findChild<QPushButton*>(QString::fromLatin1(name)), &QPushButton::clicked, this,
                handler);
    };
    onClick("Command1", &Form1::Command1_Click);
    onClick("Command2", &Form1::Command2_Click);
    onClick("Command3", &Form1::Command3_Click);
    onClick("Command4", &Form1::Command4_Click);
    onClick("Command5", &Form1::Command5_Click);
    onClick("Command6", &Form1::Command6_Click);

    const auto onMenu = [this](const char* name, void (Form1::*handler)()) {
        connect(Action(name), &QAction::triggered, this, handler);
    };
    onMenu("TC", &Form1::TC_Click);
    onMenu("MNCK", &Form1::MNCK_Click);
    onMenu("JHG", &Form1::JHG_Click);
    onMenu("GY", &Form1::GY_Click);
    onMenu("CKZD", &Form1::CKZD_Click);
    onMenu("JYMR", &Form1::JYMR_Click);
    connect(Action("SHAG"), &QAction::triggered, this, [this] { MarketMenu_Click(Action("SHAG"), qcal::kShanghai); });
    connect(Action("SZAG"), &QAction::triggered, this, [this] { MarketMenu_Click(Action("SZAG"), qcal::kShenzhen); });
    connect(Action("JJQZ"), &QAction::triggered, this, [this] { MarketMenu_Click(Action("JJQZ"), qcal::kFunds); });

    // Value changes made by code run the click behaviour too, inside the setter.
    connect(combo_[3], &QComboBox::currentIndexChanged, this, &Form1::Combo3_Click);
    connect(check_[1], &QCheckBox::toggled, this, &Form1::Check1_Click);
    connect(check_[2], &QCheckBox::toggled, this, &Form1::Check2_Click);

    for (int i : {1, 2, 11, 12, 21, 22}) {
        SelectAllOnFocus(text_[i]);
        text_[i]->installEventFilter(this);
    }
    combo_[1]->installEventFilter(this);  // the box's line edit hands its focus to the box
}

// Clearing -----------------------------------------------------------------------------------

void Form1::QK()
{
    for (int i = 1; i <= 20; ++i)
        text_[i]->clear();
    text_[21]->setText(QStringLiteral("0"));
    text_[22]->setText(QStringLiteral("0.00"));
    ClearBatchFields(*this);
    calc_.ResetBuySide();
    calc_.ResetSellSide();
    calc_.Profit = qcal::Money();
    calc_.buyBreakEven.clear();
    calc_.buyBasis.reset();
}

void Form1::Command4_Click()
{
    QK();
    for (int i : {1, 2, 11, 12})
        SetFieldLocked(text_[i], false);
    for (int i : {1, 2, 10, 11})
        RestoreLabel(label_[i]);
    for (int n = 3; n <= 6; ++n) {
        if (side_[n])
            side_[n]->close();
    }
    RestoreLabel(label_[17]);
    SetLabelColour(label_[18], qcal::Colour::Black);
    RestoreLabel(label_[8]);
    label19_[17]->setText(Q(qcal::caption::kUnitYuan));
    FocusField(1);
    const Module1::SaveBatch batch(*this);
    Module1::SaveBuyInputs(*this);
    Module1::SaveSettings(*this);
}

// Calculating --------------------------------------------------------------------------------

bool Form1::BuySideIsNormal() const
{
    return label_[2]->text() == Q(qcal::caption::kBuyQuantity);
}

std::optional<qcal::Money> Form1::AcceptedValue(int field)
{
    try {
        return qcal::Money::FromDouble(qcal::NumberOrZero(text_[field]->text().toStdString()));
    } catch (const qcal::OutOfRange&) {
        ReportOutOfRange(field);
        return std::nullopt;
    }
}

std::optional<qcal::Money> Form1::CheckedValue(int field, void (*check)(QLineEdit*))
{
    check(text_[field]);
    if (InputValid != 1)
        return std::nullopt;
    InputValid = 0;
    return AcceptedValue(field);
}

void Form1::ReportOutOfRange(int field)
{
    Module1::Refuse(text_[field], qcal::msg::kOutOfRange);
}

void Form1::ReportFailure(qcal::CalcFailure failure, int rangeField)
{
    const auto reselectCombo = [this](QComboBox* combo, std::string_view message) {
        Module1::ShowMessage(this, message);
        combo->setFocus(Qt::OtherFocusReason);
        if (QLineEdit* edit = combo->lineEdit())
            edit->selectAll();
    };
    const auto reselectField = [this](int field, std::string_view message) {
        Module1::Refuse(text_[field], message);
    };
    switch (failure) {
    case qcal::CalcFailure::None:
        break;
    case qcal::CalcFailure::CommissionRate:
        reselectCombo(combo_[1], qcal::msg::kCommission);
        break;
    case qcal::CalcFailure::StampDutyRate:
        reselectCombo(combo_[2], qcal::msg::kInputError);
        break;
    case qcal::CalcFailure::OutOfRange:
        reselectField(rangeField, qcal::msg::kOutOfRange);
        break;
    case qcal::CalcFailure::BonusText:
        reselectField(21, qcal::msg::kBonusNotNumeric);
        break;
    case qcal::CalcFailure::BonusTooLarge:
        reselectField(21, qcal::msg::kBonusTooLarge);
        break;
    case qcal::CalcFailure::DividendText:
        reselectField(22, qcal::msg::kDividendNotNumeric);
        break;
    case qcal::CalcFailure::DividendTooLarge:
        reselectField(22, qcal::msg::kOutOfRange);
        break;
    }
}

bool Form1::RunBuy()
{
    qcal::MainWindowState state = Snapshot();
    const qcal::CalcResult result = qcal::CalculateBuy(state);
    if (!result.ok()) {
        ReportFailure(result.failure, result.field);
        return false;
    }
    Apply(state);
    return true;
}

bool Form1::RunSell()
{
    qcal::MainWindowState state = Snapshot();
    const qcal::CalcResult result = qcal::CalculateSell(state);
    if (!result.ok()) {
        ReportFailure(result.failure, result.field);
        return false;
    }
    Apply(state);
    return true;
}

void Form1::Command1_Click()
{
    // A posted batch buy keeps its price and quantity: refusing before the reset leaves them in
    // place for a later single sell, which needs them for the remaining shares.
    if (text_[1]->isReadOnly()) {
        Module1::ShowMessage(this, qcal::msg::kClearFirst);
        return;
    }
    calc_.ResetBuySide();
    calc_.ResetSellSide();
    if (!IsEmpty(text_[1]) && !IsEmpty(text_[2])) {
        if (const auto price = CheckedValue(1, Module1::CheckBuyPrice)) {
            calc_.BuyPrice = *price;
            // In holding or batch mode the quantity is not read: the buy side stays as shown.
            if (BuySideIsNormal()) {
                if (const auto quantity = CheckedValue(2, Module1::CheckBuyQuantity))
                    calc_.BuyQuantity = *quantity;
            }
            if (!RunBuy())
                return;
            const Module1::SaveBatch batch(*this);
            Module1::SaveSettings(*this);
            Module1::SaveBuyInputs(*this);
        }
    }
    if (text_[11]->isReadOnly()) {
        Module1::ShowMessage(this, qcal::msg::kClearFirst);
        return;
    }
    if (IsEmpty(text_[11]) || IsEmpty(text_[12]))
        return;
    const auto price = CheckedValue(11, Module1::CheckSellPrice);
    if (!price)
        return;
    calc_.SellPrice = *price;
    const auto quantity = CheckedValue(12, Module1::CheckSellQuantity);
    if (!quantity)
        return;
    calc_.SellQuantity = *quantity;
    RunSell();
}

// Activation ---------------------------------------------------------------------------------

void Form1::Form_Activate()
{
    if (IsEmpty(text_[1]) || IsEmpty(text_[2])) {
        FocusField(1);
        return;
    }
    const std::string price = text_[1]->text().toStdString();
    const std::string quantity = text_[2]->text().toStdString();
    if (label_[2]->text() == Q(qcal::caption::kBatchTotal)) {
        // The multi-batch buy window has posted its averages and results itself: take the
        // values over, compute nothing.
        const auto takenPrice = AcceptedValue(1);
        const auto takenQuantity = takenPrice ? AcceptedValue(2) : std::nullopt;
        if (!takenQuantity)
            return;
        calc_.BuyPrice = *takenPrice;
        calc_.BuyQuantity = *takenQuantity;
        FocusField(11);
        return;
    }
    if (!BuySideIsNormal() || text_[2]->isReadOnly()) {
        // Holding mode: the bonus shares are already in Text2; computing again would add them twice.
        FocusField(11);
        return;
    }
    // Texts left unconfirmed, or remembered from the settings file, are used only when they pass
    // the checks of Enter; checked silently, so that activation never shows a message.
    if (!qcal::CheckBuyPriceText(price).accepted) {
        FocusField(1);
        return;
    }
    if (!qcal::CheckBuyQuantityText(quantity).accepted) {
        FocusField(2);
        return;
    }
    FocusField(11);
    // Figures computed from exactly these inputs and rates are on screen already; computing again
    // would replace a partial sale's remaining-shares break-even with the whole position's.
    if (calc_.buyBasis && *calc_.buyBasis == Snapshot().CurrentBuyBasis())
        return;
    const auto buyPrice = AcceptedValue(1);
    const auto shares = buyPrice ? AcceptedValue(2) : std::nullopt;
    if (!shares)
        return;
    calc_.BuyPrice = *buyPrice;
    calc_.BuyQuantity = *shares;
    if (!RunBuy())
        return;
    RecomputeShownSale();
}

// After the buy side changed under a shown sale, the sale is computed again, as Calculate would,
// so that the figures on screen belong together. Its inputs are checked silently: a sale whose
// texts no longer pass stays as it was.
void Form1::RecomputeShownSale()
{
    if (IsEmpty(text_[13]))
        return;
    if (text_[11]->isReadOnly()) {
        // A multi-batch sell: its window still holds the batches.
        RepostBatchSell(*this);
        return;
    }
    if (!qcal::CheckSellPriceText(text_[11]->text().toStdString()).accepted ||
        !qcal::CheckSellQuantityText(text_[12]->text().toStdString()).accepted)
        return;
    const auto price = AcceptedValue(11);
    const auto quantity = price ? AcceptedValue(12) : std::nullopt;
    if (!quantity)
        return;
    calc_.SellPrice = *price;
    calc_.SellQuantity = *quantity;
    RunSell();
}

// Commands that open and close windows ---------------------------------------------------------

void Form1::Command2_Click() { close(); }
void Form1::TC_Click() { close(); }

// The About window, the converter and the mini window take the main window's place on screen:
// the openers hide it. A window that failed to come up leaves it shown, so the program never
// ends up without a window.
void Form1::ShowHidingSideWindow(int formNumber, void (*open)(Form1&))
{
    open(*this);
    if (side_[formNumber] && side_[formNumber]->isVisible())
        hide();
}

void Form1::Command3_Click() { ShowHidingSideWindow(2, OpenAbout); }
void Form1::GY_Click() { ShowHidingSideWindow(2, OpenAbout); }
void Form1::JHG_Click() { ShowHidingSideWindow(5, OpenConverter); }
void Form1::MNCK_Click() { ShowHidingSideWindow(6, OpenMini); }
void Form1::Command5_Click() { OpenBatchBuy(*this); }
void Form1::Command6_Click() { OpenBatchSell(*this); }

// The settings panel -------------------------------------------------------------------------

void Form1::Combo3_Click()
{
    const QString market = combo_[3]->currentText();
    const struct {
        std::string_view market;
        const char* item;
    } kRows[] = {{qcal::kShanghai, "SHAG"}, {qcal::kShenzhen, "SZAG"}, {qcal::kFunds, "JJQZ"}};
    bool known = false;
    for (const auto& row : kRows)
        known = known || market == Q(row.market);
    if (!known)
        return;
    for (const auto& row : kRows)
        Action(row.item)->setChecked(market == Q(row.market));
    combo_[2]->setEnabled(market != Q(qcal::kFunds));
}

void Form1::MarketMenu_Click(QAction* item, std::string_view market)
{
    for (const char* name : {"SHAG", "SZAG", "JJQZ"})
        Action(name)->setChecked(Action(name) == item);
    combo_[3]->setCurrentText(Q(market));
}

void Form1::Combo1_Validate()
{
    const auto rate = qcal::ParseNumber(combo_[1]->currentText().toStdString());
    if (rate && *rate >= 0)
        return;
    Module1::ShowMessage(this, qcal::msg::kCommission);
    combo_[1]->lineEdit()->selectAll();
}

void Form1::Check1_Click()
{
    const bool onTop = check_[1]->isChecked();
    Action("CKZD")->setChecked(onTop);
    if (onTop)
        Module1::SetTopmost(this);
    else
        Module1::ClearTopmost(this);
    Module1::SaveSettings(*this);
}

void Form1::CKZD_Click() { check_[1]->setChecked(Action("CKZD")->isChecked()); }

void Form1::Check2_Click()
{
    Action("JYMR")->setChecked(check_[2]->isChecked());
    const Module1::SaveBatch batch(*this);
    Module1::SaveBuyInputs(*this);
    Module1::SaveSettings(*this);
}

void Form1::JYMR_Click() { check_[2]->setChecked(Action("JYMR")->isChecked()); }

// Enter and the arrow keys -----------------------------------------------------------------------

void Form1::FocusField(int index)
{
    text_[index]->setFocus(Qt::OtherFocusReason);
    Module1::SelectAllText(text_[index]);
}

void Form1::Text1_KeyPress()
{
    // A locked price holds a posted batch average: Enter there must not forget the batch's
    // quantity, as it would by resetting the buy side.
    if (text_[1]->isReadOnly())
        return;
    calc_.ResetBuySide();
    if (IsEmpty(text_[1])) {
        FocusField(2);
        return;
    }
    const auto price = CheckedValue(1, Module1::CheckBuyPrice);
    if (!price)
        return;
    calc_.BuyPrice = *price;
    FocusField(2);
}

void Form1::Text2_KeyPress()
{
    if (text_[2]->isReadOnly())
        return;
    calc_.ResetBuySide();
    if (IsEmpty(text_[1])) {
        FocusField(11);
        return;
    }
    const auto price = CheckedValue(1, Module1::CheckBuyPrice);
    if (!price)
        return;
    calc_.BuyPrice = *price;
    const auto quantity = CheckedValue(2, Module1::CheckBuyQuantity);
    if (!quantity)
        return;
    if (BuySideIsNormal())
        calc_.BuyQuantity = *quantity;
    if (!RunBuy())
        return;
    {
        const Module1::SaveBatch batch(*this);
        Module1::SaveSettings(*this);
        Module1::SaveBuyInputs(*this);
    }
    FocusField(11);
}

void Form1::Text11_KeyPress()
{
    // A locked price holds a posted batch sell: copying the buy quantity over its locked total
    // would show a figure that no longer matches the sell results beside it.
    if (text_[11]->isReadOnly())
        return;
    calc_.ResetSellSide();
    if (IsEmpty(text_[11])) {
        FocusField(12);
        return;
    }
    const auto price = CheckedValue(11, Module1::CheckSellPrice);
    if (!price)
        return;
    calc_.SellPrice = *price;
    if (!IsEmpty(text_[2]))
        text_[12]->setText(text_[2]->text());
    FocusField(12);
}

void Form1::Text12_KeyPress()
{
    if (text_[12]->isReadOnly())
        return;
    calc_.ResetSellSide();
    if (IsEmpty(text_[11])) {
        FocusField(21);
        return;
    }
    const auto price = CheckedValue(11, Module1::CheckSellPrice);
    if (!price)
        return;
    calc_.SellPrice = *price;
    const auto quantity = CheckedValue(12, Module1::CheckSellQuantity);
    if (!quantity)
        return;
    calc_.SellQuantity = *quantity;
    if (!RunSell())
        return;
    FocusField(21);
}

// Text21 and Text22 are checked here, not in Module1: only this window has them.
bool Form1::RewriteChecked(int field, qcal::CheckOutcome (*check)(std::string_view))
{
    const qcal::CheckOutcome outcome = check(text_[field]->text().toStdString());
    if (!outcome.accepted) {
        Module1::Refuse(text_[field], outcome.message);
        return false;
    }
    text_[field]->setText(QString::fromStdString(outcome.text));
    return true;
}

void Form1::Text21_KeyPress()
{
    if (RewriteChecked(21, qcal::CheckBonusText))
        FocusField(22);
}

void Form1::Text22_KeyPress()
{
    if (RewriteChecked(22, qcal::CheckDividendText))
        FocusField(1);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && watched == combo_[1]) {
        // Opening the list or leaving the window is not leaving the box. The check runs once
        // the focus has arrived where the user sent it, never in the middle of the move.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    // A box already up (a calculation reporting the same rate) says it already.
                    if (!QApplication::activeModalWidget())
                        Combo1_Validate();
                },
                Qt::QueuedConnection);
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const InputField* field = FindInputField(watched);
    if (!field)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        (this->*field->enter)();
        return true;
    }
    if (key == Qt::Key_Down && field->down)
        FocusField(field->down);
    else if (key == Qt::Key_Up && field->up)
        FocusField(field->up);
    return false;
}

} // namespace qcal::ui
