// The main window's handlers: loading, the commands, the menus, Enter and the arrow keys in
// the six input fields, activation, and the two calculations.

#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolTip>

#include "core/captions.h"
#include "core/input_checks.h"
#include "core/numtext.h"
#include "core/recalculate.h"
#include "core/schedules/own.h"
#include "core/trade.h"
#include "ui/common/colours.h"
#include "ui/common/field_keys.h"
#include "ui/common/text.h"
#include "ui/main/form1.h"
#include "ui/main/form10.h"
#include "ui/main/form1_layout.h"
#include "ui/common/field_checks.h"
#include "ui/common/message_box.h"
#include "ui/main/module1.h"
#include "ui/tools/side_windows.h"

namespace qcal::ui {

using Module1::InputValid;

namespace {

bool IsEmpty(const QLineEdit* field) { return field->text().isEmpty(); }

// The input fields of each side and their checks.
const Form1::SideInputs kBuyInputs{BuyPrice, BuyQuantity, Module1::CheckBuyPrice, Module1::CheckBuyQuantity};
const Form1::SideInputs kSellInputs{SellPrice, SellQuantity, Module1::CheckSellPrice, Module1::CheckSellQuantity};

// The caption and tool tip that a label was created with.
void RestoreLabel(QLabel* label)
{
    const ControlSpec* row = FindControl(form1::Controls(), label->objectName().toStdString());
    label->setText(Q(row->text));
    label->setToolTip(Q(row->toolTip));
    SetLabelColour(label, qcal::Colour::Black);
}

// The kinds of security that have a menu item (the 设置 menu shows those the list offers).
std::vector<const qcal::Instrument*> MarketItems()
{
    std::vector<const qcal::Instrument*> items;
    for (const qcal::Instrument& row : qcal::BuiltInInstruments()) {
        if (row.menuItem)
            items.push_back(&row);
    }
    return items;
}

} // namespace

// Loading ------------------------------------------------------------------------------------

void Form1::Form_Load()
{
    WZ();
    for (int tenths = 30; tenths >= 0; --tenths)
        combo_[CommissionCombo]->addItem(QString::number(tenths / 10.0, 'f', 1));
    for (int duty = 6; duty >= 0; --duty)
        combo_[StampDutyCombo]->addItem(QString::number(duty));
    for (const qcal::Instrument& row : qcal::BuiltInInstruments())
        combo_[MarketCombo]->addItem(Q(row.name));
    // The lists start without a choice; what they show comes from the settings file.
    for (QComboBox* list : {combo_[CommissionCombo], combo_[StampDutyCombo], combo_[MarketCombo]})
        list->setCurrentIndex(-1);
    QK();
    // The waived minimum is offered only with the current rules, which start unchosen.
    check_[WaiveMinimumCheck]->setEnabled(false);
    Action("MW")->setEnabled(false);
    // The handlers are live before the settings are restored: restoring a check box or the
    // market runs its click behaviour, as a click would.
    ConnectHandlers();
    rules_ = qcal::settings::LoadRuleFile(qcal::settings::RuleFilePath(iniDirectory_));
    const qcal::settings::Profile stored = Module1::ReadSettingsFile(*this);
    Module1::LoadBuyInputs(*this, stored);
    Module1::LoadSettings(*this, stored);
    OfferMarkets();
    ShowUnits();
    ShowRulesInForce();
    Publish();
}

void Form1::ConnectHandlers()
{
    const auto onClick = [this](const char* name, auto handler) {
        connect(centralWidget()->findChild<QPushButton*>(QString::fromLatin1(name)), &QPushButton::clicked, this,
                handler);
    };
    onClick("Command1", [this] { Command1_Click(); });
    onClick("Command2", [this] { Command2_Click(); });
    onClick("Command3", [this] { OpenSide(AboutWindow); });
    onClick("Command4", [this] { Command4_Click(); });
    onClick("Command5", [this] { OpenSide(BatchBuyWindow); });
    onClick("Command6", [this] { OpenSide(BatchSellWindow); });

    const auto onMenu = [this](const char* name, auto handler) {
        connect(Action(name), &QAction::triggered, this, handler);
    };
    onMenu("TC", [this] { Command2_Click(); });
    onMenu("MNCK", [this] { OpenSide(MiniWindow); });
    onMenu("JHG", [this] { OpenSide(ConverterWindow); });
    onMenu("GY", [this] { OpenSide(AboutWindow); });
    onMenu("MBJ", [this] { OpenSide(TargetWindow); });
    onMenu("BCZT", [this] { OpenSide(AverageDownWindow); });
    onMenu("JYJL", [this] { OpenSide(JournalWindow); });
    // The menu's check marks drive the boxes, whose click behaviour does the rest.
    onMenu("CKZD", [this] { check_[OnTopCheck]->setChecked(Action("CKZD")->isChecked()); });
    onMenu("JYMR", [this] { check_[RememberBuyCheck]->setChecked(Action("JYMR")->isChecked()); });
    onMenu("XXGZ", [this] { check_[CurrentRulesCheck]->setChecked(Action("XXGZ")->isChecked()); });
    onMenu("MW", [this] { check_[WaiveMinimumCheck]->setChecked(Action("MW")->isChecked()); });
    onMenu("QSFL", [this] { OpenBrokerTerms(); });
    for (const qcal::Instrument* row : MarketItems())
        onMenu(row->menuItem, [this, market = row->name] { MarketMenu_Click(market); });

    // Value changes made by code run the click behaviour too, inside the setter.
    connect(combo_[MarketCombo], &QComboBox::currentIndexChanged, this, &Form1::Combo3_Click);
    connect(combo_[StampDutyCombo], &QComboBox::currentIndexChanged, this, &Form1::RecomputeForNewRates);
    // The side windows charge by the settings on screen as they are typed; this window's figures
    // follow when the commission box is left or Enter is pressed in it.
    for (QComboBox* list : {combo_[CommissionCombo], combo_[StampDutyCombo], combo_[MarketCombo]})
        connect(list, &QComboBox::currentTextChanged, this, &Form1::Publish);
    // Enter in the commission box takes the rate as leaving the box does.
    connect(combo_[CommissionCombo]->lineEdit(), &QLineEdit::returnPressed, this, &Form1::Combo1_Validate);
    connect(check_[OnTopCheck], &QCheckBox::toggled, this, &Form1::Check1_Click);
    connect(check_[RememberBuyCheck], &QCheckBox::toggled, this, &Form1::Check2_Click);
    connect(check_[CurrentRulesCheck], &QCheckBox::toggled, this, &Form1::Check3_Click);
    connect(check_[WaiveMinimumCheck], &QCheckBox::toggled, this, &Form1::Check4_Click);
    // A date is charged as soon as it is chosen; one without rates is told when the box is left.
    connect(tradeDate_, &QDateEdit::dateChanged, this, [this] {
        ShowRulesNote();
        RecomputeForNewRates();
    });
    connect(tradeDate_, &QDateEdit::editingFinished, this, &Form1::DTPicker1_Validate);

    // Enter checks the field and moves on; Up and Down walk the buy and sell inputs.
    const struct {
        Field field;
        void (Form1::*enter)();
        Field up, down;
    } kInputs[] = {
        {BuyPrice, &Form1::Text1_KeyPress, Field{}, BuyQuantity},
        {BuyQuantity, &Form1::Text2_KeyPress, BuyPrice, SellPrice},
        {SellPrice, &Form1::Text11_KeyPress, BuyQuantity, SellQuantity},
        {SellQuantity, &Form1::Text12_KeyPress, SellPrice, Field{}},
        {Bonus, &Form1::Text21_KeyPress, Field{}, Field{}},
        {Dividend, &Form1::Text22_KeyPress, Field{}, Field{}},
        {SecurityCode, &Form1::Text23_KeyPress, Field{}, Field{}},
    };
    for (const auto& input : kInputs) {
        SelectAllOnFocus(text_[input.field]);
        OnFieldKeys(text_[input.field], {[this, enter = input.enter] { (this->*enter)(); }, Text(input.up),
                                         Text(input.down)});
    }
    combo_[CommissionCombo]->installEventFilter(this);  // the box's line edit hands its focus to the box
}

// Clearing -----------------------------------------------------------------------------------

void Form1::QK()
{
    for (int i = 1; i <= qcal::kFieldCount; ++i) {
        if (text_[i] && i != SecurityCode)  // the code is a setting: it stays
            text_[i]->clear();
    }
    text_[Bonus]->setText(QStringLiteral("0"));
    text_[Dividend]->setText(QStringLiteral("0.00"));
    ClearBatchFields(*this);
    calc_.ResetBuySide();
    calc_.ResetSellSide();
    calc_.profit = qcal::Money();
    calc_.buyBreakEven.clear();
    calc_.shownBuy.reset();
    calc_.buyBatches.reset();
    calc_.sellBatches.reset();
    Publish();
}

void Form1::Command4_Click()
{
    QK();
    for (Field input : {BuyPrice, BuyQuantity, SellPrice, SellQuantity})
        SetFieldLocked(text_[input], false);
    for (MainLabel label : {BuyPriceLabel, BuyQuantityLabel, SellPriceLabel, SellQuantityLabel, ProfitLabel,
                            BreakEvenLabel, RealisedProfitLabel})
        RestoreLabel(label_[label]);
    for (SideWindowId id : {BatchSellWindow, BatchBuyWindow, ConverterWindow, MiniWindow})
        UnloadSideWindow(id);
    SetLabelColour(label_[YieldLabel], qcal::Colour::Black);
    label19_[ProfitUnit]->setText(Q(qcal::caption::kUnitYuan));
    FocusField(BuyPrice);
    const Module1::SaveBatch batch(*this);
    Module1::SaveBuyInputs(*this);
    Module1::SaveSettings(*this);
}

// Calculating --------------------------------------------------------------------------------

bool Form1::BuySideIsNormal() const
{
    return label_[BuyQuantityLabel]->text() == Q(qcal::caption::kBuyQuantity);
}

std::optional<qcal::Money> Form1::AcceptedValue(Field field)
{
    try {
        return qcal::MoneyOrZero(S(text_[field]->text()));  // from the digits: exact at 15 digits too
    } catch (const qcal::OutOfRange&) {
        Refuse(this, qcal::MessageFor(qcal::Reason::OutOfRange), text_[field]);
        return std::nullopt;
    }
}

std::optional<qcal::Money> Form1::CheckedValue(Field field, void (*check)(QLineEdit*))
{
    check(text_[field]);
    if (InputValid != 1)
        return std::nullopt;
    InputValid = 0;
    return AcceptedValue(field);
}

// The message, then the control to correct: a rate list, or the field the outcome names.
// The message, then the control to correct: a rate list, or the field the outcome names.
void Form1::Report(const qcal::Outcome& outcome)
{
    QWidget* focus = nullptr;
    switch (outcome.Focus()) {
    case FocusTarget::CommissionList: focus = combo_[CommissionCombo]; break;
    case FocusTarget::StampDutyList: focus = combo_[StampDutyCombo]; break;
    case FocusTarget::TradeDate: focus = tradeDate_; break;
    case FocusTarget::Field: focus = text_[outcome.field]; break;
    case FocusTarget::None: break;
    }
    Refuse(this, outcome, focus);
}

bool Form1::RunBuy()
{
    qcal::MainWindowState state = Snapshot();
    const qcal::CalcResult result = qcal::CalculateBuy(state);
    if (!result.ok()) {
        Report(result);
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
        Report(result);
        return false;
    }
    Apply(state);
    return true;
}

void Form1::Command1_Click()
{
    // A posted batch buy keeps its price and quantity: refusing before the reset leaves them in
    // place for a later single sell, which needs them for the remaining shares.
    if (text_[BuyPrice]->isReadOnly()) {
        Refuse(this, qcal::MessageFor(qcal::Reason::ClearFirst), nullptr);
        return;
    }
    calc_.ResetBuySide();
    calc_.ResetSellSide();
    if (!IsEmpty(text_[BuyPrice]) && !IsEmpty(text_[BuyQuantity])) {
        if (const auto price = CheckedValue(BuyPrice, Module1::CheckBuyPrice)) {
            calc_.buy.price = *price;
            // In holding or batch mode the quantity is not read: the buy side stays as shown.
            if (BuySideIsNormal()) {
                if (const auto quantity = CheckedValue(BuyQuantity, Module1::CheckBuyQuantity))
                    calc_.buy.quantity = *quantity;
            }
            if (!RunBuy())
                return;
            const Module1::SaveBatch batch(*this);
            Module1::SaveSettings(*this);
            Module1::SaveBuyInputs(*this);
        }
    }
    if (text_[SellPrice]->isReadOnly()) {
        Refuse(this, qcal::MessageFor(qcal::Reason::ClearFirst), nullptr);
        return;
    }
    if (IsEmpty(text_[SellPrice]) || IsEmpty(text_[SellQuantity]))
        return;
    const auto quantity = CheckedQuantity(kSellInputs, calc_.sell);
    if (!quantity)
        return;
    calc_.sell.quantity = *quantity;
    RunSell();
}

// Activation ---------------------------------------------------------------------------------

void Form1::Form_Activate()
{
    Module1::TellSettingsTrouble(*this);
    TellRuleFileTrouble();
    if (IsEmpty(text_[BuyPrice]) || IsEmpty(text_[BuyQuantity])) {
        FocusField(BuyPrice);
        return;
    }
    const std::string price = S(text_[BuyPrice]->text());
    const std::string quantity = S(text_[BuyQuantity]->text());
    if (label_[BuyQuantityLabel]->text() == Q(qcal::caption::kBatchTotal)) {
        // The multi-batch buy window has posted its averages and results itself: take the
        // values over, compute nothing.
        const auto takenPrice = AcceptedValue(BuyPrice);
        const auto takenQuantity = takenPrice ? AcceptedValue(BuyQuantity) : std::nullopt;
        if (!takenQuantity)
            return;
        calc_.buy.price = *takenPrice;
        calc_.buy.quantity = *takenQuantity;
        FocusField(SellPrice);
        return;
    }
    if (!BuySideIsNormal() || text_[BuyQuantity]->isReadOnly()) {
        // Holding mode: the bonus shares are already in Text2; computing again would add them twice.
        FocusField(SellPrice);
        return;
    }
    // Texts left unconfirmed, or remembered from the settings file, are used only when they pass
    // the checks of Enter; checked silently, so that activation never shows a message.
    if (!qcal::CheckBuyPriceText(price).accepted) {
        FocusField(BuyPrice);
        return;
    }
    if (!qcal::CheckBuyQuantityText(quantity).accepted) {
        FocusField(BuyQuantity);
        return;
    }
    FocusField(SellPrice);
    // Figures computed from exactly these inputs and rates are on screen already; computing again
    // would replace a partial sale's remaining-shares break-even with the whole position's.
    if (calc_.shownBuy && calc_.shownBuy->basis == Snapshot().CurrentBuyBasis())
        return;
    const auto buyPrice = AcceptedValue(BuyPrice);
    const auto shares = buyPrice ? AcceptedValue(BuyQuantity) : std::nullopt;
    if (!shares)
        return;
    calc_.buy.price = *buyPrice;
    calc_.buy.quantity = *shares;
    if (!RunBuy())
        return;
    RecomputeShownSale();
}

// After the buy side changed under a shown sale, the sale is computed again, as Calculate would,
// so that the figures on screen belong together. Its inputs are checked silently: a sale whose
// texts no longer pass stays as it was.
void Form1::RecomputeShownSale() { Recompute(qcal::RecalculateShownSale); }

// A refusal is told, and the figures stay as they were.
bool Form1::Recompute(qcal::Outcome (*recalculate)(qcal::MainWindowState&))
{
    qcal::MainWindowState state = Snapshot();
    const qcal::Outcome outcome = recalculate(state);
    if (!outcome.ok()) {
        Report(outcome);
        return false;
    }
    Apply(state);
    return true;
}

// Commands that open and close windows ---------------------------------------------------------

void Form1::Command2_Click() { close(); }

void Form1::OpenSide(SideWindowId id) { OpenSideWindow(*this, id); }

// The settings panel -------------------------------------------------------------------------

void Form1::Combo3_Click()
{
    const QString market = combo_[MarketCombo]->currentText();
    bool known = false;
    for (const qcal::Instrument* row : MarketItems())
        known = known || market == Q(row->name);
    if (!known)
        return;
    for (const qcal::Instrument* row : MarketItems())
        Action(row->menuItem)->setChecked(market == Q(row->name));
    ShowUnits();
    ShowRulesInForce();
    RecomputeForNewRates();
}

// The list offers the kinds of the rules in force: every product under the current rules, the
// program's own three under its own. A kind the own rules do not know goes to the entry that stands
// for it there, and the note says so.
void Form1::OfferMarkets()
{
    const bool current = check_[CurrentRulesCheck]->isChecked();
    QComboBox* list = combo_[MarketCombo];
    const QString chosen = list->currentText();
    {
        const QSignalBlocker quiet(list);
        list->clear();
        for (const qcal::Instrument& row : qcal::BuiltInInstruments()) {
            if (current || qcal::IsOwnRulesEntry(row))
                list->addItem(Q(row.name));
        }
        marketNote_.clear();
        int index = list->findText(chosen);
        if (index < 0 && !chosen.isEmpty()) {
            const qcal::Instrument& row = qcal::FindInstrument(S(chosen));
            index = list->findText(Q(row.ownEntry));
            if (index >= 0)
                marketNote_ = Q(qcal::caption::MappedMarketNote(row.name, row.ownEntry));
        }
        list->setCurrentIndex(index);
    }
    for (const qcal::Instrument* row : MarketItems())
        Action(row->menuItem)->setVisible(current || qcal::IsOwnRulesEntry(*row));
    if (list->currentText() != chosen)
        Combo3_Click();
}

// The units of the quantities follow the kind: 股, or 张 for bonds.
void Form1::ShowUnits()
{
    const QString unit = Q(qcal::FindInstrument(S(combo_[MarketCombo]->currentText())).unit);
    for (int element : {1, 10})
        label19_[element]->setText(unit);
    if (label_[ProfitLabel]->text() == Q(qcal::caption::kRemainingShares))
        label19_[ProfitUnit]->setText(unit);
}

// Enter in the code: the kind whose codes it starts with is chosen, and a tip says which.
void Form1::Text23_KeyPress()
{
    const std::string code = S(text_[SecurityCode]->text().trimmed());
    if (code.empty()) {
        FocusField(BuyPrice);
        return;
    }
    const qcal::Instrument* row = qcal::InstrumentOfCode(code, TradeDate());
    if (!row) {
        Refuse(this, qcal::MessageFor(qcal::Reason::SecurityCode), text_[SecurityCode]);
        return;
    }
    const bool current = check_[CurrentRulesCheck]->isChecked();
    const std::string_view entry = current ? row->name : row->ownEntry;
    const QString tip = Q(qcal::caption::CodeTip(code, row->name, entry));
    text_[SecurityCode]->setToolTip(tip);
    QToolTip::showText(text_[SecurityCode]->mapToGlobal(QPoint(0, text_[SecurityCode]->height())), tip,
                       text_[SecurityCode]);
    combo_[MarketCombo]->setCurrentText(Q(entry));
    {
        const Module1::SaveBatch batch(*this);
        Module1::SaveSettings(*this);
    }
    FocusField(BuyPrice);
}

void Form1::MarketMenu_Click(std::string_view market)
{
    for (const qcal::Instrument* row : MarketItems())
        Action(row->menuItem)->setChecked(row->name == market);
    combo_[MarketCombo]->setCurrentText(Q(market));
}

void Form1::Combo1_Validate()
{
    const auto rate = qcal::ParseNumber(S(combo_[CommissionCombo]->currentText()));
    if (rate && *rate >= 0) {
        RecomputeForNewRates();
        return;
    }
    // The focus stays where the user sent it; the text waits selected for the next visit.
    ShowMessage(this, qcal::MessageFor(qcal::Reason::CommissionRate));
    combo_[CommissionCombo]->lineEdit()->selectAll();
}

void Form1::Check1_Click()
{
    const bool onTop = check_[OnTopCheck]->isChecked();
    Action("CKZD")->setChecked(onTop);
    if (onTop)
        Module1::SetTopmost(this);
    else
        Module1::ClearTopmost(this);
    Module1::SaveSettings(*this);
}

void Form1::Check2_Click()
{
    Action("JYMR")->setChecked(check_[RememberBuyCheck]->isChecked());
    const Module1::SaveBatch batch(*this);
    Module1::SaveBuyInputs(*this);
    Module1::SaveSettings(*this);
}

void Form1::Check3_Click()
{
    const bool current = check_[CurrentRulesCheck]->isChecked();
    Action("XXGZ")->setChecked(current);
    OfferMarkets();
    // The waived minimum belongs to the current rules: offered only with them, kept for them.
    check_[WaiveMinimumCheck]->setEnabled(current);
    Action("MW")->setEnabled(current);
    ShowRulesInForce();
    Module1::SaveSettings(*this);
    RecomputeForNewRules();
}

void Form1::Check4_Click()
{
    Action("MW")->setChecked(check_[WaiveMinimumCheck]->isChecked());
    ShowRulesNote();
    Module1::SaveSettings(*this);
    RecomputeForNewRules();
}

void Form1::DTPicker1_Validate()
{
    const qcal::RateReading reading = qcal::ReadFeeSettings(Fees());
    if (reading.problem == qcal::Reason::TradeDate || reading.problem == qcal::Reason::TradeDateTooEarly)
        Report(qcal::Refusal(reading.problem, 0, reading.subject));
}

void Form1::TellRuleFileTrouble()
{
    if (rules_.problem.empty())
        return;
    const std::string problem = std::exchange(rules_.problem, {});
    ShowMessage(this, problem);
}

void Form1::OpenBrokerTerms()
{
    // One dialog at a time: a second choice of the menu item brings it back to the front.
    for (Form10* open : findChildren<Form10*>()) {
        if (open->isVisible()) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    (new Form10(*this))->Open();
}

void Form1::ApplyBrokerTerms(const QString& sharesRate, const qcal::BrokerTerms& terms, bool waiveMinimum)
{
    const Module1::SaveBatch batch(*this);
    terms_ = terms;
    combo_[CommissionCombo]->setCurrentText(sharesRate);
    check_[WaiveMinimumCheck]->setChecked(waiveMinimum);  // its click saves and recomputes, in this batch
    Module1::SaveSettings(*this);
    Module1::SaveBrokerTerms(*this);
    ShowRulesNote();
    RecomputeForNewRules();
}

void Form1::ShowRulesInForce()
{
    const bool current = check_[CurrentRulesCheck]->isChecked();
    // The trade date takes the stamp duty list's place: each set of rules shows the one it uses.
    for (QWidget* own : {static_cast<QWidget*>(label_[StampDutyListLabel]), static_cast<QWidget*>(combo_[StampDutyCombo]),
                         static_cast<QWidget*>(label20_[1])})
        own->setVisible(!current);
    label_[TradeDateLabel]->setVisible(current);
    tradeDate_->setVisible(current);
    // The stamp duty list keeps its choice for the program's own rules; the current ones do not use it.
    combo_[StampDutyCombo]->setEnabled(
        !current && qcal::OwnRulesChargeStampDuty(qcal::FindInstrument(S(combo_[MarketCombo]->currentText()))));
    const auto tip = [&](int label, std::string_view currentTip) {
        const ControlSpec* row = FindControl(form1::Controls(), label_[label]->objectName().toStdString());
        label_[label]->setToolTip(Q(current ? currentTip : row->toolTip));
    };
    for (int label : {BuyStampDutyLabel, SellStampDutyLabel, StampDutyListLabel})
        tip(label, qcal::caption::kStampDutyCurrentTip);
    for (int label : {BuyTransferFeeLabel, SellTransferFeeLabel})
        tip(label, qcal::caption::kTransferFeeCurrentTip);
    ShowRulesNote();
}

void Form1::ShowRulesNote()
{
    using namespace qcal::caption;
    const bool current = check_[CurrentRulesCheck]->isChecked();
    const std::string note = current ? qcal::CurrentRulesNote(Fees()) : std::string(kRulesNoteOwn);
    label_[RulesNoteLabel]->setText(Q(note.empty() ? std::string(kRulesNoteNoRates) : note) + marketNote_);
}

// The buy on screen and then the sale on screen, charged again by the settings now chosen; the
// side windows follow, whatever was on screen.
void Form1::RecomputeForNewRules()
{
    if (Recompute(qcal::RecalculateShownBuy))
        RecomputeShownSale();
    Publish();
}

// Figures computed under these very rates stay: leaving the commission box unchanged, say.
void Form1::RecomputeForNewRates()
{
    if (calc_.shownBuy && calc_.shownBuy->basis.fees == Fees()) {
        Publish();
        return;
    }
    if (!qcal::ReadFeeSettings(Fees()).rates) {
        Publish();  // the side windows clear what they computed; the message comes when the box is left
        return;
    }
    RecomputeForNewRules();
}

// Enter in the input fields ----------------------------------------------------------------------

void Form1::FocusField(Field field) { FocusAndSelectAll(text_[field]); }

void Form1::Text1_KeyPress()
{
    // A locked price holds a posted batch average: Enter there must not forget the batch's
    // quantity, as it would by resetting the buy side.
    if (text_[BuyPrice]->isReadOnly())
        return;
    calc_.ResetBuySide();
    if (ConfirmPrice(kBuyInputs, calc_.buy))
        FocusField(BuyQuantity);
}

// Enter in a side's price: an empty price moves on, a price that passes its check goes into the
// side's figures. False when it was refused (the user has seen why).
bool Form1::ConfirmPrice(const SideInputs& side, qcal::SideFigures& figures)
{
    if (IsEmpty(text_[side.price]))
        return true;
    const auto price = CheckedValue(side.price, side.checkPrice);
    if (price)
        figures.price = *price;
    return price.has_value();
}

// A side's price and quantity, checked in turn as Enter in its quantity does; the price goes into
// the side's figures at once. nullopt when either was refused (the user has seen why).
std::optional<qcal::Money> Form1::CheckedQuantity(const SideInputs& side, qcal::SideFigures& figures)
{
    const auto price = CheckedValue(side.price, side.checkPrice);
    if (!price)
        return std::nullopt;
    figures.price = *price;
    return CheckedValue(side.quantity, side.checkQuantity);
}

void Form1::Text2_KeyPress()
{
    if (text_[BuyQuantity]->isReadOnly())
        return;
    calc_.ResetBuySide();
    if (IsEmpty(text_[BuyPrice])) {
        FocusField(SellPrice);
        return;
    }
    const auto quantity = CheckedQuantity(kBuyInputs, calc_.buy);
    if (!quantity)
        return;
    if (BuySideIsNormal())
        calc_.buy.quantity = *quantity;
    if (!RunBuy())
        return;
    {
        const Module1::SaveBatch batch(*this);
        Module1::SaveSettings(*this);
        Module1::SaveBuyInputs(*this);
    }
    FocusField(SellPrice);
}

void Form1::Text11_KeyPress()
{
    // A locked price holds a posted batch sell: copying the buy quantity over its locked total
    // would show a figure that no longer matches the sell results beside it.
    if (text_[SellPrice]->isReadOnly())
        return;
    calc_.ResetSellSide();
    if (!ConfirmPrice(kSellInputs, calc_.sell))
        return;
    if (!IsEmpty(text_[SellPrice]) && !IsEmpty(text_[BuyQuantity]))
        text_[SellQuantity]->setText(text_[BuyQuantity]->text());
    FocusField(SellQuantity);
}

void Form1::Text12_KeyPress()
{
    if (text_[SellQuantity]->isReadOnly())
        return;
    calc_.ResetSellSide();
    if (IsEmpty(text_[SellPrice])) {
        FocusField(Bonus);
        return;
    }
    const auto quantity = CheckedQuantity(kSellInputs, calc_.sell);
    if (!quantity)
        return;
    calc_.sell.quantity = *quantity;
    if (RunSell())
        FocusField(Bonus);
}

// Text21 and Text22 are checked here, not in Module1: only this window has them.
bool Form1::RewriteChecked(Field field, qcal::CheckOutcome (*check)(std::string_view))
{
    const qcal::CheckOutcome outcome = check(S(text_[field]->text()));
    if (!outcome.accepted) {
        Refuse(this, outcome.message, text_[field]);
        return false;
    }
    text_[field]->setText(Q(outcome.text));
    return true;
}

void Form1::Text21_KeyPress()
{
    if (RewriteChecked(Bonus, qcal::CheckBonusText))
        FocusField(Dividend);
}

void Form1::Text22_KeyPress()
{
    if (RewriteChecked(Dividend, qcal::CheckDividendText))
        FocusField(BuyPrice);
}

// The commission list is checked when the focus leaves it.
bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FocusOut || watched != combo_[CommissionCombo])
        return false;
    // Opening the list or leaving the window is not leaving the box. The check runs once the
    // focus has arrived where the user sent it, never in the middle of the move.
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

} // namespace qcal::ui
