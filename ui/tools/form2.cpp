#include "ui/tools/form2.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QUrl>

#include "ui/common/controls.h"

namespace qcal::ui {

namespace {

constexpr int kClientWidth = 6015;
constexpr int kClientHeight = 7215;

constexpr ControlSpec kControls[] = {
    {"Label1", Kind::Label, nullptr, 360, 1680, 5295, 3900, {}, {}},
    {"Line1", Kind::Line, nullptr, 360, 5760, 5295, 30, {}, {}},
    {"Label2", Kind::Label, nullptr, 360, 5880, 5295, 315, {}, {}},
    {"Command1", Kind::Button, nullptr, 2520, 6480, 975, 495, "确 定", {}},
};

// The guide's own window when no browser shows it.
constexpr int kGuideWidth = 11400;
constexpr int kGuideHeight = 10800;

// The banner sits centred across the top, in pixels (it is a picture, not a control of the table).
constexpr int kBannerTopTwips = 240;

const char* const kNote =
    "我是一名普通的个人投资者，平时用业余时间做一点A股买卖。\n\n"
    "刚入市的时候，我只盯着成交价，以为股价比买入价高一点就算赚了。后来拿着交割单一笔一笔地核对，"
    "才发现佣金、印花税、过户费加在一起并不少：有时股价明明涨了几分钱，卖出后一算反而是亏的。\n\n"
    "我想在下单之前就看清每一项费用，知道真正不亏本的卖出价是多少，于是动手写了这个小程序。"
    "输入买入价格和数量，就能看到每一笔费用、每股成本和保本价格；再输入卖出价格，盈亏和收益率也一目了然。\n\n"
    "程序按常见的收费规则计算，结果仅供参考，实际费用以券商的交割单为准。\n\n"
    "希望它也能帮你在交易之前把账算清楚。祝投资顺利！";

const char* const kNotice = "本程序只在亲友之间免费分享，点击上方图片可查看使用说明";

QFont BannerFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace

Banner::Banner(QWidget* parent) : QWidget(parent)
{
    setFixedSize(kWidth, kHeight);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("点击打开使用说明"));
}

// A calculator's name on the left; on the right a few candles above and below a dashed
// break-even line, which is what the program is about.
void Banner::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, kHeight);
    sky.setColorAt(0, QColor(18, 48, 90));
    sky.setColorAt(1, QColor(31, 95, 168));
    p.fillRect(rect(), sky);

    p.setPen(QColor(255, 255, 255));
    p.setFont(BannerFont(20, true));
    p.drawText(QRect(10, 10, 120, 28), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("睿衡计算器"));
    p.setPen(QColor(200, 220, 245));
    p.setFont(BannerFont(11, false));
    p.drawText(QRect(11, 42, 120, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("股票交易费用 · 保本价"));
    p.setPen(QColor(255, 214, 90));
    p.setFont(BannerFont(12, true));
    p.drawText(QRect(11, 62, 120, 18), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("3.31 版"));

    // Candles: open, close, high, low in pixels from the top; red rises, green falls.
    struct Candle { int open, close, high, low; };
    constexpr Candle kCandles[] = {
        {62, 70, 58, 74}, {70, 60, 56, 72}, {60, 52, 48, 64}, {52, 57, 47, 61}, {57, 40, 36, 59}, {40, 28, 22, 44},
    };
    const int breakEvenY = 50;
    p.setPen(QPen(QColor(255, 214, 90), 1, Qt::DashLine));
    p.drawLine(128, breakEvenY, 204, breakEvenY);
    int x = 134;
    for (const Candle& c : kCandles) {
        const QColor colour = c.close < c.open ? QColor(235, 60, 60) : QColor(40, 190, 110);
        p.setPen(colour);
        p.drawLine(x + 3, c.high, x + 3, c.low);
        p.fillRect(QRect(x, std::min(c.open, c.close), 7, std::abs(c.open - c.close) + 1), colour);
        x += 11;
    }
    p.setPen(QColor(255, 214, 90));
    p.setFont(BannerFont(10, false));
    p.drawText(QRect(128, breakEvenY - 14, 30, 13), Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("保本"));

    p.setPen(QColor(120, 160, 210));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void Banner::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

Form2::Form2(MainLink& main)
    : SideWindow(main, {"Form2", "关于股票交易费用睿衡计算器", kControls, kClientWidth, kClientHeight, true})
{
    image1_ = new Banner(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->move((width() - Banner::kWidth) / 2, TwipsToPx(this, kBannerTopTwips));

    note_ = findChild<QLabel*>(QStringLiteral("Label1"));
    notice_ = findChild<QLabel*>(QStringLiteral("Label2"));
    note_->setWordWrap(true);
    note_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice_->setAlignment(Qt::AlignCenter);

    connect(image1_, &Banner::clicked, this, [this] { Image1_Click(); });
    connect(Command1(), &QPushButton::clicked, this, [this] { close(); });
    note_->setText(QString::fromUtf8(kNote));
    notice_->setText(QString::fromUtf8(kNotice));
}

QLabel* Form2::Label(int index) const { return index == 1 ? note_ : index == 2 ? notice_ : nullptr; }

QString Form2::GuidePath()
{
    const QDir program(QApplication::applicationDirPath());
    const QString beside = program.filePath(QStringLiteral("guide.html"));
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(program.filePath(QStringLiteral(QCAL_DOC_FROM_BIN "/guide.html")));
}

namespace {

// A browser is there when the desktop names one for web pages, or the user set $BROWSER.
// (xdg-open itself starts without complaint even when nothing can show the page.)
bool SystemHasBrowser()
{
    if (!qEnvironmentVariableIsEmpty("BROWSER"))
        return true;
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return false;
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(3000))
        return false;
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

std::function<bool(const QUrl&)>& Form2::BrowserOpener()
{
    static std::function<bool(const QUrl&)> opener = [](const QUrl& url) {
        return SystemHasBrowser() && QDesktopServices::openUrl(url);
    };
    return opener;
}

// A click always shows the guide: in the system's browser, or else in a window of our own.
void Form2::Image1_Click()
{
    if (!BrowserOpener()(QUrl::fromLocalFile(GuidePath())))
        ShowGuideHere();
}

void Form2::ShowGuideHere()
{
    if (!guide_) {
        // A window of the About window's own: it goes when the About window does.
        guide_ = new QTextBrowser(this);
        guide_->setWindowFlag(Qt::Window);
        guide_->setObjectName(QStringLiteral("Guide"));
        guide_->setWindowTitle(QStringLiteral("使用说明"));
        guide_->setOpenExternalLinks(false);
        guide_->resize(TwipsToPx(this, kGuideWidth), TwipsToPx(this, kGuideHeight));
        guide_->setSource(QUrl::fromLocalFile(GuidePath()));
        if (guide_->toPlainText().isEmpty())
            guide_->setHtml(QStringLiteral("<p>找不到使用说明文件：%1</p>").arg(GuidePath().toHtmlEscaped()));
    }
    guide_->show();
    guide_->raise();
    guide_->activateWindow();
}

} // namespace qcal::ui
