// harbrixctl library: the preset library on the terminal. list, add, tag and untag, export
// work on the library alone; put writes a stored preset into a slot, journaled.
#include <cstdio>

#include "Commands.h"
#include "LibraryAccess.h"
#include "PresetCommands.h"
#include "devices/JournaledWrites.h"
#include "devices/PresetFile.h"
#include "library/PedalLibrary.h"

namespace harbrix::ctl {
namespace {

// "01, 07" of a pedal, for each pedal the preset is in now.
std::string placesText(const std::vector<PresetPlace>& places) {
    std::string text;
    for (const PresetPlace& place : places)
        text += (text.empty() ? "" : ", ") + place.serial + ":" + slotLabel(place.slot);
    return text.empty() ? "-" : text;
}

std::string joined(const std::vector<std::string>& words, const char* separator) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : separator) + word;
    return text;
}

int noLibrary() {
    return fail(kPedalFailed, "there is no library to work with");
}

int listPresets(const CommandLine& line) {
    if (line.arguments.size() != 1)
        return usageError("library list takes no arguments, only options");
    LibraryQuery query;
    if (const auto text = line.options.find("search"); text != line.options.end())
        query.text = text->second;
    if (const auto tag = line.options.find("tag"); tag != line.options.end())
        query.tag = tag->second;
    if (const auto model = line.options.find("model"); model != line.options.end()) {
        if (model->second != "MIV3" && model->second != "NAX3")
            return usageError("unknown model \"" + model->second + "\" (MIV3 or NAX3)");
        query.model = model->second;
    }
    query.favouritesOnly = line.flag("favourites");
    query.limit = 100000;
    Library* kept = library();
    if (!kept) return noLibrary();
    const auto found = kept->search(query);
    if (!found) return fail(kPedalFailed, found.problem);
    if (found->empty()) {
        std::printf("no presets found\n");
        return 0;
    }
    std::printf("%6s  %-5s %-24s %-3s %-20s %s\n", "id", "model", "name", "fav", "tags", "on");
    for (const LibraryPreset& preset : *found) {
        std::printf("%6lld  %-5s %-24s %-3s %-20s %s\n", static_cast<long long>(preset.id),
                    preset.model.c_str(), printableName(preset.name).c_str(),
                    preset.favourite ? "*" : "", printableName(joined(preset.tags, ",")).c_str(),
                    placesText(preset.places).c_str());
    }
    return 0;
}

int addFiles(const CommandLine& line) {
    if (line.arguments.size() < 2) return usageError("library add takes one or more FILEs");
    // Every file is checked before the first one is kept.
    std::vector<std::pair<std::string, PresetFileRead>> files;
    std::vector<std::string> models;
    for (std::size_t index = 1; index < line.arguments.size(); ++index) {
        const std::string& path = line.arguments[index];
        std::string model;
        auto read = readPresetFileOfAnyModel(path, model);
        if (!read.preset) return usageError(path + " " + read.refusal + "; nothing was added");
        files.emplace_back(path, std::move(read));
        models.push_back(model);
    }
    Library* kept = library();
    if (!kept) return noLibrary();
    for (std::size_t index = 0; index < files.size(); ++index) {
        const auto& [path, read] = files[index];
        const auto id = collectFromFile(*kept, models[index], *read.preset, path);
        if (!id) return fail(kPedalFailed, id.problem);
        std::printf("%6lld  %s <- %s\n", static_cast<long long>(*id),
                    printableName(read.preset->displayName()).c_str(), path.c_str());
    }
    return 0;
}

std::optional<LibraryPreset> namedPreset(Library& kept, const std::string& word, int& status) {
    return namedRecord(kept, word, {"library", "preset", "library list"}, &Library::preset, status);
}

int changeTags(const CommandLine& line, bool adding) {
    const char* name = adding ? "tag" : "untag";
    if (line.arguments.size() < 3)
        return usageError(std::string("library ") + name + " takes ID TAG...");
    std::vector<std::string> tags(line.arguments.begin() + 2, line.arguments.end());
    for (const std::string& tag : tags)
        if (tag.find_first_not_of(' ') == std::string::npos)
            return usageError("a tag cannot be empty");
    Library* kept = library();
    if (!kept) return noLibrary();
    int status = 0;
    const auto preset = namedPreset(*kept, line.arguments[1], status);
    if (!preset) return status;
    const auto changed = adding ? kept->tag(preset->id, tags) : kept->untag(preset->id, tags);
    if (!changed) return fail(kPedalFailed, changed.problem);
    const auto now = kept->preset(preset->id);
    std::printf(
        "%6lld  %s: %s\n", static_cast<long long>(preset->id), printableName(preset->name).c_str(),
        now && !now->tags.empty() ? printableName(joined(now->tags, ", ")).c_str() : "(no tags)");
    return 0;
}

int exportOne(const CommandLine& line) {
    if (line.arguments.size() != 3) return usageError("library export takes ID FILE");
    Library* kept = library();
    if (!kept) return noLibrary();
    int status = 0;
    const auto preset = namedPreset(*kept, line.arguments[1], status);
    if (!preset) return status;
    const auto written = exportPreset(*kept, preset->id, line.arguments[2]);
    if (!written) return fail(kPedalFailed, written.problem);
    std::printf("%6lld  %s -> %s\n", static_cast<long long>(preset->id),
                printableName(preset->name).c_str(), written->c_str());
    return 0;
}

int putOne(const CommandLine& line) {
    if (line.arguments.size() < 3) return usageError("library put takes ID [PEDAL] SLOT");
    Library* kept = library();
    if (!kept) return noLibrary();
    int status = 0;
    const auto preset = namedPreset(*kept, line.arguments[1], status);
    if (!preset) return status;
    const auto bytes = kept->presetBytes(preset->id);
    if (!bytes) return fail(kPedalFailed, bytes.problem);
    // The pedal and the slot follow the id, as they follow the command word elsewhere.
    CommandLine pedalLine = line;
    pedalLine.arguments.assign(line.arguments.begin() + 2, line.arguments.end());
    const auto session = presetSession(pedalLine, 1, status);
    if (!session) return status;
    const auto slot = parseSlot(session->arguments()[0]);
    if (!slot) return badSlot(session->arguments()[0]);
    return onPedal(*session, line, [&](QORUARTDevice& device) {
        if (const int refused = checkSlot(device, *slot)) return refused;
        if (preset->model != device.name() || bytes->size() != presetSize(device)) {
            return fail(kBadInput, "preset " + std::to_string(preset->id) + " is a " +
                                       preset->model + " preset, not one for this " +
                                       device.name());
        }
        // Journaled as a drop from the window's library is: a Copy, or an Overwrite.
        int status = 0;
        const PresetRef target = readSlot(device, *slot, status);
        if (!target) return status;
        const char* operation = target->empty() ? "Copy" : "Overwrite";
        const auto written = JournaledWrites::run(device, operation, {{*slot, *bytes}},
                                                  line.flag("verify"), {}, withoutJournal(line));
        if (written.refusal) return refused(*written.refusal);
        if (!written.succeeded()) return fail(kPedalFailed, written.problem());
        std::printf("%s  %s <- library %lld\n", slotLabel(*slot).c_str(),
                    printableName(preset->name).c_str(), static_cast<long long>(preset->id));
        return 0;
    });
}

}  // namespace

int libraryCommand(const CommandLine& line) {
    const std::string what = line.arguments.empty() ? "" : line.arguments[0];
    if (what == "list") return listPresets(line);
    if (what == "add") return addFiles(line);
    if (what == "tag") return changeTags(line, true);
    if (what == "untag") return changeTags(line, false);
    if (what == "put") return putOne(line);
    if (what == "export") return exportOne(line);
    return usageError(what.empty() ? "library needs list, add, tag, untag, put or export"
                                   : "unknown library command \"" + what + "\"");
}

}  // namespace harbrix::ctl
