// Renaming, tagging and marking the selected preset a favourite, in place.
#include <algorithm>
#include <iterator>
#include <set>

#include "librarypanel/LibraryPanel.h"
#include "librarypanel/PanelText.h"
#pragma push_macro("slots")
#undef slots
#include "library/LibraryKeeper.h"
#pragma pop_macro("slots")

namespace harbrix {

using namespace panel_text;

void LibraryPanel::selectionChanged() {
    const Found* chosen = selected();
    const QString name = chosen ? shownName(chosen->preset.name) : QString();
    for (QWidget* field : {static_cast<QWidget*>(name_), static_cast<QWidget*>(tags_),
                           static_cast<QWidget*>(favourite_)})
        field->setEnabled(chosen != nullptr);
    const QSignalBlocker quietName(name_), quietTags(tags_), quietFavourite(favourite_);
    name_->setText(chosen ? text(chosen->preset.name) : QString());
    tags_->setText(chosen ? joined(chosen->preset.tags) : QString());
    favourite_->setChecked(chosen && chosen->preset.favourite);
    name_->setAccessibleName(chosen ? QStringLiteral("Name of the preset, ") + name
                                    : QStringLiteral("Name of the preset, none selected"));
    tags_->setAccessibleName(chosen ? QStringLiteral("Tags of %1, %2")
                                          .arg(name, chosen->preset.tags.empty()
                                                         ? QStringLiteral("none")
                                                         : joined(chosen->preset.tags))
                                    : QStringLiteral("Tags, none selected"));
    favourite_->setAccessibleName(chosen ? QStringLiteral("Favourite, ") + name
                                         : QStringLiteral("Favourite"));
}

void LibraryPanel::change(std::function<LibraryResult<bool>(Library&, std::int64_t)> work) {
    const Found* chosen = selected();
    if (!chosen) return;
    const std::int64_t id = chosen->preset.id;
    keepSelected_ = id;
    QPointer<LibraryPanel> guard(this);
    keeper_->post([guard, id, work = std::move(work)](Library* library) {
        const auto changed = library ? work(*library, id)
                                     : LibraryResult<bool>::failed("there is no preset library");
        rail(Rails::main(), [guard, problem = changed.problem] {
            if (!guard) return;
            if (!problem.empty())
                guard->nextMessage_ = QStringLiteral("Not changed: ") + text(problem);
            guard->search();
        });
    });
}

void LibraryPanel::renameSelected() {
    const Found* chosen = selected();
    const std::string name = name_->text().trimmed().toStdString();
    if (!chosen || name == chosen->preset.name) return;
    if (name.empty()) {
        name_->setText(text(chosen->preset.name));
        say(QStringLiteral("A preset in the library needs a name."));
        return;
    }
    change([name](Library& library, std::int64_t id) { return library.rename(id, name); });
}

void LibraryPanel::retagSelected() {
    const Found* chosen = selected();
    if (!chosen) return;
    const std::vector<std::string> wanted = tagsIn(tags_->text());
    const std::set<std::string> now(chosen->preset.tags.begin(), chosen->preset.tags.end());
    const std::set<std::string> then(wanted.begin(), wanted.end());
    std::vector<std::string> added, removed;
    std::set_difference(then.begin(), then.end(), now.begin(), now.end(),
                        std::back_inserter(added));
    std::set_difference(now.begin(), now.end(), then.begin(), then.end(),
                        std::back_inserter(removed));
    if (added.empty() && removed.empty()) return;
    change([added, removed](Library& library, std::int64_t id) {
        if (!removed.empty())
            if (auto untagged = library.untag(id, removed); !untagged) return untagged;
        return added.empty() ? LibraryResult<bool>{true, {}} : library.tag(id, added);
    });
}
}  // namespace harbrix
