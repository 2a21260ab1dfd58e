// Registers the Fira Sans files and builds fonts by weight, falling back to the system font.
#include "ui/Fonts.h"

#include <QDir>
#include <QFontDatabase>
#include <QStringList>

#include <array>
#include <cmath>
#include <optional>

#include "platform/Bundle.h"
#include "platform/Log.h"

namespace harbrix::ui::fonts {

namespace {

constexpr std::array kWeights = {Weight::Regular, Weight::Medium, Weight::MediumItalic,
                                 Weight::Bold};

// The family each registered file answered to; empty until installed.
std::array<QString, kWeights.size()>& families() {
    static std::array<QString, kWeights.size()> registered;
    return registered;
}

bool& fallbackReported() {
    static bool reported = false;
    return reported;
}

QFont::Weight qtWeight(Weight weight) {
    switch (weight) {
        case Weight::Medium:
        case Weight::MediumItalic:
            return QFont::Medium;
        case Weight::Bold:
            return QFont::Bold;
        case Weight::Regular:
            break;
    }
    return QFont::Normal;
}

QString defaultFolder() {
    const auto resources = Bundle::resourcesPath();
    return resources ? QString::fromStdString(*resources) + QStringLiteral("/Fonts") : QString();
}

}  // namespace

QString weightName(Weight weight) {
    switch (weight) {
        case Weight::Medium:
            return QStringLiteral("Medium");
        case Weight::MediumItalic:
            return QStringLiteral("MediumItalic");
        case Weight::Bold:
            return QStringLiteral("Bold");
        case Weight::Regular:
            break;
    }
    return QStringLiteral("Regular");
}

QString fileName(Weight weight) {
    return QStringLiteral("FiraSans-%1.ttf").arg(weightName(weight));
}

bool installed() {
    for (const auto& family : families())
        if (family.isEmpty()) return false;
    return true;
}

bool install(const QString& folder) {
    if (installed()) return true;
    const QString dir = folder.isEmpty() ? defaultFolder() : folder;
    QStringList missing;
    for (std::size_t i = 0; i < kWeights.size(); ++i) {
        if (!families()[i].isEmpty()) continue;
        const QString file = QDir(dir).filePath(fileName(kWeights[i]));
        const int id = dir.isEmpty() ? -1 : QFontDatabase::addApplicationFont(file);
        const QStringList names =
            id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        if (names.isEmpty())
            missing << fileName(kWeights[i]);
        else
            families()[i] = names.first();
    }
    if (missing.isEmpty()) return true;
    if (!fallbackReported()) {
        fallbackReported() = true;
        logFormat("fonts: %s not found in \"%s\"; using the system sans-serif",
                  missing.join(QStringLiteral(", ")).toUtf8().constData(),
                  dir.toUtf8().constData());
    }
    return false;
}

QFont font(Weight weight, qreal pointSize) {
    const auto index = static_cast<std::size_t>(weight);
    QString family = families()[index];
    if (family.isEmpty()) family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    QFont result(family);
    result.setWeight(qtWeight(weight));
    result.setItalic(weight == Weight::MediumItalic);
    result.setPixelSize(std::max(1, static_cast<int>(std::lround(pointSize))));
    result.setStyleHint(QFont::SansSerif);
    return result;
}

QFont named(const QString& name, qreal pointSize) {
    const QString prefix = QStringLiteral("FiraSans-");
    const QString weight = name.startsWith(prefix) ? name.mid(prefix.size()) : QString();
    for (const auto candidate : kWeights)
        if (weightName(candidate) == weight) return font(candidate, pointSize);
    return font(Weight::Regular, pointSize);
}

}  // namespace harbrix::ui::fonts
