// The File and Edit commands (Save, Save As, Undo, Redo, Cut, Copy, Paste) go to the shown screen:
// each screen says whether it takes a command now, which enables the menu item while the menu is
// open, and is asked again when a shortcut is pressed.
#include <QMenu>

#include "app/HeaderControls.h"
#include "app/ScreenSwitcher.h"
#include "shell/Window.h"

namespace harbrix {
namespace {

constexpr Screen::Command kCommands[] = {
    Screen::Command::save, Screen::Command::saveAs, Screen::Command::undo, Screen::Command::redo,
    Screen::Command::cut,  Screen::Command::copy,   Screen::Command::paste};
// Where each action keeps the title it has when the screen names it nothing.
constexpr const char* kUsualTitle = "usualTitle";

}  // namespace

void HeaderControls::connectCommands() {
    for (const Screen::Command command : kCommands) {
        QAction* action = window_.commandAction(command);
        connect(action, &QAction::triggered, this, [this, command] { performCommand(command); });
    }
    // An open menu shows what the screen takes; a closed one lets every shortcut through to
    // be checked when it is pressed.
    for (const Screen::Command command : kCommands) {
        QAction* action = window_.commandAction(command);
        action->setProperty(kUsualTitle, action->text());
    }
    for (QMenu* menu : {window_.fileMenu(), window_.editMenu()}) {
        connect(menu, &QMenu::aboutToShow, this, [this] {
            for (const Screen::Command command : kCommands) {
                QAction* action = window_.commandAction(command);
                action->setEnabled(validateCommand(command));
                const auto& shown = screens_.currentController();
                const QString title = shown ? shown->commandTitle(command) : QString();
                action->setText(title.isEmpty() ? action->property(kUsualTitle).toString() : title);
            }
        });
        connect(menu, &QMenu::aboutToHide, this, [this] {
            for (const Screen::Command command : kCommands)
                window_.commandAction(command)->setEnabled(true);
        });
    }
}

bool HeaderControls::validateCommand(Screen::Command command) {
    const auto& shown = screens_.currentController();
    return shown && shown->validateCommand(command);
}

void HeaderControls::performCommand(Screen::Command command) {
    if (validateCommand(command)) screens_.currentController()->performCommand(command);
}

}  // namespace harbrix
