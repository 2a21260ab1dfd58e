// A firmware release published on the local update server the way the vendor publishes
// one: the enciphered manifest at the model's path and the payload beside it. Header-only,
// for the tests that link the update checker.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

#include "link/Checksum.h"
#include "platform/Bytes.h"
#include "support/HttpServer.h"
#include "updates/Torque.h"

namespace harbrix::test {

inline std::string firmwareManifestPath(const std::string& model) {
    return "/assets/Harbrix/firmware/" + model + "/_.manifest";
}

// Publishes `payload` as the model's latest firmware, `version`, installable from
// application version `baseline` on.
inline void publishFirmware(HttpServer& server, const std::string& model,
                            const std::string& version, const Bytes& payload,
                            const std::string& name = "firmware.bin",
                            const std::string& baseline = "1.0.0") {
    const nlohmann::json release = {{"name", name},           {"hash", MD5String(payload)},
                                    {"size", payload.size()}, {"version", version},
                                    {"baseline", baseline},   {"changes", {"Faster presets"}}};
    const std::string text = nlohmann::json::array({release}).dump();
    const auto cipher = Torque::up(Bytes(text.begin(), text.end()));
    server.put(firmwareManifestPath(model), std::string(cipher->begin(), cipher->end()));
    server.put("/assets/Harbrix/firmware/" + model + "/" + name,
               std::string(payload.begin(), payload.end()));
}

}  // namespace harbrix::test
