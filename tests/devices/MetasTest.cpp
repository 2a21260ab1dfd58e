// Which device nodes and which USB inventory records make a pedal: the node names, the walk
// of the inventory report, the join and its all-or-nothing rule, and the Linux sysfs reader
// that yields the same report.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "devices/Metas.h"
#include "devices/NodeNames.h"
#include "devices/UsbInventory.h"
#include "support/TempDir.h"

namespace harbrix {
namespace {

using nlohmann::json;

json pedal(const std::string& serial, const std::string& name = "MIV3") {
    return {{"_name", name},         {"manufacturer", "QOR"},  {"serial_num", serial},
            {"vendor_id", "0x3a4d"}, {"product_id", "0x0601"}, {"location_id", "0x01100000"}};
}

std::string report(const json& buses) {
    return json{{"SPUSBDataType", buses}}.dump();
}

TEST(Metas, NodeNamesCarryTheSerial) {
    test::TempDir dir;
    for (const char* name :
         {"cu.usbserial-A1", "cu.qorMIV3-B2", "cu.qorNAX3-", "cu.usbserial-", "tty.usbserial-C3",
          "cu.usbserial-D4.lock", "cu.qor-E5", "cu.qorX-A1x", "null"})
        std::ofstream(dir.file(name)) << "";
    const auto paths = Metas::paths(dir.path());
    ASSERT_TRUE(paths);
    EXPECT_EQ(*paths, (Metas::Paths{{"A1", dir.file("cu.usbserial-A1")},
                                    {"B2", dir.file("cu.qorMIV3-B2")},
                                    {"A1x", dir.file("cu.qorX-A1x")}}));

    // An empty folder is a reading with no pedal in it; a folder that cannot be listed is
    // no reading at all.
    test::TempDir empty;
    ASSERT_TRUE(Metas::paths(empty.path()));
    EXPECT_TRUE(Metas::paths(empty.path())->empty());
    EXPECT_FALSE(Metas::paths(dir.file("no such folder")));
}

TEST(Metas, TheWalkFindsQORRecordsAtAnyDepthButNotBelowOne) {
    json hub = {
        {"_name", "USB2.0 Hub"},
        {"manufacturer", "Generic"},
        {"_items", json::array({pedal("A1"), {{"_name", "Mouse"}, {"manufacturer", "Logi"}}})}};
    json withChild = pedal("B2");
    withChild["_items"] = json::array({pedal("HIDDEN")});
    const json buses =
        json::array({{{"_name", "USB31Bus"}, {"_items", json::array({hub, withChild})}},
                     {{"_name", "USB20Bus"}, {"_items", json::array({pedal("A1", "NAX3")})}},
                     "stray text",
                     42});
    const auto records = Metas::unfiltered(report(buses));
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 2u);
    EXPECT_EQ(records->at("A1")["_name"], "NAX3") << "a later record with the same serial wins";
    EXPECT_EQ(records->count("HIDDEN"), 0u);

    json notOurs = pedal("C3");
    notOurs["manufacturer"] = "QORX";
    json noSerial = pedal("");
    EXPECT_TRUE(Metas::unfiltered(report(json::array({notOurs, noSerial})))->empty());

    for (const char* text : {"", "not json", "[1, 2]", R"({"SPUSBDataType": []})",
                             R"({"SPUSBDataType": {}})", R"({"other": [1]})"})
        EXPECT_FALSE(Metas::unfiltered(std::string(text))) << text;
    EXPECT_FALSE(Metas::unfiltered(std::nullopt));
    EXPECT_FALSE(Metas::unfiltered(json("a text node"), {}));
}

TEST(Metas, AnUnusableRecordHidesOnlyItsOwnPedal) {
    const Metas::Paths paths{{"A1", "/dev/cu.usbserial-A1"}, {"B2", "/dev/cu.qorNAX3-B2"}};
    json nax = pedal("B2", "NAX3");
    nax["product_id"] = "0x0600  (QOR)";
    const auto metas = Metas::join(paths, Metas::Records{{"A1", pedal("A1")}, {"B2", nax}});
    ASSERT_TRUE(metas);
    ASSERT_EQ(metas->size(), 2u);
    const Meta& b2 = *(*metas)["B2"];
    EXPECT_EQ(b2.name(), "NAX3");
    EXPECT_EQ(b2.vendor(), 0x3A4D);
    EXPECT_EQ(b2.product(), 0x0600);
    EXPECT_EQ(b2.filename(), "cu.qorNAX3-B2");
    EXPECT_EQ(b2.folder(), "/dev");
    EXPECT_EQ(b2.description(),
              "name    = NAX3\nvendor  = 3A4D\nproduct = 0600\nserial  = B2\npath    = "
              "/dev/cu.qorNAX3-B2");
    EXPECT_EQ((*metas)[""], nullptr);
    EXPECT_EQ((*metas)["C3"], nullptr);
    EXPECT_EQ(metas->description(), (*metas)["A1"]->description() + "\n" + b2.description() + "\n");

    // Ids: "0x" optional, parsing stops at the first other character, the low 16 bits count.
    json wide = pedal("A1");
    wide["vendor_id"] = "13a4d";
    wide["product_id"] = "601 (MIV)";
    const auto read = Metas::join(paths, Metas::Records{{"A1", wide}});
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)["A1"]->vendor(), 0x3A4D);
    EXPECT_EQ((*read)["A1"]->product(), 0x0601);

    struct Case {
        const char* what;
        const char* key;
        json value;  // null: the key is removed
    };
    for (const Case& c :
         {Case{"no name", "_name", nullptr}, Case{"empty name", "_name", ""},
          Case{"no vendor", "vendor_id", nullptr}, Case{"zero vendor", "vendor_id", "0x0"},
          Case{"vendor not hex", "vendor_id", "QOR"}, Case{"zero product", "product_id", "0x10000"},
          Case{"product as a number", "product_id", 1537}}) {
        json broken = pedal("B2");
        if (c.value.is_null())
            broken.erase(c.key);
        else
            broken[c.key] = c.value;
        const auto joined = Metas::join(paths, Metas::Records{{"A1", pedal("A1")}, {"B2", broken}});
        ASSERT_TRUE(joined) << c.what;
        EXPECT_EQ(joined->size(), 1u) << c.what;
        EXPECT_NE((*joined)["A1"], nullptr) << c.what;
    }
    // A USB record whose node udev has not made yet: that pedal waits, the other is there.
    const auto early = Metas::join(paths, Metas::Records{{"A1", pedal("A1")}, {"C3", pedal("C3")}});
    ASSERT_TRUE(early);
    EXPECT_EQ(early->size(), 1u);
    EXPECT_EQ((*early)["C3"], nullptr);
    ASSERT_TRUE(Metas::join(paths, Metas::Records{{"A1", json::object()}}));
    EXPECT_EQ(Metas::join(paths, Metas::Records{{"A1", json::object()}})->size(), 0u);
    // Nothing plugged in is a clean reading; an unreadable side is none.
    ASSERT_TRUE(Metas::join(paths, Metas::Records{}));
    EXPECT_EQ(Metas::join(paths, Metas::Records{})->size(), 0u);
    ASSERT_TRUE(Metas::join(Metas::Paths{}, Metas::Records{{"A1", pedal("A1")}}));
    EXPECT_EQ(Metas::join(Metas::Paths{}, Metas::Records{{"A1", pedal("A1")}})->size(), 0u);
    EXPECT_FALSE(Metas::join(std::nullopt, Metas::Records{{"A1", pedal("A1")}}));
    EXPECT_FALSE(Metas::join(paths, std::nullopt));
}

TEST(Metas, BuildsOnlyCompleteMetas) {
    EXPECT_TRUE(Meta::metaWithName("MIV3", 1, 1, "A", "/dev/x"));
    EXPECT_FALSE(Meta::metaWithName("", 1, 1, "A", "/dev/x"));
    EXPECT_FALSE(Meta::metaWithName("MIV3", 0, 1, "A", "/dev/x"));
    EXPECT_FALSE(Meta::metaWithName("MIV3", 1, 0, "A", "/dev/x"));
    EXPECT_FALSE(Meta::metaWithName("MIV3", 1, 1, "", "/dev/x"));
    EXPECT_FALSE(Meta::metaWithName("MIV3", 1, 1, "A", ""));
}

// A fake /sys/bus/usb/devices: folders with the attribute files the kernel writes.
class Sysfs : public ::testing::Test {
  protected:
    test::TempDir root{"sysfs"};

    void device(const std::string& name, std::map<std::string, std::string> attributes) {
        std::filesystem::create_directories(root.file(name));
        for (const auto& [file, value] : attributes)
            std::ofstream(root.file(name + "/" + file)) << value << "\n";
    }
};

TEST_F(Sysfs, ReadsTheTreeIntoTheInventoryShape) {
    device("usb1", {{"manufacturer", "Linux 6.1.0 xhci-hcd"},
                    {"product", "xHCI Host Controller"},
                    {"serial", "0000:00:14.0"},
                    {"idVendor", "1d6b"},
                    {"idProduct", "0002"}});
    device("1-0:1.0", {{"bInterfaceClass", "09"}});
    device("1-2", {{"manufacturer", "Generic"},
                   {"product", "USB2.0 Hub"},
                   {"idVendor", "05e3"},
                   {"idProduct", "0608"}});
    device("1-2.4", {{"manufacturer", "QOR"},
                     {"product", "MIV3"},
                     {"serial", "A1B2C3"},
                     {"idVendor", "3a4d"},
                     {"idProduct", "0601"}});
    device("1-2.4:1.0", {{"interface", "CDC"}});
    device("2-1", {{"manufacturer", "QOR"},
                   {"product", "NAX3"},
                   {"serial", "N1"},
                   {"idVendor", "3a4d"},
                   {"idProduct", "0600"}});  // its bus folder is missing

    const auto text = UsbInventory::sysfsText(root.path());
    ASSERT_TRUE(text);
    const json inventory = json::parse(*text);
    const json& hub = inventory["SPUSBDataType"][1]["_items"][0];
    EXPECT_EQ(hub["_name"], "USB2.0 Hub");
    EXPECT_EQ(hub["_items"][0], (json{{"_name", "MIV3"},
                                      {"manufacturer", "QOR"},
                                      {"serial_num", "A1B2C3"},
                                      {"vendor_id", "0x3a4d"},
                                      {"product_id", "0x0601"}}));

    // The same walk and join as for the system profiler's report.
    const auto records = Metas::unfiltered(text);
    ASSERT_TRUE(records);
    EXPECT_EQ(records->size(), 2u);
    const auto metas = Metas::join(
        Metas::Paths{{"A1B2C3", "/dev/cu.qorMIV3-A1B2C3"}, {"N1", "/dev/cu.qorNAX3-N1"}}, records);
    ASSERT_TRUE(metas);
    EXPECT_EQ((*metas)["N1"]->product(), 0x0600);

    EXPECT_FALSE(UsbInventory::sysfsText(root.file("missing")));
}

TEST(UdevRule, NamesTheLinkAsDiscoveryExpects) {
    std::ifstream file(std::string(HARBRIX_SOURCE_DIR) + "/packaging/linux/60-harbrix-qor.rules");
    std::string rule;
    for (std::string line; std::getline(file, line);)
        if (!line.empty() && line[0] != '#') rule = line;
    std::smatch link;
    ASSERT_TRUE(std::regex_search(rule, link, std::regex("SYMLINK\\+=\"([^\"]+)\"")));
    EXPECT_NE(rule.find("ATTRS{manufacturer}==\"QOR\""), std::string::npos);
    EXPECT_NE(rule.find("TAG+=\"uaccess\""), std::string::npos);
    std::string name = link[1];
    name = std::regex_replace(name, std::regex("\\$attr\\{product\\}"), "MIV3");
    name = std::regex_replace(name, std::regex("\\$attr\\{serial\\}"), "A1B2C3");
    EXPECT_EQ(serialFromNodeName(name), "A1B2C3") << name;
}

}  // namespace
}  // namespace harbrix
