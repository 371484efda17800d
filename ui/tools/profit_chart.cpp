#include "ui/tools/profit_chart.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QPainterPath>

#include "ui/common/colours.h"
#include "ui/common/controls.h"

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

// An axis's figure: as many decimals as its step needs, no more.
QString AxisText(double value, double step)
{
    const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step) - 1e-9)), 0, 4);
    return QString::number(value, 'f', decimals);
}

} // namespace

ProfitChart::ProfitChart(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setToolTip(QStringLiteral("卖出全部股票时的盈亏随卖出价格的变化；红线为保本价，绿线为目标价"));
}

void ProfitChart::SetCurve(std::vector<qcal::CurvePoint> curve, std::optional<double> breakEven,
                           std::optional<double> target)
{
    curve_ = std::move(curve);
    breakEven_ = breakEven;
    target_ = target;
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

    const QRect plot = rect().adjusted(metrics.horizontalAdvance(QStringLiteral("-00,000.00")) + 8, line + 6,
                                       -12, -(2 * line + 8));
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRect(0, 2, width(), line), Qt::AlignHCenter, QStringLiteral("卖出全部股票的盈亏（元）"));
    p.drawText(QRect(0, height() - line - 2, width(), line), Qt::AlignHCenter, QStringLiteral("卖出价格（元）"));
    p.setPen(QColor(160, 160, 160));
    p.drawRect(plot);
    if (curve_.size() < 2 || plot.width() < 20 || plot.height() < 20)
        return;

    const auto [minPrice, maxPrice] = std::pair(curve_.front().price, curve_.back().price);
    double minProfit = 0, maxProfit = 0;
    for (const auto& point : curve_) {
        minProfit = std::min(minProfit, point.profit);
        maxProfit = std::max(maxProfit, point.profit);
    }
    const double margin = (maxProfit - minProfit) * 0.05 + 1e-9;
    minProfit -= margin;
    maxProfit += margin;
    const auto x = [&](double price) {
        return plot.left() + (price - minPrice) / (maxPrice - minPrice) * plot.width();
    };
    const auto y = [&](double profit) {
        return plot.bottom() - (profit - minProfit) / (maxProfit - minProfit) * plot.height();
    };

    // Grid lines and the figures of both axes.
    const double priceStep = NiceStep(maxPrice - minPrice, 6);
    const double profitStep = NiceStep(maxProfit - minProfit, 5);
    for (double v = std::ceil(minPrice / priceStep) * priceStep; v <= maxPrice + 1e-9; v += priceStep) {
        p.setPen(QColor(225, 225, 225));
        p.drawLine(QPointF(x(v), plot.top()), QPointF(x(v), plot.bottom()));
        p.setPen(QColor(60, 60, 60));
        p.drawText(QRectF(x(v) - 40, plot.bottom() + 3, 80, line), Qt::AlignHCenter, AxisText(v, priceStep));
    }
    for (double v = std::ceil(minProfit / profitStep) * profitStep; v <= maxProfit + 1e-9; v += profitStep) {
        p.setPen(QColor(225, 225, 225));
        p.drawLine(QPointF(plot.left(), y(v)), QPointF(plot.right(), y(v)));
        p.setPen(QColor(60, 60, 60));
        p.drawText(QRectF(0, y(v) - line / 2.0, plot.left() - 5, line), Qt::AlignRight | Qt::AlignVCenter,
                   AxisText(v, profitStep));
    }

    // The zero line, and the curve: red above it (a gain), blue below (a loss), as the main window.
    p.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    p.drawLine(QPointF(plot.left(), y(0)), QPointF(plot.right(), y(0)));
    p.setClipRect(plot);
    for (std::size_t i = 1; i < curve_.size(); ++i) {
        const bool gain = curve_[i].profit >= 0;
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
        const QString text = name + QString::number(price, 'f', price < 1 ? 3 : 2);
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
