// The upgrade window as the user meets it: its initial state, the About box, the message box,
// and every way of closing it.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/app.h"
#include "platform/message_box.h"
#include "platform/module.h"
#include "platform/profile.h"
#include "platform/testing.h"
#include "res/resource.h"
#include "ui/vandro_dlg.h"

namespace pt = platform::test;

namespace {

// The lang.ini that the build puts beside the test program, read directly.
std::string Lang(const char* section, const char* key) {
  char text[260];
  const std::string path = std::string(DOWNLOAD_BIN_DIR) + "/lang.ini";
  os::GetPrivateProfileStringA(section, key, "", text, sizeof text, path.c_str());
  return text;
}

class UpgradeWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { pt::InitWindowSystem(); }
  void SetUp() override { m_app.m_pMainWnd = &m_dlg; }
  void TearDown() override { m_app.m_pMainWnd = nullptr; }

  // Opens the window, runs `script` inside it, and returns what DoModal returned. The script
  // must close the window.
  long Run(std::function<void()> script) {
    pt::WhenModal(std::move(script));
    return m_dlg.DoModal();
  }

  CWinApp m_app;
  CVandroDlg m_dlg;
};

TEST_F(UpgradeWindow, OpensWithItsTemplateAndTextsFromLangIni) {
  const long result = Run([&] {
    EXPECT_EQ(m_dlg.GetWindowText(), Lang("title", "100"));
    EXPECT_FALSE(Lang("title", "100").empty()) << "the shipped lang.ini must have a title";

    struct Expected {
      int id;
      const char* className;
      int x, y, cx, cy;
      std::string text;
      bool tabStop;
    };
    const Expected controls[] = {
        {IDCANCEL, "button", 196, 31, 78, 25, Lang("control", "1001"), true},
        {IDC_UPGRADE_GROUP, "button", 7, 15, 112, 54, "UPGRADE", false},
        {IDC_SYSTEM_DATA, "button", 11, 28, 103, 34, Lang("control", "1003"), true},
        {IDC_DEVICE_STATUS, "static", 161, 64, 163, 12, Lang("message", "1025"), false},
        {IDC_PROGRESS, "msctls_progress32", 7, 82, 317, 12, "", false},
        {IDC_FLASH_INFO, "static", 7, 108, 156, 8, "", false},
        {IDC_DONE_TEXT, "static", 226, 105, 98, 11, "", false},
        {IDC_WEB_LINK, "static", 104, 139, 94, 8, "", false},
    };
    // Dialog units become pixels by the font's base units: x by width/331, y by height/154 of
    // the 331 x 154 unit window, give or take the rounding of each conversion.
    const CSize client = pt::ClientSize(&m_dlg);
    EXPECT_GT(client.cx, 331);
    EXPECT_GT(client.cy, 154);
    const double ux = client.cx / 331.0, uy = client.cy / 154.0;
    for (const Expected& e : controls) {
      const pt::ControlInfo info = pt::GetControlInfo(&m_dlg, e.id);
      ASSERT_TRUE(info.exists) << e.id;
      EXPECT_EQ(info.className, e.className) << e.id;
      if (e.id != IDC_WEB_LINK && e.id != IDC_PROGRESS) {
        EXPECT_EQ(info.text, e.text) << e.id;
      }
      EXPECT_TRUE(info.visible) << e.id;
      EXPECT_TRUE(info.enabled) << e.id;
      EXPECT_FALSE(info.isDefault) << e.id;
      EXPECT_EQ(info.tabStop, e.tabStop) << e.id;
      EXPECT_NEAR(info.rect.left, e.x * ux, 2.0) << e.id;
      EXPECT_NEAR(info.rect.top, e.y * uy, 2.0) << e.id;
      EXPECT_NEAR(info.rect.Width(), e.cx * ux, 2.0) << e.id;
      EXPECT_NEAR(info.rect.Height(), e.cy * uy, 2.0) << e.id;
    }
    EXPECT_FALSE(pt::GetControlInfo(&m_dlg, IDC_WEB_LINK).text.empty());
    EXPECT_EQ(pt::TabOrder(&m_dlg), (std::vector<int>{IDCANCEL, IDC_SYSTEM_DATA}));
    EXPECT_TRUE(pt::GetControlInfo(&m_dlg, IDCANCEL).focused);
    EXPECT_GE(pt::TimerPeriod(&m_dlg, DEVICE_POLL_TIMER), 100);
    pt::Click(&m_dlg, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_FALSE(m_dlg.HasWindow());
}

TEST_F(UpgradeWindow, EveryWayOfClosingEndsIt) {
  struct Way {
    const char* name;
    std::function<void(CWnd*)> act;
  };
  const Way ways[] = {
      {"Cancel button", [](CWnd* w) { pt::Click(w, IDCANCEL); }},
      {"Escape", [](CWnd* w) { pt::PressKey(w, pt::Key::Escape); }},
      {"Enter on the focused Cancel", [](CWnd* w) { pt::PressKey(w, pt::Key::Enter); }},
      {"Space on the focused Cancel", [](CWnd* w) { pt::PressKey(w, pt::Key::Space); }},
      {"close box", [](CWnd* w) { pt::PressCloseBox(w); }},
      {"Alt+F4", [](CWnd* w) { pt::PressKey(w, pt::Key::AltF4); }},
      {"Close in the window menu", [](CWnd* w) { pt::ChooseWindowMenuItem(w, 0xF060); }},
  };
  for (const Way& way : ways) {
    CVandroDlg dlg;
    m_app.m_pMainWnd = &dlg;
    pt::WhenModal([&] { way.act(&dlg); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL) << way.name;
    EXPECT_FALSE(dlg.HasWindow()) << way.name;
  }
}

TEST_F(UpgradeWindow, WindowMenuOpensTheAboutBox) {
  std::vector<std::string> aboutTexts;
  bool aboutWasModal = false;
  pt::WhenModal([&] {
    const std::vector<std::string> menu = pt::WindowMenuTexts(&m_dlg);
    ASSERT_GE(menu.size(), 2u);
    EXPECT_EQ(menu[menu.size() - 2], "-");
    EXPECT_EQ(menu.back(), "&About ...");
    pt::ChooseWindowMenuItem(&m_dlg, IDM_ABOUTBOX);  // returns when the About box has closed
    EXPECT_TRUE(m_dlg.HasWindow());
    pt::Click(&m_dlg, IDCANCEL);
  });
  pt::WhenModal([&] {
    CWnd* about = pt::ActiveModalWindow();
    ASSERT_NE(about, nullptr);
    aboutWasModal = about != &m_dlg;
    aboutTexts = pt::ControlTexts(about);
    EXPECT_EQ(about->GetWindowText(), "About Download");
    EXPECT_TRUE(pt::GetControlInfo(about, IDOK).isDefault);
    pt::PressKey(about, pt::Key::Enter);
  });
  EXPECT_EQ(m_dlg.DoModal(), IDCANCEL);
  EXPECT_TRUE(aboutWasModal);
  // The About box's texts are its template's, whatever lang.ini holds.
  ASSERT_EQ(aboutTexts.size(), 4u);
  EXPECT_EQ(aboutTexts[1], "Oltra II Download Version 1.0");
  EXPECT_FALSE(aboutTexts[2].empty());
  EXPECT_EQ(aboutTexts[3], "OK");
}

TEST_F(UpgradeWindow, MessageBoxShowsTheTextAsWrittenUnderTheApplicationName) {
  pt::MessageBoxInfo shown;
  Run([&] {
    pt::WhenModal([&] {
      shown = pt::ActiveMessageBox();
      pt::CloseActiveMessageBox();
    });
    EXPECT_EQ(AfxMessageBox("50% of %s %n %% &done", MB_OK), IDOK);
    pt::Click(&m_dlg, IDCANCEL);
  });
  ASSERT_TRUE(shown.shown);
  EXPECT_EQ(shown.text, "50% of %s %n %% &done");
  EXPECT_EQ(shown.caption, os::BaseNameWithoutExtension(os::GetModuleFileName()));
  EXPECT_EQ(shown.caption, "shell_window_test");
  EXPECT_TRUE(shown.exclamationIcon);
  EXPECT_EQ(shown.buttons, (std::vector<std::string>{"OK"}));
}

TEST_F(UpgradeWindow, MinimisedItPaintsTheIconCentred) {
  Run([&] {
    pt::Minimize(&m_dlg);
    ASSERT_TRUE(pt::PumpUntil([&] { return m_dlg.IsIconic(); }));
    const pt::Image image = pt::Grab(&m_dlg);
    ASSERT_GT(image.width, 32);
    const int x = (image.width - 32 + 1) / 2, y = (image.height - 32 + 1) / 2;
    // The icon is drawn 32 x 32 at (x, y): its body colour well inside, none just left of it.
    EXPECT_EQ(image.Pixel(x + 9, y + 20), RGB(0, 0x80, 0x80));
    EXPECT_EQ(image.Pixel(x + 20, y + 20), RGB(0, 0x80, 0x80));
    EXPECT_NE(image.Pixel(x - 1, y + 20), RGB(0, 0x80, 0x80));
    EXPECT_NE(image.Pixel(0, 0), RGB(0, 0x80, 0x80));
    pt::Click(&m_dlg, IDCANCEL);
  });
}

TEST_F(UpgradeWindow, TextsCanBeSetFromAnotherThreadUntilTheWindowIsGone) {
  std::atomic<bool> stop{false};
  std::atomic<int> calls{0};
  std::thread writer;
  Run([&] {
    writer = std::thread([&] {
      while (!stop) {
        m_dlg.SetDlgItemText(IDC_DONE_TEXT, "from the worker " + std::to_string(calls++));
      }
    });
    ASSERT_TRUE(pt::PumpUntil([&] { return calls > 20; }));
    EXPECT_EQ(m_dlg.GetDlgItemText(IDC_DONE_TEXT).rfind("from the worker ", 0), 0u);
    pt::Click(&m_dlg, IDCANCEL);
  });
  // The window is gone; the writer's calls now return at once and change nothing.
  const int before = calls;
  ASSERT_TRUE(pt::PumpUntil([&] { return calls > before + 100; }));
  stop = true;
  writer.join();
}

TEST(LangText, ComesFromBesideTheExecutableNotTheCurrentDirectory) {
  const std::string cwd = ::testing::TempDir() + "langtext-cwd";
  ASSERT_EQ(std::system(("mkdir -p '" + cwd + "' && printf '[title]\\n100=wrong\\n' > '" + cwd + "/lang.ini'").c_str()), 0);
  char saved[4096];
  ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
  ASSERT_EQ(chdir(cwd.c_str()), 0);
  const std::string title = CVandroDlg::GetLangText("title", "100");
  ASSERT_EQ(chdir(saved), 0);
  EXPECT_EQ(title, Lang("title", "100"));
  EXPECT_NE(title, "wrong");
}

TEST(LangText, ConcurrentLookupsEachGetTheirOwnText) {
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  const std::string connected = Lang("message", "1024"), absent = Lang("message", "1025");
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        const bool even = (i + t) % 2 == 0;
        if (CVandroDlg::GetLangText("message", even ? "1024" : "1025") != (even ? connected : absent)) ++wrong;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
