// One group of the editor's status panel: a title and up to five items in a row, split by
// thin dividers. Highlighted parts are drawn bright and medium, the rest dim. Each text may
// carry a long and a short form ("LEFT,L"); the short one is shown while the panel is
// compressed. Clicking a text tells the delegate which item of which group it was.
#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>

#include <array>

namespace harbrix {

namespace ui {
class Label;
class ColorView;
}  // namespace ui

class StatusGroup;

class StatusGroupDelegate {
  public:
    virtual ~StatusGroupDelegate() = default;
    virtual void itemClicked(const QString& item, const QString& group) = 0;
};

class StatusGroup : public QWidget {
    Q_OBJECT
  public:
    // Highlight bits.
    static constexpr unsigned kTitle = 32;
    static constexpr unsigned kItem1 = 16;
    static constexpr unsigned kItem2 = 8;
    static constexpr unsigned kItem3 = 4;
    static constexpr unsigned kItem4 = 2;
    static constexpr unsigned kItem5 = 1;

    // Title above the items, or the title first on the items' line.
    enum Arrangement { Stacked = 0, Inline = 1 };

    explicit StatusGroup(QWidget* parent = nullptr);

    // Texts, set by the layout file.
    QString title() const { return texts_[0]; }
    void setTitle(const QString& text) { setText(0, text); }
    void setItem1(const QString& text) { setText(1, text); }
    void setItem2(const QString& text) { setText(2, text); }
    void setItem3(const QString& text) { setText(3, text); }
    void setItem4(const QString& text) { setText(4, text); }
    void setItem5(const QString& text) { setText(5, text); }
    // 1..5.
    QString item(int number) const;

    // Layout values, set by the layout file.
    void setMargin(int margin);
    void setCompressedMargin(int margin);
    void setWraps(bool wraps);
    void setCompressedX(int x) { compressedX_ = x; }
    int compressedX() const { return compressedX_; }
    void setArrangement(int arrangement);
    void setInitialLine(int y);
    // Where the group sits in the wide panel; recorded when the panel first enters a window.
    QPoint initialOrigin() const { return initialOrigin_; }
    void setInitialOrigin(const QPoint& origin) { initialOrigin_ = origin; }
    // The origin for the present state.
    QPoint computedOrigin() const;

    unsigned highlights() const { return highlights_; }
    void setHighlights(unsigned mask);
    bool compressed() const { return compressed_; }
    void setCompressed(bool compressed);

    // The long form, or the short form once compressed; a text without "," in both states.
    QString parsedString(const QString& text) const;

    StatusGroupDelegate* delegate() const { return delegate_; }
    void setDelegate(StatusGroupDelegate* delegate) { delegate_ = delegate; }

    // The labels: 0 the title, 1..5 the items.
    ui::Label* label(int index) const { return labels_[index]; }
    void labelClicked(ui::Label* label);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void setText(int index, const QString& text);
    bool highlighted(int index) const;
    void layOut();

    std::array<QString, 6> texts_;
    std::array<ui::Label*, 6> labels_{};
    std::array<ui::ColorView*, 4> dividers_{};  // divider12 .. divider45
    unsigned highlights_ = 0;
    bool compressed_ = false;
    int margin_ = 14;
    int compressedMargin_ = 8;
    bool wraps_ = false;
    int compressedX_ = 0;
    int arrangement_ = Stacked;
    int initialLine_ = 30;
    QPoint initialOrigin_;
    StatusGroupDelegate* delegate_ = nullptr;
};

}  // namespace harbrix
