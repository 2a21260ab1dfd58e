// How the library panel writes the library's texts: names, tags and tag lists.
#pragma once

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace harbrix::panel_text {

inline QString text(const std::string& value) {
    return QString::fromStdString(value);
}

inline QString shownName(const std::string& name) {
    return name.empty() ? QStringLiteral("(no name)") : text(name);
}

// "rock, clean" as the tags it names, each trimmed, none empty.
inline std::vector<std::string> tagsIn(const QString& field) {
    std::vector<std::string> tags;
    for (const QString& part : field.split(QLatin1Char(','))) {
        const QString tag = part.trimmed();
        if (!tag.isEmpty()) tags.push_back(tag.toStdString());
    }
    return tags;
}

inline QString joined(const std::vector<std::string>& tags) {
    QStringList parts;
    for (const std::string& tag : tags) parts << text(tag);
    return parts.join(QStringLiteral(", "));
}

}  // namespace harbrix::panel_text
