// Preset files on the way in and out: what staging refuses and why, and an import that never
// replaces a file, names files as the screen shows presets, and says which files it could not
// write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "devices/Preset.h"
#include "devices/PresetFile.h"
#include "devices/PresetStore.h"
#include "support/ScriptedPedal.h"
#include "support/TempDir.h"
#include "transfers/PresetImport.h"
#include "transfers/StagedPreset.h"

namespace harbrix {
namespace {

Bytes fileBytes(std::uint32_t product, const Bytes& body) {
    Bytes bytes;
    for (const std::uint32_t word : {std::uint32_t{kPedalVendorId}, product})
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class PresetFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        device = pedal.bringUp();
        ASSERT_TRUE(device);
    }
    test::ScriptedPedal pedal;
    DeviceRef device;
    test::TempDir folder;
};

TEST_F(PresetFilesTest, StagingAcceptsOnlyAWholePresetForThisModel) {
    const Bytes body = test::presetBytes("Lead", 1);
    Bytes longer = body;
    longer.push_back(0);
    Bytes shorter = fileBytes(0x601, body);
    shorter.pop_back();
    const struct {
        const char* file;
        Bytes bytes;
        std::string refusal;  // empty: staged
    } cases[] = {
        {"Lead.qorpreset", fileBytes(0x601, body), ""},
        {"Short.qorpreset", shorter,
         "Not staged: Short.qorpreset is 111 bytes long; a preset file holds at least 112."},
        {"Empty.qorpreset",
         {},
         "Not staged: Empty.qorpreset is 0 bytes long; a preset file holds at least 112."},
        {"Nax.qorpreset", fileBytes(0x600, body),
         "Not staged: Nax.qorpreset was made for another model (product 0x0600), not a MIV3."},
        {"Long.qorpreset", fileBytes(0x601, longer),
         "Not staged: Long.qorpreset holds a 105-byte preset; the MIV3 takes 104."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        writeBytes(folder.file(c.file), c.bytes);
        const StagedPreset staged = stagePresetFile(folder.file(c.file), *device);
        EXPECT_EQ(staged.refusal, c.refusal);
        EXPECT_EQ(staged.preset != nullptr, c.refusal.empty());
    }
    EXPECT_EQ(stagePresetFile(folder.file("Missing.qorpreset"), *device).refusal,
              "Not staged: Missing.qorpreset cannot be read.");
    EXPECT_EQ(stagePresetFile(folder.file("Lead.qorpreset"), *device).preset->serialized(), body);
}

TEST_F(PresetFilesTest, ImportNeverReplacesAFileAndShowsTildesAsOnScreen) {
    presets(device).setCached(
        Preset::presetWithSerialized(test::presetBytes("Lead", 1), device.get()), 0);
    presets(device).setCached(
        Preset::presetWithSerialized(test::presetBytes("Lead", 2), device.get()), 1);
    presets(device).setCached(
        Preset::presetWithSerialized(test::presetBytes("a~b", 3), device.get()), 2);
    writeBytes(folder.file("Lead.qorpreset"), {1});
    writeBytes(folder.file("Lead-2.qorpreset"), {2});

    const ImportPlan plan = PresetImport::plan(*device, {2, 0, 1});
    ASSERT_EQ(plan.records.size(), 3u) << plan.refusal;
    EXPECT_EQ(plan.records[0].index, 0u);
    const ImportReport report = PresetImport::write(folder.path(), plan.records);
    EXPECT_EQ(report.notice(), "");
    EXPECT_EQ(report.written, (std::vector<std::string>{folder.file("Lead-3.qorpreset"),
                                                        folder.file("Lead-4.qorpreset"),
                                                        folder.file("a\xEF\xA2\x88"
                                                                    "b.qorpreset")}));
    // The file holds the model's prefix (MIV3: product 01 06 00 00) and the saved bytes.
    const auto read = readPresetFile(folder.file("Lead-4.qorpreset"), device->model().get());
    ASSERT_TRUE(read.preset) << read.refusal;
    EXPECT_EQ(read.preset->serialized(), test::presetBytes("Lead", 2));
    EXPECT_EQ(std::filesystem::file_size(folder.file("Lead.qorpreset")), 1u) << "left alone";
}

TEST_F(PresetFilesTest, ImportSaysWhatItCouldNotDo) {
    presets(device).setCached(
        Preset::presetWithSerialized(test::presetBytes("Lead", 1), device.get()), 0);
    presets(device).setCached(Preset::presetWithSerialized(test::presetBytes("", 2), device.get()),
                              1);
    presets(device).setCached(Preset::emptyPresetForDevice(device.get()), 2);
    EXPECT_EQ(PresetImport::plan(*device, {0, 1}).refusal,
              "Slot 2 has no name to give its file; rename it first.");
    EXPECT_EQ(PresetImport::plan(*device, {0, 2}).refusal, "Slot 3 holds no preset to import.");
    EXPECT_EQ(PresetImport::plan(*device, {0, 5}).refusal, "Slot 6 holds no preset to import.");

    const ImportPlan plan = PresetImport::plan(*device, {0});
    const ImportReport report = PresetImport::write(folder.file("gone"), plan.records);
    EXPECT_TRUE(report.written.empty());
    EXPECT_EQ(report.notice(), "1 file could not be written: Lead.qorpreset (the folder is gone).");
}

}  // namespace
}  // namespace harbrix
