// The screens' colours and the "#RRGGBB" texts they are written as ("#%02X%02X%02X").
#pragma once

#include <QColor>
#include <QString>

#include <cstdint>
#include <optional>

namespace harbrix::ui {

// The colour of a 0xRRGGBB number, opaque.
QColor rgb(std::uint32_t value);
// "#RRGGBB" in upper-case hexadecimal; the alpha channel is not written.
QString hexString(const QColor& color);
// "#RRGGBB" or "RRGGBB" (either case) to an opaque colour; nullopt for anything else.
std::optional<QColor> colorFromHex(const QString& text);

namespace colors {
inline constexpr std::uint32_t kWhite = 0xFFFFFF;
inline constexpr std::uint32_t kBlack = 0x000000;
// The accent of new firmware and active states.
inline constexpr std::uint32_t kYellow = 0xFDEE1B;
// Selected text in the slot rename field.
inline constexpr std::uint32_t kSelectionBlue = 0x98D7FE;
}  // namespace colors

}  // namespace harbrix::ui
