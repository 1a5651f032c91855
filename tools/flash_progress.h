#pragma once
// How `radtool flash` shows the progress of a transfer: a bar redrawn in place on a terminal, a
// plain line every 10 percent elsewhere (a log, a pipe), or nothing. Plain code without I/O: the
// texts go to a sink, and the time comes from the caller, so that tests drive it directly.

#include <cstdint>
#include <functional>
#include <string>

// One moment of a transfer: body bytes delivered so far, of how many, and since when.
struct ProgressSample {
  std::uint64_t sent = 0;
  std::uint64_t total = 0;
  std::uint64_t elapsedMs = 0;  // since the stream began
};

// Whole percent delivered, rounded down, so that 100 means every byte; 100 for an empty total.
int ProgressPercent(std::uint64_t sent, std::uint64_t total);

// A byte count for people: "900 B", "2.0 KiB", "1.5 MiB", "4.0 GiB" (1024-based, one decimal).
std::string FormatBytes(std::uint64_t bytes);

// A duration in whole seconds: "0:07", "12:34", "1:02:03".
std::string FormatDuration(std::uint64_t seconds);

// The speed ("1.0 MiB/s") and the time left ("0:03 left"), from the average since the start;
// "-- B/s" and "--:-- left" while nothing has been delivered or no time has passed.
std::string FormatSpeed(const ProgressSample& sample);
std::string FormatTimeLeft(const ProgressSample& sample);

// The terminal line, without the carriage return that redraws it:
// "[#########-----------]  45%  1.5 MiB of 3.3 MiB  1.0 MiB/s  0:02 left". The bar takes what
// `columns` leaves after the text (one column stays free so the line never wraps), from 10 to
// 40 characters.
std::string RenderProgressBar(const ProgressSample& sample, int columns);

// The plain line for a log: "Sent 45% (1474560 of 3276800 bytes), 1.0 MiB/s, 0:02 left".
std::string RenderProgressLine(const ProgressSample& sample);

enum class ProgressStyle {
  Bar,    // stdout is a terminal
  Lines,  // stdout is a file or a pipe
  None,   // --quiet
};

// Decides when to show what. Texts go to `write` as they are to be printed, newlines and
// carriage returns included.
class FlashProgress {
 public:
  using Sink = std::function<void(const std::string&)>;

  // `columns`: the terminal's width, for the bar.
  FlashProgress(ProgressStyle style, std::uint64_t total, int columns, Sink write);

  // After each delivered piece. The bar is redrawn at most every 100 ms and when the last byte
  // is in; a line is printed each time the percent reaches a new multiple of 10.
  void Update(std::uint64_t sent, std::uint64_t elapsedMs);

  // Ends the bar's line, so that whatever is printed next starts on a line of its own.
  void Finish();

 private:
  void Draw(const ProgressSample& sample);

  ProgressStyle style_;
  std::uint64_t total_;
  int columns_;
  Sink write_;
  bool drawn_ = false;
  std::uint64_t lastDrawMs_ = 0;
  std::size_t lastLength_ = 0;
  int lastTens_ = 0;  // the highest multiple of 10 percent already reported, in tens
};
