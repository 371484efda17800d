#include "ui/tools/form11.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableView>

#include "core/captions.h"
#include "core/messages.h"
#include "ui/common/controls.h"
#include "ui/common/message_box.h"
#include "ui/common/text.h"
#include "ui/common/window_fit.h"
#include "ui/tools/import_model.h"

namespace qcal::ui {

namespace {

namespace st = qcal::statement;
using qcal::settings::EncodingChoice;

constexpr int kClientWidth = 15000, kClientHeight = 8400;
constexpr int kListWidth = 2400;
constexpr int kGridTop = 960;
constexpr int kBottomRow = kClientHeight - 120 - 495;
constexpr int kGridHeight = kBottomRow - 120 - kGridTop;
constexpr int kButtonsLeft = kClientWidth - 2280;

constexpr ControlSpec kControls[] = {
    {"Label1", Kind::Label, nullptr, 120, 120, 720, 315, "文件", {}},
    {"Label2", Kind::Label, nullptr, 840, 120, kClientWidth - 960, 315, {}, {}},
    {"Label3", Kind::Label, nullptr, 120, 540, 720, 315, "编码", {}},
    {"Combo1", Kind::ComboList, nullptr, 840, 525, 1500, 345, {}, "交割单文件的编码；换一种编码即重新读取文件"},
    {"Label4", Kind::Label, nullptr, 2460, 540, kClientWidth - 2460 - 120 - kListWidth - 60 - 720 - 120, 315, {}, {}},
    {"Label5", Kind::Label, nullptr, kClientWidth - 120 - kListWidth - 60 - 720, 540, 720, 315, "显示", {}},
    {"Combo2", Kind::ComboList, nullptr, kClientWidth - 120 - kListWidth, 525, kListWidth, 345, {},
     "只看要导入的、跳过的或重复的行"},
    {"Label6", Kind::Label, nullptr, 120, kBottomRow + 90, kButtonsLeft - 240, 315, {}, {}},
    {"Command1", Kind::Button, nullptr, kButtonsLeft, kBottomRow, 975, 495, "导 入",
     "把标为“导入”的行记入交易记录：一次全部记入，失败则一条也不记"},
    {"Command2", Kind::Button, nullptr, kClientWidth - 1215, kBottomRow, 975, 495, "取 消", "不导入，交易记录不变"},
};

// Combo1's entries, in order.
constexpr std::pair<const char*, EncodingChoice> kEncodings[] = {{"UTF-8", EncodingChoice::Utf8},
                                                                  {"GBK", EncodingChoice::Gbk}};
constexpr const char* kShows[] = {"全部", "导入", "跳过", "重复"};

int EncodingIndex(st::Encoding encoding) { return encoding == st::Encoding::Gbk ? 1 : 0; }

// Wide enough for a date, a code, a name of four characters, a sum of millions; 处理 takes the rest.
constexpr int kColumnTwips[] = {600, 1100, 800, 1200, 1000, 1000, 900, 1300, 800, 800, 800, 800};

} // namespace

Form11::Form11(QWidget* parent, const QString& path, qcal::settings::StatementFile file, st::ReadOptions options,
               Journal journal)
    : QDialog(parent), path_(path), options_(std::move(options)), journal_(std::move(journal))
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("导入交割单"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(true);
    setFont(SimSunFont());
    BuildControls(this, kControls);
    resize(TwipsToPx(this, kClientWidth), TwipsToPx(this, kClientHeight));
    layoutSize_ = size();

    Label(2)->setText(QDir::toNativeSeparators(path));
    Label(2)->setToolTip(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    for (const auto& [name, choice] : kEncodings)
        Combo(1)->addItem(QString::fromLatin1(name));
    for (const char* show : kShows)
        Combo(2)->addItem(QString::fromUtf8(show));

    model_ = new ImportModel(this);
    grid1_ = MakeRowsView(this, "Grid1", "交割单的每一行");
    grid1_->setModel(model_);
    SetColumnWidths(grid1_, kColumnTwips);
    grid1_->setGeometry(TwipsRect(this, 120, kGridTop, kClientWidth - 240, kGridHeight));

    Show(file);
    connect(Combo(1), &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(); });
    connect(Combo(2), &QComboBox::currentIndexChanged, this,
            [this](int index) { model_->SetFilter(static_cast<ImportModel::Show>(std::max(0, index))); });
    Command(1)->setDefault(true);
    connect(Command(1), &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command(2), &QPushButton::clicked, this, &QDialog::reject);
}

Form11::~Form11() = default;

void Form11::Open()
{
    // On a screen smaller than the layout (a high scale factor) the window starts as large as the
    // screen allows; the table gives up the room, the rest keeps its place from the edges.
    if (const QScreen* screen = this->screen()) {
        const QSize room = screen->availableGeometry().size() - FrameAllowance();
        setMinimumSize(layoutSize_.boundedTo(room));
        resize(layoutSize_.boundedTo(room));
    }
    show();
    if (QWidget* over = parentWidget())
        MoveOnScreen(this, over->geometry().center() - rect().center());
    raise();
    activateWindow();
    (Command(1)->isEnabled() ? Command(1) : Command(2))->setFocus();
}

QComboBox* Form11::Combo(int index) const { return findChild<QComboBox*>(QStringLiteral("Combo%1").arg(index)); }
QLabel* Form11::Label(int index) const { return findChild<QLabel*>(QStringLiteral("Label%1").arg(index)); }
QPushButton* Form11::Command(int index) const { return findChild<QPushButton*>(QStringLiteral("Command%1").arg(index)); }

void Form11::Show(const qcal::settings::StatementFile& file)
{
    shownEncoding_ = EncodingIndex(file.encoding.encoding);
    {
        const QSignalBlocker quiet(Combo(1));
        Combo(1)->setCurrentIndex(shownEncoding_);
    }
    const std::string name = kEncodings[shownEncoding_].first;
    QString note;
    if (file.encoding.undecodable > 0)
        note = Q(qcal::FillIn(qcal::caption::kImportUndecodable, {std::to_string(file.encoding.undecodable), name}));
    else if (!file.encoding.sure)
        note = Q(qcal::FillIn(qcal::caption::kImportEncodingUnsure, {name}));
    Label(4)->setText(note);

    st::ImportPlan plan = journal_.plan(file.statement);
    Label(6)->setText(Q(st::SummaryText(plan)));
    Command(1)->setEnabled(plan.trades + plan.events > 0);
    model_->SetPlan(file.statement.records, std::move(plan));
}

void Form11::Combo1_Click()
{
    const int chosen = Combo(1)->currentIndex();
    if (chosen < 0 || chosen == shownEncoding_)
        return;
    const qcal::settings::StatementFile file = qcal::settings::ReadStatementFile(path_, kEncodings[chosen].second, options_);
    if (!file.readable || !file.statement.Ok()) {
        // The rows on screen stay, and so does the encoding they were read in.
        {
            const QSignalBlocker quiet(Combo(1));
            Combo(1)->setCurrentIndex(shownEncoding_);
        }
        ShowMessage(this, qcal::FillIn(qcal::msg::kImportEncodingFailed,
                                       {kEncodings[chosen].first, file.readable ? file.statement.message : file.message}));
        return;
    }
    Show(file);
}

void Form11::Command1_Click()
{
    // The preview closes first: the journal window's messages come over the journal, not over it.
    const st::ImportPlan plan = model_->Plan();
    const auto import = journal_.import;
    accept();
    import(plan);
}

void Form11::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (!grid1_)
        return;
    // The table takes what the window grows or shrinks by; the bottom row keeps to the bottom, the
    // buttons and the filter to the right.
    const QSize extra = event->size() - layoutSize_;
    grid1_->setGeometry(TwipsRect(this, 120, kGridTop, kClientWidth - 240, kGridHeight).adjusted(0, 0, extra.width(), extra.height()));
    for (const ControlSpec& spec : kControls) {
        const std::string_view name = spec.name;
        const bool right = name == "Command1" || name == "Command2" || name == "Label5" || name == "Combo2";
        const bool wider = name == "Label2" || name == "Label4" || name == "Label6";
        const bool down = spec.top >= kBottomRow;
        QRect at = TwipsRect(this, spec.left, spec.top, spec.width, spec.height);
        at.translate(right ? extra.width() : 0, down ? extra.height() : 0);
        if (wider)
            at.adjust(0, 0, extra.width(), 0);
        findChild<QWidget*>(QString::fromLatin1(spec.name))->setGeometry(at);
    }
}

} // namespace qcal::ui
