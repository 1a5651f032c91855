// The image button of a window whose device library is missing: this test program lies in a
// directory of its own, without libHadrelUSB.so, and with a lang.ini whose texts hold percent
// signs and format directives.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/thread.h"
#include "res/resource.h"
#include "tests/upgrade/upgrade_fixture.h"

namespace upgradetest {
namespace {

using WithoutLibrary = UpgradeWindowTest;

// The label is shown before the refusal, with its text taken as it stands: never as a format.
TEST_F(WithoutLibrary, TheImageIsDescribedThenRefused) {
  ASSERT_EQ(Message("1027"), "e-flash %s %n %d 100%") << "this program's own lang.ini";
  struct Case {
    const char* image;
    bool deviceFlag;
    const char* key;
    std::string flashInfo;
  };
  const Case cases[] = {
      {"eflash.rad", true, "1031", "e-flash %s %n %d 100%"},
      {"serial-flash-dated.rad", true, "1031", "serial flash %n%s 50% dated 12/31/2010"},
      {"eflash.rad", false, "1021", "e-flash %s %n %d 100%"},
  };
  RunWindow([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.image) + (c.deviceFlag ? " with" : " without") + " the device flag");
      SetDeviceFlag(c.deviceFlag);
      m_dlg->SetDlgItemText(IDC_FLASH_INFO, "");
      const PressOutcome press = PressImageButton(Sample(c.image));
      EXPECT_EQ(press.messages, std::vector<std::string>{Message(c.key)});
      EXPECT_EQ(Text(IDC_FLASH_INFO), c.flashInfo);
      EXPECT_EQ(platform::RunningWorkerThreads(), 0);
      EXPECT_TRUE(ImageButtonEnabled());
    }
  });
}

}  // namespace
}  // namespace upgradetest
