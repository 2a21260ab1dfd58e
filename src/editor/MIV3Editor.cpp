// The MIV III parameter editor: bindings, value changes, the status panel, the breakout
// panel and the encoder.
#include "editor/MIV3Editor.h"

#include <QVariant>

#include <array>

#include "devices/Preset.h"
#include "devices/PresetParameters.h"
#include "devices/PresetStore.h"
#include "editor/Detail.h"
#include "editor/DetailStack.h"
#include "editor/Light.h"
#include "editor/Switch.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "shell/MIV3Status.h"
#include "ui/Animation.h"
#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/Label.h"
#include "ui_MIV3Editor.h"

namespace harbrix {
namespace {

constexpr char kBinding = '$';
constexpr char kTwin = '#';
const QString kIdentifierProperty = QStringLiteral("identifier");

// The status panel's labels and the switch each one stands for. In the group "EXP:" every
// label stands for the expression switch.
constexpr std::array<std::pair<const char*, const char*>, 7> kStatusItems{{
    {"Left", "left"},
    {"Right", "right"},
    {"Direct", "direct"},
    {"Focus", "focus"},
    {"Attack", "dryAttack"},
    {"LP Filter", "dryLPFilter"},
    {"Detune", "dryDetune"},
}};
const QString kEXPGroup = QStringLiteral("EXP:");

QString longForm(const QString& text) {
    return text.section(QLatin1Char(','), 0, 0);
}

QString twoDigits(std::size_t row) {
    return QStringLiteral("%1").arg(row + 1, 2, 10, QLatin1Char('0'));
}

template <typename Visit>
void walk(QWidget* view, const Visit& visit) {
    if (view == nullptr) return;
    visit(view);
    for (QObject* child : view->children())
        if (auto* widget = qobject_cast<QWidget*>(child)) walk(widget, visit);
}

std::string keyOf(const QWidget* control) {
    const QString id = MIV3Editor::identifier(control);
    if (id.size() < 2 || id[0] != QLatin1Char(kBinding)) return {};
    return id.mid(1).toStdString();
}

}  // namespace

MIV3Editor::MIV3Editor(const DeviceRef& device)
    : Editor(device), parameters_(std::make_unique<Ui::MIV3Parameters>()) {}

MIV3Editor::~MIV3Editor() = default;

QString MIV3Editor::identifier(const QWidget* control) {
    if (control == nullptr) return {};
    QString id = control->property(kIdentifierProperty.toUtf8().constData()).toString();
    if (id.isEmpty()) id = control->objectName();
    id.remove(QLatin1Char(' '));
    return id;
}

MIV3Editor::Syncables& MIV3Editor::collectSyncables(Syncables& syncables, QWidget* view) {
    walk(view, [&syncables](QWidget* widget) {
        const std::string key = keyOf(widget);
        if (!key.empty()) syncables[key] = widget;
    });
    return syncables;
}

MIV3Editor::Reflections& MIV3Editor::collectReflections(Reflections& reflections, QWidget* view,
                                                        const Syncables& syncables) {
    walk(view, [&](QWidget* widget) {
        const QString id = identifier(widget);
        if (id.size() < 2 || id[0] != QLatin1Char(kTwin)) return;
        const QStringList parts = id.mid(1).split(QLatin1Char('|'));
        if (parts.size() > 2 || parts[0].isEmpty()) return;
        const auto main = syncables.find(parts[0].toStdString());
        if (main == syncables.end()) return;
        auto reflection = Reflection::reflectionWith(main->second, widget);
        if (reflection) reflections[main->first].push_back(std::move(reflection));
    });
    return reflections;
}

QWidget* MIV3Editor::loadView() {
    QWidget* view = Editor::loadView();
    parametersView_ = new QWidget(view);
    parameters_->setupUi(parametersView_);
    parametersView_->setAttribute(Qt::WA_TranslucentBackground);
    // Under the shared screen, which keeps the list, the buttons and the pedal picture.
    parametersView_->lower();
    return view;
}

void MIV3Editor::viewDidLoad() {
    // The panel and the breakout's close button take their place before the first sync,
    // which disables the controls until a preset is chosen: a button made inside a
    // disabled view would stay disabled.
    status_ = MIV3Status::load(parameters_->statusArea);
    status_->move(0, 0);
    status_->setDelegate(this);
    ui::ImageButton* close = ui::ImageButton::replace(parameters_->closeButton);
    close->setAccessibleName(QStringLiteral("Close Details"));
    connect(close, &QAbstractButton::clicked, this, [this] { closeDetailStackAndExpandStatus(); });
    parameters_->breakoutBox->hide();
    parameters_->breakoutBox->layOut();
    wireControls(parametersView_);
    collectSyncables(syncables_, view());
    collectReflections(reflections_, parameters_->breakoutBox, syncables_);
    simulatorInitialX_ = simulatorArea()->x();
    simulatorCompressedX_ = parametersView_->property("simulatorCompressedX").toInt();
    Editor::viewDidLoad();
    connect(navcoder(), &QAbstractButton::clicked, this, [this] { navcoderClicked(); });
}

// What the layout wires by name: switches to their action, knobs and faders to the editor.
void MIV3Editor::wireControls(QWidget* view) {
    walk(view, [this](QWidget* widget) {
        if (auto* toggle = qobject_cast<Switch*>(widget)) {
            if (toggle->property(Switch::kActionProperty).toString() == "buttonStateChanged")
                toggle->setAction([this](Switch* sender) { buttonStateChanged(sender); });
            return;
        }
        if (keyOf(widget).empty() && qobject_cast<ui::Label*>(widget) == nullptr) return;
        // One arrow key press is one step of the stored 7-bit value.
        const double step = parameters::percentageForValue(1);
        if (auto* knob = qobject_cast<ui::Knob*>(widget)) {
            knob->setDelegate(this);
            knob->setKeyStep(step);
        }
        if (auto* fader = qobject_cast<ui::Fader*>(widget)) {
            fader->setDelegate(this);
            fader->setKeyStep(step);
        }
        if (auto* label = qobject_cast<ui::Label*>(widget)) {
            if (label->property("caption").toBool()) {
                label->setFontWeight(ui::fonts::Weight::Medium, 10);
                label->setColor(QColor(255, 255, 255, 150));
            } else if (parameters_->breakoutBox->isAncestorOf(label)) {
                label->setFontWeight(ui::fonts::Weight::Regular, 11);
                label->setColor(QColor(255, 255, 255, 215));
            }
        }
    });
    parameters_->breakoutTitle->setFontWeight(ui::fonts::Weight::Bold, 12);
    parameters_->breakoutTitle->setColor(Qt::white);
}

DetailStack* MIV3Editor::breakoutBox() const {
    return parameters_->breakoutBox;
}

QWidget* MIV3Editor::control(const std::string& key) const {
    const auto found = syncables_.find(key);
    return found == syncables_.end() ? nullptr : found->second;
}

// ---- Value changes

void MIV3Editor::percentControl(QWidget* control, double percentage) {
    beginAction();
    const std::string key = keyOf(control);
    const auto e = editing();
    if (key.empty() || !e) return;
    const int value = qobject_cast<Switch*>(control) != nullptr
                          ? (static_cast<Switch*>(control)->isChecked() ? 1 : 0)
                          : parameters::valueForPercentage(percentage);
    if (!parameters::applyEdit(*e->preset, key, value, e->row)) return;
    table()->redrawRow(e->row);
    revertButton()->setEnabled(true);
    saveAsButton()->setEnabled(true);
    saveButton()->setEnabled(true);
    sync(true);
}

void MIV3Editor::buttonStateChanged(Switch* control) {
    percentControl(control, 0);
}

void MIV3Editor::knob(ui::Knob* knob, bool final, double percentage) {
    if (final)
        percentControl(knob, percentage);
    else
        sync(false);
}

void MIV3Editor::fader(ui::Fader* fader, bool final, double percentage) {
    if (final)
        percentControl(fader, percentage);
    else
        sync(false);
}

std::map<int, QPixmap> MIV3Editor::capAssetsAndThresholds(ui::Fader* fader) {
    const std::pair<int, const char*> thresholds[] = {{0, "0"},   {10, "10"}, {25, "25"},
                                                      {50, "50"}, {75, "75"}, {95, "100"}};
    // Drawn for the fader's screen (the store keeps each ratio's images), so the caps are
    // sharp at 1x, 1.5x and 2x alike.
    const qreal ratio = fader != nullptr ? fader->devicePixelRatioF() : 2.0;
    std::map<int, QPixmap> table;
    for (const auto& [threshold, image] : thresholds)
        table[threshold] = ui::ImageStore::shared().pixmap(
            ui::imageName(ui::images::fill(ui::images::kEditorSliderCap, {image})), ratio);
    return table;
}

// ---- Screen update

void MIV3Editor::sync(bool full) {
    if (!isViewLoaded()) return;
    if (full) {
        Editor::sync();
        const auto e = editing();
        parametersView_->setEnabled(e.has_value());
        if (e && status_ != nullptr && !syncables_.empty()) {
            const Preset& preset = *e->preset;
            showControls(preset);
            revertButton()->setEnabled(preset.canUndo());
            undoButton()->setEnabled(preset.canUndo());
            redoButton()->setEnabled(preset.canRedo());
            // Anything but an untouched empty slot can be saved into another slot.
            saveAsButton()->setEnabled(!preset.empty() || preset.dirty());
            const QString slot = twoDigits(e->row);
            if (preset.empty()) {
                const QString title = QStringLiteral("%1 User Preset %1").arg(slot);
                showTexts(title, QStringLiteral("[empty]"), title);
            } else {
                QString oledName = QString::fromStdString(preset.name());
                oledName.remove(QLatin1Char('~'));
                showTexts(slot + QLatin1Char(' ') + QString::fromStdString(preset.displayName()),
                          QString(), slot + QLatin1Char(' ') + oledName);
            }
            status_->sync();
            askLoaded();
        } else {
            for (ui::ImageButton* button :
                 {revertButton(), undoButton(), redoButton(), saveAsButton()})
                button->setEnabled(false);
            // A slot not read yet shows only its number: it is not known to be empty.
            const auto row = selectedRow();
            const QString slot = row ? twoDigits(*row) : QString();
            showTexts(slot, row ? QStringLiteral("[not read yet]") : QString(), slot);
        }
    }
    for (const auto& [key, list] : reflections_)
        for (const auto& reflection : list) reflection->sync();
}

void MIV3Editor::showControls(const Preset& preset) {
    for (const auto& [key, control] : syncables_) {
        const auto value = preset.value(key);
        if (!value) continue;
        if (auto* toggle = qobject_cast<QAbstractButton*>(control)) {
            toggle->setChecked(*value != 0);
        } else if (auto* knob = qobject_cast<ui::Knob*>(control)) {
            knob->setDoubleValue(parameters::percentageForValue(*value));
        } else if (auto* fader = qobject_cast<ui::Fader*>(control)) {
            fader->setDoubleValue(parameters::percentageForValue(*value));
        }
        if (const auto* parameter = parameters::find(key))
            control->setAccessibleName(QStringLiteral("%1: %2").arg(
                QString::fromUtf8(parameter->label.data(), parameter->label.size()),
                QString::fromStdString(parameters::valueText(*parameter, *value))));
    }
}

void MIV3Editor::showTexts(const QString& title, const QString& subtitle,
                           const QString& oledTitle) {
    if (status_ != nullptr) {
        status_->title()->setText(title);
        status_->subtitle()->setText(subtitle);
    }
    this->oledTitle()->setText(oledTitle);
    oledSubtitle()->setText(subtitle);
}

void MIV3Editor::askLoaded() {
    if (loadedAsked_) {
        askLoadedAgain_ = true;
        return;
    }
    loadedAsked_ = true;
    onPedal([](QORUARTDevice& device, ScreenGuard<Editor> self) {
        const bool loaded = presets(device).isloaded();
        rail(Rails::main(), [self, loaded] {
            if (auto* editor = qobject_cast<MIV3Editor*>(self.get()))
                editor->loadedAnswered(loaded);
        });
    });
}

void MIV3Editor::loadedAnswered(bool loaded) {
    presetLoadedLight()->setOn(loaded);
    loadedAsked_ = false;
    if (!askLoadedAgain_) return;
    askLoadedAgain_ = false;
    askLoaded();
}

// ---- Status panel, breakout panel and encoder

void MIV3Editor::itemClicked(const QString& item, const QString& group) {
    if (item.isEmpty() || status_ == nullptr) return;
    // A compressed panel shows short forms; the key follows from the long one.
    QString label = item;
    for (StatusGroup* candidate : status_->groups()) {
        if (candidate->title() != group) continue;
        for (int number = 0; number <= 5; ++number) {
            const QString text = number == 0 ? candidate->title() : candidate->item(number);
            if (!text.isEmpty() && candidate->parsedString(text) == item) label = longForm(text);
        }
    }
    std::string key;
    if (longForm(group).compare(kEXPGroup, Qt::CaseInsensitive) == 0) {
        key = "exp";
    } else {
        for (const auto& [text, name] : kStatusItems)
            if (label.compare(QString::fromUtf8(text), Qt::CaseInsensitive) == 0) key = name;
    }
    if (auto* toggle = qobject_cast<QAbstractButton*>(control(key))) toggle->click();
}

void MIV3Editor::statusDidCompress(Status*) {
    QWidget* picture = simulatorArea();
    ui::animation::slide(picture, QPoint(simulatorCompressedX_, picture->y()),
                         ui::animation::kSlideMs);
    parameters_->breakoutBox->show();
    parameters_->breakoutBox->raise();
}

void MIV3Editor::closeDetailStackAndExpandStatus() {
    if (status_ != nullptr) status_->setCompressed(false);
    QWidget* picture = simulatorArea();
    ui::animation::slide(picture, QPoint(simulatorInitialX_, picture->y()),
                         ui::animation::kSlideMs);
    parameters_->breakoutBox->hide();
}

void MIV3Editor::navcoderClicked() {
    beginAction();
    onPedal([](QORUARTDevice& device, ScreenGuard<Editor> self) {
        const auto slot = presets(device).selected();
        if (!slot) return;
        if (presets(device).isloaded())
            presets(device).select(*slot);
        else
            presets(device).selectAndLoad(*slot);
        rail(Rails::main(), [self, slot = *slot] {
            if (!self) return;
            self->reloadPreset(slot);
            self->sync();
        });
    });
}

}  // namespace harbrix
