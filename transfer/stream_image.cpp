#include "transfer/stream_image.h"

#include "transfer/rad_header.h"

namespace {

// The retry counter starts at 0 for each write. After each failed attempt and its pause it is
// compared with this value before it is raised, and the write is tried again while it was this
// or less: 3002 attempts in all.
constexpr int kLastRetryCounter = STREAM_ATTEMPTS_PER_WRITE - 2;
static_assert(kLastRetryCounter == 3000, "the counter is compared with 3000");

enum class WriteOutcome { Delivered, FailedForGood, Stopped };

bool StopAsked(const std::atomic<bool>* stop) { return stop != nullptr && stop->load(); }

// Writes one piece, repeating the same bytes after each failure and its pause.
WriteOutcome WritePiece(HANDLE pipe, const BYTE* data, DWORD length, DWORD pauseMs, StreamPause pause,
                        const std::atomic<bool>* stop) {
  int counter = 0;
  for (;;) {
    if (StopAsked(stop)) return WriteOutcome::Stopped;
    // Success counts as the whole piece; the count that the write reports is not consulted.
    if (os::WriteFile(pipe, data, length, nullptr)) return WriteOutcome::Delivered;
    pause(pauseMs);
    if (counter++ > kLastRetryCounter) return WriteOutcome::FailedForGood;
  }
}

}  // namespace

StreamResult StreamImage(HANDLE pipe, const BYTE* image, DWORD size, const StreamProgress& progress,
                         StreamPause pause, const std::atomic<bool>* stop) {
  StreamResult result;
  // Without a body there is nothing to stream, and the preamble would read past a short buffer.
  if (image == nullptr || size <= RAD_HEADER_LENGTH) return result;
  if (pause == nullptr) pause = os::Sleep;

  const WriteOutcome preamble =
      WritePiece(pipe, image, RAD_PREAMBLE_LENGTH, STREAM_PREAMBLE_PAUSE_MS, pause, stop);
  if (preamble == WriteOutcome::Stopped) {
    result.stopped = true;
    return result;
  }
  // A preamble that never went out is not the end: the body follows all the same.
  result.preambleDelivered = preamble == WriteOutcome::Delivered;

  const BYTE* body = image + RAD_HEADER_LENGTH;
  const DWORD bodyLength = size - static_cast<DWORD>(RAD_HEADER_LENGTH);
  while (result.bodySent < bodyLength) {
    const DWORD left = bodyLength - result.bodySent;
    const DWORD piece = left < STREAM_PIECE_LENGTH ? left : STREAM_PIECE_LENGTH;
    const WriteOutcome outcome = WritePiece(pipe, body + result.bodySent, piece, STREAM_BODY_PAUSE_MS, pause, stop);
    if (outcome == WriteOutcome::Stopped) {
      result.stopped = true;
      return result;
    }
    if (outcome == WriteOutcome::FailedForGood) return result;
    result.bodySent += piece;
    if (progress) progress(result.bodySent);
  }
  result.complete = result.preambleDelivered;
  return result;
}
