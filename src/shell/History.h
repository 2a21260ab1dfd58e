// The transaction history window of debug mode: the current pedal's recorded exchanges one
// at a time, with buttons to the first, previous, next and last entry. Reads of empty preset
// slots can be skipped; they make up most of a pedal's start-up.
#pragma once

#include <QAbstractButton>
#include <QWidget>

#include <cstddef>
#include <memory>
#include <optional>

#include "link/QORUARTDevice.h"

namespace Ui {
class History;
}

namespace harbrix {

class History : public QWidget {
    Q_OBJECT
  public:
    // The window of the "History" layout, with empty fields and skipping on.
    static std::unique_ptr<History> window();
    ~History() override;

    // Shows the last entry and brings the window up.
    void showWindow();
    void update(const HistoryEntry& entry);
    void beginning();
    void end();
    void backward();
    void forward();
    bool ignoreEmptyPresets() const { return ignoreEmptyPresets_; }
    void setIgnoreEmptyPresets(bool ignore);
    void toggleIgnoreEmptyPresets();

    std::size_t index() const { return index_; }
    // What the window shows.
    QString requestText() const;
    QString responseText() const;
    QString commandText() const;
    QString indexText() const;
    QAbstractButton* button(int position) const;  // 0 beginning, 1 back, 2 forward, 3 end

  private:
    History();
    // Shows the entry, if any, and makes it the current position.
    void showEntry(const std::optional<HistoryEntry>& entry);
    // An empty-slot read being skipped is stepped over with `step`; anything else is shown.
    void showOrStep(const std::optional<HistoryEntry>& entry, void (History::*step)());

    std::unique_ptr<Ui::History> form_;
    std::size_t index_ = 0;
    bool ignoreEmptyPresets_ = false;
};

}  // namespace harbrix
