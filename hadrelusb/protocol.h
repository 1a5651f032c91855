#pragma once
// The few packets that open a connection to the device, shared by the library and the
// simulator. A connection starts with one greeting packet from the library and one answer
// packet from the device; on a pipe session every later packet from the library is data.

#include <cstddef>
#include <string_view>

namespace hadrel {

// Greetings, sent by the library as the first packet of a connection.
constexpr std::string_view kGreetingPresence = "HADREL-USB/1 PRESENCE";
constexpr std::string_view kGreetingOpenPrefix = "HADREL-USB/1 OPEN ";  // followed by the pipe name

// Answers of the device.
constexpr std::string_view kAnswerPresent = "PRESENT";
constexpr std::string_view kAnswerAbsent = "ABSENT";
constexpr std::string_view kAnswerOpened = "OPENED";
constexpr std::string_view kAnswerNoSuchPipe = "NO SUCH PIPE";

// The one pipe the device has.
constexpr std::string_view kPipeName = "PIPE00";

// Largest greeting or answer; longer ones are refused.
constexpr size_t kMaxControlPacket = 64;

// How long the library waits for the device's answer. A device that answers at all does so in
// microseconds; the bound keeps a hung device from stalling the caller, which may be the
// window's own thread.
constexpr int kAnswerTimeoutMs = 300;

// How long the device waits for a greeting before it drops the connection.
constexpr int kGreetingTimeoutMs = 5000;

// The pipe's send buffer, as asked of the kernel (which doubles it for its bookkeeping): room
// for a few 2048-byte packets, so that bytes counted as sent are never far ahead of the device.
constexpr int kPipeSendBuffer = 8192;

// How long one write on the pipe may wait for room before it fails, like a USB transfer that
// the device answers with NAK. The caller pauses and writes the same packet again. The kernel
// rounds the wait up to its clock tick, so a failed write takes 4 to about 8 ms.
constexpr int kPipeSendTimeoutMs = 4;

}  // namespace hadrel
