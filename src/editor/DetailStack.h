// A column of collapsible sections (`Detail`), laid out top to bottom in their layout order:
// each section sits a header's height below the one above it, plus that one's content when
// it is open. Views of other kinds in the stack are left where they are. `EditorDetailStack`
// is the editor's breakout panel, drawn on a dark panel.
#pragma once

#include <QWidget>

#include <vector>

namespace harbrix {

class Detail;

class DetailStack : public QWidget {
    Q_OBJECT
  public:
    explicit DetailStack(QWidget* parent = nullptr);

    // The sections, top first; taken from the stack's children on first use.
    const std::vector<Detail*>& details();
    void layOut();

  private:
    std::vector<Detail*> details_;
    bool collected_ = false;
};

class EditorDetailStack : public DetailStack {
    Q_OBJECT
  public:
    explicit EditorDetailStack(QWidget* parent = nullptr) : DetailStack(parent) {}

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace harbrix
