#pragma once
// Streaming one firmware image to the device pipe: the 20-byte preamble, then the body in pieces
// of at most 2048 bytes, each written straight from the image and retried with pauses. The
// upgrade window's transfer worker and radtool's flash command both send images with this one
// function.

#include <atomic>
#include <functional>

#include "platform/handle.h"
#include "platform/types.h"

// Largest piece of the body in one write.
constexpr DWORD STREAM_PIECE_LENGTH = 2048;
// A write is tried this often before it fails for good (see StreamImage).
constexpr int STREAM_ATTEMPTS_PER_WRITE = 3002;
// Pauses after a failed attempt, in milliseconds.
constexpr DWORD STREAM_PREAMBLE_PAUSE_MS = 5;
constexpr DWORD STREAM_BODY_PAUSE_MS = 1;

// Called after each delivered piece with the count of body bytes delivered so far.
using StreamProgress = std::function<void(DWORD bodySent)>;
// Pauses the calling thread: os::Sleep, or a test's pause that lets 3002 retries take no time.
using StreamPause = void (*)(DWORD ms);

struct StreamResult {
  bool preambleDelivered = false;
  DWORD bodySent = 0;        // body bytes delivered, whole pieces only
  bool complete = false;     // the preamble and every body byte were delivered
  bool stopped = false;      // the stop flag ended the stream before its end
};

// Streams `image`, the whole image file of `size` bytes (header included), to `pipe`:
//  1. image bytes 0 to 19 in one write, tried up to 3002 times with a 5 ms pause after each
//     failed attempt; when every attempt failed, the body still follows;
//  2. image bytes 1024 to the end in order, in writes of 2048 bytes and a last one of the rest,
//     each tried up to 3002 times with a 1 ms pause after each failed attempt; a piece whose
//     attempts all failed ends the stream, and later pieces are never tried.
// A failed write is repeated with the same bytes, so write boundaries never shift; a write that
// succeeds counts as the whole piece. After each delivered piece `progress` (may be empty) gets
// the body bytes delivered so far. When `stop` is given and becomes true, the stream ends before
// the next attempt. Header bytes 20 to 1023 are never sent. An image of 1024 bytes or fewer has
// no body and is not sent at all. The pipe stays open: closing it is the caller's.
StreamResult StreamImage(HANDLE pipe, const BYTE* image, DWORD size, const StreamProgress& progress,
                         StreamPause pause = os::Sleep, const std::atomic<bool>* stop = nullptr);
