#include "shell/JournalQuestion.h"

#include <QPointer>

// The journal's entries have a field named like Qt's "slots" keyword.
#pragma push_macro("slots")
#undef slots
#include "devices/Journal.h"
#pragma pop_macro("slots")
#include "shell/Screen.h"
#include "ui/Alert.h"

namespace harbrix {

QString JournalQuestion::headline(const QString& problem) {
    return QStringLiteral(
               "Undo is not available: the journal could not be written (%1). "
               "Change the pedal anyway?")
        .arg(problem);
}

QString JournalQuestion::finePrint(const QString& journalPath) {
    const QString cannot = QStringLiteral("Edit > Undo will not be able to take this change back.");
    return journalPath.isEmpty()
               ? cannot
               : QStringLiteral("The journal is kept in %1. %2").arg(journalPath, cannot);
}

bool JournalQuestion::applies(const std::optional<ChangeRefusal>& refusal) {
    return refusal && refusal->reason == ChangeRefusal::Reason::noJournal;
}

bool JournalQuestion::ask(QWidget* parent, const std::optional<ChangeRefusal>& refusal,
                          std::function<void()> proceed) {
    if (!applies(refusal)) return false;
    ask(parent, QString::fromStdString(refusal->problem),
        QString::fromStdString(refusal->journalPath), std::move(proceed));
    return true;
}

void JournalQuestion::ask(QWidget* parent, const QString& problem, const QString& journalPath,
                          std::function<void()> proceed) {
    ui::Alert::askLater(
        parent, headline(problem), finePrint(journalPath),
        [alive = QPointer<QWidget>(parent), proceed = std::move(proceed)](const QString& answer) {
            if (alive && answer == kContinue && proceed) proceed();
        },
        {kContinue, ui::Alert::kCancel});
}

void JournalQuestion::askDelete(QWidget* parent, const QORUARTDevice& device, std::size_t count,
                                std::function<void(WithoutJournal)> confirmed) {
    const auto journal = Journal::forDevice(device);
    const std::string problem = journal ? journal->lastProblem() : std::string();
    if (!problem.empty()) {
        ask(parent, QString::fromStdString(problem), QString::fromStdString(journal->path()),
            [confirmed] { confirmed(WithoutJournal::proceed); });
        return;
    }
    ui::Alert::askLater(
        parent, QStringLiteral("Delete %1 from the pedal?").arg(countedText(count, "preset")),
        count == 1 ? QStringLiteral("Edit > Undo puts it back.")
                   : QStringLiteral("Edit > Undo puts them back."),
        [alive = QPointer<QWidget>(parent),
         confirmed = std::move(confirmed)](const QString& answer) {
            if (alive && answer == ui::Alert::kYes) confirmed(WithoutJournal::refuse);
        });
}

}  // namespace harbrix
