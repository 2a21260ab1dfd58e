// Colour conversions.
#include "ui/Colors.h"

namespace harbrix::ui {

QColor rgb(std::uint32_t value) {
    return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

QString hexString(const QColor& color) {
    return QString::asprintf("#%02X%02X%02X", color.red(), color.green(), color.blue());
}

std::optional<QColor> colorFromHex(const QString& text) {
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1Char('#'))) digits.remove(0, 1);
    if (digits.size() != 6) return std::nullopt;
    // Six hexadecimal digits and nothing else: no sign, no "0x", no other scripts' digits.
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        const bool hex = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
        if (!hex) return std::nullopt;
    }
    return rgb(digits.toUInt(nullptr, 16));
}

}  // namespace harbrix::ui
