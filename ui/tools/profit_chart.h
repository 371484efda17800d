#pragma once
// The chart of the target-price window (Picture1): the profit of selling all the shares against the
// sell price, with the zero line and the break-even and target prices marked, axes in yuan. Drawn
// with QPainter; it redraws with the figures and scales with its widget.

#include <optional>
#include <vector>

#include <QWidget>

#include "core/target.h"

namespace qcal::ui {

class ProfitChart : public QWidget {
    Q_OBJECT
public:
    explicit ProfitChart(QWidget* parent);

    // pricePicture: the tick's, for the break-even's and the target's labels.
    void SetCurve(std::vector<qcal::CurvePoint> curve, std::optional<double> breakEven, std::optional<double> target,
                  const QString& pricePicture = QStringLiteral("##0.00"));
    void Clear();

    const std::vector<qcal::CurvePoint>& Curve() const { return curve_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<qcal::CurvePoint> curve_;
    std::optional<double> breakEven_;
    std::optional<double> target_;
    QString pricePicture_;
};

} // namespace qcal::ui
