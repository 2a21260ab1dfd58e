#include "librarypanel/LibraryPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "devices/Preset.h"
#pragma push_macro("slots")
#undef slots
#include "library/LibraryKeeper.h"
#pragma pop_macro("slots")
#include "librarypanel/PanelLook.h"
#include "librarypanel/PanelText.h"
#include "librarypanel/SnapshotList.h"
#include "transfers/Transfers.h"
#include "transfers/TransfersLayout.h"
#include "ui/Fonts.h"

namespace harbrix {
namespace {

using namespace panel_text;
namespace layout = transfers_layout;

constexpr std::size_t kShownResults = 200;
const QRect kToggle{layout::kButtonColumnX, 48, layout::kPushButton.width(),
                    layout::kPushButton.height()};

QCheckBox* filterBox(const QString& title, QWidget* parent) {
    auto* box = new QCheckBox(title, parent);
    box->setFont(ui::fonts::font(ui::fonts::Weight::Regular, panel_look::kSmallSize));
    box->setAccessibleName(title);
    return box;
}

}  // namespace

LibraryPanel* LibraryPanel::attach(Transfers& screen, std::shared_ptr<LibraryKeeper> keeper,
                                   Pedals pedals) {
    return new LibraryPanel(screen, std::move(keeper), std::move(pedals), screen.view());
}

LibraryPanel::LibraryPanel(Transfers& screen, std::shared_ptr<LibraryKeeper> keeper, Pedals pedals,
                           QWidget* parent)
    : QWidget(parent), screen_(&screen), keeper_(std::move(keeper)), pedals_(std::move(pedals)) {
    setObjectName(QStringLiteral("libraryPanel"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(panel_look::styleSheet());
    setAccessibleName(QStringLiteral("Library"));
    build();
    hide();

    toggle_ = new QPushButton(QStringLiteral("Library"), parent);
    toggle_->setCheckable(true);
    toggle_->setGeometry(kToggle);
    toggle_->setFont(ui::fonts::font(ui::fonts::Weight::Medium, panel_look::kTextSize));
    toggle_->setStyleSheet(panel_look::styleSheet());
    toggle_->setAccessibleName(QStringLiteral("Library, closed"));
    toggle_->setToolTip(QStringLiteral("Open or close the preset library (Ctrl+L)"));
    toggle_->setFocusPolicy(Qt::NoFocus);
    connect(toggle_, &QPushButton::clicked, this, [this](bool checked) { setOpen(checked); });

    QPointer<LibraryPanel> guard(this);
    screen.body()->setOutsideDrop([guard](std::size_t slot, const QPoint& global) {
        if (guard) guard->slotDropped(slot, global);
    });
}

void LibraryPanel::build() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(6);
    const QFont body = ui::fonts::font(ui::fonts::Weight::Regular, panel_look::kTextSize);

    search_ = new QLineEdit(this);
    search_->setFont(body);
    search_->setPlaceholderText(QStringLiteral("Name, tag or note"));
    search_->setClearButtonEnabled(true);
    search_->setAccessibleName(QStringLiteral("Search presets"));
    connect(search_, &QLineEdit::textChanged, this, [this] { search(); });
    column->addWidget(search_);

    auto* filters = new QHBoxLayout;
    filters->setSpacing(8);
    model_ = new QComboBox(this);
    model_->setFont(body);
    model_->addItems(
        {QStringLiteral("All models"), QStringLiteral("MIV3"), QStringLiteral("NAX3")});
    model_->setAccessibleName(QStringLiteral("Model, all models"));
    connect(model_, &QComboBox::currentIndexChanged, this, [this] {
        model_->setAccessibleName(QStringLiteral("Model, ") + model_->currentText());
        search();
    });
    favourites_ = filterBox(QStringLiteral("Favourites"), this);
    filters->addWidget(model_);
    filters->addWidget(favourites_);
    filters->addStretch(1);
    column->addLayout(filters);
    auto* places = new QHBoxLayout;
    places->setSpacing(8);
    onPedal_ = filterBox(QStringLiteral("On this pedal"), this);
    notOnAny_ = filterBox(QStringLiteral("Not on any pedal"), this);
    places->addWidget(onPedal_);
    places->addWidget(notOnAny_);
    places->addStretch(1);
    column->addLayout(places);
    for (QCheckBox* box : {favourites_.data(), onPedal_.data(), notOnAny_.data()})
        connect(box, &QCheckBox::toggled, this, [this] { search(); });

    results_ = new QListWidget(this);
    results_->setFont(body);
    results_->setAccessibleName(QStringLiteral("Presets in the library"));
    results_->setSelectionMode(QAbstractItemView::SingleSelection);
    results_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    results_->viewport()->installEventFilter(this);
    connect(results_, &QListWidget::itemSelectionChanged, this, [this] { selectionChanged(); });
    results_->setMinimumHeight(180);
    column->addWidget(results_, 3);

    auto* edit = new QHBoxLayout;
    edit->setSpacing(6);
    name_ = new QLineEdit(this);
    name_->setFont(body);
    name_->setMaxLength(static_cast<int>(Preset::kNameLength));
    name_->setPlaceholderText(QStringLiteral("Name"));
    tags_ = new QLineEdit(this);
    tags_->setFont(body);
    tags_->setPlaceholderText(QStringLiteral("Tags, with commas"));
    favourite_ = filterBox(QStringLiteral("Favourite"), this);
    edit->addWidget(name_, 2);
    edit->addWidget(tags_, 3);
    edit->addWidget(favourite_);
    column->addLayout(edit);
    connect(name_, &QLineEdit::editingFinished, this, [this] { renameSelected(); });
    connect(tags_, &QLineEdit::editingFinished, this, [this] { retagSelected(); });
    connect(favourite_, &QCheckBox::clicked, this, [this](bool on) {
        change([on](Library& library, std::int64_t id) { return library.setFavourite(id, on); });
    });

    message_ = panel_look::messageLabel(this);
    column->addWidget(message_);

    snapshots_ = new SnapshotList(*screen_, keeper_, pedals_, this);
    column->addWidget(snapshots_, 2);
    selectionChanged();
}

void LibraryPanel::setOpen(bool open) {
    if (toggle_) {
        toggle_->setChecked(open);
        toggle_->setAccessibleName(open ? QStringLiteral("Library, open")
                                        : QStringLiteral("Library, closed"));
    }
    if (open == open_) return;
    open_ = open;
    TransfersBackground* grid = screen_->body();
    const int gridWidth =
        open ? layout::kSlotAreaWidth - kWidth - layout::kSlotAreaX : layout::kSlotAreaWidth;
    grid->endDrag();
    grid->resize(gridWidth, grid->height());
    screen_->sync(true);
    setVisible(open);
    if (!open) return;
    const int x = layout::kSlotAreaX + gridWidth + layout::kSlotAreaX;
    setGeometry(x, layout::kSlotAreaY, layout::kButtonColumnX - layout::kSlotAreaX - x,
                layout::kStatus.y() - layout::kSlotAreaY - 6);
    raise();
    search();
    snapshots_->refresh();
    search_->setFocus(Qt::ShortcutFocusReason);
}

void LibraryPanel::search() {
    if (!open_) return;
    LibraryQuery query;
    query.text = search_->text().toStdString();
    if (model_->currentIndex() > 0) query.model = model_->currentText().toStdString();
    query.favouritesOnly = favourites_->isChecked();
    const DeviceRef pedal = screen_->device();
    if (onPedal_->isChecked()) query.onPedal = pedal ? pedal->serial() : std::string("-");
    query.notOnAnyPedal = notOnAny_->isChecked();
    query.limit = kShownResults;
    const std::uint64_t asked = ++*latest_;
    QPointer<LibraryPanel> guard(this);
    keeper_->post([guard, asked, latest = latest_, query](Library* library) {
        // A newer search is on its way: this answer would never be shown.
        if (*latest != asked) return;
        std::vector<Found> found;
        std::string problem;
        if (!library) {
            problem = "There is no preset library this time.";
        } else if (auto presets = library->search(query); !presets) {
            problem = presets.problem;
        } else {
            for (const LibraryPreset& preset : *presets)
                found.push_back({preset, library->presetBytes(preset.id).value.value_or(Bytes{})});
        }
        rail(Rails::main(), [guard, asked, latest, found = std::move(found), problem]() mutable {
            if (guard && *latest == asked) guard->showResults(std::move(found), problem);
        });
    });
}

void LibraryPanel::libraryChanged() {
    if (!open_) return;
    search();
    snapshots_->refresh();
}

std::vector<LibraryPreset> LibraryPanel::shown() const {
    std::vector<LibraryPreset> presets;
    for (const Found& found : found_) presets.push_back(found.preset);
    return presets;
}

QString LibraryPanel::where(const LibraryPreset& preset) const {
    if (preset.places.empty()) return QStringLiteral("not on any pedal");
    const DeviceRef pedal = screen_->device();
    const auto here = std::find_if(preset.places.begin(), preset.places.end(), [&](const auto& p) {
        return pedal && p.serial == pedal->serial();
    });
    const PresetPlace& place = here != preset.places.end() ? *here : preset.places.front();
    const QString slot = QString::number(place.slot + 1);
    if (here != preset.places.end()) return QStringLiteral("on slot ") + slot;
    return QStringLiteral("on %1 slot %2").arg(text(place.serial), slot);
}

void LibraryPanel::showResults(std::vector<Found> found, const std::string& problem) {
    ++answers_;
    const Found* before = selected();
    // Library ids start at 1.
    const std::int64_t keep = keepSelected_ ? *keepSelected_ : before ? before->preset.id : 0;
    keepSelected_.reset();
    found_ = std::move(found);
    const QSignalBlocker quiet(results_);
    results_->clear();
    int selectRow = -1;
    for (const Found& each : found_) {
        const LibraryPreset& preset = each.preset;
        const QString name = shownName(preset.name);
        QString first = name;
        if (preset.favourite) first = QStringLiteral("★ ") + first;
        if (!preset.tags.empty()) first += QStringLiteral("  ·  ") + joined(preset.tags);
        auto* item = new QListWidgetItem(first + QLatin1Char('\n') + text(preset.model) +
                                         QStringLiteral(", ") + where(preset));
        item->setData(
            Qt::AccessibleTextRole,
            QStringLiteral("Preset %1, %2, %3").arg(name, text(preset.model), where(preset)));
        results_->addItem(item);
        if (preset.id == keep) selectRow = results_->count() - 1;
    }
    if (selectRow >= 0) results_->setCurrentRow(selectRow);
    if (!problem.empty()) {
        say(text(problem));
    } else if (!nextMessage_.isEmpty()) {
        say(nextMessage_);
    } else if (found_.empty()) {
        say(QStringLiteral("No preset in the library matches."));
    } else {
        say(QStringLiteral("%1 %2. Drag one onto a slot; drop a slot here to keep it.")
                .arg(found_.size())
                .arg(found_.size() == 1 ? QStringLiteral("preset") : QStringLiteral("presets")));
    }
    nextMessage_.clear();
    selectionChanged();
}

const LibraryPanel::Found* LibraryPanel::selected() const {
    const int row = results_ ? results_->currentRow() : -1;
    if (row < 0 || !results_->currentItem() || !results_->currentItem()->isSelected() ||
        static_cast<std::size_t>(row) >= found_.size())
        return nullptr;
    return &found_[static_cast<std::size_t>(row)];
}

void LibraryPanel::say(const QString& line) {
    message_->setText(line);
    message_->setAccessibleName(line);
}
}  // namespace harbrix
