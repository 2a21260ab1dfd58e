// The Fira Sans family by weight ("FiraSans-%@"). The font files are installed at set-up
// into the bundle's Resources/Fonts folder with their licence; without them every font
// falls back to the system sans-serif of the same weight, with one log line.
#pragma once

#include <QFont>
#include <QString>

namespace harbrix::ui::fonts {

enum class Weight { Regular, Medium, MediumItalic, Bold };

// "Regular", "Medium", "MediumItalic", "Bold".
QString weightName(Weight weight);
// The font file's name in the fonts folder: "FiraSans-Medium.ttf".
QString fileName(Weight weight);

// Registers the four weights from `folder` (empty: the bundle's Resources/Fonts). True when
// all four are there; otherwise logs one line and the fallback is used. Later calls with the
// same outcome do nothing more.
bool install(const QString& folder = QString());
// Whether the four weights are registered.
bool installed();

// The font of that weight; sizes are in the screens' points (one point, one logical pixel).
QFont font(Weight weight, qreal pointSize);
// The font named "FiraSans-%@" with a weight name; an unknown name gives the regular weight.
QFont named(const QString& name, qreal pointSize);

}  // namespace harbrix::ui::fonts
