// Switching the screens: which one shows, the tabs that say so, and the slide or fade that
// brings it in. A change is set up now and run about 1 ms later on the main thread, so the
// shown screen is still the old one while the change is being set up.
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <algorithm>

#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"
#include "shell/AppDelegate.h"
#include "shell/Background.h"
#include "shell/Menu.h"
#include "shell/ScreenCatalog.h"
#include "shell/Shield.h"
#include "shell/Window.h"
#include "ui/Animation.h"
#include "ui/ImageButton.h"

namespace harbrix {
namespace {

constexpr int kDeferralMs = 1;

}  // namespace

std::shared_ptr<Screen> AppDelegate::transfersFor(const DeviceRef& device) {
    return ScreenCatalog::transfers(device, this);
}

std::shared_ptr<Screen> AppDelegate::editorFor(const DeviceRef& device) {
    return ScreenCatalog::editor(device, this);
}

std::shared_ptr<Screen> AppDelegate::settingsFor(const DeviceRef& device) {
    return ScreenCatalog::settings(device, this);
}

QString AppDelegate::pedalboardFor(const DeviceRef& device) const {
    return ScreenCatalog::pedalboard(device);
}

void AppDelegate::setTabs(const ui::ToggleButton* on) {
    for (ui::ToggleButton* tab : {transfersTab_, editorTab_, settingsTab_})
        if (tab != nullptr) tab->setChecked(tab == on);
}

void AppDelegate::focusContent() {
    window_->contentView()->setFocus(Qt::OtherFocusReason);
}

void AppDelegate::switchToNothing() {
    slideToController(nothing_);
    setTabs(nullptr);
    focusContent();
}

bool AppDelegate::presetScreensAllowed() {
    const DeviceRef device = currentDevice();
    if (!device) return false;
    if (presets(device).supportsPresetEditing()) return true;
    switchToSettings();
    return false;
}

void AppDelegate::switchToTransfers() {
    if (!presetScreensAllowed()) return;
    slideToController(transfers_);
    setTabs(transfersTab_);
    if (transfers_) transfers_->focusView()->setFocus(Qt::OtherFocusReason);
}

void AppDelegate::switchToEditor() {
    if (!presetScreensAllowed()) return;
    slideToController(editor_);
    setTabs(editorTab_);
    if (editor_) {
        editor_->focusView()->setFocus(Qt::OtherFocusReason);
        editor_->reloadPreset(0);
    }
}

void AppDelegate::switchToSettings() {
    if (!currentDevice()) return;
    slideToController(settings_);
    setTabs(settingsTab_);
    focusContent();
}

void AppDelegate::addScreenView(QWidget* view) {
    if (view->parentWidget() != window_->contentView()) view->setParent(window_->contentView());
    screenViews_.erase(std::remove(screenViews_.begin(), screenViews_.end(), nullptr),
                       screenViews_.end());
    if (std::find(screenViews_.begin(), screenViews_.end(), view) == screenViews_.end())
        screenViews_.emplace_back(view);
}

void AppDelegate::raiseOverlays() {
    for (QWidget* overlay : std::initializer_list<QWidget*>{
             menuShield_.data(), selectorShield_.data(), menu_.data(), selector_.data()})
        if (overlay != nullptr && overlay->isVisible()) overlay->raise();
    if (menu_) menu_->raise();
}

void AppDelegate::settleScreens() {
    if (!currentController_) return;
    QWidget* shown = currentController_->view();
    for (const QPointer<QWidget>& view : screenViews_)
        if (view && view != shown) view->hide();
}

// A screen that has been replaced stays alive while its view slides or fades out. It must
// not be held by the animation itself: the animation is a child of the view, and the last
// reference going with the animation would delete the view, and so the animation, from
// inside the animation's own destructor.
void AppDelegate::retire(const std::shared_ptr<Screen>& screen) {
    if (screen) retired_.push_back(screen);
}

void AppDelegate::screenChangeEnded() {
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

void AppDelegate::slideToController(const std::shared_ptr<Screen>& target) {
    if (!target || !window_ || target == currentController_) return;
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
    const QRect area = window_->screenArea();
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
    raiseOverlays();

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

void AppDelegate::fadeInController() {
    if (!window_ || !currentController_) return;
    const Screen::Kind kind = currentController_->kind();
    const DeviceRef device = currentDevice();
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
    newView->setGeometry(window_->screenArea());
    newView->hide();
    raiseOverlays();
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
