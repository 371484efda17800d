#include "ui/main/form10.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "core/broker_terms.h"
#include "ui/common/controls.h"
#include "ui/common/field_keys.h"
#include "ui/common/message_box.h"
#include "ui/common/text.h"
#include "ui/common/window_fit.h"
#include "ui/main/form1.h"

namespace qcal::ui {

namespace {

using namespace qcal::broker;

constexpr std::string_view kRateTip = "佣金率，单位‰，不超过3‰";
constexpr std::string_view kMinimumTip = "每笔最低佣金，单位元；勾选免五时不收最低";

constexpr int FrameTop(int n) { return 120 + 1020 * n; }
constexpr int kFrameWidth = 3600;
constexpr int kFrameHeight = 900;
constexpr int kChecksTop = FrameTop(3);
constexpr int kButtonsTop = kChecksTop + 720;
constexpr int kClientWidth = 120 + kFrameWidth + 120;
constexpr int kClientHeight = kButtonsTop + 495 + 120;

constexpr std::string_view kSharesRateTip = "股票的佣金率，单位‰，不超过3‰；与主窗口的“佣金”相同";
constexpr std::string_view kFundsRateTip = "基金的佣金率，单位‰，不超过3‰；空着表示与股票相同";

// Each frame a kind: its rate and its minimum, each with its unit.
constexpr ControlSpec kControls[] = {
    {"Frame1", Kind::Frame, nullptr, 120, FrameTop(0), kFrameWidth, kFrameHeight, "股票", {}},
    {"Label1", Kind::Label, "Frame1", 120, 240, 960, 300, "佣金率", kSharesRateTip},
    {"Text5", Kind::TextBox, "Frame1", 1080, 240, 1200, 300, {}, kSharesRateTip},
    {"Label7", Kind::Label, "Frame1", 2340, 240, 300, 300, "‰", {}},
    {"Label2", Kind::Label, "Frame1", 120, 540, 960, 300, "最低佣金", kMinimumTip},
    {"Text6", Kind::TextBox, "Frame1", 1080, 540, 1200, 300, {}, kMinimumTip},
    {"Label8", Kind::Label, "Frame1", 2340, 540, 300, 300, "元", {}},
    {"Frame2", Kind::Frame, nullptr, 120, FrameTop(1), kFrameWidth, kFrameHeight, "基金", {}},
    {"Label3", Kind::Label, "Frame2", 120, 240, 960, 300, "佣金率", kFundsRateTip},
    {"Text1", Kind::TextBox, "Frame2", 1080, 240, 1200, 300, {}, kFundsRateTip},
    {"Label9", Kind::Label, "Frame2", 2340, 240, 300, 300, "‰", {}},
    {"Label4", Kind::Label, "Frame2", 120, 540, 960, 300, "最低佣金", kMinimumTip},
    {"Text2", Kind::TextBox, "Frame2", 1080, 540, 1200, 300, {}, kMinimumTip},
    {"Label10", Kind::Label, "Frame2", 2340, 540, 300, 300, "元", {}},
    {"Frame3", Kind::Frame, nullptr, 120, FrameTop(2), kFrameWidth, kFrameHeight, "可转债", {}},
    {"Label5", Kind::Label, "Frame3", 120, 240, 960, 300, "佣金率", kRateTip},
    {"Text3", Kind::TextBox, "Frame3", 1080, 240, 1200, 300, {}, kRateTip},
    {"Label11", Kind::Label, "Frame3", 2340, 240, 300, 300, "‰", {}},
    {"Label6", Kind::Label, "Frame3", 120, 540, 960, 300, "最低佣金", kMinimumTip},
    {"Text4", Kind::TextBox, "Frame3", 1080, 540, 1200, 300, {}, kMinimumTip},
    {"Label12", Kind::Label, "Frame3", 2340, 540, 300, 300, "元", {}},
    {"Check1", Kind::CheckBox, nullptr, 240, kChecksTop, 3360, 300, "不含规费（经手费、证管费另收）",
     "勾上：佣金不含交易所的经手费和证管费，两项按成交金额另收（净佣）；不勾：佣金已含规费（多数券商如此）"},
    {"Check2", Kind::CheckBox, nullptr, 240, kChecksTop + 330, 3360, 300, "免五（不设最低佣金）",
     "与主窗口的“免收最低佣金（免五）”相同，对股票、基金、可转债都有效"},
    {"Command1", Kind::Button, nullptr, kClientWidth - 2280, kButtonsTop, 975, 495, "确 定", "使用并保存这些费率"},
    {"Command2", Kind::Button, nullptr, kClientWidth - 1215, kButtonsTop, 975, 495, "取 消", "不作更改"},
};

} // namespace

Form10::Form10(Form1& main) : QDialog(&main), main_(main)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("券商费率"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    setFont(SimSunFont());
    BuildControls(this, kControls);
    setFixedSize(TwipsToPx(this, kClientWidth), TwipsToPx(this, kClientHeight));

    const BrokerForm form = FormOf(main.Terms(), S(main.Combo(CommissionCombo)->currentText()),
                                   main.Check(WaiveMinimumCheck)->isChecked());
    for (int i = 1; i <= broker::kFieldCount; ++i) {
        QLineEdit* field = Text(i);
        field->setText(Q(form.text[static_cast<std::size_t>(i)]));
        SelectAllOnFocus(field);
        // Each frame has a 佣金率 and a 最低佣金: the kind tells them apart in a message ("可转债最低佣金").
        if (auto* frame = qobject_cast<QGroupBox*>(field->parentWidget()))
            field->setAccessibleName(frame->title() + field->accessibleName());
    }
    Check(1)->setChecked(form.feesOnTop);
    Check(2)->setChecked(form.waiveMinimum);
    // 免五 belongs to the current rules, as the main window's box does.
    Check(2)->setEnabled(main.Check(WaiveMinimumCheck)->isEnabled());
    auto* ok = findChild<QPushButton*>(QStringLiteral("Command1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &Form10::Command1_Click);
    connect(findChild<QPushButton*>(QStringLiteral("Command2")), &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(Text(SharesRate), Text(SharesMinimum));
    setTabOrder(Text(SharesMinimum), Text(FundsRate));
}

void Form10::Open()
{
    show();
    MoveOnScreen(this, main_.geometry().center() - rect().center());
    raise();
    activateWindow();
    FocusAndSelectAll(Text(SharesRate));
}

QLineEdit* Form10::Text(int index) const { return findChild<QLineEdit*>(QStringLiteral("Text%1").arg(index)); }
QCheckBox* Form10::Check(int index) const { return findChild<QCheckBox*>(QStringLiteral("Check%1").arg(index)); }

void Form10::Command1_Click()
{
    BrokerForm form;
    for (int i = 1; i <= broker::kFieldCount; ++i)
        form.text[static_cast<std::size_t>(i)] = S(Text(i)->text().trimmed());
    form.feesOnTop = Check(1)->isChecked();
    form.waiveMinimum = Check(2)->isChecked();
    const BrokerReading reading = ReadBrokerForm(form);
    if (!reading.outcome.ok()) {
        Refuse(this, reading.outcome, Text(reading.outcome.field));
        return;
    }
    main_.ApplyBrokerTerms(Q(form.text[SharesRate]), reading.terms, form.waiveMinimum);
    accept();
}

} // namespace qcal::ui
