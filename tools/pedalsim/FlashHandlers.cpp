// The loader side of a firmware update: "SUSPENDC", "RECOVERC", "REBOOTC", the 256-byte
// page buffer ("WRITE_PAGE", "READ_PAGE") and the flash chip ("WRITE_FLASH", "READ_FLASH").
// Pages are taken only while the pedal is suspended; a reboot ends that and brings the
// line back to the speed the pedal starts at.
#include <algorithm>
#include <memory>

#include "Commands.h"
#include "Handlers.h"

namespace harbrix::pedalsim {
namespace {

constexpr std::size_t kPageSize = 256;

// What lives only until the pedal restarts.
struct Loader {
    bool suspended = false;
    Bytes page;  // what the last "WRITE_PAGE" put in the buffer

    void restart() {
        suspended = false;
        page.clear();
    }
};

// A read length of 0 asks for a whole page.
std::size_t readLength(const Request& request) {
    return request.count == 0 ? kPageSize : request.count;
}

}  // namespace

void addFlashHandlers(HandlerTable& table) {
    const auto loader = std::make_shared<Loader>();

    table.add(command::kSuspendC, [loader](const Request&, PedalState&) {
        loader->suspended = true;
        return answer(0);
    });
    table.add(command::kRecoverC, [loader](const Request&, PedalState&) {
        loader->restart();
        return answer(0);
    });
    // A restarting pedal does not answer.
    table.add(command::kRebootC, [loader](const Request&, PedalState&) {
        loader->restart();
        Reply reply;
        reply.speedAfter = kBootSpeed;
        return reply;
    });

    table.add(command::kWritePage, [loader](const Request& request, PedalState&) {
        if (!loader->suspended || request.sizeCode != 0 || request.payload.empty() ||
            request.payload.size() > kPageSize) {
            return answer(error::kBadRequest);
        }
        loader->page = request.payload;
        return answer(0);
    });
    table.add(command::kReadPage, [loader](const Request& request, PedalState&) {
        const std::size_t length = readLength(request);
        if (length > kPageSize) return answer(error::kBadRequest);
        Bytes bytes(length, FlashImage::kErased);
        std::copy_n(loader->page.begin(), std::min(length, loader->page.size()), bytes.begin());
        return answer(0, bytes);
    });

    table.add(command::kWriteFlash, [loader](const Request& request, PedalState& state) {
        if (!loader->suspended || loader->page.empty() ||
            !state.flash().write(request.argument, loader->page)) {
            return answer(error::kBadRequest);
        }
        return answer(0);
    });
    table.add(command::kReadFlash, [](const Request& request, PedalState& state) {
        const std::size_t length = readLength(request);
        const auto bytes =
            length <= kPageSize ? state.flash().read(request.argument, length) : std::nullopt;
        return bytes ? answer(0, *bytes) : answer(error::kBadRequest);
    });
}

}  // namespace harbrix::pedalsim
