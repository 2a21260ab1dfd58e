// Shows what the software update checker found: the "Software Update" window for a new
// release, the "You're up to date!" alert otherwise.
#pragma once

#include <QPointer>

#include "updates/Stinger.h"

class QWidget;

namespace harbrix {

class StingerWindow;

class UpdatePresenter : public StingerPresenter {
  public:
    // The alert is shown over `parent`.
    explicit UpdatePresenter(QWidget* parent);
    ~UpdatePresenter() override;

    void showForUpdate(Stinger& stinger, const UpdateEntry& entry) override;
    void hide() override;
    void showUpToDate(const std::string& headline, const std::string& fineprint) override;

    // Made on first use.
    StingerWindow* window();

  private:
    QPointer<QWidget> parent_;
    QPointer<StingerWindow> window_;
};

}  // namespace harbrix
