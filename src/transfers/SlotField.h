// The one rename field the screen shares between its slots. It sits over the name of the
// slot being renamed; Return or leaving it confirms, and Escape (on its release) ends the
// rename with `discard` set, so the name stays as it was. It takes only what a preset name
// can hold: at most 24 characters, each one the pedal stores as it is (printable ASCII; "~"
// shows as U+F888). A key or a paste it refuses is said at once with `refused`.
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

    // One line for the user on why `typed` was not taken.
    static QString refusal(const QString& typed, bool full);

  signals:
    void editingEnded();
    void refused(const QString& why);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    QString typed_;  // the text of the key being handled, or what a paste brings
    bool discard_ = false;
    bool editing_ = false;
};

}  // namespace harbrix
