// A strip of page tabs over the slot grid. The screen keeps one strip per page (one for 100
// per page, two for 50, five for 20), each carrying every tab of its page size, and shows the
// strip of the page shown.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <vector>

namespace harbrix {

namespace ui {
class ImageView;
class ToggleButton;
}  // namespace ui

class TransfersTabs;

class TransfersTabsDelegate {
  public:
    virtual ~TransfersTabsDelegate() = default;
    // `tab` from 1.
    virtual void transfersTabsTabClicked(TransfersTabs* strip, unsigned tab) = 0;
};

class TransfersTabs : public QWidget {
    Q_OBJECT
  public:
    // A strip for `grouping` slots per page (20, 50 or 100), showing its first tab on.
    TransfersTabs(unsigned grouping, TransfersTabsDelegate* delegate, QWidget* parent = nullptr);

    unsigned grouping() const { return grouping_; }
    // "Presets 1-20", "21-40", ...
    static QStringList titles(unsigned grouping);
    const std::vector<QPointer<ui::ToggleButton>>& tabs() const { return tabs_; }
    // Only tab `tab` (from 1) on.
    void setOnlyTabOn(unsigned tab);
    // The tab that is on, from 1; 0 when none is.
    unsigned tabOn() const;

  private:
    void buttonClicked(unsigned tab);

    unsigned grouping_;
    TransfersTabsDelegate* delegate_;
    QPointer<ui::ImageView> background_;
    std::vector<QPointer<ui::ToggleButton>> tabs_;
};

}  // namespace harbrix
