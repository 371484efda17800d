// The main window: its controls, menus, pictures and title, and the mapping between the
// widgets and the calculation state.

#include "ui/main/form1.h"

#include <vector>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "core/captions.h"
#include "core/messages.h"
#include "settings/ini_location.h"
#include "ui/common/colours.h"
#include "ui/common/controls.h"
#include "ui/common/text.h"
#include "ui/common/pictures.h"
#include "ui/common/window_fit.h"
#include "ui/main/form1_layout.h"
#include "ui/main/module1.h"

namespace qcal::ui {

namespace {

constexpr std::string_view kCaption = "股票交易费用成本睿衡计算器3.31版";

// The menu bar: top menus and their items. A divider is an item of its own (it has a name and a
// caption of dashes) that cannot be chosen: drawn as its caption, greyed, like any disabled item.
enum class ItemKind { Plain, Checkable, Divider };
struct MenuItem {
    const char* name;
    std::string_view caption;
    ItemKind kind;
};
struct TopMenu {
    const char* name;
    const char* caption;
    std::initializer_list<MenuItem> items;
    bool marketsFirst = false;  // the kinds of security of the market list open the menu, one check mark
};

const TopMenu kMenus[] = {
    {"WJ", "文件", {{"TC", "退出", ItemKind::Plain}}},
    {"QTGN",
     "其他功能",
     {{"MNCK", "迷你窗口", ItemKind::Plain},
      {"JHG", "金换股", ItemKind::Plain},
      {"MBJ", "目标价与盈亏表", ItemKind::Plain},
      {"BCZT", "补仓与做T", ItemKind::Plain},
      {"JYJL", "交易记录", ItemKind::Plain}}},
    {"SZ", "设置",
     {{"YH", "———————", ItemKind::Divider},
      {"CKZD", "窗口置顶", ItemKind::Checkable},
      {"JYMR", "记忆买入", ItemKind::Checkable},
      {"XXGZ", qcal::caption::kCurrentRulesMenu, ItemKind::Checkable},
      {"MW", qcal::caption::kWaiveMinimumMenu, ItemKind::Checkable},
      {"QSFL", qcal::caption::kBrokerTermsMenu, ItemKind::Plain}},
     true},
    {"BZ", "帮助", {{"GY", "关于", ItemKind::Plain}}},
};

} // namespace

// The client area: the controls, and the title drawn on its background, under them, on every redraw.
class Form1::Client : public QWidget {
public:
    explicit Client(QWidget* parent) : QWidget(parent) {}
    void ShowTitle()
    {
        titled_ = true;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!titled_)
            return;
        static const QString kTitle = QString::fromUtf8("睿衡算股");
        QPainter painter(this);
        const QFont font = SimSunFont(30);
        painter.setFont(font);
        // The point is the top-left corner of the text's ink, whatever face stands in for SimSun,
        // so that no face's taller line box pushes the title into the frames below it.
        const QRect ink = QFontMetrics(font).tightBoundingRect(kTitle);
        const auto drawAt = [&](int twips, QColor colour) {
            const int px = TwipsToPx(this, twips);
            painter.setPen(colour);
            painter.drawText(QPoint(px - ink.left(), px - ink.top()), kTitle);
        };
        drawAt(142, QColor(100, 100, 100));
        drawAt(100, QColor(0, 0, 255));
    }

private:
    bool titled_ = false;
};

namespace {

template <typename T>
T* Find(const QWidget* root, const QString& name)
{
    return root->findChild<T*>(name);
}

} // namespace

Form1::Form1() : Form1(qcal::settings::DefaultIniDirectory()) {}

Form1::Form1(const QString& iniDirectory) : iniDirectory_(iniDirectory)
{
    settings_ = Module1::OpenSettingsFile(*this);
    // Quitting from anywhere writes what is still queued, and can still tell when that fails.
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] { settings_->Finish(); });
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Q(kCaption));
    setFont(SimSunFont());
    CreateMenus();
    CreateControls();
    SetTabOrder();
    PutPictures();
    Form_Load();

    adjustSize();
    setFixedSize(size());
    FitToScreen(this);
    if (const QScreen* s = screen())
        MoveOnScreen(this, s->availableGeometry().center() - QRect(QPoint(), size() + FrameAllowance()).center());
}

Form1::~Form1()
{
    for (QPointer<QWidget>& window : side_)
        delete window.data();
}

QString Form1::IniPath() const { return QDir(iniDirectory_).filePath(QString::fromLatin1(qcal::settings::kIniFileName)); }

QString Form1::JournalPath() const
{
    return QDir(iniDirectory_).filePath(QString::fromLatin1(qcal::settings::kJournalFileName));
}

void Form1::CreateMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MenuBar"));
    for (const TopMenu& top : kMenus) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(top.caption));
        menu->setObjectName(QString::fromLatin1(top.name));
        menu->menuAction()->setObjectName(QString::fromLatin1(top.name) + QStringLiteral("_menu"));
        std::vector<MenuItem> items;
        if (top.marketsFirst) {
            for (const qcal::Instrument& row : qcal::BuiltInInstruments()) {
                if (row.menuItem)
                    items.push_back({row.menuItem, row.name, ItemKind::Checkable});
            }
        }
        items.insert(items.end(), top.items.begin(), top.items.end());
        for (const MenuItem& item : items) {
            auto* action = new QAction(Q(item.caption), this);
            action->setObjectName(QString::fromLatin1(item.name));
            action->setEnabled(item.kind != ItemKind::Divider);
            action->setCheckable(item.kind == ItemKind::Checkable);
            menu->addAction(action);
        }
    }
}

void Form1::CreateControls()
{
    auto* client = new Client(this);
    client_ = client;
    client->setObjectName(QStringLiteral("Client"));
    client->setFixedSize(TwipsToPx(this, form1::kClientWidth), TwipsToPx(this, form1::kClientHeight));
    setCentralWidget(client);
    BuildControls(client, form1::Controls());

    for (int i = 1; i <= qcal::kFieldCount; ++i) {
        if (!qcal::IsField(i))
            continue;
        text_[i] = Find<QLineEdit>(client, QStringLiteral("Text%1").arg(i));
        if (text_[i]->isReadOnly())
            text_[i]->setFocusPolicy(Qt::ClickFocus);  // results can be selected and copied, but Tab skips them
    }
    for (int i = 1; i <= qcal::kLabelCount; ++i)
        label_[i] = Find<QLabel>(client, QStringLiteral("Label%1").arg(i));  // Label19 and Label20 are groups
    for (std::size_t i = 0; i < label19_.size(); ++i)
        label19_[i] = Find<QLabel>(client, QStringLiteral("Label19_%1").arg(i));
    for (std::size_t i = 0; i < label20_.size(); ++i)
        label20_[i] = Find<QLabel>(client, QStringLiteral("Label20_%1").arg(i));
    for (int i = CommissionCombo; i <= MarketCombo; ++i)
        combo_[i] = Find<QComboBox>(client, QStringLiteral("Combo%1").arg(i));
    for (int i = OnTopCheck; i <= WaiveMinimumCheck; ++i)
        check_[i] = Find<QCheckBox>(client, QStringLiteral("Check%1").arg(i));
    tradeDate_ = Find<QDateEdit>(client, QStringLiteral("DTPicker1"));
    tradeDate_->setDate(QDate::currentDate());
}

void Form1::SetTabOrder()
{
    static constexpr const char* kOrder[] = {"Text1",    "Text2",    "Text11",   "Text12", "Text21", "Text22",
                                             "Command4", "Command1", "Command3", "Command2", "Combo3", "Combo1",
                                             "Combo2",   "DTPicker1", "Check1",  "Check2",   "Command5", "Command6"};
    QWidget* previous = nullptr;
    for (const char* name : kOrder) {
        QWidget* next = Find<QWidget>(centralWidget(), QString::fromLatin1(name));
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    }
}

void Form1::PutPictures()
{
    static constexpr std::pair<const char*, Picture> kPictures[] = {
        {"Command1", Picture::Calculate}, {"Command2", Picture::Exit},     {"Command3", Picture::About},
        {"Command4", Picture::Clear},     {"Command5", Picture::BatchBuy}, {"Command6", Picture::BatchSell},
    };
    for (const auto& [name, picture] : kPictures)
        PutPicture(Find<QPushButton>(centralWidget(), QString::fromLatin1(name)), picture);
}

// Accessors ---------------------------------------------------------------------------------

namespace {

// The element of a control array, or nullptr outside it.
template <typename T, std::size_t N>
T* At(const std::array<T*, N>& controls, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < N ? controls[static_cast<std::size_t>(index)] : nullptr;
}

} // namespace

QLineEdit* Form1::Text(int index) const { return At(text_, index); }
QLabel* Form1::Label(int index) const { return At(label_, index); }

QLabel* Form1::Label(int group, int element) const
{
    if (group == 19)
        return At(label19_, element);
    if (group == 20)
        return At(label20_, element);
    return nullptr;
}

QComboBox* Form1::Combo(int index) const { return At(combo_, index); }
QCheckBox* Form1::Check(int index) const { return At(check_, index); }
QAction* Form1::Action(const char* name) const { return findChild<QAction*>(QString::fromLatin1(name)); }

QPointer<QWidget>& Form1::SideWindow(SideWindowId id) { return side_[static_cast<std::size_t>(id)]; }

qcal::CivilDate Form1::TradeDate() const
{
    const QDate day = tradeDate_->date();
    return qcal::CivilDate::FromYmd(day.year(), day.month(), day.day()).value_or(qcal::CivilDate());
}

bool Form1::BuySideLocked() const { return text_[qcal::BuyPrice]->isReadOnly() || text_[qcal::BuyQuantity]->isReadOnly(); }

void Form1::CarryIntoBuy(const QString& price, const QString& shares)
{
    text_[qcal::BuyPrice]->setText(price);
    text_[qcal::BuyQuantity]->setText(shares);
}

bool Form1::IsExiting() const { return exiting_; }

// The figures on screen belong to the inputs and settings shown, not to ones typed since.
bool Form1::HasComputedBuy() const
{
    return calc_.shownBuy && calc_.shownBuy->basis == Snapshot().CurrentBuyBasis() &&
           !text_[qcal::Paid]->text().isEmpty();
}

// Widgets and calculation state ---------------------------------------------------------------

qcal::FeeSettings Form1::Fees() const
{
    const bool current = check_[CurrentRulesCheck]->isChecked();
    qcal::FeeSettings fees{S(combo_[CommissionCombo]->currentText()), S(combo_[StampDutyCombo]->currentText()),
                           S(combo_[MarketCombo]->currentText()), current ? qcal::FeeRules::Current : qcal::FeeRules::Own,
                           current && check_[WaiveMinimumCheck]->isChecked()};
    // The broker's terms and the rule table serve the journal whatever the rules on screen; the
    // trade date is the current rules' own.
    fees.terms = terms_;
    fees.ruleTable = &rules_.table;
    if (current)
        fees.tradeDate = TradeDate().Format();
    return fees;
}

qcal::MainWindowState Form1::Snapshot() const
{
    qcal::MainWindowState state = calc_;
    for (int i = 1; i <= qcal::kFieldCount; ++i) {
        if (!text_[i])
            continue;
        state.text[i] = S(text_[i]->text());
        state.locked[i] = text_[i]->isReadOnly();
    }
    for (int i = 1; i <= qcal::kLabelCount; ++i) {
        if (const QLabel* label = label_[i])
            state.label[i] = {S(label->text()), LabelColour(label), S(label->toolTip())};
    }
    for (std::size_t i = 0; i < label19_.size(); ++i)
        state.unit[i] = S(label19_[i]->text());
    state.fees = Fees();
    return state;
}

void Form1::Apply(const qcal::MainWindowState& state)
{
    // Only what changed is written: rewriting a field's text would lose its cursor and selection.
    for (int i = 1; i <= qcal::kFieldCount; ++i) {
        if (!text_[i])
            continue;
        const QString text = Q(state.text[i]);
        if (text_[i]->text() != text)
            text_[i]->setText(text);
        if (text_[i]->isReadOnly() != state.locked[i])
            SetFieldLocked(text_[i], state.locked[i]);
    }
    for (int i = 1; i <= qcal::kLabelCount; ++i) {
        QLabel* label = label_[i];
        if (!label)
            continue;
        const qcal::LabelState& wanted = state.label[i];
        if (label->text() != Q(wanted.caption))
            label->setText(Q(wanted.caption));
        if (LabelColour(label) != wanted.colour)
            SetLabelColour(label, wanted.colour);
        if (label->toolTip() != Q(wanted.toolTip))
            label->setToolTip(Q(wanted.toolTip));
    }
    for (std::size_t i = 0; i < label19_.size(); ++i) {
        if (label19_[i]->text() != Q(state.unit[i]))
            label19_[i]->setText(Q(state.unit[i]));
    }
    if (combo_[CommissionCombo]->currentText() != Q(state.fees.commission))
        combo_[CommissionCombo]->setEditText(Q(state.fees.commission));
    if (combo_[StampDutyCombo]->currentText() != Q(state.fees.stampDuty))
        combo_[StampDutyCombo]->setCurrentText(Q(state.fees.stampDuty));
    if (combo_[MarketCombo]->currentText() != Q(state.fees.market))
        combo_[MarketCombo]->setCurrentText(Q(state.fees.market));
    calc_ = state;
    Publish();
}

void Form1::Publish() { feed_.Publish(qcal::ViewOf(Snapshot())); }

// Title --------------------------------------------------------------------------------------

void Form1::WZ()
{
    client_->ShowTitle();
}

// Closing ------------------------------------------------------------------------------------

void Form1::closeEvent(QCloseEvent* event)
{
    exiting_ = true;
    for (SideWindowId id : kSideWindows)
        UnloadSideWindow(id);
    settings_->Finish();
    event->accept();
    QMainWindow::closeEvent(event);
}

void Form1::UnloadSideWindow(SideWindowId id)
{
    QWidget* window = SideWindow(id);
    if (auto* side = qobject_cast<qcal::ui::SideWindow*>(window))
        side->Unload();
    else if (window)
        window->close();
}

void Form1::ComeBack()
{
    if (exiting_)
        return;
    show();
    raise();
    activateWindow();
    Form_Activate();
}

} // namespace qcal::ui
