// Detail stacks.
#include "editor/DetailStack.h"

#include <QPainter>

#include <algorithm>

#include "editor/Detail.h"

namespace harbrix {

DetailStack::DetailStack(QWidget* parent) : QWidget(parent) {}

const std::vector<Detail*>& DetailStack::details() {
    if (collected_) return details_;
    collected_ = true;
    for (QObject* child : children())
        if (auto* detail = qobject_cast<Detail*>(child)) {
            detail->prepare();
            details_.push_back(detail);
        }
    std::stable_sort(details_.begin(), details_.end(),
                     [](const Detail* a, const Detail* b) { return a->y() < b->y(); });
    for (Detail* detail : details_) detail->setLaidOut([this] { layOut(); });
    return details_;
}

void DetailStack::layOut() {
    const auto& sections = details();
    for (std::size_t i = 1; i < sections.size(); ++i) {
        const Detail* above = sections[i - 1];
        const int y =
            above->y() + Detail::kHeaderHeight + (above->isOpen() ? above->contentHeight() : 0);
        sections[i]->move(sections[i]->x(), y);
    }
}

void EditorDetailStack::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(0x3A, 0x3A, 0x42));
    painter.setBrush(QColor(0x1E, 0x1E, 0x22, 235));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

}  // namespace harbrix
