// The question a screen asks when a change of preset slots cannot be written down in the
// pedal's journal first: without the entry, Undo cannot take the change back, so the user
// chooses whether to change the pedal all the same. Asked without waiting; the answer goes to
// a callback that the asking screen guards, since the screen and its pedal may be gone by then.
#pragma once

#include <QString>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <optional>

#include "devices/ChangeRefusal.h"

namespace harbrix {

class QORUARTDevice;

class JournalQuestion {
  public:
    static inline const QString kContinue = QStringLiteral("Continue");

    // "Undo is not available: the journal could not be written (not a directory). Change the
    // pedal anyway?"
    static QString headline(const QString& problem);
    static QString finePrint(const QString& journalPath);

    // Whether `refusal` is the journal's: the change may go on if the user says so.
    static bool applies(const std::optional<ChangeRefusal>& refusal);

    // Asks, when `refusal` is the journal's, and runs `proceed` on "Continue"; "Cancel" and
    // Escape send nothing. False, asking nothing, for any other refusal.
    static bool ask(QWidget* parent, const std::optional<ChangeRefusal>& refusal,
                    std::function<void()> proceed);
    // The same question for a problem known before the change was tried.
    static void ask(QWidget* parent, const QString& problem, const QString& journalPath,
                    std::function<void()> proceed);

    // Before deleting `count` presets: "Delete 3 presets from the pedal?", "Edit > Undo puts
    // them back.", Yes or No; or this question instead when the pedal's journal could not be
    // written the last time it was tried. `confirmed` hears how the delete may go on.
    static void askDelete(QWidget* parent, const QORUARTDevice& device, std::size_t count,
                          std::function<void(WithoutJournal)> confirmed);
};

}  // namespace harbrix
