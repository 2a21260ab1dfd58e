#include "librarypanel/SnapshotList.h"

#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#pragma push_macro("slots")
#undef slots
#include "library/LibraryKeeper.h"
#include "library/PedalLibrary.h"
#pragma pop_macro("slots")
#include "librarypanel/PanelLook.h"
#include "librarypanel/PanelText.h"
#include "transfers/FileChooser.h"
#include "transfers/Transfers.h"
#include "ui/Alert.h"
#include "ui/Fonts.h"

namespace harbrix {
namespace {

using panel_text::text;

// The newest snapshots listed; older ones stay in the library (harbrixctl snapshots).
constexpr std::size_t kListed = 50;

QString differText(std::size_t count) {
    if (count == 0) return QStringLiteral("no slots differ");
    return count == 1 ? QStringLiteral("1 slot differs")
                      : QStringLiteral("%1 slots differ").arg(count);
}

QString numbersOf(const std::vector<std::size_t>& differing) {
    QStringList numbers;
    for (const std::size_t slot : differing) numbers << QString::number(slot + 1);
    return numbers.join(QStringLiteral(", "));
}

QPushButton* button(const QString& title, const QString& name, QWidget* parent) {
    auto* made = new QPushButton(title, parent);
    made->setFont(ui::fonts::font(ui::fonts::Weight::Medium, panel_look::kSmallSize));
    made->setAccessibleName(name);
    return made;
}

std::vector<std::optional<Bytes>> slotsNow(const QORUARTDevice& device) {
    const auto occupied = cachedPresets(device);
    return occupied ? slotBytes(device, *occupied) : std::vector<std::optional<Bytes>>{};
}

}  // namespace

QString snapshotTaken(std::int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

SnapshotList::SnapshotList(Transfers& screen, std::shared_ptr<LibraryKeeper> keeper, Pedals pedals,
                           QWidget* parent)
    : QWidget(parent), screen_(&screen), keeper_(std::move(keeper)), pedals_(std::move(pedals)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 4, 0, 0);
    column->setSpacing(6);
    auto* heading = new QLabel(QStringLiteral("Snapshots of this pedal"), this);
    heading->setFont(ui::fonts::font(ui::fonts::Weight::Bold, panel_look::kHeadingSize));
    column->addWidget(heading);

    list_ = new QListWidget(this);
    list_->setFont(ui::fonts::font(ui::fonts::Weight::Regular, panel_look::kTextSize));
    list_->setAccessibleName(QStringLiteral("Snapshots"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] { syncButtons(); });
    column->addWidget(list_, 1);

    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    target_ = new QComboBox(this);
    target_->setFont(ui::fonts::font(ui::fonts::Weight::Regular, panel_look::kSmallSize));
    connect(target_, &QComboBox::currentIndexChanged, this, [this] {
        target_->setAccessibleName(QStringLiteral("Restore to, ") + target_->currentText());
    });
    restore_ = button(QStringLiteral("Restore"), QStringLiteral("Restore snapshot"), this);
    export_ = button(QStringLiteral("Export"), QStringLiteral("Export snapshot"), this);
    compare_ = button(QStringLiteral("Compare"), QStringLiteral("Compare snapshot"), this);
    row->addWidget(target_, 1);
    for (QPushButton* each : {restore_.data(), export_.data(), compare_.data()})
        row->addWidget(each);
    column->addLayout(row);
    connect(restore_, &QPushButton::clicked, this, [this] { restoreSelected(); });
    connect(export_, &QPushButton::clicked, this, [this] { exportSelected(); });
    connect(compare_, &QPushButton::clicked, this, [this] { compareSelected(); });

    message_ = panel_look::messageLabel(this);
    column->addWidget(message_);
    syncButtons();
}

std::vector<DeviceRef> SnapshotList::targets() const {
    std::vector<DeviceRef> found;
    const DeviceRef pedal = screen_->device();
    if (!pedal) return found;
    found.push_back(pedal);
    for (const DeviceRef& other : pedals_ ? pedals_() : std::vector<DeviceRef>{})
        if (other && other != pedal && other->name() == pedal->name()) found.push_back(other);
    return found;
}

void SnapshotList::refresh() {
    const DeviceRef pedal = screen_->device();
    if (!pedal) return;
    const QString chosen = target_->currentData().toString();
    {
        const QSignalBlocker quiet(target_);
        target_->clear();
        for (const DeviceRef& each : targets())
            target_->addItem(each == pedal ? QStringLiteral("This pedal")
                                           : text(each->name() + " " + each->serial()),
                             text(each->serial()));
        target_->setCurrentIndex(std::max(0, target_->findData(chosen)));
    }
    target_->setAccessibleName(QStringLiteral("Restore to, ") + target_->currentText());
    QPointer<SnapshotList> guard(this);
    keeper_->post([guard, serial = pedal->serial(), now = slotsNow(*pedal)](Library* library) {
        std::vector<Entry> entries;
        std::string problem;
        auto infos = library ? library->snapshots(serial)
                             : LibraryResult<std::vector<SnapshotInfo>>::failed(
                                   "There is no preset library this time.");
        if (!infos) problem = infos.problem;
        for (std::size_t i = 0; infos && i < infos->size() && i < kListed; ++i) {
            const auto snapshot = library->snapshot((*infos)[i].id);
            if (snapshot) entries.push_back({snapshot->info, slotsThatDiffer(*snapshot, now)});
        }
        rail(Rails::main(), [guard, entries = std::move(entries), problem]() mutable {
            if (guard) guard->showEntries(std::move(entries), problem);
        });
    });
}

void SnapshotList::showEntries(std::vector<Entry> entries, const std::string& problem) {
    ++answers_;
    const Entry* before = selected();
    const std::int64_t keep = before ? before->info.id : 0;
    entries_ = std::move(entries);
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const Entry& entry : entries_) {
        const QString taken = snapshotTaken(entry.info.taken);
        const QString differ = differText(entry.differing.size());
        auto* item = new QListWidgetItem(
            QStringLiteral("%1  ·  %2  ·  %3 presets").arg(taken, differ).arg(entry.info.occupied));
        item->setData(Qt::AccessibleTextRole, QStringLiteral("Snapshot %1, %2").arg(taken, differ));
        list_->addItem(item);
        if (entry.info.id == keep) list_->setCurrentItem(item);
    }
    if (!problem.empty())
        say(text(problem));
    else if (entries_.empty())
        say(QStringLiteral("No snapshot of this pedal yet."));
    syncButtons();
}

const SnapshotList::Entry* SnapshotList::selected() const {
    const int row = list_ ? list_->currentRow() : -1;
    if (row < 0 || static_cast<std::size_t>(row) >= entries_.size() || !list_->currentItem() ||
        !list_->currentItem()->isSelected())
        return nullptr;
    return &entries_[static_cast<std::size_t>(row)];
}

void SnapshotList::syncButtons() {
    const bool chosen = selected() != nullptr;
    for (QPushButton* each : {restore_.data(), export_.data(), compare_.data()})
        each->setEnabled(chosen);
    target_->setEnabled(target_->count() > 1);
}

void SnapshotList::restoreSelected() {
    const Entry* entry = selected();
    if (!entry || question_) return;
    DeviceRef target;
    for (const DeviceRef& each : targets())
        if (text(each->serial()) == target_->currentData().toString()) target = each;
    if (!target) return;
    const QString taken = snapshotTaken(entry->info.taken);
    const bool here = target == screen_->device();
    const QString headline =
        here ? QStringLiteral("Restore this pedal to its snapshot of %1?").arg(taken)
             : QStringLiteral(
                   "Restore the %1 %2 to this pedal's snapshot "
                   "of %3?")
                   .arg(text(target->name()), text(target->serial()), taken);
    const QString finePrint =
        here ? QStringLiteral("%1 will be written back. Undo takes the whole restore back.")
                   .arg(entry->differing.size() == 1
                            ? QStringLiteral("1 slot")
                            : QStringLiteral("%1 slots").arg(entry->differing.size()))
             : QStringLiteral(
                   "Every slot of that pedal that differs will be written. Undo on "
                   "that pedal takes the whole restore back.");
    QPointer<SnapshotList> guard(this);
    std::weak_ptr<QORUARTDevice> weak = target;
    const std::int64_t id = entry->info.id;
    question_ = ui::Alert::askLater(this, headline, finePrint,
                                    [guard, id, weak, taken](const QString& answer) {
                                        if (guard && answer == ui::Alert::kYes)
                                            guard->restore(id, weak, taken);
                                    });
}

void SnapshotList::restore(std::int64_t id, const std::weak_ptr<QORUARTDevice>& target,
                           QString taken) {
    say(QStringLiteral("Restoring the snapshot of %1…").arg(taken));
    QPointer<SnapshotList> guard(this);
    keeper_->post([guard, id, target, taken](Library* library) {
        auto snapshot = library ? library->snapshot(id)
                                : LibraryResult<Snapshot>::failed("there is no preset library");
        const DeviceRef pedal = target.lock();
        if (!snapshot || !pedal) {
            const std::string why = snapshot ? "the pedal has gone" : snapshot.problem;
            rail(Rails::main(), [guard, why] {
                if (guard) guard->say(QStringLiteral("Nothing was restored: ") + text(why) + ".");
            });
            return;
        }
        rail(pedal->queue(), [guard, target, taken, snapshot = std::move(*snapshot)] {
            const DeviceRef device = target.lock();
            if (!device || device->dead()) return;
            const auto occupied = cachedPresets(*device);
            std::string said;
            if (!occupied) {
                said = "Nothing was restored: not every slot of the pedal has been read yet.";
            } else if (const auto plan = planSnapshotRestore(snapshot, device->name(),
                                                             slotBytes(*device, *occupied));
                       !plan.problem.empty()) {
                said = "Nothing was restored: " + plan.problem + ".";
            } else if (plan.writes.empty()) {
                said = "The pedal holds the snapshot already.";
            } else if (const auto written = restoreSnapshot(*device, plan, WithoutJournal::refuse);
                       written.succeeded()) {
                said = "Restored " + std::to_string(plan.writes.size()) +
                       " slots from the snapshot of " + taken.toStdString() +
                       ". Undo takes it back.";
            } else {
                said = "The restore stopped: " + written.problem() + ".";
            }
            rail(Rails::main(), [guard, said] {
                if (!guard) return;
                guard->say(text(said));
                if (guard->screen_->undo()) guard->screen_->undo()->update();
                guard->refresh();
            });
        });
    });
}

void SnapshotList::exportSelected() {
    const Entry* entry = selected();
    if (!entry) return;
    QPointer<SnapshotList> guard(this);
    const std::int64_t id = entry->info.id;
    FileChooser::chooseFolder(window(), [guard, id](const QString& folder) {
        if (!guard || folder.isEmpty()) return;
        guard->keeper_->post([guard, id, folder = folder.toStdString()](Library* library) {
            const auto snapshot =
                library ? library->snapshot(id)
                        : LibraryResult<Snapshot>::failed("there is no preset library");
            std::string said;
            if (!snapshot) {
                said = "Not exported: " + snapshot.problem + ".";
            } else if (const auto written = exportSnapshot(*snapshot, folder);
                       !written.problem.empty()) {
                said = "The export stopped: " + written.problem + ".";
            } else {
                said = "Exported " + std::to_string(written.files.size()) + " presets into " +
                       folder + ".";
            }
            sayLater(guard, said);
        });
    });
}

void SnapshotList::compareSelected() {
    const Entry* entry = selected();
    const DeviceRef pedal = screen_->device();
    if (!entry || !pedal) return;
    QPointer<SnapshotList> guard(this);
    keeper_->post([guard, id = entry->info.id, now = slotsNow(*pedal)](Library* library) {
        const auto snapshot = library ? library->snapshot(id)
                                      : LibraryResult<Snapshot>::failed("there is no library");
        if (!snapshot) {
            sayLater(guard, "Not compared: " + snapshot.problem + ".");
            return;
        }
        const auto differing = slotsThatDiffer(*snapshot, now);
        sayLater(guard, differing.empty() ? std::string("The pedal holds this snapshot now.")
                                          : "Slots that differ from the pedal now: " +
                                                numbersOf(differing).toStdString() + ".");
    });
}

void SnapshotList::sayLater(const QPointer<SnapshotList>& guard, const std::string& line) {
    rail(Rails::main(), [guard, line] {
        if (guard) guard->say(text(line));
    });
}

void SnapshotList::say(const QString& line) {
    message_->setText(line);
    message_->setAccessibleName(line);
}

}  // namespace harbrix
