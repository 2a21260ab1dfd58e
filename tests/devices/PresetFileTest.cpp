// Preset files: the prefix that ties a file to a model, the refusals of the reader, file
// names made from preset names, and writes that never replace a file, also where the file
// system refuses hard links (FAT, exFAT, network shares).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include <filesystem>
#include <fstream>

#include "devices/PresetFile.h"
#include "link/Model.h"
#include "link/QORUARTDevice.h"
#include "support/ScriptedPedal.h"
#include "support/TempDir.h"

#ifdef __linux__
// The system calls that give a file its name, as this test binary sees them: a file system
// that refuses hard links, and, when asked, one whose rename cannot refuse to replace.
namespace {
std::atomic<bool> linksRefused{false};
std::atomic<bool> noReplaceUnsupported{false};
}  // namespace

extern "C" int link(const char* from, const char* to) noexcept {
    if (linksRefused) {
        errno = EPERM;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_linkat, AT_FDCWD, from, AT_FDCWD, to, 0));
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned int flags) noexcept {
    if (noReplaceUnsupported && (flags & RENAME_NOREPLACE) != 0) {
        errno = EINVAL;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_renameat2, fromFolder, from, toFolder, to, flags));
}
#endif

namespace harbrix {
namespace {

std::shared_ptr<Model> model(const char* text) {
    return Model::modelFromSerializedRepresentation(text);
}

Bytes fileOf(std::uint32_t vendor, std::uint32_t product, const Bytes& body) {
    Bytes bytes;
    for (const std::uint32_t word : {vendor, product})
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

Bytes contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST(PresetFileTest, TheReaderTakesOnlyFilesOfTheModel) {
    const auto miv3 = model("QOR,,MIV3,,42.1.0");
    const Bytes body = test::presetBytes("Lead", 9);
    const struct {
        Bytes file;
        const char* refusal;  // nullptr: accepted
        std::size_t bodySize;
    } cases[] = {
        {fileOf(kPedalVendorId, 0x601, Bytes(body.begin(), body.end() - 1)), "is 111 bytes long",
         0},
        {fileOf(kPedalVendorId + 1, 0x601, body), "not made for this maker's pedals", 0},
        {fileOf(kPedalVendorId, 0x600, body), "another model (product 0x0600), not a MIV3", 0},
        {Bytes{}, "is 0 bytes long", 0},
        {fileOf(kPedalVendorId, 0x601, body), nullptr, 104},
        {fileOf(kPedalVendorId, 0x601, Bytes(300, 1)), nullptr, 300},
    };
    for (const auto& c : cases) {
        const auto read = parsePresetFile(c.file, miv3.get());
        if (!c.refusal) {
            ASSERT_TRUE(read.preset) << read.refusal;
            EXPECT_EQ(read.preset->serialized().size(), c.bodySize);
            EXPECT_FALSE(read.preset->dirty());
            EXPECT_FALSE(read.preset->empty());
            continue;
        }
        EXPECT_FALSE(read.preset);
        EXPECT_NE(read.refusal.find(c.refusal), std::string::npos) << read.refusal;
    }
    EXPECT_FALSE(parsePresetFile(fileOf(kPedalVendorId, 0x601, body), nullptr).preset);
}

TEST(PresetFileTest, FilesCarryTheSavedBytesBehindTheModelPrefix) {
    test::ScriptedPedal pedal;
    const auto device = pedal.bringUp();
    ASSERT_TRUE(device);
    auto preset = Preset::presetWithSerialized(test::presetBytes("Saved", 4), device.get());
    preset->setValue("masterVolume", 1);  // unsaved: never leaves in a file

    const auto bytes = preset->serializedForImportFromDevice(device.get());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, fileOf(kPedalVendorId, 0x601, preset->clean()));
    EXPECT_EQ(Bytes(bytes->begin() + 4, bytes->begin() + 8), (Bytes{0x01, 0x06, 0x00, 0x00}));
    EXPECT_FALSE(preset->serializedForImportFromDevice(nullptr));

    test::TempDir folder;
    ASSERT_TRUE(writePresetFile(folder.file("a.qorpreset"), *bytes));
    const auto read = readPresetFile(folder.file("a.qorpreset"), device->model().get());
    ASSERT_TRUE(read.preset) << read.refusal;
    EXPECT_EQ(read.preset->serialized(), preset->clean());
    EXPECT_TRUE(Preset::presetWithSerialized(*bytes, device.get(), /*prefixed=*/true));
}

TEST(PresetFileTest, ReadingRefusesWhatIsNoPresetFile) {
    const auto miv3 = model("QOR,,MIV3,,42.1.0");
    test::TempDir folder;
    writeBytes(folder.file("huge.qorpreset"), Bytes(kPresetFileMaxSize + 1, 0));
    ::mkdir(folder.file("folder.qorpreset").c_str(), 0755);
    const struct {
        std::string path;
        const char* refusal;
    } cases[] = {
        {folder.file("missing.qorpreset"), "cannot be read"},
        {folder.file("folder.qorpreset"), "is not a file"},
        {folder.file("huge.qorpreset"), "too large"},
        {"/dev/zero", "is not a file"},
    };
    for (const auto& c : cases) {
        const auto read = readPresetFile(c.path, miv3.get());
        EXPECT_FALSE(read.preset) << c.path;
        EXPECT_NE(read.refusal.find(c.refusal), std::string::npos)
            << c.path << ": " << read.refusal;
    }
}

TEST(PresetFileTest, FileNamesStayInsideTheChosenFolder) {
    const struct {
        std::string name;
        std::string basename;
    } cases[] = {
        {"Lead", "Lead"},
        {"a~b~",
         "a\xEF\xA2\x88"
         "b\xEF\xA2\x88"},
        {"AC/DC", "AC-DC"},
        {"../../etc", "..-..-etc"},
        {std::string("a\0b", 3), "a-b"},
        {".", "-"},
        {"..", "--"},
        {"...", "..."},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(presetFileBasename(c.name), c.basename) << c.name;
}

TEST(PresetFileTest, WritingInAFolderNeverReplacesAFile) {
    test::TempDir folder;
    writeBytes(folder.file("Lead.qorpreset"), {1});
    writeBytes(folder.file("Lead-2.qorpreset"), {2});
    const Bytes bytes = fileOf(kPedalVendorId, 0x601, test::presetBytes("Lead"));

    EXPECT_EQ(writePresetFileInFolder(folder.path(), "Lead", bytes),
              folder.file("Lead-3.qorpreset"));
    EXPECT_EQ(contentOf(folder.file("Lead.qorpreset")), Bytes{1});
    EXPECT_EQ(contentOf(folder.file("Lead-2.qorpreset")), Bytes{2});
    EXPECT_EQ(contentOf(folder.file("Lead-3.qorpreset")), bytes);
    EXPECT_EQ(writePresetFileInFolder(folder.path(), "Lead", bytes),
              folder.file("Lead-4.qorpreset"))
        << "Lead-4, not Lead-3-2";
    EXPECT_EQ(writePresetFileInFolder(folder.path(), "Solo", bytes), folder.file("Solo.qorpreset"));

    EXPECT_FALSE(writePresetFileInFolder(folder.file("missing"), "Lead", bytes));
    EXPECT_FALSE(writePresetFileInFolder(folder.path(), "", bytes));
    // No temporary file is left behind.
    const auto entries = std::distance(std::filesystem::directory_iterator(folder.path()), {});
    EXPECT_EQ(entries, 5);
}

#ifdef __linux__
TEST(PresetFileTest, WritingInAFolderNeedsNoHardLink) {
    linksRefused = true;
    for (const bool noReplace : {true, false}) {
        SCOPED_TRACE(noReplace ? "rename without replacing" : "name reserved first");
        noReplaceUnsupported = !noReplace;
        test::TempDir folder;
        writeBytes(folder.file("Lead.qorpreset"), {1});
        const Bytes bytes = fileOf(kPedalVendorId, 0x601, test::presetBytes("Lead"));
        EXPECT_EQ(writePresetFileInFolder(folder.path(), "Lead", bytes),
                  folder.file("Lead-2.qorpreset"));
        EXPECT_EQ(writePresetFileInFolder(folder.path(), "Lead", bytes),
                  folder.file("Lead-3.qorpreset"));
        EXPECT_EQ(contentOf(folder.file("Lead.qorpreset")), Bytes{1});
        EXPECT_EQ(contentOf(folder.file("Lead-3.qorpreset")), bytes);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 3);
    }
    linksRefused = false;
    noReplaceUnsupported = false;
}
#endif

}  // namespace
}  // namespace harbrix
