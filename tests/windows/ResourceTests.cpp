// The program's resources: manifest, icon and logo as the executable carries them, and the
// manifest in effect in a process that carries it.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "app/resources/resource.h"
#include "tests/windows/GuiTestSupport.h"

namespace {

class ProgramResources : public testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(program.Handle(), nullptr); }

  const gui_test::ProgramImage program;
};

TEST_F(ProgramResources, ManifestSelectsCommonControlsSix) {
  const std::string manifest = program.Bytes(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
  ASSERT_FALSE(manifest.empty());
  for (const char* piece : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                            "publicKeyToken=\"6595b64144ccf1df\"", "processorArchitecture=\"*\"",
                            "language=\"*\"", "type=\"win32\"", "version=\"1.0.0.0\""}) {
    EXPECT_NE(manifest.find(piece), std::string::npos) << piece;
  }
}

TEST_F(ProgramResources, MainIconIs32By32In16Colours) {
#pragma pack(push, 2)
  struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
  };
#pragma pack(pop)
  const std::string group = program.Bytes(MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(IDI_MAINICON));
  ASSERT_EQ(group.size(), 6 + sizeof(GroupEntry));
  const auto* entry = reinterpret_cast<const GroupEntry*>(group.data() + 6);
  EXPECT_EQ(entry->width, 32);
  EXPECT_EQ(entry->height, 32);
  EXPECT_EQ(entry->colours, 16);
  EXPECT_EQ(entry->bitCount, 4);
  HICON icon = static_cast<HICON>(
      LoadImageA(program.Handle(), MAKEINTRESOURCEA(IDI_MAINICON), IMAGE_ICON, 32, 32, 0));
  EXPECT_NE(icon, nullptr);
  DestroyIcon(icon);
}

TEST_F(ProgramResources, LogoIs105By44With256ColoursInAWhiteFrame) {
  const std::string bitmap = program.Bytes(RT_BITMAP, MAKEINTRESOURCEA(IDB_LOGO));
  ASSERT_GT(bitmap.size(), sizeof(BITMAPINFOHEADER) + 256 * 4);
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bitmap.data());
  EXPECT_EQ(header->biWidth, 105);
  EXPECT_EQ(header->biHeight, 44);
  EXPECT_EQ(header->biBitCount, 8);
  EXPECT_EQ(header->biClrUsed, 256u);
  const auto* palette = reinterpret_cast<const RGBQUAD*>(bitmap.data() + header->biSize);
  const auto* pixels =
      reinterpret_cast<const BYTE*>(bitmap.data() + header->biSize + 256 * sizeof(RGBQUAD));
  const int stride = (105 + 3) & ~3;
  auto colour = [&](int x, int y) {  // rows are stored bottom-up
    const RGBQUAD& entry = palette[pixels[(43 - y) * stride + x]];
    return RGB(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
  };
  for (int x = 0; x < 105; ++x) {
    EXPECT_EQ(colour(x, 0), RGB(255, 255, 255));
    EXPECT_EQ(colour(x, 43), RGB(255, 255, 255));
  }
  for (int y = 0; y < 44; ++y) {
    EXPECT_EQ(colour(0, y), RGB(255, 255, 255));
    EXPECT_EQ(colour(104, y), RGB(255, 255, 255));
  }
  EXPECT_EQ(colour(1, 1), RGB(0, 0, 0));  // the black field inside the frame
}

TEST(Manifest, LoadsCommonControlsSixIntoTheProcess) {
  // Only version 6 of the button control answers BCM_GETIDEALSIZE.
  HWND button = CreateWindowExA(0, "BUTTON", "Ideal", WS_POPUP | BS_PUSHBUTTON, 0, 0, 10, 10,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(button, nullptr);
  SIZE ideal{0, 0};
  EXPECT_TRUE(SendMessageA(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
  EXPECT_GT(ideal.cx, 0);
  DestroyWindow(button);
}

}  // namespace
