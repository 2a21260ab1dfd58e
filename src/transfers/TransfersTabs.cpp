// Page tabs.
#include "transfers/TransfersTabs.h"

#include "transfers/TransfersLayout.h"
#include "ui/Fonts.h"
#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/ImageView.h"

namespace harbrix {

namespace layout = transfers_layout;

TransfersTabs::TransfersTabs(unsigned grouping, TransfersTabsDelegate* delegate, QWidget* parent)
    : QWidget(parent), grouping_(grouping), delegate_(delegate) {
    setAttribute(Qt::WA_TranslucentBackground);
    resize(layout::kTabStrip.size());
    background_ = new ui::ImageView(ui::imageName(ui::images::kTransfersTabsBackground), this);
    background_->setScaling(ui::ImageView::Scaling::Stretch);
    background_->setGeometry(rect());
    const QStringList names = titles(grouping);
    for (int i = 0; i < names.size(); ++i) {
        auto* tab = new ui::ToggleButton(ui::imageName(ui::images::kTransfersTab), this);
        tab->setText(names[i]);
        tab->setFont(ui::fonts::font(ui::fonts::Weight::Medium, 13));
        tab->setTitleColors(Qt::white, Qt::black);
        tab->setStretchCap(8);
        tab->setAccessibleName(names[i]);
        tab->setGeometry(i * (layout::kTabSize.width() + layout::kTabGap),
                         height() - layout::kTabSize.height(), layout::kTabSize.width(),
                         layout::kTabSize.height());
        const auto number = static_cast<unsigned>(i + 1);
        connect(tab, &QAbstractButton::clicked, this, [this, number] { buttonClicked(number); });
        tabs_.emplace_back(tab);
    }
    setOnlyTabOn(1);
}

QStringList TransfersTabs::titles(unsigned grouping) {
    if (grouping == 20) {
        return {QStringLiteral("Presets 1-20"), QStringLiteral("21-40"), QStringLiteral("41-60"),
                QStringLiteral("61-80"), QStringLiteral("81-100")};
    }
    if (grouping == 50) return {QStringLiteral("Presets 1-50"), QStringLiteral("51-100")};
    return {QStringLiteral("Presets 1-100")};
}

void TransfersTabs::setOnlyTabOn(unsigned tab) {
    for (std::size_t i = 0; i < tabs_.size(); ++i)
        if (tabs_[i]) tabs_[i]->setChecked(i + 1 == tab);
}

unsigned TransfersTabs::tabOn() const {
    for (std::size_t i = 0; i < tabs_.size(); ++i)
        if (tabs_[i] && tabs_[i]->isChecked()) return static_cast<unsigned>(i + 1);
    return 0;
}

void TransfersTabs::buttonClicked(unsigned tab) {
    // A click has flipped the clicked tab; a tab of the page shown stays on.
    if (grouping_ == 50) setOnlyTabOn(tab);
    if (grouping_ == 100) tab = 1;
    if (delegate_) delegate_->transfersTabsTabClicked(this, tab);
}

}  // namespace harbrix
