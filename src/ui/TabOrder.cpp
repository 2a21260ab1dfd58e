// Reading order.
#include "ui/TabOrder.h"

#include <QAbstractButton>

#include <algorithm>
#include <vector>

namespace harbrix::ui {
namespace {

struct Placed {
    QRect frame;
    QWidget* widget;
};

bool insideButton(const QWidget* widget, const QWidget* root) {
    for (const QWidget* up = widget->parentWidget(); up != nullptr && up != root;
         up = up->parentWidget())
        if (qobject_cast<const QAbstractButton*>(up) != nullptr) return true;
    return false;
}

}  // namespace

void setReadingOrder(QWidget* root) {
    if (root == nullptr) return;
    std::vector<Placed> controls;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!(widget->focusPolicy() & Qt::TabFocus) || widget->isWindow() ||
            insideButton(widget, root))
            continue;
        controls.push_back({QRect(widget->mapTo(root, QPoint(0, 0)), widget->size()), widget});
    }
    std::stable_sort(controls.begin(), controls.end(), [](const Placed& a, const Placed& b) {
        return a.frame.top() < b.frame.top();
    });
    std::vector<Placed> ordered;
    for (auto rowStart = controls.begin(); rowStart != controls.end();) {
        const int rowBottom = rowStart->frame.bottom();
        auto rowEnd = std::find_if(rowStart, controls.end(), [rowBottom](const Placed& p) {
            return p.frame.top() > rowBottom;
        });
        std::stable_sort(rowStart, rowEnd, [](const Placed& a, const Placed& b) {
            return a.frame.left() < b.frame.left();
        });
        ordered.insert(ordered.end(), rowStart, rowEnd);
        rowStart = rowEnd;
    }
    QWidget* previous = root;
    for (const Placed& control : ordered) {
        QWidget::setTabOrder(previous, control.widget);
        previous = control.widget;
    }
}

}  // namespace harbrix::ui
