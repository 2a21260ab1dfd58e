// The transfer operations as the screen runs them: drops, delete with its confirmation,
// writing staged files, cancelling them, import to files and staging a file on a slot.
#include "link/QORUARTDevice.h"
#include "shell/JournalQuestion.h"
#include "shell/LongOperation.h"
#include "shell/Notice.h"
#include "shell/Shield.h"
#include "transfers/FileChooser.h"
#include "transfers/PresetImport.h"
#include "transfers/StagedPreset.h"
#include "transfers/Transfers.h"
#include "ui/Alert.h"

namespace harbrix {

namespace {

std::vector<std::size_t> sorted(const std::set<std::size_t>& indices) {
    return {indices.begin(), indices.end()};
}

}  // namespace

PresetTransfers::Completion Transfers::transferDone(std::function<void()> again) {
    return [guard = guarded(this), again = std::move(again)](const TransferResult& result) {
        if (guard) guard->transferEnded(result, again);
    };
}

bool Transfers::askWithoutJournal(const TransferResult& result, std::function<void()> again) {
    return JournalQuestion::ask(view(), result.refusal, [guard = guarded(this), again] {
        // Asked again from the start, as the user's own action: the slots may have changed
        // while the question was open.
        if (!guard || !guard->device()) return;
        guard->without_ = WithoutJournal::proceed;
        again();
        if (guard) guard->without_ = WithoutJournal::refuse;
    });
}

void Transfers::transferPosted(bool posted) {
    // Refused before anything was sent: the notice says why.
    if (!posted) postNotice(transfers_.refusal());
}

void Transfers::runTransfer(TransferOperation operation, std::size_t from, std::size_t to) {
    if (operation == TransferOperation::none) return;
    const auto again = [this, operation, from, to] { runTransfer(operation, from, to); };
    // A draft on `from` goes along with a Move or a Swap; one on a slot written over does not.
    if (operation != TransferOperation::swap && !draftsMayGo({to}, again)) return;
    const bool overwrite = operation == TransferOperation::overwrite;
    PresetTransfers::Completion done = transferDone(again);
    switch (operation) {
        case TransferOperation::move:
            transferPosted(transfers_.move(from, to, std::move(done), without_));
            break;
        case TransferOperation::copy:
        case TransferOperation::overwrite:
            transferPosted(transfers_.copy(from, to, overwrite, std::move(done), without_));
            break;
        case TransferOperation::swap:
            transferPosted(transfers_.swap(from, to, std::move(done), without_));
            break;
        case TransferOperation::none:
            break;
    }
}

void Transfers::transferEnded(const TransferResult& result, const std::function<void()>& again) {
    // The pedal's announcements have redrawn the slots that changed.
    if (askWithoutJournal(result, again)) return;
    if (!result.succeeded()) postNotice(result.notice);
    if (undo_) undo_->update();
}

void Transfers::dragOperationChanged(TransferOperation) {
    sync(false);
}

TransferOperation Transfers::offeredOperation() const {
    return body_ ? body_->operation() : TransferOperation::none;
}

void Transfers::deletePresets() {
    beginAction();
    endRename();
    const DeviceRef pedal = device();
    if (!pedal) return;
    const std::vector<std::size_t> doomed = sorted(selected_);
    if (doomed.empty()) return;
    if (!draftsMayGo(doomed, [this] { deletePresets(); })) return;
    JournalQuestion::askDelete(view(), *pedal, doomed.size(),
                               [guard = guarded(this), doomed](WithoutJournal without) {
                                   if (guard) guard->deleteConfirmed(doomed, without);
                               });
}

void Transfers::deleteConfirmed(const std::vector<std::size_t>& asked, WithoutJournal without) {
    // The answer may come after the pedal has gone, and the slots asked about are erased only
    // while they are still selected.
    if (!deviceUnlessRefreshing()) return;
    std::vector<std::size_t> doomed;
    for (const std::size_t index : asked)
        if (selected_.count(index) != 0) doomed.push_back(index);
    if (!doomed.empty()) eraseSlots(doomed, without);
}

void Transfers::eraseSlots(const std::vector<std::size_t>& doomed, WithoutJournal without) {
    shield_ = Shield::beginShieldedModalForWindow(view()->window());
    deleting_ = true;
    // Quitting waits for the delete to end.
    deleteOperation_ = LongOperation::begin(QStringLiteral("delete"));
    quiet_ = true;
    for (const std::size_t index : doomed) slots_[index]->setSelected(false);
    quiet_ = false;
    selected_.clear();
    sync(true);
    const auto guard = guarded(this);
    const bool posted = transfers_.erase(
        doomed,
        [guard](std::size_t slot) {
            if (guard) guard->reloadPreset(slot);
        },
        [guard](const TransferResult& result) {
            if (guard) guard->deleteEnded(result);
        },
        without);
    if (!posted) deleteEnded(TransferResult{});
}

void Transfers::deleteEnded(const TransferResult& result) {
    // Every slot of the list is redrawn, erased or not: one sync does them all.
    deleting_ = false;
    deleteOperation_.reset();
    sync(true);
    if (shield_) shield_->end();
    shield_ = nullptr;
    const std::vector<std::size_t> doomed = result.touched;
    const bool asked = JournalQuestion::ask(view(), result.refusal, [this, doomed] {
        if (deviceUnlessRefreshing()) eraseSlots(doomed, WithoutJournal::proceed);
    });
    if (asked) return;
    if (!result.succeeded()) postNotice(result.notice);
    if (undo_) undo_->update();
}

void Transfers::exportPresets() {
    beginAction();
    endRename();
    if (!deviceUnlessRefreshing()) return;
    if (!draftsMayGo(sorted(exports_), [this] { exportPresets(); })) return;
    std::vector<PresetTransfers::StagedWrite> staged;
    for (const std::size_t index : exports_)
        if (const PresetRef& file = slots_[index]->exportPreset()) staged.push_back({index, file});
    const auto guard = guarded(this);
    transferPosted(transfers_.write(
        staged,
        [guard](std::size_t index) {
            if (!guard) return;
            // Written: the slot's file is no longer staged. Once none is, every slot offers
            // selection again.
            guard->slots_[index]->setExport(nullptr);
            guard->exports_.erase(index);
            if (guard->exports_.empty()) {
                guard->sync(true);
            } else {
                guard->reloadPreset(index);
            }
        },
        transferDone([this] { exportPresets(); }), without_));
}

void Transfers::cancelTransfer() {
    for (const std::size_t index : exports_) slots_[index]->setExport(nullptr);
    exports_.clear();
    sync(true);
}

void Transfers::slotAddedExport(Slot* slot, const PresetRef& preset) {
    if (slot == nullptr || !preset) return;
    exports_.insert(slot->index());
    deselectAll();
}

void Transfers::slotExportCleared(Slot* slot) {
    beginAction();
    exports_.erase(slot->index());
    sync(true);
}

void Transfers::slotAddClicked(Slot* slot) {
    beginAction();
    endRename();
    if (!deviceUnlessRefreshing() || !slot->known() || slot->exportPreset()) return;
    FileChooser::chooseFile(
        view()->window(), QStringLiteral("qorpreset"),
        [guard = guarded(this), target = QPointer<Slot>(slot)](const QString& path) {
            if (guard && target && !path.isEmpty()) guard->stage(target, path);
        });
}

void Transfers::stage(Slot* slot, const QString& path) {
    const DeviceRef pedal = device();
    // Staged only on a slot whose contents are known: a file must never overwrite a preset
    // the screen did not know was there.
    if (!pedal || !slot->known()) return;
    const StagedPreset staged = stagePresetFile(path.toStdString(), *pedal);
    if (!staged.preset) {
        slot->sync();
        postNotice(staged.refusal);
        return;
    }
    slot->setExport(staged.preset);
    slotAddedExport(slot, staged.preset);
    if (!staged.notice.empty()) postNotice(staged.notice);
}

void Transfers::importPresets() {
    beginAction();
    endRename();
    const DeviceRef pedal = device();
    if (!pedal || selected_.empty()) return;
    ImportPlan plan = PresetImport::plan(*pedal, sorted(selected_));
    if (plan.records.empty()) {
        postNotice(plan.refusal);
        return;
    }
    FileChooser::chooseFolder(
        view()->window(),
        [guard = guarded(this), records = std::move(plan.records)](const QString& folder) {
            // The answer may come after the pedal has gone.
            if (!guard || folder.isEmpty() || !guard->device()) return;
            guard->importing_ = true;
            guard->deselectAll();
            PresetImport::post(folder.toStdString(), records, [guard](const ImportReport& report) {
                if (!guard) return;
                guard->importing_ = false;
                guard->sync(true);
                guard->postNotice(report.summary());
            });
        });
}

}  // namespace harbrix
