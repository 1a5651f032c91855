#include "tools/flash_progress.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <utility>

namespace {

constexpr std::uint64_t kRedrawMs = 100;
constexpr int kMinBarWidth = 10;
constexpr int kMaxBarWidth = 40;

// Body bytes per second, on average since the start; 0 while that is unknown.
std::uint64_t BytesPerSecond(const ProgressSample& sample) {
  if (sample.sent == 0 || sample.elapsedMs == 0) return 0;
  return sample.sent * 1000 / sample.elapsedMs;
}

}  // namespace

int ProgressPercent(std::uint64_t sent, std::uint64_t total) {
  if (total == 0 || sent >= total) return 100;
  return static_cast<int>(sent * 100 / total);
}

std::string FormatBytes(std::uint64_t bytes) {
  char text[32];
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%" PRIu64 " B", bytes);
    return text;
  }
  static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
  // Tenths of the unit, rounded; a value that would round to 1024.0 takes the next unit.
  std::uint64_t divisor = 1024;
  for (int unit = 0;; ++unit) {
    const std::uint64_t tenths = (bytes * 10 + divisor / 2) / divisor;
    if (tenths < 10240 || unit == 3) {
      std::snprintf(text, sizeof text, "%" PRIu64 ".%" PRIu64 " %s", tenths / 10, tenths % 10,
                    kUnits[unit]);
      return text;
    }
    divisor *= 1024;
  }
}

std::string FormatDuration(std::uint64_t seconds) {
  char text[32];
  const std::uint64_t hours = seconds / 3600;
  if (hours > 0) {
    std::snprintf(text, sizeof text, "%" PRIu64 ":%02" PRIu64 ":%02" PRIu64, hours,
                  seconds / 60 % 60, seconds % 60);
  } else {
    std::snprintf(text, sizeof text, "%" PRIu64 ":%02" PRIu64, seconds / 60, seconds % 60);
  }
  return text;
}

std::string FormatSpeed(const ProgressSample& sample) {
  const std::uint64_t speed = BytesPerSecond(sample);
  if (speed == 0) return "-- B/s";
  return FormatBytes(speed) + "/s";
}

std::string FormatTimeLeft(const ProgressSample& sample) {
  if (sample.sent >= sample.total) return FormatDuration(0) + " left";
  if (sample.sent == 0 || sample.elapsedMs == 0) return "--:-- left";
  // At the average speed so far, rounded up to whole seconds: "0:00 left" only at the end.
  const std::uint64_t left = sample.total - sample.sent;
  const std::uint64_t perSecondTimesMs = sample.sent * 1000;
  const std::uint64_t seconds = (left * sample.elapsedMs + perSecondTimesMs - 1) / perSecondTimesMs;
  return FormatDuration(seconds) + " left";
}

std::string RenderProgressBar(const ProgressSample& sample, int columns) {
  const int percent = ProgressPercent(sample.sent, sample.total);
  char text[160];
  std::snprintf(text, sizeof text, "%3d%%  %s of %s  %s  %s", percent,
                FormatBytes(std::min(sample.sent, sample.total)).c_str(),
                FormatBytes(sample.total).c_str(), FormatSpeed(sample).c_str(),
                FormatTimeLeft(sample).c_str());
  const std::string after(text);
  // "[", the bar, "] " and the text, in columns - 1.
  const int room = columns - 1 - 3 - static_cast<int>(after.size());
  const int width = std::clamp(room, kMinBarWidth, kMaxBarWidth);
  const int filled = sample.total == 0 || sample.sent >= sample.total
                         ? width
                         : static_cast<int>(sample.sent * static_cast<std::uint64_t>(width) / sample.total);
  return "[" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(width - filled), '-') + "] " + after;
}

std::string RenderProgressLine(const ProgressSample& sample) {
  char text[160];
  std::snprintf(text, sizeof text, "Sent %d%% (%" PRIu64 " of %" PRIu64 " bytes), %s, %s",
                ProgressPercent(sample.sent, sample.total), std::min(sample.sent, sample.total),
                sample.total, FormatSpeed(sample).c_str(), FormatTimeLeft(sample).c_str());
  return text;
}

FlashProgress::FlashProgress(ProgressStyle style, std::uint64_t total, int columns, Sink write)
    : style_(style), total_(total), columns_(columns), write_(std::move(write)) {}

void FlashProgress::Update(std::uint64_t sent, std::uint64_t elapsedMs) {
  const ProgressSample sample{sent, total_, elapsedMs};
  switch (style_) {
    case ProgressStyle::None:
      return;
    case ProgressStyle::Lines: {
      const int tens = ProgressPercent(sent, total_) / 10;
      if (tens <= lastTens_) return;
      lastTens_ = tens;
      write_(RenderProgressLine(sample) + "\n");
      return;
    }
    case ProgressStyle::Bar:
      // Pieces come every few microseconds from a fast device: redrawing for each would cost
      // more than the transfer. The last piece is always drawn, so the bar ends full.
      if (drawn_ && sent < total_ && elapsedMs - lastDrawMs_ < kRedrawMs) return;
      lastDrawMs_ = elapsedMs;
      Draw(sample);
      return;
  }
}

void FlashProgress::Draw(const ProgressSample& sample) {
  std::string line = RenderProgressBar(sample, columns_);
  const std::size_t length = line.size();
  // A shorter line than the last one would leave the old tail on the screen.
  if (length < lastLength_) line.append(lastLength_ - length, ' ');
  lastLength_ = length;
  drawn_ = true;
  write_("\r" + line);
}

void FlashProgress::Finish() {
  if (style_ != ProgressStyle::Bar || !drawn_) return;
  write_("\n");
  drawn_ = false;
  lastLength_ = 0;
}
