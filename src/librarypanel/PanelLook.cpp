#include "librarypanel/PanelLook.h"

#include <QLabel>

#include "ui/Colors.h"
#include "ui/Fonts.h"

namespace harbrix::panel_look {

QString styleSheet() {
    const QString yellow = ui::hexString(ui::rgb(ui::colors::kYellow));
    return QStringLiteral(
               "#libraryPanel { background: #1F1F23; border: 1px solid #3A3A40;"
               " border-radius: 6px; }"
               "QLabel { color: #FFFFFF; }"
               "QLabel[role=\"quiet\"] { color: #B8B8BE; }"
               "QLineEdit, QComboBox { background: #2A2A2F; color: #FFFFFF;"
               " border: 1px solid #55555C; border-radius: 4px; padding: 3px 6px; }"
               "QLineEdit:focus { border-color: %1; }"
               "QComboBox QAbstractItemView { background: #2A2A2F; color: #FFFFFF;"
               " selection-background-color: %1; selection-color: #111111; }"
               "QCheckBox { color: #D8D8DC; spacing: 5px; }"
               "QListWidget { background: #26262A; color: #FFFFFF; border: 1px solid #3A3A40;"
               " border-radius: 4px; outline: none; }"
               "QListWidget::item { padding: 4px 6px; border-bottom: 1px solid #303036; }"
               "QListWidget::item:selected { background: %1; color: #111111; }"
               "QPushButton { background: #3A3A40; color: #FFFFFF; border: 1px solid #55555C;"
               " border-radius: 5px; padding: 3px 10px; }"
               "QPushButton:hover { border-color: #BBBBBB; }"
               "QPushButton:pressed, QPushButton:checked { background: %1; color: #111111; }"
               "QPushButton:disabled { color: #77777E; border-color: #3A3A40; }")
        .arg(yellow);
}

QLabel* messageLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setProperty("role", QStringLiteral("quiet"));
    label->setFont(ui::fonts::font(ui::fonts::Weight::Regular, kSmallSize));
    label->setWordWrap(true);
    label->setFixedHeight(2 * label->fontMetrics().height());
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace harbrix::panel_look
