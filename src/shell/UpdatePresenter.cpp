// The update checker's window and alert.
#include "shell/UpdatePresenter.h"

#include "shell/StingerWindow.h"
#include "ui/Alert.h"

namespace harbrix {

UpdatePresenter::UpdatePresenter(QWidget* parent) : parent_(parent) {}

UpdatePresenter::~UpdatePresenter() {
    delete window_;
}

StingerWindow* UpdatePresenter::window() {
    if (!window_) window_ = StingerWindow::window();
    return window_;
}

void UpdatePresenter::showForUpdate(Stinger& stinger, const UpdateEntry& entry) {
    window()->setInteractionDelegate(stinger.weak_from_this());
    window()->showForUpdate(entry);
}

void UpdatePresenter::hide() {
    if (window_) window_->hide();
}

void UpdatePresenter::showUpToDate(const std::string& headline, const std::string& fineprint) {
    ui::Alert::informLater(parent_, QString::fromStdString(headline),
                           QString::fromStdString(fineprint));
}

}  // namespace harbrix
