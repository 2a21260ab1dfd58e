// Switching the screens: which one shows, the tabs that say so, and the slide or fade that
// brings it in. A change is set up now and run about 1 ms later on the main thread, so the
// shown screen is still the old one while the change is being set up.
#include "app/ScreenSwitcher.h"

#include <QShortcut>
#include <QTimer>

#include <algorithm>

#include "app/PedalList.h"
#include "app/ScreenCatalog.h"
#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"
#include "shell/Background.h"
#include "shell/Shield.h"
#include "shell/Window.h"
#include "ui/Animation.h"
#include "ui/ImageButton.h"
#include "ui/TabOrder.h"
#include "ui_Header.h"

namespace harbrix {
namespace {

constexpr int kDeferralMs = 1;

}  // namespace

ScreenSwitcher::ScreenSwitcher(Window& window, const PedalList& pedals,
                               std::function<void()> raiseOverlays)
    : window_(window), pedals_(pedals), raiseOverlays_(std::move(raiseOverlays)) {}

ScreenSwitcher::~ScreenSwitcher() {
    // The screens' views live in the window; let the screens go first.
    currentController_.reset();
    retired_.clear();
    nothing_.reset();
    makeScreens(nullptr);
}

void ScreenSwitcher::buildTabs() {
    Ui::Header& header = window_.headerForm();
    transfersTab_ = ui::ToggleButton::replace(header.transfersTabButton);
    editorTab_ = ui::ToggleButton::replace(header.editorTabButton);
    settingsTab_ = ui::ToggleButton::replace(header.settingsTabButton);
    // The tabs follow the shown screen, not the clicks: a click asks for the switch.
    // Ctrl+1, Ctrl+2 and Ctrl+3 click the tabs, unless a question or an open menu holds the
    // window, as it holds the pointer.
    const struct {
        ui::ToggleButton* tab;
        void (ScreenSwitcher::*action)();
        Qt::Key key;
    } tabs[] = {{transfersTab_, &ScreenSwitcher::switchToTransfers, Qt::Key_1},
                {editorTab_, &ScreenSwitcher::switchToEditor, Qt::Key_2},
                {settingsTab_, &ScreenSwitcher::switchToSettings, Qt::Key_3}};
    for (const auto& [tab, action, key] : tabs) {
        tab->setChecked(false);
        connect(tab, &QAbstractButton::clicked, this, [this, tab = tab, action = action] {
            tab->setChecked(!tab->isChecked());
            (this->*action)();
        });
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | key), &window_);
        connect(shortcut, &QShortcut::activated, tab, [tab = tab] {
            if (!Shield::shieldsUp()) tab->click();
        });
    }
}

void ScreenSwitcher::showNothing(std::shared_ptr<Screen> nothing) {
    nothing_ = std::move(nothing);
    QWidget* empty = nothing_->view();
    addScreenView(empty);
    empty->setGeometry(window_.screenArea());
    empty->show();
    currentController_ = nothing_;
}

void ScreenSwitcher::makeScreens(const DeviceRef& device) {
    transfers_ = device ? ScreenCatalog::transfers(device) : nullptr;
    editor_ = device ? ScreenCatalog::editor(device) : nullptr;
    settings_ = device ? ScreenCatalog::settings(device) : nullptr;
}

std::vector<std::shared_ptr<Screen>> ScreenSwitcher::pedalScreens() const {
    std::vector<std::shared_ptr<Screen>> screens;
    for (const auto& screen : {transfers_, editor_, settings_})
        if (screen) screens.push_back(screen);
    return screens;
}

void ScreenSwitcher::switchToFirstScreen(const DeviceRef& device) {
    if (presets(device).supportsPresetEditing())
        switchToEditor();
    else
        switchToTransfers();
}

void ScreenSwitcher::focusShown() {
    if (currentController_ && (currentController_->kind() == Screen::Kind::transfers ||
                               currentController_->kind() == Screen::Kind::editor))
        currentController_->focusView()->setFocus(Qt::OtherFocusReason);
    else
        focusContent();
}

void ScreenSwitcher::setTabs(const ui::ToggleButton* on) {
    for (ui::ToggleButton* tab : {transfersTab_, editorTab_, settingsTab_})
        if (tab != nullptr) tab->setChecked(tab == on);
}

void ScreenSwitcher::focusContent() {
    window_.contentView()->setFocus(Qt::OtherFocusReason);
}

void ScreenSwitcher::switchToNothing() {
    slideToController(nothing_);
    setTabs(nullptr);
    focusContent();
}

bool ScreenSwitcher::presetScreensAllowed() {
    const DeviceRef device = pedals_.current();
    if (!device) return false;
    if (presets(device).supportsPresetEditing()) return true;
    switchToSettings();
    return false;
}

void ScreenSwitcher::switchToTransfers() {
    if (!presetScreensAllowed()) return;
    slideToController(transfers_);
    setTabs(transfersTab_);
    if (transfers_) transfers_->focusView()->setFocus(Qt::OtherFocusReason);
}

void ScreenSwitcher::switchToEditor() {
    if (!presetScreensAllowed()) return;
    slideToController(editor_);
    setTabs(editorTab_);
    if (editor_) {
        editor_->focusView()->setFocus(Qt::OtherFocusReason);
        editor_->reloadPreset(0);
    }
}

void ScreenSwitcher::switchToSettings() {
    if (!pedals_.current()) return;
    slideToController(settings_);
    setTabs(settingsTab_);
    focusContent();
}

void ScreenSwitcher::addScreenView(QWidget* view) {
    if (view->parentWidget() != window_.contentView()) view->setParent(window_.contentView());
    screenViews_.erase(std::remove(screenViews_.begin(), screenViews_.end(), nullptr),
                       screenViews_.end());
    if (std::find(screenViews_.begin(), screenViews_.end(), view) == screenViews_.end()) {
        screenViews_.emplace_back(view);
        ui::setReadingOrder(view);
    }
}

void ScreenSwitcher::settleScreens() {
    if (!currentController_) return;
    QWidget* shown = currentController_->view();
    for (const QPointer<QWidget>& view : screenViews_)
        if (view && view != shown) view->hide();
}

// A screen that has been replaced stays alive while its view slides or fades out. It must
// not be held by the animation itself: the animation is a child of the view, and the last
// reference going with the animation would delete the view, and so the animation, from
// inside the animation's own destructor.
void ScreenSwitcher::retire(const std::shared_ptr<Screen>& screen) {
    if (screen) retired_.push_back(screen);
}

void ScreenSwitcher::screenChangeEnded() {
    settleScreens();
    // Let go of the replaced screens once the animation that called here has returned.
    QTimer::singleShot(0, this, [this] {
        retired_.erase(std::remove_if(retired_.begin(), retired_.end(),
                                      [this](const std::shared_ptr<Screen>& screen) {
                                          return screen != currentController_;
                                      }),
                       retired_.end());
    });
}

void ScreenSwitcher::slideToController(const std::shared_ptr<Screen>& target) {
    if (!target || target == currentController_) return;
    // Forward unless the target comes before the shown screen in the screens' order.
    bool forward = true;
    for (const auto& screen : {nothing_, transfers_, editor_, settings_}) {
        if (!screen) continue;
        if (screen == currentController_) break;
        if (screen == target) {
            forward = false;
            break;
        }
    }
    const QRect area = window_.screenArea();
    const int width = area.width();
    const std::shared_ptr<Screen> old = currentController_;
    QPointer<QWidget> oldView = old ? old->view() : nullptr;
    if (oldView) {
        oldView->setGeometry(area);
        oldView->show();
    }
    QPointer<QWidget> newView = target->view();
    addScreenView(newView);
    newView->setGeometry(area.translated(forward ? width : -width, 0));
    newView->show();
    raiseOverlays_();

    QTimer::singleShot(kDeferralMs, this, [this, target, old, oldView, newView, forward, width] {
        const QPoint shift(forward ? -width : width, 0);
        currentController_ = target;
        retire(old);
        if (oldView) ui::animation::slide(oldView, oldView->pos() + shift, ui::animation::kSlideMs);
        if (newView)
            ui::animation::slide(newView, newView->pos() + shift, ui::animation::kSlideMs,
                                 [this] { screenChangeEnded(); });
    });
}

void ScreenSwitcher::fadeInController() {
    if (!currentController_) return;
    const Screen::Kind kind = currentController_->kind();
    const DeviceRef device = pedals_.current();
    if ((kind == Screen::Kind::transfers || kind == Screen::Kind::editor) && device &&
        !presets(device).supportsPresetEditing()) {
        switchToSettings();
        return;
    }
    std::shared_ptr<Screen> next;
    if (kind == Screen::Kind::transfers) next = transfers_;
    if (kind == Screen::Kind::editor) next = editor_;
    if (kind == Screen::Kind::settings) next = settings_;
    if (!next || next == currentController_) return;

    const std::shared_ptr<Screen> old = currentController_;
    QPointer<QWidget> oldView = old->view();
    QPointer<QWidget> newView = next->view();
    addScreenView(newView);
    newView->setGeometry(window_.screenArea());
    newView->hide();
    raiseOverlays_();
    if (kind != Screen::Kind::settings) next->focusView()->setFocus(Qt::OtherFocusReason);

    QTimer::singleShot(kDeferralMs, this, [this, next, old, oldView, newView] {
        currentController_ = next;
        retire(old);
        if (oldView) ui::animation::fade(oldView, false, ui::animation::kScreenFadeMs);
        if (newView)
            ui::animation::fade(newView, true, ui::animation::kScreenFadeMs,
                                [this] { screenChangeEnded(); });
    });
}

}  // namespace harbrix
