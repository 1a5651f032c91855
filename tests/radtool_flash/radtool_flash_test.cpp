// `radtool flash` run as a program against a real simulator process, with the real device
// library: what the device records must be exactly the stream that the image defines, and
// every way the transfer can end must say so in its exit status and its message.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/radtool_flash/program_process.h"
#include "tests/support/devsim_process.h"
#include "tests/support/process_state.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

using devicetest::DevsimProcess;
using devicetest::IsOneLine;
using devicetest::ProgramResult;
using devicetest::ReadWholeFile;
using devicetest::RunProgram;
using devicetest::ScopedEnv;
using devicetest::TempDir;
using flashtest::ProgramProcess;

const std::string kRadtool = std::string(DOWNLOAD_BIN_DIR) + "/radtool";
const std::string kSamples = DOWNLOAD_SAMPLES_DIR;

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The stream an image defines: bytes 0 to 19, then bytes 1024 to the end.
std::string ExpectedStream(const std::string& image) { return image.substr(0, 20) + image.substr(1024); }

// The packets of that stream: 20, then 2048 each, then the rest.
std::vector<std::size_t> ExpectedWrites(std::size_t bodyLength) {
  std::vector<std::size_t> writes{20};
  for (std::size_t left = bodyLength; left > 0; left -= std::min<std::size_t>(left, 2048))
    writes.push_back(std::min<std::size_t>(left, 2048));
  return writes;
}

// "after N of M body bytes" in a message: N, or -1 when the message has no such part.
long BodyBytesSaid(const std::string& message) {
  const std::size_t after = message.find("after ");
  if (after == std::string::npos || message.find(" body bytes", after) == std::string::npos) return -1;
  long bytes = -1;
  if (std::sscanf(message.c_str() + after, "after %ld of", &bytes) != 1) return -1;
  return bytes;
}

class RadtoolFlashTest : public ::testing::Test {
 protected:
  // Makes an image with `radtool make` and returns its path.
  std::string MakeImage(const std::string& name, std::vector<std::string> options) {
    const std::string path = dir_.File(name);
    options.insert(options.begin(), {"make", path});
    const ProgramResult made = RunProgram(kRadtool, options, dir_.path());
    EXPECT_EQ(made.exitCode, 0) << made.err;
    return path;
  }

  ProgramResult Flash(std::vector<std::string> args) {
    args.insert(args.begin(), "flash");
    return RunProgram(kRadtool, args, dir_.path());
  }

  // Starts the simulator on the test's socket, recording into the test's directory.
  void StartDevice(std::vector<std::string> args = {}) {
    args.insert(args.begin(), {"--record", record_});
    ASSERT_TRUE(devsim_.StartListening(socket_, args));
  }

  // Waits until the simulator has closed session `n`: only then is its record complete.
  std::string Recorded(unsigned n) {
    EXPECT_TRUE(devsim_.WaitForLine("session " + std::to_string(n) + " closed"));
    return ReadWholeFile(record_ + "/stream-" + std::to_string(n) + ".bin");
  }

  std::vector<std::size_t> RecordedWrites(unsigned n) {
    std::istringstream lines(ReadWholeFile(record_ + "/writes-" + std::to_string(n) + ".txt"));
    std::vector<std::size_t> writes;
    for (std::size_t length; lines >> length;) writes.push_back(length);
    return writes;
  }

  TempDir dir_;
  const std::string socket_ = dir_.File("device.sock");
  const std::string record_ = dir_.File("record");
  // The library in radtool finds the simulator here.
  ScopedEnv socketEnv_{"HADREL_USB_SOCKET", socket_.c_str()};
  DevsimProcess devsim_;
};

TEST_F(RadtoolFlashTest, SendsExactlyTheImageStreamAndTellsTheProgress) {
  StartDevice();
  // A body that ends with a short piece: 48 pieces of 2048 and one of 1696.
  const std::string image = MakeImage("eflash.rad", {"--flash", "1", "--body-size", "100000", "--seed", "11"});
  const std::string bytes = ReadWholeFile(image);

  const ProgramResult flashed = Flash({image});
  EXPECT_EQ(flashed.exitCode, 0) << flashed.err;
  EXPECT_EQ(flashed.err, "");
  EXPECT_NE(flashed.out.find("Flash memory: e-flash\n"), std::string::npos) << flashed.out;
  // Not a terminal: one plain line per ten percent, then the summary.
  EXPECT_EQ(CountOf(flashed.out, "\nSent "), 10) << flashed.out;
  EXPECT_NE(flashed.out.find("\nSent 100% (100000 of 100000 bytes)"), std::string::npos) << flashed.out;
  EXPECT_EQ(flashed.out.find('\r'), std::string::npos);
  EXPECT_NE(flashed.out.find("Done: the preamble and all 100000 body bytes were delivered"), std::string::npos);

  EXPECT_TRUE(Recorded(1) == ExpectedStream(bytes)) << "the record differs from the image's stream";
  EXPECT_EQ(RecordedWrites(1), ExpectedWrites(100000));

  // --quiet: the same stream, and not a word.
  const ProgramResult quiet = Flash({"--quiet", image});
  EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, "");
  EXPECT_TRUE(Recorded(2) == ExpectedStream(bytes));
}

TEST_F(RadtoolFlashTest, BusyDeviceIsWaitedOutAndGetsEveryByteOnce) {
  // Busy for 300 ms after 30000 bytes: writes fail for a while, and each failed piece is
  // written again, whole, without shifting the stream.
  StartDevice({"--busy-after", "30000", "--busy-ms", "300"});
  const std::string image = MakeImage("busy.rad", {"--body-size", "81920", "--seed", "12"});

  const ProgramResult flashed = Flash({image});
  EXPECT_EQ(flashed.exitCode, 0) << flashed.err;
  EXPECT_TRUE(Recorded(1) == ExpectedStream(ReadWholeFile(image)));
  EXPECT_EQ(RecordedWrites(1), ExpectedWrites(81920));
  EXPECT_EQ(devsim_.CountLines("session 1 busy for 300 ms"), 1);
  EXPECT_EQ(devsim_.CountLines("session 1 taking packets again"), 1);
}

TEST_F(RadtoolFlashTest, DeviceUnpluggedMidTransferFailsWithPartialImageMessage) {
  StartDevice({"--unplug-after", "40000"});
  const std::string image = MakeImage("unplug.rad", {"--body-size", "200000", "--seed", "13"});
  const std::string expected = ExpectedStream(ReadWholeFile(image));

  ProgramProcess flash(dir_.path());
  flash.Start(kRadtool, {"flash", image});
  // The retries of one piece are bounded: the program ends by itself, well within the bound.
  ASSERT_EQ(flash.WaitForExit(), 1) << flash.err();
  const std::string err = flash.err();
  EXPECT_TRUE(IsOneLine(err)) << err;
  EXPECT_NE(err.find("transfer failed after "), std::string::npos) << err;
  EXPECT_NE(err.find("holds a partial image"), std::string::npos) << err;
  EXPECT_EQ(flash.out().find("Done:"), std::string::npos);

  // The device got a prefix of the stream in whole packets, at least up to the unplug, and no
  // more than the program says it handed over.
  const std::string recorded = Recorded(1);
  const long said = BodyBytesSaid(err);
  ASSERT_GE(said, 0) << err;
  EXPECT_GE(recorded.size(), 40000u);
  EXPECT_LT(recorded.size(), expected.size());
  EXPECT_LE(recorded.size(), 20u + static_cast<std::size_t>(said));
  EXPECT_TRUE(expected.compare(0, recorded.size(), recorded) == 0) << "the record is not a prefix of the stream";
  const std::vector<std::size_t> writes = RecordedWrites(1);
  ASSERT_FALSE(writes.empty());
  EXPECT_EQ(writes[0], 20u);
  for (std::size_t i = 1; i < writes.size(); ++i) EXPECT_EQ(writes[i], 2048u) << "packet " << i;
}

TEST_F(RadtoolFlashTest, CtrlCStopsBetweenPiecesAndSaysWhatTheDeviceHolds) {
  // 64 KiB/s and a 1 MiB body: some 16 s in all, so Ctrl-C after the first tenth lands mid-way.
  StartDevice({"--speed", "64"});
  const std::string image = MakeImage("slow.rad", {"--body-size", "1048576", "--seed", "14"});
  const std::string expected = ExpectedStream(ReadWholeFile(image));

  ProgramProcess flash(dir_.path());
  flash.Start(kRadtool, {"flash", image});
  ASSERT_TRUE(flash.WaitForOutput("Sent 10%")) << flash.out() << flash.err();
  flash.Signal(SIGINT);
  ASSERT_EQ(flash.WaitForExit(), 130) << flash.err();

  const std::string err = flash.err();
  EXPECT_TRUE(IsOneLine(err)) << err;
  EXPECT_NE(err.find("stopped by Ctrl-C after "), std::string::npos) << err;
  EXPECT_NE(err.find("the device holds a partial image"), std::string::npos) << err;
  const long said = BodyBytesSaid(err);
  ASSERT_GT(said, 0) << err;
  EXPECT_EQ(said % 2048, 0) << "stopped inside a piece";
  EXPECT_LT(said, 1048576);

  // The pipe was closed in order: what was handed over reached the device, whole packets only.
  const std::string recorded = Recorded(1);
  EXPECT_EQ(recorded.size(), 20u + static_cast<std::size_t>(said));
  EXPECT_TRUE(expected.compare(0, recorded.size(), recorded) == 0) << "the record is not a prefix of the stream";
  const std::vector<std::size_t> writes = RecordedWrites(1);
  ASSERT_EQ(writes.size(), 1u + static_cast<std::size_t>(said) / 2048);
  EXPECT_EQ(writes[0], 20u);
  for (std::size_t i = 1; i < writes.size(); ++i) EXPECT_EQ(writes[i], 2048u) << "packet " << i;
}

TEST_F(RadtoolFlashTest, WaitsForADeviceThatIsAttachedLater) {
  const std::string image = MakeImage("later.rad", {"--body-size", "10000", "--seed", "15"});
  ProgramProcess flash(dir_.path());
  flash.Start(kRadtool, {"flash", "--wait", "60", image});
  ASSERT_TRUE(flash.WaitForOutput("No device attached; waiting up to 60 s")) << flash.out() << flash.err();
  StartDevice();
  ASSERT_EQ(flash.WaitForExit(), 0) << flash.err();
  EXPECT_NE(flash.out().find("Device attached.\n"), std::string::npos) << flash.out();
  EXPECT_TRUE(Recorded(1) == ExpectedStream(ReadWholeFile(image)));
}

TEST_F(RadtoolFlashTest, NoDeviceFailsAtOnceAfterDescribingTheImage) {
  // No simulator on the socket. Each image is described as the window would, then refused for
  // want of a device; the descriptions cover every kind of flash memory.
  const struct {
    std::string image;
    const char* description;
  } cases[] = {
      {kSamples + "/eflash.rad", "e-flash"},
      {kSamples + "/serial-flash-dated.rad", "serial flash, image date 12/31/2010"},
      {kSamples + "/serial-flash-undated.rad", "serial flash, no image date"},
      {kSamples + "/nand.rad", "NAND flash"},
      {MakeImage("kind7.rad", {"--flash", "7"}), "unknown kind (byte 2 is 7)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.image);
    const ProgramResult flashed = Flash({c.image});
    EXPECT_EQ(flashed.exitCode, 1);
    EXPECT_EQ(flashed.out, std::string("Flash memory: ") + c.description + "\n");
    EXPECT_EQ(flashed.err,
              "radtool flash: no device attached; connect it, or give --wait SECONDS to wait for it\n");
  }
}

TEST_F(RadtoolFlashTest, RefusedImagesNeverReachTheDevice) {
  StartDevice();
  const struct {
    const char* name;
    std::vector<std::string> make;
    const char* reason;
    const char* out;  // the flash-memory text is shown after the magic test, before the port's
  } cases[] = {
      {"too-short.rad", {"--body-size", "3"}, "is refused: too short: 1027 bytes, an image has at least 1028", ""},
      {"not-an-image.rad", {"--magic", "0x25", "--flash", "2"}, "is refused: not an image: byte 0 is 0x25, not 0x24", ""},
      {"uart.rad",
       {"--port", "0", "--flash", "2", "--start-address", "0x10000", "--date", "1/2/2011"},
       "is refused: UART image (port 0): only USB images are sent",
       "Flash memory: serial flash, image date 1/2/2011\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string image = MakeImage(c.name, c.make);
    const ProgramResult flashed = Flash({image});
    EXPECT_EQ(flashed.exitCode, 1);
    EXPECT_TRUE(IsOneLine(flashed.err)) << flashed.err;
    EXPECT_EQ(flashed.err, "radtool flash: " + image + " " + c.reason + "\n");
    EXPECT_EQ(flashed.out, c.out);
  }
  // The device was not even asked whether it is there.
  devsim_.Drain();
  EXPECT_EQ(devsim_.CountLines("presence test"), 0);
  EXPECT_EQ(devsim_.CountLines("session"), 0);
}

TEST_F(RadtoolFlashTest, CtrlCWhileWaitingForTheDeviceSendsNothing) {
  ProgramProcess flash(dir_.path());
  flash.Start(kRadtool, {"flash", "--wait", "60", kSamples + "/eflash.rad"});
  ASSERT_TRUE(flash.WaitForOutput("No device attached; waiting")) << flash.err();
  flash.Signal(SIGINT);
  ASSERT_EQ(flash.WaitForExit(), 130) << flash.err();
  EXPECT_EQ(flash.err(), "radtool flash: stopped by Ctrl-C while waiting for the device; nothing was sent\n");
}

TEST_F(RadtoolFlashTest, OutputToABrokenPipeDoesNotEndTheTransfer) {
  // `radtool flash IMAGE | head -1` and the reader has gone: every write to stdout fails, and
  // the image still goes out whole.
  StartDevice();
  const std::string image = MakeImage("piped.rad", {"--body-size", "65536", "--seed", "16"});
  ProgramProcess flash(dir_.path());
  flash.Start(kRadtool, {"flash", image}, /*brokenStdout=*/true);
  EXPECT_EQ(flash.WaitForExit(), 0) << flash.err();
  EXPECT_TRUE(Recorded(1) == ExpectedStream(ReadWholeFile(image)));
}

TEST_F(RadtoolFlashTest, MissingDeviceLibraryIsAnInstallationError) {
  // radtool alone in a directory: the library is looked for beside it, and only there.
  StartDevice();
  const std::string alone = dir_.File("alone");
  std::filesystem::create_directory(alone);
  std::filesystem::copy_file(kRadtool, alone + "/radtool");
  const ProgramResult flashed = RunProgram(alone + "/radtool", {"flash", kSamples + "/eflash.rad"}, dir_.path());
  EXPECT_EQ(flashed.exitCode, 2);
  EXPECT_EQ(flashed.err, "radtool flash: the device library (HadrelUSB) cannot be loaded from " + alone +
                             "/; reinstall the tool\n");
  EXPECT_EQ(devsim_.CountLines("session"), 0);
}

TEST_F(RadtoolFlashTest, UsageAndFileErrorsExitTwoWithOneLine) {
  const std::string image = kSamples + "/eflash.rad";
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{}, "expected one IMAGE, got 0"},
      {{image, image}, "expected one IMAGE, got 2"},
      {{image, "--wait"}, "--wait needs a number of seconds"},
      {{"--wait", "soon", image}, "--wait: 'soon' is not a number"},
      {{"--wait=86401", image}, "--wait: "},
      {{"--wait", "-1", image}, "--wait: "},
      {{"--force", image}, "unknown option '--force'"},
      {{dir_.File("missing.rad")}, "cannot open " + dir_.File("missing.rad") + ": no such file"},
      {{dir_.path()}, "cannot open " + dir_.path() + ": not a regular file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const ProgramResult flashed = Flash(c.args);
    EXPECT_EQ(flashed.exitCode, 2);
    EXPECT_TRUE(IsOneLine(flashed.err)) << flashed.err;
    EXPECT_EQ(flashed.err.rfind("radtool flash: " + c.error, 0), 0u) << flashed.err;
    EXPECT_EQ(flashed.out, "");
  }

  const ProgramResult help = Flash({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_EQ(help.out.rfind("Usage: radtool flash IMAGE [--wait SECONDS] [--quiet]\n", 0), 0u);
}

}  // namespace
