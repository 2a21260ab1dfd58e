// The Library panel beside the Transfers grid: the preset library searched as the user types
// (name, tag or note) and filtered by model, favourites and where the presets are now; its
// presets dragged onto slots (Copy onto an empty slot, Overwrite onto an occupied one, run as
// the grid runs its drops); a slot dragged into the panel kept as a favourite; the selected
// preset renamed, tagged and marked a favourite in place; and the current pedal's snapshots
// (SnapshotList).
//
// Every library call runs on the library's own queue; answers come back on the main rail and
// find the panel gone when its pedal has left. Of several searches on their way, only the
// newest one's answer is shown.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The library's snapshot records have a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "library/Library.h"
#pragma pop_macro("slots")
#include "librarypanel/SnapshotList.h"
#include "link/DeviceDelegate.h"

namespace harbrix {

class LibraryKeeper;
class Transfers;

class LibraryPanel : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 340;
    // The pedals connected now.
    using Pedals = std::function<std::vector<DeviceRef>()>;

    // A closed panel on the screen's view, with the button that opens it; it goes with the
    // view.
    static LibraryPanel* attach(Transfers& screen, std::shared_ptr<LibraryKeeper> keeper,
                                Pedals pedals);

    // Opening narrows the grid to make room beside it; closing gives the room back.
    void setOpen(bool open);
    bool isOpen() const { return open_; }
    // Asks the library again with what the search field and the filters say now.
    void search();
    // The library kept something new: what the open panel lists is asked for again.
    void libraryChanged();

    // ---- For the window's tests
    QPushButton* toggleButton() const { return toggle_; }
    QLineEdit* searchField() const { return search_; }
    QComboBox* modelFilter() const { return model_; }
    QCheckBox* favouritesFilter() const { return favourites_; }
    QCheckBox* onPedalFilter() const { return onPedal_; }
    QCheckBox* notOnAnyPedalFilter() const { return notOnAny_; }
    QListWidget* results() const { return results_; }
    QLineEdit* nameField() const { return name_; }
    QLineEdit* tagsField() const { return tags_; }
    QCheckBox* favouriteBox() const { return favourite_; }
    QLabel* message() const { return message_; }
    SnapshotList* snapshots() const { return snapshots_; }
    // The presets listed now, in the list's order.
    std::vector<LibraryPreset> shown() const;
    // How many answers the panel has shown.
    std::size_t answers() const { return answers_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Found {
        LibraryPreset preset;
        Bytes bytes;
    };
    LibraryPanel(Transfers& screen, std::shared_ptr<LibraryKeeper> keeper, Pedals pedals,
                 QWidget* parent);
    void build();
    void showResults(std::vector<Found> found, const std::string& problem);
    // "on slot 1", "on XJ3 slot 4", "not on any pedal".
    QString where(const LibraryPreset& preset) const;
    const Found* selected() const;
    void selectionChanged();
    // Runs a change of the selected preset in the library, then searches again.
    void change(std::function<LibraryResult<bool>(Library&, std::int64_t)> work);
    void renameSelected();
    void retagSelected();
    // The result's preset dragged out of the list onto the grid.
    bool startDrag(int row, const QPoint& global);
    void slotDropped(std::size_t slot, const QPoint& global);
    void say(const QString& text);

    Transfers* screen_;  // the view's, which this panel is part of
    std::shared_ptr<LibraryKeeper> keeper_;
    Pedals pedals_;
    bool open_ = false;
    std::shared_ptr<std::atomic<std::uint64_t>> latest_ =
        std::make_shared<std::atomic<std::uint64_t>>(0);
    std::vector<Found> found_;
    std::optional<std::int64_t> keepSelected_;
    QString nextMessage_;  // said when the next answer comes, instead of the count
    std::size_t answers_ = 0;
    QPoint pressed_;
    int pressedRow_ = -1;

    QPointer<QPushButton> toggle_;
    QPointer<QLineEdit> search_;
    QPointer<QComboBox> model_;
    QPointer<QCheckBox> favourites_;
    QPointer<QCheckBox> onPedal_;
    QPointer<QCheckBox> notOnAny_;
    QPointer<QListWidget> results_;
    QPointer<QLineEdit> name_;
    QPointer<QLineEdit> tags_;
    QPointer<QCheckBox> favourite_;
    QPointer<QLabel> message_;
    QPointer<SnapshotList> snapshots_;
};

}  // namespace harbrix
