// One collapsible section of a detail stack: a header row (an open/closed toggle and a title)
// over a content view that starts hidden. The content is the section's own child view from
// the layout; the header is made here.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

namespace harbrix {

namespace ui {
class ImageButton;
class Label;
}  // namespace ui

class Detail : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kHeaderHeight = 20;

    explicit Detail(QWidget* parent = nullptr);

    // The header's text, from the layout; "Unknown" when it gives none.
    QString title() const;
    void setTitle(const QString& title);

    bool isOpen() const { return open_; }
    // The toggle's action: shows the content when open, hides it otherwise, then lets the
    // stack lay itself out again.
    void openClose(bool open);
    // The height of the content view (0 without one).
    int contentHeight() const;
    QWidget* content() const;
    ui::ImageButton* toggle() const { return toggle_; }

    // Called after openClose, so the stack can move the sections below.
    void setLaidOut(std::function<void()> laidOut) { laidOut_ = std::move(laidOut); }

    // Takes the first child view that is not part of the header as the content, hidden
    // while the section is closed. The stack calls it once the layout has made the children.
    void prepare();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showToggleState();

    ui::ImageButton* toggle_;
    ui::Label* titleLabel_;
    QPointer<QWidget> content_;
    bool open_ = false;
    std::function<void()> laidOut_;
};

}  // namespace harbrix
