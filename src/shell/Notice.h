// The one-line notice a screen shows in its status area when something the user asked for
// did not happen ("Slot 12 could not be written; the pedal kept its preset."). It stays
// until the screen's next action dismisses it. Every screen uses this one, so they all say
// it the same way, in the same place and colour.
#pragma once

#include <QString>

#include "ui/Label.h"

namespace harbrix {

class Notice : public ui::Label {
    Q_OBJECT
  public:
    explicit Notice(QWidget* parent = nullptr);

    // Shows the text (one line, elided at the right when it does not fit).
    void post(const QString& text);
    // Hides the notice; nothing when none is shown.
    void dismiss();
    bool isPosted() const { return !text_.isEmpty(); }
    // The whole text of the posted notice, even when the line shows it elided.
    const QString& notice() const { return text_; }

  signals:
    void posted(const QString& text);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layOut();

    QString text_;
};

}  // namespace harbrix
