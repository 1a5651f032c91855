// The window's texts come from the lang.ini beside the executable: the probe program is copied
// into directories with different lang.ini files (or none) and run there.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/profile.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// A directory holding a copy of the probe, and a lang.ini if one is given.
// A fresh directory holding a copy of the probe and nothing else; removed with the object.
struct ProbeDir : devicetest::TempDir {
  ProbeDir() { Shell("cp " DOWNLOAD_BIN_DIR "/window_probe '" + path() + "/'"); }
};

std::map<std::string, std::string> RunProbe(const std::string& dir, const std::string& cwd) {
  std::istringstream lines(Shell("cd '" + cwd + "' && QT_QPA_PLATFORM=offscreen '" + dir + "/window_probe' 2>/dev/null"));
  std::map<std::string, std::string> shown;
  std::string line;
  while (std::getline(lines, line)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) shown[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return shown;
}

TEST(LangFile, WithoutLangIniTheWindowOpensWithEmptyTexts) {
  ProbeDir dir;
  // A lang.ini in the current directory alone is not the one beside the executable.
  devicetest::TempDir cwd;
  std::ofstream(cwd.File("lang.ini")) << "[title]\n100=from the current directory\n";

  auto shown = RunProbe(dir.path(), cwd.path());
  ASSERT_EQ(shown["result"], "2") << "the probe did not run to its end";
  EXPECT_EQ(shown["title"], "");
  EXPECT_EQ(shown["cancel"], "");
  EXPECT_EQ(shown["image"], "");
  EXPECT_EQ(shown["status"], "");
  // The template's own texts stay.
  EXPECT_EQ(shown["group"], "UPGRADE");
  EXPECT_FALSE(shown["web"].empty());
}

TEST(LangFile, TextsComeFromTheFileBesideTheExecutableAsWritten) {
  ProbeDir dir;
  std::ofstream(dir.File("lang.ini")) << "[TITLE]\n100 = \"  50% of %s %n %% \"\n[control]\n1001=Stop\n"
                                      "1003=" << std::string(300, 'w') << "\n[message]\n1025=absent\n";
  auto shown = RunProbe(dir.path(), dir.path());
  ASSERT_EQ(shown["result"], "2");
  EXPECT_EQ(shown["title"], "  50% of %s %n %% ");
  EXPECT_EQ(shown["cancel"], "Stop");
  EXPECT_EQ(shown["image"], std::string(259, 'w'));
  EXPECT_EQ(shown["status"], "absent");
}

TEST(LangFile, BadFilesGiveEmptyTextsAndNoCrash) {
  struct BadFile {
    const char* name;
    std::string content;
  };
  std::string binary;
  for (int i = 0; i < 200000; ++i) binary.push_back(static_cast<char>((i * 131) & 0xFF));
  std::string huge = "[other]\n";
  while (huge.size() < 8u * 1024 * 1024) huge += "k=vvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvv\n";
  const BadFile files[] = {{"empty", ""}, {"binary", binary}, {"huge", huge}};
  for (const BadFile& f : files) {
    ProbeDir dir;
    std::ofstream(dir.File("lang.ini"), std::ios::binary) << f.content;
    auto shown = RunProbe(dir.path(), dir.path());
    EXPECT_EQ(shown["result"], "2") << f.name;
    EXPECT_EQ(shown["title"], "") << f.name;
    EXPECT_EQ(shown["group"], "UPGRADE") << f.name;
  }
  // Unreadable: a directory where the file should be.
  ProbeDir dir;
  mkdir(dir.File("lang.ini").c_str(), 0700);
  auto shown = RunProbe(dir.path(), dir.path());
  EXPECT_EQ(shown["result"], "2");
  EXPECT_EQ(shown["title"], "");
}

// Every language we ship has every key the tool reads, non-empty.
TEST(LangFile, ShippedLanguagesHaveEveryKey) {
  const char* keys[][2] = {{"title", "100"},    {"control", "1003"}, {"control", "1001"}, {"message", "1020"},
                           {"message", "1021"}, {"message", "1022"}, {"message", "1023"}, {"message", "1024"},
                           {"message", "1025"}, {"message", "1027"}, {"message", "1028"}, {"message", "1029"},
                           {"message", "1030"}, {"message", "1031"}, {"message", "1032"}};
  for (const char* lang : {"en", "ko"}) {
    const std::string path = std::string(DOWNLOAD_SOURCE_DIR) + "/res/lang/" + lang + "/lang.ini";
    for (auto& k : keys) {
      char text[260];
      os::GetPrivateProfileStringA(k[0], k[1], "", text, sizeof text, path.c_str());
      EXPECT_STRNE(text, "") << lang << " [" << k[0] << "] " << k[1];
    }
  }
}

}  // namespace
