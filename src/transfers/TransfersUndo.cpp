#include "transfers/TransfersUndo.h"

#include <QWidget>

#include <optional>

// The journal's entries have a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "devices/Journal.h"
#include "devices/JournalUndo.h"
#include "devices/JournalWatch.h"
#pragma pop_macro("slots")
#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"

namespace harbrix {

TransfersUndo::TransfersUndo(std::weak_ptr<QORUARTDevice> device, QWidget* view,
                             std::function<void(const std::string&)> notice)
    : QObject(view), device_(std::move(device)), notice_(std::move(notice)) {
    undo_ = new QAction(QStringLiteral("Undo"), view);
    redo_ = new QAction(QStringLiteral("Redo"), view);
    connect(undo_, &QAction::triggered, this, [this] { undo(); });
    connect(redo_, &QAction::triggered, this, [this] { redo(); });
    QPointer<TransfersUndo> guard(this);
    watch_ = JournalWatch::start(device_.lock(), [guard] {
        rail(Rails::main(), [guard] {
            if (guard) guard->update();
        });
    });
    update();
}

void TransfersUndo::update() {
    const JournalTitles titles = watch_ && !busy_ ? watch_->titles() : JournalTitles{};
    const auto name = [](const char* verb, const std::string& operation) {
        return operation.empty() ? QString::fromLatin1(verb)
                                 : QStringLiteral("%1 %2").arg(QString::fromLatin1(verb),
                                                               QString::fromStdString(operation));
    };
    undo_->setText(name("Undo", titles.undo));
    redo_->setText(name("Redo", titles.redo));
    undo_->setEnabled(!titles.undo.empty());
    redo_->setEnabled(!titles.redo.empty());
}

void TransfersUndo::run(bool undoing) {
    const DeviceRef device = device_.lock();
    if (!device || busy_) return;
    if (presets(device).refreshing()) {
        notice_("The presets are still being read; try again once they are all in.");
        return;
    }
    const auto journal = Journal::forDevice(*device);
    if (!journal) return;
    if (guard_) {
        const auto entry = undoing ? journal->undoable() : journal->redoable();
        // Undo and Redo write the slots the entry changed.
        std::vector<std::size_t> written;
        if (entry && entry->changed) written.assign(entry->changed->begin(), entry->changed->end());
        QPointer<TransfersUndo> self(this);
        if (!guard_(written, [self, undoing] {
                if (self) self->run(undoing);
            }))
            return;
    }
    busy_ = true;
    update();
    std::weak_ptr<QORUARTDevice> weak = device;
    QPointer<TransfersUndo> guard(this);
    rail(device->queue(), [weak, journal, undoing, guard] {
        // A pedal gone by now changes nothing; the actions are free again all the same.
        std::optional<JournalUndo::Result> result;
        if (const DeviceRef pedal = weak.lock()) {
            JournalUndo engine(*pedal, journal);
            result = undoing ? engine.undo() : engine.redo();
        }
        rail(Rails::main(), [guard, result] {
            if (!guard) return;
            guard->busy_ = false;
            guard->update();
            if (result && !result->succeeded() &&
                result->outcome != JournalUndo::Result::Outcome::nothing)
                guard->notice_(result->message);
        });
    });
}

}  // namespace harbrix
