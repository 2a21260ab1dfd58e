#include "app/AppLibrary.h"

#include <QPushButton>

#include "devices/PresetKeeping.h"
#pragma push_macro("slots")
#undef slots
#include "library/LibraryKeeper.h"
#pragma pop_macro("slots")
#include "librarypanel/SnapshotList.h"
#include "shell/Window.h"
#include "transfers/Transfers.h"
#include "ui/Alert.h"

namespace harbrix {

AppLibrary::AppLibrary(Window& window, PedalList& pedals) : window_(window), pedals_(pedals) {
    toggle_ = new QAction(QStringLiteral("Library"), &window);
    toggle_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    toggle_->setShortcutContext(Qt::WindowShortcut);
    connect(toggle_, &QAction::triggered, this, [this] { setOpen(!open_); });
    window.addAction(toggle_);
}

AppLibrary::~AppLibrary() {
    if (keeper_ && presetKeeper() == keeper_) setPresetKeeper(nullptr);
}

void AppLibrary::open(const std::string& path) {
    QPointer<AppLibrary> guard(this);
    keeper_ =
        LibraryKeeper::open(path, [guard](const std::string& notice, const std::string& problem) {
            if (!guard) return;
            if (!notice.empty())
                ui::Alert::informLater(&guard->window_,
                                       QStringLiteral("The preset library was damaged"),
                                       QString::fromStdString(notice));
            if (!problem.empty())
                ui::Alert::informLater(
                    &guard->window_, QStringLiteral("The preset library cannot be opened"),
                    QString::fromStdString(problem) +
                        QStringLiteral(". Harbrix works on without it: presets are not kept in it "
                                       "this time."));
        });
    keeper_->setChanged([guard] {
        if (guard && guard->panel_) guard->panel_->libraryChanged();
    });
    setPresetKeeper(keeper_);
}

void AppLibrary::attach(const std::shared_ptr<Screen>& transfers) {
    auto* screen = dynamic_cast<Transfers*>(transfers.get());
    if (!screen || !keeper_) return;
    panel_ = LibraryPanel::attach(*screen, keeper_, [this] { return pedals_.connected(); });
    connect(panel_->toggleButton(), &QPushButton::clicked, this,
            [this](bool checked) { open_ = checked; });
    if (open_) panel_->setOpen(true);
}

void AppLibrary::setOpen(bool open) {
    open_ = open;
    if (panel_) panel_->setOpen(open);
}

}  // namespace harbrix
