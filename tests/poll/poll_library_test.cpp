// The poll without its device library: missing from the start, and removed while the device is
// attached. The window loads the library only from its executable's own directory, so each case
// runs a copy of poll_probe in a directory of its own, with lang.ini beside it and the library
// only where the case wants it, while a real simulator answers on the socket.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/poll/expected_states.h"
#include "tests/support/devsim_process.h"
#include "tests/support/process_state.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace polltest {
namespace {

namespace fs = std::filesystem;

// The device library's file name on this platform.
constexpr const char* kLibraryFile = "libHadrelUSB.so";

class PollWithoutLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Attached().text, Absent().text);
    // The device is there all along: only the library decides what the window can know.
    ASSERT_TRUE(m_device.StartListening(m_socket));
  }

  // Copies the probe and lang.ini, and the library when asked, into the probe's directory.
  void PlaceProbe(bool withLibrary) {
    const fs::path bin = DOWNLOAD_BIN_DIR;
    for (const char* file : {"poll_probe", "lang.ini"})
      fs::copy_file(bin / file, m_probeDir.File(file));
    if (withLibrary) fs::copy_file(bin / kLibraryFile, m_probeDir.File(kLibraryFile));
  }

  // Runs the copied probe and returns what it printed, by key.
  std::map<std::string, std::string> RunProbe(const std::vector<std::string>& args) {
    const devicetest::ProgramResult result =
        devicetest::RunProgram(m_probeDir.File("poll_probe"), args, m_scratch.path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    std::map<std::string, std::string> shown;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
      const std::size_t eq = line.find('=');
      if (eq != std::string::npos) shown[line.substr(0, eq)] = line.substr(eq + 1);
    }
    EXPECT_EQ(shown["done"], "1") << "the probe did not run to its end:\n" << result.out << result.err;
    return shown;
  }

  // The state the probe printed under `name`.
  static PollState StateOf(std::map<std::string, std::string>& shown, const std::string& name) {
    return {shown[name + ".text"], shown[name + ".connected"] == "1", std::stoi("0" + shown[name + ".period"])};
  }

  devicetest::TempDir m_dir;
  devicetest::TempDir m_probeDir;
  devicetest::TempDir m_scratch;
  const std::string m_socket = m_dir.File("dev.sock");
  devicetest::ScopedEnv m_socketEnv{"HADREL_USB_SOCKET", m_socket.c_str()};
  devicetest::DevsimProcess m_device;
};

TEST_F(PollWithoutLibrary, MissingFromTheStartKeepsTheStartingStateAndIsTriedEveryTick) {
  PlaceProbe(false);
  auto shown = RunProbe({"missing"});
  EXPECT_EQ(StateOf(shown, "initial"), Starting());
  // The ticks keep coming at the start-up period, and none of them changes anything or goes on
  // to the default handling.
  EXPECT_EQ(shown["ticked"], "1");
  EXPECT_EQ(StateOf(shown, "after"), Starting());
  EXPECT_EQ(shown["defaulted"], "0");
  EXPECT_EQ(m_device.CountLines("presence test"), 0) << "the device was asked without the library";
}

TEST_F(PollWithoutLibrary, RemovedWhileAttachedKeepsTheAttachedState) {
  PlaceProbe(true);
  const std::string library = m_probeDir.File(kLibraryFile);
  auto shown = RunProbe({"removed", library, m_dir.File("nowhere.sock")});
  ASSERT_EQ(shown["found"], "1") << "the device never showed attached";
  EXPECT_EQ(StateOf(shown, "attached"), Attached());
  ASSERT_EQ(shown["deleted"], "1");
  EXPECT_FALSE(fs::exists(library));
  EXPECT_EQ(shown["ticked"], "1");
  EXPECT_EQ(StateOf(shown, "after"), Attached());
  EXPECT_EQ(shown["defaulted"], "0");
}

}  // namespace
}  // namespace polltest
