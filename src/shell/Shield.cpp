// The click shield and its stack.
#include "shell/Shield.h"

#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>

#include <algorithm>
#include <vector>

namespace harbrix {
namespace {

// Main thread only, like every view.
std::vector<QPointer<Shield>>& stack() {
    static std::vector<QPointer<Shield>> shields;
    return shields;
}

QWidget* contentView(QWidget* window) {
    if (window == nullptr) return nullptr;
    if (auto* main = qobject_cast<QMainWindow*>(window->window())) {
        // A scrolling window's content is the view inside its scroll area.
        if (auto* scroll = qobject_cast<QScrollArea*>(main->centralWidget()))
            if (scroll->widget() != nullptr) return scroll->widget();
        if (main->centralWidget() != nullptr) return main->centralWidget();
    }
    return window;
}

}  // namespace

Shield::Shield(QWidget* content, Action clicked, std::optional<QColor> color)
    : QWidget(content), clicked_(std::move(clicked)), color_(color) {
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(content->rect());
    content->installEventFilter(this);
}

Shield* Shield::raise(QWidget* window, Action clicked, std::optional<QColor> color) {
    QWidget* content = contentView(window);
    if (content == nullptr) return nullptr;
    auto* shield = new Shield(content, std::move(clicked), color);
    shield->show();
    shield->QWidget::raise();
    stack().emplace_back(shield);
    return shield;
}

Shield* Shield::beginShieldedModalForWindow(QWidget* window, Action clicked) {
    return raise(window, std::move(clicked), std::nullopt);
}

Shield* Shield::beginShieldedModalForWindow(QWidget* window, const QColor& color) {
    return raise(window, {}, color);
}

Shield* Shield::beginShieldedModalForWindow(QWidget* window) {
    return raise(window, {}, std::nullopt);
}

bool Shield::shieldsUp() {
    auto& shields = stack();
    shields.erase(std::remove(shields.begin(), shields.end(), nullptr), shields.end());
    return !shields.empty();
}

void Shield::end() {
    if (ended_) return;
    ended_ = true;
    // Ending out of order takes the right one off; in order it is the top one.
    auto& shields = stack();
    const auto it = std::find(shields.begin(), shields.end(), this);
    if (it != shields.end()) shields.erase(it);
    hide();
    if (parentWidget() != nullptr) parentWidget()->removeEventFilter(this);
    deleteLater();
}

bool Shield::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return false;
}

void Shield::paintEvent(QPaintEvent*) {
    if (!color_) return;
    QPainter painter(this);
    painter.fillRect(rect(), *color_);
}

void Shield::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void Shield::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void Shield::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void Shield::wheelEvent(QWheelEvent* event) {
    event->accept();
}

void Shield::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    // The action may end this shield; keep it for the call. Only the left button clicks.
    if (ended_ || !clicked_ || event->button() != Qt::LeftButton) return;
    const Action action = clicked_;
    action();
}

}  // namespace harbrix
