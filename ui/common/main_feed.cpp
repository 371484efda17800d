#include "ui/common/main_feed.h"

namespace qcal::ui {

void MainFeed::Publish(const qcal::MainView& view)
{
    if (view == view_)
        return;
    view_ = view;
    emit Changed();
}

} // namespace qcal::ui
