#include "ui/tools/profit_chart.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QPainterPath>

#include "core/picture.h"
#include "ui/common/colours.h"
#include "ui/common/controls.h"
#include "ui/common/text.h"

namespace qcal::ui {

namespace {

// A round step for an axis: 1, 2 or 5 times a power of ten, about span / wanted.
double NiceStep(double span, int wanted)
{
    if (!(span > 0))
        return 1;
    const double raw = span / wanted;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (factor * power >= raw)
            return factor * power;
    }
    return 10 * power;
}

// An axis's figure: grouped by thousands, with as many decimals as its step needs, no more.
QString AxisText(double value, double step)
{
    const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 4);
    std::string picture = "###,##0";
    if (decimals > 0) {
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "." + std::string at -O2.
        picture += '.';
        picture.append(static_cast<std::size_t>(decimals), '0');
    }
    return Q(qcal::FormatPicture(std::fabs(value) < step * 1e-6 ? 0.0 : value, picture));
}

} // namespace

ProfitChart::ProfitChart(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setToolTip(QStringLiteral("卖出全部股票时的盈亏随卖出价格的变化；红线为保本价，绿线为目标价"));
}

void ProfitChart::SetCurve(std::vector<qcal::CurvePoint> curve, std::optional<double> breakEven,
                           std::optional<double> target, const QString& pricePicture)
{
    curve_ = std::move(curve);
    breakEven_ = breakEven;
    target_ = target;
    pricePicture_ = pricePicture;
    update();
}

void ProfitChart::Clear() { SetCurve({}, std::nullopt, std::nullopt); }

void ProfitChart::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), WindowBackgroundColour());
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(SimSunFont());
    const QFontMetrics metrics(p.font());
    const int line = metrics.height();

    double minProfit = 0, maxProfit = 0;
    for (const auto& point : curve_) {
        minProfit = std::min(minProfit, point.profit);
        maxProfit = std::max(maxProfit, point.profit);
    }
    const double margin = (maxProfit - minProfit) * 0.05 + 1e-9;
    minProfit -= margin;
    maxProfit += margin;
    const double profitStep = NiceStep(maxProfit - minProfit, 5);
    // The left margin takes the widest figure of the profit axis, so that none is cut.
    std::vector<std::pair<double, QString>> profitTicks;
    int widest = metrics.horizontalAdvance(QStringLiteral("-0.00"));
    if (curve_.size() >= 2) {
        for (double v = std::ceil(minProfit / profitStep) * profitStep; v <= maxProfit + 1e-9; v += profitStep) {
            profitTicks.emplace_back(v, AxisText(v, profitStep));
            widest = std::max(widest, metrics.horizontalAdvance(profitTicks.back().second));
        }
    }
    const QRect plot = rect().adjusted(widest + 10, line + 6, -12, -(2 * line + 8));
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRect(0, 2, width(), line), Qt::AlignHCenter, QStringLiteral("卖出全部股票的盈亏（元）"));
    p.drawText(QRect(0, height() - line - 2, width(), line), Qt::AlignHCenter, QStringLiteral("卖出价格（元）"));
    p.setPen(QColor(160, 160, 160));
    p.drawRect(plot);
    if (curve_.size() < 2 || plot.width() < 20 || plot.height() < 20)
        return;

    const auto [minPrice, maxPrice] = std::pair(curve_.front().price, curve_.back().price);
    const auto x = [&](double price) {
        return plot.left() + (price - minPrice) / (maxPrice - minPrice) * plot.width();
    };
    const auto y = [&](double profit) {
        return plot.bottom() - (profit - minProfit) / (maxProfit - minProfit) * plot.height();
    };

    // Grid lines and the figures of both axes.
    const double priceStep = NiceStep(maxPrice - minPrice, 6);
    for (double v = std::ceil(minPrice / priceStep) * priceStep; v <= maxPrice + 1e-9; v += priceStep) {
        p.setPen(QColor(225, 225, 225));
        p.drawLine(QPointF(x(v), plot.top()), QPointF(x(v), plot.bottom()));
        p.setPen(QColor(60, 60, 60));
        const QString text = AxisText(v, priceStep);
        const double half = metrics.horizontalAdvance(text) / 2.0 + 2;
        p.drawText(QRectF(x(v) - half, plot.bottom() + 3, 2 * half, line), Qt::AlignHCenter, text);
    }
    for (const auto& [v, text] : profitTicks) {
        p.setPen(QColor(225, 225, 225));
        p.drawLine(QPointF(plot.left(), y(v)), QPointF(plot.right(), y(v)));
        p.setPen(QColor(60, 60, 60));
        p.drawText(QRectF(0, y(v) - line / 2.0, plot.left() - 5, line), Qt::AlignRight | Qt::AlignVCenter, text);
    }

    // The zero line, and the curve: red above it (a gain), blue below (a loss), as the main window.
    p.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), y(0)), QPointF(plot.right(), y(0)));
    p.setClipRect(plot);
    for (std::size_t i = 1; i < curve_.size(); ++i) {
        const bool gain = curve_[i].profit >= 0;  // the line up to zero and on: a gain's colour
        p.setPen(QPen(ToQColor(gain ? qcal::Colour::Red : qcal::Colour::Blue), 2));
        p.drawLine(QPointF(x(curve_[i - 1].price), y(curve_[i - 1].profit)),
                   QPointF(x(curve_[i].price), y(curve_[i].profit)));
    }
    p.setClipping(false);

    // The break-even and the target, each a vertical line with its name and price.
    const auto mark = [&](double price, QColor colour, const QString& name, int row) {
        if (price < minPrice || price > maxPrice)
            return;
        p.setPen(QPen(colour, 1.5));
        p.drawLine(QPointF(x(price), plot.top()), QPointF(x(price), plot.bottom()));
        const QString text = name + Q(qcal::FormatPicture(price, S(pricePicture_)));
        const double textWidth = metrics.horizontalAdvance(text) + 6;
        const double left = std::min(x(price) + 3, plot.right() - textWidth);
        const QRectF box(left, plot.top() + 3 + row * (line + 2), textWidth, line);
        p.fillRect(box, QColor(255, 255, 255, 220));
        p.drawText(box, Qt::AlignCenter, text);
    };
    if (breakEven_)
        mark(*breakEven_, QColor(200, 0, 0), QStringLiteral("保本 "), 0);
    if (target_)
        mark(*target_, QColor(0, 140, 60), QStringLiteral("目标 "), 1);
}

} // namespace qcal::ui
