// The one rename field the screen shares between its slots. It sits over the name of the
// slot being renamed; Return or leaving it confirms, and Escape (on its release) ends the
// rename with `discard` set, so the name stays as it was.
#pragma once

#include <QLineEdit>

namespace harbrix {

class SlotField : public QLineEdit {
    Q_OBJECT
  public:
    explicit SlotField(QWidget* parent = nullptr);

    // Set by Escape; cleared when a rename begins.
    bool discard() const { return discard_; }
    void setDiscard(bool discard) { discard_ = discard; }
    bool isEditing() const { return editing_; }
    // Shows the field with `text` all selected and takes the keyboard.
    void begin(const QString& text);
    // Ends the rename in progress (none: nothing); editingEnded follows.
    void end();

  signals:
    void editingEnded();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    bool discard_ = false;
    bool editing_ = false;
};

}  // namespace harbrix
