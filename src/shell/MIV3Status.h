// The MIV III's status panel: which outputs are on, whether the expression pedal and the
// focus are active, and which dry voices sound, read from the editor's selected preset.
#pragma once

#include <memory>

#include "shell/Status.h"

namespace Ui {
class MIV3Status;
}

namespace harbrix {

class MIV3Status : public Status {
    Q_OBJECT
  public:
    // The panel of the "MIV3Status" layout.
    static MIV3Status* load(QWidget* parent = nullptr);
    explicit MIV3Status(QWidget* parent = nullptr);
    ~MIV3Status() override;

    void sync() override;

    StatusGroup* outputGroup() const;
    StatusGroup* EXPGroup() const;
    StatusGroup* focusGroup() const;
    StatusGroup* dryGroup() const;

  private:
    std::unique_ptr<Ui::MIV3Status> form_;
};

}  // namespace harbrix
