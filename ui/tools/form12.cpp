#include "ui/tools/form12.h"

#include <algorithm>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "core/messages.h"
#include "ui/common/controls.h"
#include "ui/common/message_box.h"
#include "ui/common/text.h"
#include "ui/common/window_fit.h"

namespace qcal::ui {

namespace {

namespace st = qcal::statement;

constexpr std::size_t kNeeded = st::kNeededFields.size();
static_assert(std::equal(st::kNeededFields.begin(), st::kNeededFields.end(), Form12::kFields.begin()),
              "the needed fields come first");

constexpr int Row(int n) { return 300 + 390 * n; }
constexpr int kCaptionWidth = 1500, kListLeft = 120 + kCaptionWidth + 60, kListWidth = 4800;
constexpr int kFrameWidth = kListLeft + kListWidth + 120;
constexpr int kClientWidth = 120 + kFrameWidth + 120;
constexpr int kNoteHeight = 630;
constexpr int kFrame1Top = 120 + kNoteHeight + 60;
constexpr int kFrame1Height = Row(static_cast<int>(kNeeded)) + 60;
constexpr int kFrame2Top = kFrame1Top + kFrame1Height + 120;
constexpr int kFrame2Height = Row(static_cast<int>(Form12::kFields.size() - kNeeded)) + 60;
constexpr int kButtonsTop = kFrame2Top + kFrame2Height + 180;
constexpr int kClientHeight = kButtonsTop + 495 + 120;

constexpr const char* kLabelNames[] = {"Label2", "Label3", "Label4", "Label5", "Label6", "Label7", "Label8",
                                       "Label9", "Label10", "Label11", "Label12", "Label13", "Label14"};
constexpr const char* kComboNames[] = {"Combo1", "Combo2", "Combo3", "Combo4", "Combo5",  "Combo6", "Combo7",
                                       "Combo8", "Combo9", "Combo10", "Combo11", "Combo12", "Combo13"};
static_assert(std::size(kLabelNames) == Form12::kFields.size() && std::size(kComboNames) == Form12::kFields.size());

constexpr std::string_view kNeededTip = "交割单中这一项所在的列";
constexpr std::string_view kOptionalTip = "交割单中这一项所在的列；选（无）则按列名识别，识别不了就不读这一项";

const QString kNone = QStringLiteral("（无）");

// The table: the problem, a frame of the needed fields, a frame of the others, the buttons. The
// captions are the reader's own names of the fields.
std::vector<ControlSpec> Layout()
{
    std::vector<ControlSpec> controls = {
        {"Label1", Kind::Note, nullptr, 120, 120, kFrameWidth, kNoteHeight, {}, {}},
        {"Frame1", Kind::Frame, nullptr, 120, kFrame1Top, kFrameWidth, kFrame1Height, "必需的列", {}},
        {"Frame2", Kind::Frame, nullptr, 120, kFrame2Top, kFrameWidth, kFrame2Height, "可选的列", {}},
    };
    for (std::size_t i = 0; i < Form12::kFields.size(); ++i) {
        const bool needed = i < kNeeded;
        const int row = Row(static_cast<int>(needed ? i : i - kNeeded));
        const std::string_view caption = st::FieldCaption(Form12::kFields[i]);
        const char* frame = needed ? "Frame1" : "Frame2";
        controls.push_back({kLabelNames[i], Kind::Label, frame, 120, row, kCaptionWidth, 315, caption, {}});
        controls.push_back({kComboNames[i], Kind::ComboList, frame, kListLeft, row - 15, kListWidth, 345, {},
                            needed ? kNeededTip : kOptionalTip});
    }
    controls.push_back({"Command1", Kind::Button, nullptr, kClientWidth - 2280, kButtonsTop, 975, 495, "确 定",
                        "按这样的对应读取交割单，并记住它：表头相同的交割单以后不再询问"});
    controls.push_back({"Command2", Kind::Button, nullptr, kClientWidth - 1215, kButtonsTop, 975, 495, "取 消", "不导入"});
    return controls;
}

} // namespace

Form12::Form12(QWidget* parent, const QString& problem, const st::Statement& statement, Accepted accepted)
    : QDialog(parent), accepted_(std::move(accepted))
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("列对应"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    setFont(SimSunFont());
    const std::vector<ControlSpec> controls = Layout();
    BuildControls(this, controls);
    setFixedSize(TwipsToPx(this, kClientWidth), TwipsToPx(this, kClientHeight));
    findChild<QLabel*>(QStringLiteral("Label1"))->setText(problem);

    QStringList columns;
    for (std::size_t c = 0; c < statement.columns.size(); ++c) {
        const QString cell = Q(statement.columns[c]).trimmed();
        columns << QStringLiteral("第%1列").arg(c + 1) + (cell.isEmpty() ? QString() : QStringLiteral("：") + cell);
    }
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        QComboBox* list = Combo(static_cast<int>(i) + 1);
        const bool needed = i < kNeeded;
        if (!needed)
            list->addItem(kNone);
        list->addItems(columns);
        // Start from what the reader recognised: only the fields it could not find are left to choose.
        const int found = statement.map[kFields[i]];
        const int offset = needed ? 0 : 1;
        list->setCurrentIndex(found >= 0 && found < static_cast<int>(columns.size()) ? found + offset : (needed ? -1 : 0));
    }
    auto* ok = findChild<QPushButton*>(QStringLiteral("Command1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &Form12::Command1_Click);
    connect(findChild<QPushButton*>(QStringLiteral("Command2")), &QPushButton::clicked, this, &QDialog::reject);
}

void Form12::Open()
{
    show();
    FitToScreen(this);
    if (QWidget* over = parentWidget())
        MoveOnScreen(this, over->geometry().center() - rect().center());
    raise();
    activateWindow();
    // The first list still to choose.
    for (int i = 1; i <= static_cast<int>(kFields.size()); ++i) {
        if (Combo(i)->currentIndex() < 0) {
            Combo(i)->setFocus();
            return;
        }
    }
    Combo(1)->setFocus();
}

QComboBox* Form12::Combo(int index) const { return findChild<QComboBox*>(QStringLiteral("Combo%1").arg(index)); }

QComboBox* Form12::ComboOf(st::Field field) const
{
    const auto at = std::find(kFields.begin(), kFields.end(), field);
    return at == kFields.end() ? nullptr : Combo(static_cast<int>(at - kFields.begin()) + 1);
}

void Form12::Command1_Click()
{
    st::ColumnMap map;
    std::vector<std::pair<int, std::size_t>> taken;  // column, field's index
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        QComboBox* list = Combo(static_cast<int>(i) + 1);
        const bool needed = i < kNeeded;
        const std::string caption(st::FieldCaption(kFields[i]));
        const int column = list->currentIndex() - (needed ? 0 : 1);
        if (column < 0) {
            if (needed) {
                Refuse(this, qcal::FillIn(qcal::msg::kMappingNeeded, {caption}), list);
                return;
            }
            continue;
        }
        for (const auto& [other, field] : taken) {
            if (other == column) {
                Refuse(this, qcal::FillIn(qcal::msg::kMappingSameColumn, {st::FieldCaption(kFields[field]), caption}), list);
                return;
            }
        }
        taken.emplace_back(column, i);
        map[kFields[i]] = column;
    }
    // The reader finds the header itself: the first line wide enough whose date column is no date.
    map.headerLine = st::ColumnMap::kAbsent;
    const Accepted accepted = accepted_;
    accept();
    accepted(map);
}

} // namespace qcal::ui
