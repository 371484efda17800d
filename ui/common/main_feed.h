#pragma once
// The one way the main window's holding and fee settings reach the other windows. The main window
// publishes its view after every change it makes (a calculation, a sale, Clear, a setting); each
// publication that differs from the last is announced once, and every open side window then
// computes again what it shows, or clears what no longer holds.

#include <QObject>

#include "core/main_view.h"

namespace qcal::ui {

class MainFeed : public QObject {
    Q_OBJECT
public:
    const qcal::MainView& View() const { return view_; }

    // Announces the view when it differs from the one published last.
    void Publish(const qcal::MainView& view);

signals:
    void Changed();

private:
    qcal::MainView view_;
};

} // namespace qcal::ui
