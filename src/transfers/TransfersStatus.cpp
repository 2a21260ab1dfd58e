// The counts, the buttons' states and the status line.
#include <QAccessible>

#include "transfers/Transfers.h"
#include "transfers/TransfersLayout.h"
#include "ui/ImageButton.h"
#include "ui/ImageView.h"
#include "ui/Label.h"

namespace harbrix {
namespace {

namespace layout = transfers_layout;

QString count(std::size_t n) {
    return QString::number(n);
}

// "1 preset is ready for transfer.", "3 presets are ready for transfer."
QString readyText(std::size_t exports) {
    return countedText(exports, "preset") + (exports == 1
                                                 ? QStringLiteral(" is ready for transfer.")
                                                 : QStringLiteral(" are ready for transfer."));
}

}  // namespace

void Transfers::sync(bool full) {
    if (!isViewLoaded() || !body_) return;
    if (full && !deleting_)
        for (const QPointer<Slot>& slot : slots_) slot->sync();
    syncStatus(full);
}

void Transfers::syncStatus(bool buttons) {
    if (!isViewLoaded() || !body_) return;
    const std::size_t exportCount = exports_.size();
    std::size_t stored = 0;
    std::size_t overwrites = 0;
    if (!deleting_) {
        for (const QPointer<Slot>& slot : slots_) {
            // A selected slot whose preset went (moved away, erased elsewhere) is no longer
            // part of the selection; it shows as the empty slot it is.
            if (!slot->occupied()) {
                if (slot->selected()) {
                    slot->clearSelected();
                    selected_.erase(slot->index());
                }
                continue;
            }
            ++stored;
            if (exports_.count(slot->index())) ++overwrites;
        }
    }
    if (buttons) {
        button20_->setChecked(slotSize_ == 20);
        button50_->setChecked(slotSize_ == 50);
        button100_->setChecked(slotSize_ == 100);
        for (QAbstractButton* button :
             {static_cast<QAbstractButton*>(button20_), static_cast<QAbstractButton*>(button50_),
              static_cast<QAbstractButton*>(button100_),
              static_cast<QAbstractButton*>(selectAllButton_)})
            button->setEnabled(!deleting_);
    }
    const std::size_t selectionCount = selected_.size();
    if (buttons) {
        const bool anySelected = selectionCount > 0 && !deleting_;
        deselectAllButton_->setEnabled(anySelected);
        deleteButton_->setEnabled(anySelected);
        importButton_->setEnabled(anySelected);
        exportButton_->setEnabled(exportCount > 0);
        cancelButton_->setVisible(exportCount > 0);
        selectAllButton_->setVisible(exportCount == 0);
        deselectAllButton_->setVisible(exportCount == 0);
    }

    const QString storedText = QStringLiteral("Stored Presets: %1").arg(count(stored));
    // A drag's offer, else the one of a slot cut or copied with the keyboard.
    keyboard_.sync();
    TransferOperation offered = offeredOperation();
    if (offered == TransferOperation::none) offered = keyboard_.offered();
    if (offered != TransferOperation::none) {
        const auto name = transferOperationName(offered);
        layOutStatusLine(storedText,
                         QStringLiteral("%1 preset.")
                             .arg(QString::fromLatin1(name.data(), qsizetype(name.size()))),
                         false, true);
    } else if (exportCount > 0 && overwrites == 0) {
        layOutStatusLine(readyText(exportCount), QString(), false, false);
    } else if (exportCount > 0) {
        layOutStatusLine(
            readyText(exportCount),
            overwrites == 1
                ? QStringLiteral("1 file will overwrite an existing preset on the device.")
                : QStringLiteral("%1 files will overwrite existing presets on the device.")
                      .arg(count(overwrites)),
            true, false);
    } else if (selectionCount == 0) {
        layOutStatusLine(storedText, QString(), false, false);
    } else {
        layOutStatusLine(storedText,
                         countedText(selectionCount, "preset") + QStringLiteral(" selected."),
                         false, false);
    }
}

void Transfers::layOutStatusLine(const QString& first, const QString& second, bool warning,
                                 bool secondItalic) {
    const int width = status_->width();
    const int height = status_->height();
    const int centre = width / 2;
    if (statusMessage1_->text() != first) statusMessage1_->setText(first);
    if (statusMessage2_->text() != second) statusMessage2_->setText(second);
    statusMessage2_->setFontWeight(
        secondItalic ? ui::fonts::Weight::MediumItalic : ui::fonts::Weight::Medium, 13);
    statusMessage2_->setVisible(!second.isEmpty());
    statusWarning_->setVisible(warning);
    if (second.isEmpty()) {
        // One text, centred.
        statusMessage1_->setAlignment(Qt::AlignCenter);
        statusMessage1_->setGeometry(0, 0, width, height);
    } else if (!warning) {
        // Two texts either side of the centre.
        const int gap = layout::kStatusCentreGap;
        statusMessage1_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        statusMessage1_->setGeometry(0, 0, centre - gap, height);
        statusMessage2_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        statusMessage2_->setGeometry(centre + gap, 0, width - centre - gap, height);
    } else {
        // [first, gap, warning, gap, second], centred as one group.
        const int firstWidth = statusMessage1_->fontMetrics().horizontalAdvance(first) + 2;
        const int secondWidth = statusMessage2_->fontMetrics().horizontalAdvance(second) + 2;
        const int icon = statusWarning_->width();
        const int total =
            firstWidth + layout::kWarningGap + icon + layout::kWarningTextGap + secondWidth;
        int x = (width - total) / 2;
        statusMessage1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        statusMessage1_->setGeometry(x, 0, firstWidth, height);
        x += firstWidth + layout::kWarningGap;
        statusWarning_->move(x, (height - statusWarning_->height()) / 2);
        x += icon + layout::kWarningTextGap;
        statusMessage2_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        statusMessage2_->setGeometry(x, 0, secondWidth, height);
    }
    // Read as one line by a screen reader.
    const QString line = second.isEmpty() ? first : first + QStringLiteral("  ") + second;
    if (status_->accessibleName() != line) {
        status_->setAccessibleName(line);
        QAccessibleEvent event(status_, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void Transfers::placeStatusLine(unsigned slotsPerPage) {
    const int x = slotsPerPage == 20 ? layout::kStatusXFor20 : layout::kStatus.x();
    status_->move(x, layout::kStatus.y());
    selectAllButton_->move(x + layout::kSelectAllOffset, layout::kStatusButtonY);
    deselectAllButton_->move(x + layout::kDeselectAllOffset, layout::kStatusButtonY);
    cancelButton_->move(x + layout::kCancelOffset, layout::kStatusButtonY);
}

}  // namespace harbrix
