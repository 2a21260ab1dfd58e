// A lamp of the pedal picture: "EDITOR_light_on" when lit, "EDITOR_light_off" otherwise.
#pragma once

#include "ui/ImageView.h"

namespace harbrix {

class Light : public ui::ImageView {
    Q_OBJECT
  public:
    explicit Light(QWidget* parent = nullptr);

    bool on() const { return on_; }
    void setOn(bool on);

  private:
    bool on_ = false;
};

}  // namespace harbrix
