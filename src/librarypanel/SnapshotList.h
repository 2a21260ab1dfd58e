// The current pedal's snapshots in the Library panel, newest first, each with its date and
// how many slots differ from the pedal now: restored (after asking) to this pedal or to
// another connected pedal of its model as one journaled change that Undo takes back,
// exported as a folder of preset files, or compared to see which slots differ.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The library's snapshot records have a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "library/Library.h"
#pragma pop_macro("slots")
#include "link/DeviceDelegate.h"
#include "ui/Alert.h"

namespace harbrix {

class LibraryKeeper;
class Transfers;

class SnapshotList : public QWidget {
    Q_OBJECT
  public:
    using Pedals = std::function<std::vector<DeviceRef>()>;
    SnapshotList(Transfers& screen, std::shared_ptr<LibraryKeeper> keeper, Pedals pedals,
                 QWidget* parent);

    // Lists the pedal's snapshots again, compared with what its slots hold now.
    void refresh();
    // Asks first; the answer comes later.
    void restoreSelected();
    // Asks for a folder; the answer comes later.
    void exportSelected();
    void compareSelected();

    // ---- For the window's tests
    QListWidget* list() const { return list_; }
    QComboBox* target() const { return target_; }
    QPushButton* restoreButton() const { return restore_; }
    QPushButton* exportButton() const { return export_; }
    QPushButton* compareButton() const { return compare_; }
    QLabel* message() const { return message_; }
    ui::Alert* question() const { return question_; }
    std::size_t answers() const { return answers_; }

  private:
    struct Entry {
        SnapshotInfo info;
        std::vector<std::size_t> differing;  // slots, 0-based
    };
    void showEntries(std::vector<Entry> entries, const std::string& problem);
    const Entry* selected() const;
    void syncButtons();
    // The connected pedals a snapshot of the current pedal may go to: itself first.
    std::vector<DeviceRef> targets() const;
    void restore(std::int64_t id, const std::weak_ptr<QORUARTDevice>& target, QString taken);
    // Said on the main rail, when the list is still there; from any thread.
    static void sayLater(const QPointer<SnapshotList>& guard, const std::string& line);
    void say(const QString& line);

    Transfers* screen_;  // the view's, which this list is part of
    std::shared_ptr<LibraryKeeper> keeper_;
    Pedals pedals_;
    std::vector<Entry> entries_;
    std::size_t answers_ = 0;

    QPointer<QListWidget> list_;
    QPointer<QComboBox> target_;
    QPointer<QPushButton> restore_;
    QPointer<QPushButton> export_;
    QPointer<QPushButton> compare_;
    QPointer<QLabel> message_;
    QPointer<ui::Alert> question_;
};

// A snapshot's date as the window shows it: "2026-12-08 14:03", local time.
QString snapshotTaken(std::int64_t seconds);

}  // namespace harbrix
