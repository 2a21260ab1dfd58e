// The slot grid: pages and their tab strips, the page-size buttons, selecting slots, and
// renaming a preset in place with the shared field.
#include <algorithm>

#include "link/QORUARTDevice.h"
#include "shell/Notice.h"
#include "transfers/SlotField.h"
#include "transfers/Transfers.h"
#include "transfers/TransfersLayout.h"
#include "ui/ImageButton.h"
#include "ui/Label.h"

namespace harbrix {
namespace {

namespace layout = transfers_layout;

// The strips: tabs1001, tabs501, tabs502, tabs201 .. tabs205.
std::size_t stripFor(unsigned slotsPerPage, unsigned page) {
    if (slotsPerPage == 20) return 2 + page;
    if (slotsPerPage == 50) return page;
    return 0;
}

// Names keep ASCII only; U+F888 stands for "~".
bool nameCanBeStored(const QString& name) {
    return std::all_of(name.begin(), name.end(),
                       [](QChar c) { return c.unicode() < 0x80 || c.unicode() == 0xF888; });
}

}  // namespace

void Transfers::setSlotSize(unsigned size) {
    if (size == 20 || size == 50 || size == 100) {
        slotSize_ = size;
        TransfersTabs* first = strips_[stripFor(size, 1)];
        if (tabs_ != first) showStrip(first);
        first->setOnlyTabOn(1);
    }
    setPage(1);
}

void Transfers::setPage(unsigned page) {
    const bool keyboardInGrid = keyboard_.focusedSlot() != nullptr;
    page_ = page;
    sync(true);
    keyboard_.pageShown(keyboardInGrid);
}

void Transfers::showStrip(TransfersTabs* strip) {
    if (tabs_) tabs_->hide();
    tabs_ = strip;
    strip->move(layout::kTabStrip.topLeft());
    strip->show();
}

QRect Transfers::frameForSlot(std::size_t index) const {
    if (!layout::onPage(slotSize_, page_, index)) return {};
    return layout::slotFrame(slotSize_, index, body_->width());
}

std::vector<Slot*> Transfers::visibleSlots() const {
    std::vector<Slot*> visible;
    for (const QPointer<Slot>& slot : slots_)
        if (layout::onPage(slotSize_, page_, slot->index())) visible.push_back(slot);
    return visible;
}

void Transfers::transfersTabsTabClicked(TransfersTabs* strip, unsigned tab) {
    beginAction();
    const unsigned pages = 100 / slotSize_;
    if (strip == nullptr || strip->grouping() != slotSize_ || tab < 1 || tab > pages) return;
    TransfersTabs* target = strips_[stripFor(slotSize_, tab)];
    // The tab of the page shown stays on whatever the click did to it.
    if (target == strip) {
        strip->setOnlyTabOn(tab);
        if (slotSize_ == 100) setPage(1);
        return;
    }
    strip->setOnlyTabOn(page_);
    showStrip(target);
    target->setOnlyTabOn(tab);
    setPage(tab);
}

void Transfers::button20Clicked() {
    pageSizeClicked(20);
}

void Transfers::button50Clicked() {
    pageSizeClicked(50);
}

void Transfers::button100Clicked() {
    pageSizeClicked(100);
}

void Transfers::pageSizeClicked(unsigned size) {
    beginAction();
    button20_->setChecked(size == 20);
    button50_->setChecked(size == 50);
    button100_->setChecked(size == 100);
    if (slotSize_ == size) return;
    endRename();
    placeStatusLine(size);
    setSlotSize(size);
    // The slot area keeps its top edge; the buttons beside it stay centred on it.
    body_->setFixedHeight(layout::pageLayout(size).areaHeight);
    const QRect area = body_->geometry();
    int y = area.center().y() - (3 * layout::kPushButton.height() + 2 * layout::kButtonGap) / 2;
    for (ui::ImageButton* button :
         {deleteButton_.data(), importButton_.data(), exportButton_.data()}) {
        button->move(button->x(), y);
        y += layout::kPushButton.height() + layout::kButtonGap;
    }
    sync(true);
}

void Transfers::setAllSelected(bool selected) {
    quiet_ = true;
    for (const QPointer<Slot>& slot : slots_) slot->setSelected(selected);
    quiet_ = false;
    sync(true);
}

void Transfers::selectAll() {
    setAllSelected(true);
}

void Transfers::deselectAll() {
    setAllSelected(false);
}

void Transfers::slotShiftSelected(Slot* slot) {
    if (slot == nullptr) return;
    quiet_ = true;
    const std::size_t anchor = shiftSelectAnchor_;
    for (std::size_t i = std::min(anchor, shiftSelected_); i <= std::max(anchor, shiftSelected_);
         ++i)
        slots_[i]->setSelected(false);
    for (std::size_t i = std::min(slot->index(), anchor); i <= std::max(slot->index(), anchor); ++i)
        slots_[i]->setSelected(true);
    shiftSelected_ = slot->index();
    quiet_ = false;
    sync(true);
}

void Transfers::slotSelected(Slot* slot) {
    selected_.insert(slot->index());
    slot->setHovering(false);
    if (!quiet_) sync(true);
}

void Transfers::slotDeselected(Slot* slot) {
    selected_.erase(slot->index());
    if (!quiet_) sync(true);
}

void Transfers::slotClicked(Slot* slot) {
    beginAction();
    endRename();
    quiet_ = true;
    for (const QPointer<Slot>& other : slots_) other->setSelected(false);
    slot->setSelected(true);
    quiet_ = false;
    shiftSelectAnchor_ = slot->index();
    keyboard_.slotClicked(*slot);
    sync(true);
}

void Transfers::slotDoubleClicked(Slot* slot) {
    beginAction();
    if (!slot->occupied() || slot->editing()) return;
    if (!deviceUnlessRefreshing()) return;
    beginRename(slot);
}

void Transfers::slotDragStarted(Slot* slot, const QPoint& position) {
    if (body_) body_->beginDragSession(slot, slot->mapTo(body_, position));
}

bool Transfers::mayStartDrag() {
    beginAction();
    endRename();
    return deviceUnlessRefreshing() != nullptr;
}

void Transfers::beginRename(Slot* slot) {
    endRename();
    renaming_ = slot;
    ui::Label* name = slot->nameField();
    editor_->setParent(slot);
    editor_->setFont(name->font());
    editor_->setGeometry(name->geometry().adjusted(-2, 0, 0, 0));
    slot->setEditing(true);
    editor_->begin(slot->shownName());
}

void Transfers::endRename() {
    if (editor_ && editor_->isEditing()) editor_->end();
}

void Transfers::controlTextDidEndEditing() {
    const QPointer<Slot> slot = renaming_;
    renaming_ = nullptr;
    // The field waits, hidden, for the next rename.
    editor_->setParent(body_);
    editor_->hide();
    // The keyboard goes back to its slot, or to the screen.
    if (focusView()) focusView()->setFocus(Qt::OtherFocusReason);
    if (!slot) return;
    slot->setEditing(false);
    if (editor_->discard()) return;
    QString name = editor_->text();
    if (name.trimmed().isEmpty()) name = QStringLiteral("Preset %1").arg(slot->number());
    if (!nameCanBeStored(name)) {
        postNotice(slotName(slot->index()) +
                   " kept its name: preset names hold only ASCII letters, digits and signs.");
        return;
    }
    renameSlot(slot, name.toStdString());
}

void Transfers::renameSlot(const QPointer<Slot>& slot, const std::string& text) {
    const PresetRef cached = slot ? slot->preset() : nullptr;
    if (!cached || cached->empty()) return;
    if (!draftsMayGo({slot->index()}, [this, slot, text] { renameSlot(slot, text); })) return;
    const bool posted = transfers_.rename(
        slot->index(), text,
        [guard = guarded(this), slot, text](const TransferResult& result) {
            if (guard) guard->renameWritten(slot, text, result);
        },
        without_);
    if (!posted) {
        transferPosted(false);
        return;
    }
    // The name shows at once, as the pedal will hold it.
    const PresetRef renamed = cached->savedCopy();
    renamed->setName(text);
    slot->setPendingName(QString::fromStdString(renamed->displayName()));
}

void Transfers::renameWritten(const QPointer<Slot>& slot, const std::string& name,
                              const TransferResult& result) {
    // The cache now holds what the pedal holds: the new name, or the old one.
    if (slot) slot->setPendingName(std::nullopt);
    if (askWithoutJournal(result, [this, slot, name] { renameSlot(slot, name); })) return;
    if (!result.succeeded()) postNotice(result.notice);
    if (undo_) undo_->update();
}

}  // namespace harbrix
