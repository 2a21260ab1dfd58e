// Feeds arbitrary replies to the reply parser: the first byte picks the command, the rest is
// the reply. Every field of the record is touched so that a bad length shows up here.
#include <cstddef>
#include <cstdint>

#include "link/UARTResponse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const harbrix::Bytes reply(data + 1, data + size);
    const auto record = harbrix::UARTResponse::response(reply, data[0]);
    if (!record) return 0;

    std::size_t sum = record->command + record->error + record->development + record->byte +
                      record->position + record->string.size() + record->commands.size();
    for (const std::uint8_t b : record->data) sum += b;
    for (const std::uint32_t speed : record->speeds) sum += speed;
    sum += record->timeouts.hash() + record->presetsSchema.packed();
    for (const std::uint8_t b : record->lcxreply.bytes()) sum += b;
    for (unsigned slot = 0; slot < 130; ++slot) sum += record->lcxreply.isOccupied(slot);
    if (record->model) {
        sum +=
            record->model->description().size() + record->model->hash() + record->model->product();
        if (record->model->version().description().empty()) __builtin_trap();
    }
    if (record->position > reply.size()) __builtin_trap();
    volatile std::size_t sink = sum;
    (void)sink;
    return 0;
}
