// One row of the editor's preset list: the slot number, the preset's title and a background
// image that says whether the row is hovered, selected, empty or full. The row asks its
// table what the slot holds each time it is redrawn.
#pragma once

#include <QString>
#include <QWidget>

#include <cstddef>

namespace harbrix {

namespace ui {
class Label;
}

class EditorPresetsTable;

// What a row shows of its slot.
struct PresetRowState {
    bool known = false;  // the slot's contents have been read
    bool empty = true;   // an empty preset that has not been edited
    QString title;       // the name, "~" shown as U+F888
};

class EditorPresetsTableCellView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeight = 21;

    EditorPresetsTableCellView(EditorPresetsTable* table, std::size_t index, QWidget* parent);

    std::size_t index() const { return index_; }
    bool hovering() const { return hovering_; }
    void setHovering(bool hovering);
    // The background image shown now.
    QString backgroundName() const;
    // Reads the slot again and redraws.
    void reload();
    ui::Label* number() const { return number_; }
    ui::Label* title() const { return title_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    EditorPresetsTable* table_;
    std::size_t index_;
    bool hovering_ = false;
    PresetRowState state_;
    ui::Label* number_;
    ui::Label* title_;
};

}  // namespace harbrix
