// The Transfers screen: its view, the pedal it works on, and what reaches it from outside
// (the pedal's announcements, the keyboard, notices and alerts).
#include "transfers/Transfers.h"

#include <QKeyEvent>

#include "devices/PresetStore.h"
#include "link/QORUARTDevice.h"
#include "shell/Notice.h"
#include "shell/Shield.h"
#include "transfers/SlotField.h"
#include "transfers/TransfersLayout.h"
#include "ui/Alert.h"
#include "ui/ImageButton.h"
#include "ui/ImageView.h"
#include "ui/Label.h"

namespace harbrix {
namespace {

namespace layout = transfers_layout;

// The screen's view: it takes the keyboard, the keys its slots leave included, and hands them
// to the controller.
class TransfersView : public QWidget {
  public:
    explicit TransfersView(Transfers* controller) : controller_(controller) {
        setAttribute(Qt::WA_TranslucentBackground);
        setFocusPolicy(Qt::StrongFocus);
        setAccessibleName(QStringLiteral("Transfers"));
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!controller_->keyPressed(*event)) {
            QWidget::keyPressEvent(event);
            return;
        }
        event->accept();
    }
    // Tab into the grid lands on the keyboard's slot.
    void focusInEvent(QFocusEvent* event) override {
        QWidget::focusInEvent(event);
        const Qt::FocusReason reason = event->reason();
        if (reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason) return;
        controller_->keyboard().focus(controller_->keyboard().cursor());
    }
    // Shift+Tab out of the grid goes on past this view, which would hand the focus straight
    // back to the grid.
    bool focusNextPrevChild(bool next) override {
        if (!next && controller_->keyboard().focusedSlot()) {
            setFocus(Qt::OtherFocusReason);
            return QWidget::focusNextPrevChild(false);
        }
        return QWidget::focusNextPrevChild(next);
    }

  private:
    Transfers* controller_;
};

ui::ImageButton* pushButton(const char* image, const QString& name, QWidget* parent) {
    auto* button = new ui::ImageButton(QString::fromLatin1(image), parent);
    button->resize(layout::kPushButton);
    button->setAccessibleName(name);
    button->setToolTip(name);
    return button;
}

ui::ToggleButton* pageSizeButton(unsigned size, QWidget* parent) {
    auto* button = new ui::ToggleButton(QStringLiteral("TRANSFERS_per_page_%1").arg(size), parent);
    button->resize(layout::kPageSizeButton);
    const QString name = QStringLiteral("%1 per page").arg(size);
    button->setAccessibleName(name);
    button->setToolTip(name);
    return button;
}

}  // namespace

std::unique_ptr<Transfers> Transfers::controller(const DeviceRef& device) {
    if (!device) return nullptr;
    return std::unique_ptr<Transfers>(new Transfers(device));
}

Transfers::Transfers(const DeviceRef& device) : Screen(device), transfers_(device) {}

Transfers::~Transfers() {
    // The view goes with the screen; its rename field must not report back while it does.
    if (editor_) QObject::disconnect(editor_, nullptr, this, nullptr);
    // A delete still running would leave the window shielded for good.
    if (shield_) shield_->end();
}

PresetRef Transfers::preset(std::size_t index) const {
    const DeviceRef pedal = device();
    return pedal ? presets(pedal).cached(index) : nullptr;
}

QWidget* Transfers::loadView() {
    auto* view = new TransfersView(this);

    body_ = new TransfersBackground(this, view);
    body_->setGeometry(layout::kSlotAreaX, layout::kSlotAreaY, layout::kSlotAreaWidth,
                       layout::pageLayout(100).areaHeight);
    for (std::size_t index = 0; index < kSlotCount; ++index)
        slots_.emplace_back(new Slot(index, this, body_));
    editor_ = new SlotField(body_);
    connect(editor_, &SlotField::editingEnded, this, [this] { controlTextDidEndEditing(); });
    connect(editor_, &SlotField::refused, this,
            [this](const QString& why) { postNotice(why.toStdString()); });

    const unsigned groupings[] = {100, 50, 50, 20, 20, 20, 20, 20};
    for (std::size_t i = 0; i < strips_.size(); ++i) {
        strips_[i] = new TransfersTabs(groupings[i], this, view);
        strips_[i]->move(layout::kTabStrip.topLeft());
        strips_[i]->setVisible(i == 0);
    }
    tabs_ = strips_[0];

    button20_ = pageSizeButton(20, view);
    button50_ = pageSizeButton(50, view);
    button100_ = pageSizeButton(100, view);
    int x = layout::kPageSizeButtonsRight;
    for (ui::ToggleButton* button : {button100_.data(), button50_.data(), button20_.data()}) {
        x -= layout::kPageSizeButton.width();
        button->move(x, layout::kPageSizeButtonsY);
        x -= 4;
    }
    connect(button20_, &QAbstractButton::clicked, this, [this] { button20Clicked(); });
    connect(button50_, &QAbstractButton::clicked, this, [this] { button50Clicked(); });
    connect(button100_, &QAbstractButton::clicked, this, [this] { button100Clicked(); });

    deleteButton_ = pushButton("TRANSFERS_delete", QStringLiteral("Delete"), view);
    importButton_ = pushButton("TRANSFERS_import", QStringLiteral("Import"), view);
    exportButton_ = pushButton("TRANSFERS_export", QStringLiteral("Export"), view);
    selectAllButton_ = pushButton("TRANSFERS_select_all", QStringLiteral("Select All"), view);
    deselectAllButton_ = pushButton("TRANSFERS_deselect_all", QStringLiteral("Deselect All"), view);
    cancelButton_ = pushButton("TRANSFERS_cancel", QStringLiteral("Cancel"), view);
    cancelButton_->setToolTip(QString());
    connect(deleteButton_, &QAbstractButton::clicked, this, [this] { deletePresets(); });
    connect(importButton_, &QAbstractButton::clicked, this, [this] { importPresets(); });
    connect(exportButton_, &QAbstractButton::clicked, this, [this] { exportPresets(); });
    connect(selectAllButton_, &QAbstractButton::clicked, this, [this] {
        beginAction();
        selectAll();
    });
    connect(deselectAllButton_, &QAbstractButton::clicked, this, [this] {
        beginAction();
        deselectAll();
    });
    connect(cancelButton_, &QAbstractButton::clicked, this, [this] { cancelTransfer(); });

    status_ = new QWidget(view);
    status_->setGeometry(layout::kStatus);
    status_->setAccessibleName(QString());
    statusMessage1_ = new ui::Label(QString(), ui::fonts::Weight::Regular, 13, Qt::white, status_);
    statusMessage2_ = new ui::Label(QString(), ui::fonts::Weight::Medium, 13, Qt::white, status_);
    statusWarning_ = new ui::ImageView(QStringLiteral("TRANSFERS_overwrite_warning"), status_);
    statusWarning_->resize(16, 16);
    notice_ = new Notice(view);
    notice_->setGeometry(layout::kNotice);
    notice_->setAlignment(Qt::AlignCenter);
    return view;
}

void Transfers::viewDidLoad() {
    selected_.clear();
    exports_.clear();
    slotSize_ = 100;
    page_ = 1;
    button100_->setChecked(true);
    placeStatusLine(slotSize_);
    undo_ =
        new TransfersUndo(device(), view(), [this](const std::string& text) { postNotice(text); });
    // Undo and Redo write slots too: they ask before unsaved edits go.
    undo_->setGuard([this](std::vector<std::size_t> indices, std::function<void()> again) {
        return draftsMayGo(std::move(indices), std::move(again));
    });
    for (QAction* action : {undo_->undoAction(), undo_->redoAction()})
        connect(action, &QAction::triggered, this, [this] {
            endRename();
            beginAction();
        });
    body_->setFixedHeight(layout::pageLayout(slotSize_).areaHeight);
    const QRect area = body_->geometry();
    int y = area.center().y() - (3 * layout::kPushButton.height() + 2 * layout::kButtonGap) / 2;
    for (ui::ImageButton* button :
         {deleteButton_.data(), importButton_.data(), exportButton_.data()}) {
        button->move(layout::kButtonColumnX, y);
        y += layout::kPushButton.height() + layout::kButtonGap;
    }
    sync(true);
}

void Transfers::reloadPreset(std::size_t index) {
    Slot* changed = slot(index);
    if (changed == nullptr || !isViewLoaded()) return;
    // One slot changed: it is redrawn, and the counts, buttons and status line follow. The
    // slots of a delete under way are redrawn together when it ends.
    if (!deleting_) changed->sync();
    syncStatus(true);
}

void Transfers::keyDown(int key) {
    if (key != Qt::Key_Escape) return;
    beginAction();
    // Escape takes back a cut or copy first; then the staged files.
    if (keyboard_.marked()) {
        keyboard_.clearMark();
        return;
    }
    cancelTransfer();
}

bool Transfers::keyPressed(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Escape) {
        keyDown(event.key());
        return true;
    }
    return isViewLoaded() && keyboard_.keyPressed(event);
}

QWidget* Transfers::focusView() {
    if (isViewLoaded())
        if (Slot* slot = keyboard_.focusTarget(); slot && !slot->isHidden()) return slot;
    return view();
}

// Edit > Undo and Redo: the pedal's journal, named after its newest entries as kept in memory
// (another program's changes are taken in on the pedal's queue), so asking reads no file.
// Cut, Copy and Paste: slots, from the keyboard's slot.
bool Transfers::validateCommand(Command command) {
    if (command == Command::cut || command == Command::copy) return keyboard_.canMark();
    if (command == Command::paste) return keyboard_.offered() != TransferOperation::none;
    if (!undo_ || (command != Command::undo && command != Command::redo)) return false;
    undo_->update();
    return (command == Command::undo ? undo_->undoAction() : undo_->redoAction())->isEnabled();
}

void Transfers::performCommand(Command command) {
    if (!validateCommand(command)) return;
    if (command == Command::cut || command == Command::copy) {
        keyboard_.mark(command == Command::cut ? SlotMark::cut : SlotMark::copy);
        return;
    }
    if (command == Command::paste) {
        keyboard_.paste();
        return;
    }
    (command == Command::undo ? undo_->undoAction() : undo_->redoAction())->trigger();
}

QString Transfers::commandTitle(Command command) {
    if (command == Command::cut || command == Command::copy || command == Command::paste)
        return keyboard_.title(command);
    if (!undo_ || (command != Command::undo && command != Command::redo)) return {};
    undo_->update();
    return (command == Command::undo ? undo_->undoAction() : undo_->redoAction())->text();
}

void Transfers::beginAction() {
    if (notice_) notice_->dismiss();
}

void Transfers::postNotice(const std::string& text) {
    if (notice_ && !text.empty()) notice_->post(QString::fromStdString(text));
}

void Transfers::alertRefreshing() {
    ui::Alert::informLater(view(), QString::fromLatin1(kRefreshingHeadline),
                           QString::fromLatin1(kRefreshingFinePrint));
}

void Transfers::pedalLeft() {
    // A drag of a preset that is no longer there drops nothing.
    if (body_) body_->endDrag();
    Screen::pedalLeft();
}

DeviceRef Transfers::deviceUnlessRefreshing() {
    const DeviceRef pedal = device();
    if (!pedal) return nullptr;
    if (presets(pedal).refreshing()) {
        alertRefreshing();
        return nullptr;
    }
    return pedal;
}

Slot* Transfers::slot(std::size_t index) const {
    return index < slots_.size() ? slots_[index].data() : nullptr;
}

}  // namespace harbrix
