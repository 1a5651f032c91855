// The progress display of `radtool flash`: the texts of the terminal bar and of the plain lines,
// and when each is shown.

#include "tools/flash_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Repeat(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

TEST(FlashProgressTest, FormatsBytesAndDurations) {
  struct {
    std::uint64_t bytes;
    const char* text;
  } const bytes[] = {
      {0, "0 B"},           {1023, "1023 B"},        {1024, "1.0 KiB"},
      {1536, "1.5 KiB"},    {1048575, "1.0 MiB"},  // would round to 1024.0 KiB: the next unit
      {1572864, "1.5 MiB"}, {4294967295u, "4.0 GiB"},
  };
  for (const auto& c : bytes) EXPECT_EQ(FormatBytes(c.bytes), c.text) << c.bytes;

  struct {
    std::uint64_t seconds;
    const char* text;
  } const durations[] = {
      {0, "0:00"}, {59, "0:59"}, {61, "1:01"}, {3599, "59:59"}, {3600, "1:00:00"}, {3723, "1:02:03"},
  };
  for (const auto& c : durations) EXPECT_EQ(FormatDuration(c.seconds), c.text) << c.seconds;
}

TEST(FlashProgressTest, PercentIsRoundedDownSoThatOnlyTheLastByteMakesHundred) {
  EXPECT_EQ(ProgressPercent(0, 5000), 0);
  EXPECT_EQ(ProgressPercent(2048, 5000), 40);
  EXPECT_EQ(ProgressPercent(4999, 5000), 99);
  EXPECT_EQ(ProgressPercent(5000, 5000), 100);
  // A 4 GiB body in 64-bit arithmetic: no overflow on the way.
  EXPECT_EQ(ProgressPercent(4294966270u, 4294966271u), 99);
}

struct RenderCase {
  const char* name;
  ProgressSample sample;
  int columns;
  std::string bar;
  std::string line;
};

TEST(FlashProgressTest, RendersTheBarAndTheLine) {
  const RenderCase cases[] = {
      {"start: nothing measured yet", {0, 65536, 0}, 80,
       "[" + Repeat('-', 35) + "]   0%  0 B of 64.0 KiB  -- B/s  --:-- left",
       "Sent 0% (0 of 65536 bytes), -- B/s, --:-- left"},
      {"half way: time left rounded up", {32768, 65536, 500}, 80,
       "[" + Repeat('#', 13) + Repeat('-', 14) + "]  50%  32.0 KiB of 64.0 KiB  64.0 KiB/s  0:01 left",
       "Sent 50% (32768 of 65536 bytes), 64.0 KiB/s, 0:01 left"},
      {"done", {65536, 65536, 1000}, 80,
       "[" + Repeat('#', 27) + "] 100%  64.0 KiB of 64.0 KiB  64.0 KiB/s  0:00 left",
       "Sent 100% (65536 of 65536 bytes), 64.0 KiB/s, 0:00 left"},
      {"largest body, slow device: hours left", {1048576, 4294966271u, 60000}, 80,
       "[" + Repeat('-', 25) + "]   0%  1.0 MiB of 4.0 GiB  17.1 KiB/s  68:15:00 left",
       "Sent 0% (1048576 of 4294966271 bytes), 17.1 KiB/s, 68:15:00 left"},
      {"narrow terminal: the bar keeps 10 characters", {32768, 65536, 500}, 40,
       "[#####-----]  50%  32.0 KiB of 64.0 KiB  64.0 KiB/s  0:01 left",
       "Sent 50% (32768 of 65536 bytes), 64.0 KiB/s, 0:01 left"},
      {"wide terminal: the bar stops at 40", {32768, 65536, 500}, 200,
       "[" + Repeat('#', 20) + Repeat('-', 20) + "]  50%  32.0 KiB of 64.0 KiB  64.0 KiB/s  0:01 left",
       "Sent 50% (32768 of 65536 bytes), 64.0 KiB/s, 0:01 left"},
  };
  for (const RenderCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string bar = RenderProgressBar(c.sample, c.columns);
    EXPECT_EQ(bar, c.bar);
    // Never wider than the terminal leaves room for, where the terminal has the room.
    if (c.columns >= 80) {
      EXPECT_LT(bar.size(), static_cast<std::size_t>(c.columns));
    }
    EXPECT_EQ(RenderProgressLine(c.sample), c.line);
  }
}

// Everything a FlashProgress wrote, one entry per write.
struct Recorder {
  std::vector<std::string> writes;
  FlashProgress::Sink Sink() {
    return [this](const std::string& text) { writes.push_back(text); };
  }
};

TEST(FlashProgressTest, PlainLinesComeOncePerTenPercent) {
  // 5000 bytes in pieces of 2048, 2048 and 904: 40%, 81%, 100%, each a new multiple of ten.
  Recorder small;
  FlashProgress fewPieces(ProgressStyle::Lines, 5000, 80, small.Sink());
  for (std::uint64_t sent : {2048, 4096, 5000}) fewPieces.Update(sent, 10);
  fewPieces.Finish();
  ASSERT_EQ(small.writes.size(), 3u);
  EXPECT_EQ(small.writes[0].rfind("Sent 40% ", 0), 0u) << small.writes[0];
  EXPECT_EQ(small.writes[1].rfind("Sent 81% ", 0), 0u) << small.writes[1];
  EXPECT_EQ(small.writes[2].rfind("Sent 100% ", 0), 0u) << small.writes[2];

  // 100 pieces: exactly ten lines, 10% to 100%, each a whole line.
  Recorder large;
  FlashProgress manyPieces(ProgressStyle::Lines, 204800, 80, large.Sink());
  for (std::uint64_t sent = 2048; sent <= 204800; sent += 2048) manyPieces.Update(sent, sent / 100);
  ASSERT_EQ(large.writes.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    const std::string start = "Sent " + std::to_string(10 * (i + 1)) + "% ";
    EXPECT_EQ(large.writes[i].rfind(start, 0), 0u) << large.writes[i];
    EXPECT_EQ(large.writes[i].back(), '\n');
  }
}

TEST(FlashProgressTest, BarIsRedrawnInPlaceAtMostEveryTenthOfASecondAndEndsFull) {
  Recorder r;
  FlashProgress progress(ProgressStyle::Bar, 10 * 2048, 80, r.Sink());
  progress.Update(2048, 0);       // drawn: the first
  progress.Update(4096, 50);      // too soon
  progress.Update(6144, 99);      // too soon
  progress.Update(8192, 100);     // drawn
  progress.Update(20480, 120);    // drawn: the last byte is in
  progress.Finish();
  ASSERT_EQ(r.writes.size(), 4u);
  EXPECT_EQ(r.writes[0], "\r" + RenderProgressBar({2048, 20480, 0}, 80));
  EXPECT_EQ(r.writes[1].rfind("\r" + RenderProgressBar({8192, 20480, 100}, 80), 0), 0u);
  EXPECT_NE(r.writes[2].find("] 100% "), std::string::npos) << r.writes[2];
  EXPECT_EQ(r.writes[3], "\n");
}

TEST(FlashProgressTest, ShorterRedrawCoversTheOldTail) {
  // On a wide terminal the bar stops growing, so the line's length follows its text: hours left
  // at a slow start, then a short time left near the end, two characters fewer.
  Recorder r;
  const std::uint64_t total = 10 * 1024 * 1024;
  FlashProgress progress(ProgressStyle::Bar, total, 200, r.Sink());
  progress.Update(2048, 1000);
  progress.Update(total - 2048, 1100);
  ASSERT_EQ(r.writes.size(), 2u);
  const std::string first = RenderProgressBar({2048, total, 1000}, 200);
  const std::string second = RenderProgressBar({total - 2048, total, 1100}, 200);
  ASSERT_LT(second.size(), first.size()) << "the case no longer shrinks";
  EXPECT_EQ(r.writes[0], "\r" + first);
  EXPECT_EQ(r.writes[1], "\r" + second + std::string(first.size() - second.size(), ' '));
}

TEST(FlashProgressTest, QuietShowsNothing) {
  Recorder r;
  FlashProgress progress(ProgressStyle::None, 4096, 80, r.Sink());
  progress.Update(2048, 0);
  progress.Update(4096, 500);
  progress.Finish();
  EXPECT_TRUE(r.writes.empty());
}

}  // namespace
