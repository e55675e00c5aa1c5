// The link label on real windows: how it paints, its cursor, what a click asks of the shell
// and what the shell makes of it, and that it never takes the keyboard focus.
#include <windows.h>

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "app/LinkTarget.h"
#include "app/Unit1.h"
#include "app/VtURLLabel.h"
#include "tests/support/TestFiles.h"
#include "tests/windows/GuiTestSupport.h"

namespace {

using gui_test::ClickButton;

constexpr COLORREF kPurple = RGB(128, 0, 128);
// A page colour that no label paints by itself.
constexpr COLORREF kPageColour = RGB(0, 160, 80);
constexpr char kParentClass[] = "VtLinkLabelTestPage";
constexpr char kMailUrl[] = "mailto:veritally@example.org?subject=Veritally";
constexpr char kWebUrl[] = "https://www.example.org/veritally/";

COLORREF Highlight() {
  return GetSysColor(COLOR_HIGHLIGHT);
}

void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    ui::Application::Current().ProcessPendingEvents();
    Sleep(10);
  } while (GetTickCount() - start < milliseconds);
}

// A left button press and release, through the queue, at points of the window's client area.
void Click(HWND window, POINT down, POINT up) {
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
  PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
  ui::Application::Current().ProcessPendingEvents();
}

// A top-level window with a background colour of its own, for labels to sit on.
class TestPage {
 public:
  TestPage() : brush_(CreateSolidBrush(kPageColour)) {
    WNDCLASSA page{};
    page.lpfnWndProc = &DefWindowProcA;
    page.hInstance = GetModuleHandleA(nullptr);
    page.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    page.hbrBackground = brush_.Get();
    page.lpszClassName = kParentClass;
    RegisterClassA(&page);
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kParentClass, "", WS_POPUP | WS_CLIPCHILDREN, 100,
                            100, 420, 60, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  }
  ~TestPage() {
    DestroyWindow(hwnd_);
    UnregisterClassA(kParentClass, GetModuleHandleA(nullptr));
  }
  TestPage(const TestPage&) = delete;
  TestPage& operator=(const TestPage&) = delete;

  HWND Handle() const { return hwnd_; }

 private:
  ui::GdiObject<HBRUSH> brush_;
  HWND hwnd_ = nullptr;
};

// The window's client area as it shows on the screen.
class Screenshot {
 public:
  explicit Screenshot(HWND window) {
    UpdateWindow(window);
    RECT client{};
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width_, height_);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x)
        colours_.push_back(GetPixel(memory, x, y));
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
  }

  int Count(COLORREF colour) const {
    return static_cast<int>(std::count(colours_.begin(), colours_.end(), colour));
  }
  int Total() const { return width_ * height_; }
  // A row in the colour from end to end but for a pixel at each side: the underline.
  bool HasLineIn(COLORREF colour) const {
    for (int y = 0; y < height_; ++y) {
      int run = 0;
      for (int x = 0; x < width_; ++x)
        run += colours_[static_cast<size_t>(y * width_ + x)] == colour ? 1 : 0;
      if (width_ > 2 && run >= width_ - 2) return true;
    }
    return false;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<COLORREF> colours_;
};

// What a click asked of the shell, with the request's texts copied out.
struct ShellCall {
  DWORD size;
  ULONG mask;
  HWND owner;
  std::string verb;
  std::string file;
  bool hasParameters;
  bool hasDirectory;
  int show;
};

struct ShellRecord {
  std::vector<ShellCall> calls;
  std::vector<bool> results;
  std::vector<std::pair<std::string, UINT>> commands;
};

std::string Text(const char* text) {
  return text != nullptr ? text : "";
}

// The shell's answer comes from `open` (the system's by default); commands are recorded,
// not run, so that no "Open with" dialog of the system comes up.
app::TVtURLLabel::Shell RecordingShell(ShellRecord& record,
                                       std::function<bool(SHELLEXECUTEINFOA&)> open = nullptr) {
  if (!open) open = [](SHELLEXECUTEINFOA& request) { return ShellExecuteExA(&request) != FALSE; };
  return {
      [&record, open](SHELLEXECUTEINFOA& request) {
        record.calls.push_back({request.cbSize, request.fMask, request.hwnd, Text(request.lpVerb),
                                Text(request.lpFile), request.lpParameters != nullptr,
                                request.lpDirectory != nullptr, request.nShow});
        const bool opened = open(request);
        record.results.push_back(opened);
        return opened;
      },
      [&record](const char* commandLine, UINT show) {
        record.commands.emplace_back(commandLine, show);
      }};
}

// A shell that opens nothing, and one that says it opened anything.
const auto NoShell = [](SHELLEXECUTEINFOA&) { return false; };
const auto ShellOpens = [](SHELLEXECUTEINFOA&) { return true; };

BOOL CALLBACK CollectVisible(HWND window, LPARAM windows) {
  if (IsWindowVisible(window)) reinterpret_cast<std::set<HWND>*>(windows)->insert(window);
  return TRUE;
}

std::set<HWND> VisibleTopLevelWindows() {
  std::set<HWND> windows;
  EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

class LinkLabel : public testing::Test {
 protected:
  LinkLabel() {
    font_ = ui::CreatePointFont("MS Sans Serif", 8, DEFAULT_CHARSET);
    label.SetTransparent(true);
    label.Create(page.Handle(), 1, "Email: veritally@example.org", {4, 4}, font_.Get());
  }

  ui::Application& application = gui_test::TestApplication();  // before the label
  ShellRecord shell;  // what the label's clicks asked of the shell
  TestPage page;
  ui::Font font_;
  app::TVtURLLabel label;
};

TEST_F(LinkLabel, StartsUnvisitedUnderlinedInTheHighlightColourAndNotATabStop) {
  EXPECT_FALSE(label.Visited());
  EXPECT_EQ(label.VisitedColor(), 0x800080u);
  EXPECT_EQ(label.UnvisitedColor(), Highlight());
  EXPECT_EQ(label.ShownColor(), Highlight());
  EXPECT_EQ(label.URL(), "");
  EXPECT_EQ(label.Cursor(), 26000);
  EXPECT_FALSE(label.FlyByEnabled());
  const LOGFONTA font = gui_test::FontOf(label.Handle());
  EXPECT_TRUE(font.lfUnderline);
  EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(gui_test::ClassName(label.Handle()), "TVtURLLabel");
  EXPECT_FALSE(gui_test::HasStyle(label.Handle(), WS_TABSTOP));
  RECT client{};
  GetClientRect(label.Handle(), &client);
  EXPECT_EQ(client.bottom, 13);  // sized to its caption
  EXPECT_GT(client.right, 100);
}

TEST_F(LinkLabel, PaintsUnderlinedTextInTheLinkColourOverThePagesOwnBackground) {
  const Screenshot unvisited(label.Handle());
  EXPECT_GT(unvisited.Count(kPageColour), unvisited.Total() / 2) << "the page shows through";
  EXPECT_EQ(unvisited.Count(GetSysColor(COLOR_BTNFACE)), 0);
  EXPECT_TRUE(unvisited.HasLineIn(Highlight()));
  EXPECT_EQ(unvisited.Count(kPurple), 0);

  label.SetVisited(true);
  const Screenshot visited(label.Handle());
  EXPECT_TRUE(visited.HasLineIn(kPurple));
  EXPECT_EQ(visited.Count(Highlight()), 0);
  EXPECT_GT(visited.Count(kPageColour), visited.Total() / 2);

  label.SetTransparent(false);
  const Screenshot opaque(label.Handle());
  EXPECT_EQ(opaque.Count(kPageColour), 0);
  EXPECT_GT(opaque.Count(GetSysColor(COLOR_BTNFACE)), opaque.Total() / 2);
}

TEST_F(LinkLabel, SettersChangeAndRepaintOnlyWhenTheValueChanges) {
  enum Setter { Visited, VisitedColor, UnvisitedColor };
  const char* const names[] = {"SetVisited", "SetVisitedColor", "SetUnvisitedColor"};
  // The setter and its value, whether the label then waits for a repaint, the colour it shows.
  const std::tuple<Setter, COLORREF, bool, COLORREF> rows[] = {
      {Visited, false, false, Highlight()},
      {VisitedColor, 0x800080, false, Highlight()},
      {UnvisitedColor, Highlight(), false, Highlight()},
      {VisitedColor, RGB(1, 2, 3), true, Highlight()},  // not the colour shown now, but stored
      {UnvisitedColor, RGB(4, 5, 6), true, RGB(4, 5, 6)},
      {Visited, true, true, RGB(1, 2, 3)},
      {Visited, true, false, RGB(1, 2, 3)},
      {VisitedColor, RGB(7, 8, 9), true, RGB(7, 8, 9)},
  };
  ValidateRect(label.Handle(), nullptr);
  for (const auto& [setter, value, repaint, shown] : rows) {
    SCOPED_TRACE(testing::Message() << names[setter] << "(" << value << ")");
    if (setter == Visited) label.SetVisited(value != 0);
    if (setter == VisitedColor) label.SetVisitedColor(value);
    if (setter == UnvisitedColor) label.SetUnvisitedColor(value);
    EXPECT_EQ(GetUpdateRect(label.Handle(), nullptr, FALSE) != FALSE, repaint);
    ValidateRect(label.Handle(), nullptr);
    EXPECT_EQ(label.ShownColor(), shown);
  }
}

TEST_F(LinkLabel, RegistersAndShowsTheExecutablesHandWithItsHotSpotOnTheFingertip) {
  HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), "VTCOMMON_HANDCURSOR");
  ASSERT_NE(hand, nullptr);
  EXPECT_EQ(application.Cursors().Get(26000), hand);

  // Every new label registers it again, over whatever was registered under its number.
  application.Cursors().Set(26000, LoadCursorA(nullptr, IDC_CROSS));
  app::TVtURLLabel another;
  EXPECT_EQ(application.Cursors().Get(26000), hand);

  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(hand, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 6u);
  EXPECT_EQ(info.yHotspot, 0u);
  EXPECT_EQ(info.hbmColor, nullptr) << "monochrome: the mask holds both halves";
  BITMAP mask{};
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(mask.bmWidth, 32);
  EXPECT_EQ(mask.bmHeight, 64);
  std::vector<BYTE> bits(static_cast<size_t>(mask.bmWidthBytes * mask.bmHeight));
  GetBitmapBits(info.hbmMask, static_cast<LONG>(bits.size()), bits.data());
  auto bit = [&](int x, int y) {  // the AND mask above, the XOR bitmap below
    return (bits[static_cast<size_t>(y * mask.bmWidthBytes + x / 8)] >> (7 - x % 8)) & 1;
  };
  EXPECT_EQ(bit(6, 0) + bit(6, 32), 0) << "the hot spot is black, opaque";
  EXPECT_EQ(bit(6, 1), 0);
  EXPECT_EQ(bit(6, 33), 1) << "white inside the finger";
  EXPECT_EQ(bit(0, 0), 1) << "transparent around the hand";
  EXPECT_EQ(bit(31, 31), 1);
  DeleteObject(info.hbmMask);

  SetCursor(LoadCursorA(nullptr, IDC_CROSS));
  EXPECT_EQ(SendMessageA(label.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label.Handle()),
                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
            TRUE);
  EXPECT_EQ(GetCursor(), hand);
  {
    // While the program is busy its hourglass shows over the labels too.
    ui::ScopedScreenCursor busy;
    SendMessageA(label.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(label.Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
  }
}

TEST(HandCursorResource, TheProgramCarriesA32By32MonochromeCursorWithTheHotSpotAt6And0) {
  const gui_test::ProgramImage program;
  ASSERT_NE(program.Handle(), nullptr);
#pragma pack(push, 2)
  struct GroupEntry {
    WORD width, height, planes, bitCount;  // the height counts both masks
    DWORD bytes;
    WORD id;
  };
#pragma pack(pop)
  const std::string group = program.Bytes(RT_GROUP_CURSOR, "VTCOMMON_HANDCURSOR");
  ASSERT_EQ(group.size(), 6 + sizeof(GroupEntry));
  const auto* entry = reinterpret_cast<const GroupEntry*>(group.data() + 6);
  EXPECT_EQ(entry->width, 32);
  EXPECT_EQ(entry->height, 64);
  EXPECT_EQ(entry->bitCount, 1);
  const std::string cursor = program.Bytes(RT_CURSOR, MAKEINTRESOURCEA(entry->id));
  ASSERT_GE(cursor.size(), 4 + sizeof(BITMAPINFOHEADER));
  const auto* hotSpot = reinterpret_cast<const WORD*>(cursor.data());
  EXPECT_EQ(hotSpot[0], 6);
  EXPECT_EQ(hotSpot[1], 0);
}

TEST_F(LinkLabel, AClickTheShellOpensRunsTheNotificationFirstAndLeavesItVisitedForGood) {
  // A program that ends at once: the shell opens it here as it would on Windows.
  label.SetURL(gui_test::TestFolder() + "link_target_stub.exe");
  label.SetShell(RecordingShell(shell));
  std::vector<bool> visitedWhenNotified;
  label.OnClick = [this, &visitedWhenNotified] { visitedWhenNotified.push_back(label.Visited()); };

  ClickButton(label.Handle());
  ASSERT_EQ(shell.results, std::vector<bool>{true});
  EXPECT_TRUE(label.Visited());
  EXPECT_EQ(label.ShownColor(), kPurple);
  EXPECT_TRUE(Screenshot(label.Handle()).HasLineIn(kPurple));

  ClickButton(label.Handle());
  ClickButton(label.Handle());
  EXPECT_EQ(visitedWhenNotified, (std::vector<bool>{false, true, true}));
  EXPECT_EQ(shell.results.size(), 3u) << "every click opens the target again";
  EXPECT_TRUE(label.Visited());
  EXPECT_TRUE(Screenshot(label.Handle()).HasLineIn(kPurple));
  EXPECT_TRUE(shell.commands.empty());
}

TEST_F(LinkLabel, ATargetTheShellCannotOpenStaysUnvisitedAndShowsNothing) {
  label.SetURL("C:\\no-such-folder\\missing.vrt");
  app::TVtURLLabel::Shell system = app::TVtURLLabel::SystemShell();
  label.SetShell(RecordingShell(shell, system.execute));
  std::set<HWND> before = VisibleTopLevelWindows();
  gui_test::BoxCatcher boxes;

  ClickButton(label.Handle());
  PumpFor(500);
  EXPECT_EQ(shell.results, std::vector<bool>{false});
  EXPECT_FALSE(label.Visited());
  EXPECT_EQ(label.ShownColor(), Highlight());
  EXPECT_TRUE(boxes.Boxes().empty());
  EXPECT_EQ(VisibleTopLevelWindows(), before);
  EXPECT_TRUE(shell.commands.empty());
}

TEST_F(LinkLabel, AnHtmPageTheShellCannotOpenOffersTheOpenWithDialogAndNothingElseDoes) {
  label.SetShell(RecordingShell(shell));  // the system's shell; commands only recorded
  for (const char* htm : {"C:\\no-such-folder\\page.htm", "C:\\no-such-folder\\PAGE.Htm"}) {
    label.SetURL(htm);
    ClickButton(label.Handle());
  }
  EXPECT_EQ(shell.results, (std::vector<bool>{false, false}));
  const std::pair<std::string, UINT> openWith{"RunDLL32.exe Shell32.dll,OpenAs_RunDLL *.htm",
                                              SW_SHOWNORMAL};
  EXPECT_EQ(shell.commands, (std::vector<std::pair<std::string, UINT>>{openWith, openWith}));

  label.SetURL("C:\\no-such-folder\\page.html");
  ClickButton(label.Handle());
  label.SetShell(RecordingShell(shell, NoShell));  // as where no mail program is registered
  label.SetURL(kMailUrl);
  ClickButton(label.Handle());
  EXPECT_EQ(shell.results, (std::vector<bool>{false, false, false, false}));
  EXPECT_EQ(shell.commands.size(), 2u);
  EXPECT_FALSE(label.Visited());
}

TEST_F(LinkLabel, AsksTheShellToOpenTheUrlAsStoredOrElseTheCaptionWithNoUiOrOwner) {
  label.SetShell(RecordingShell(shell, NoShell));
  int notified = 0;
  label.OnClick = [&notified] { ++notified; };

  label.SetURL(std::string(" ") + kMailUrl + " ");
  ClickButton(label.Handle());
  label.SetURL(" \t ");
  label.SetCaption(std::string("Website: ") + kWebUrl);
  ClickButton(label.Handle());
  label.SetURL("");
  label.SetCaption("  ");
  ClickButton(label.Handle());  // nothing to open

  EXPECT_EQ(notified, 3);
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[0].file, std::string(" ") + kMailUrl + " ");
  EXPECT_EQ(shell.calls[1].file, std::string("Website: ") + kWebUrl);
  for (const ShellCall& call : shell.calls) {
    EXPECT_EQ(call.size, sizeof(SHELLEXECUTEINFOA));
    EXPECT_EQ(call.mask, static_cast<ULONG>(SEE_MASK_FLAG_NO_UI | SEE_MASK_FLAG_DDEWAIT));
    EXPECT_EQ(call.owner, nullptr);
    EXPECT_EQ(call.verb, "Open");
    EXPECT_FALSE(call.hasParameters);
    EXPECT_FALSE(call.hasDirectory);
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
  }
}

TEST_F(LinkLabel, OnlyAPressAndAReleaseOverTheLabelIsAClickAndKeysNeverAre) {
  label.SetShell(RecordingShell(shell, ShellOpens));
  HWND window = label.Handle();
  RECT client{};
  GetClientRect(window, &client);
  const POINT inside{client.right / 2, client.bottom / 2};

  Click(window, inside, {client.right + 5, inside.y});                    // released beside it
  Click(window, inside, {inside.x, -3});                                  // released above it
  PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));  // never pressed
  for (WPARAM key : {WPARAM{VK_RETURN}, WPARAM{VK_SPACE}}) {
    PostMessageA(window, WM_KEYDOWN, key, 0);
    PostMessageA(window, WM_CHAR, key, 0);
    PostMessageA(window, WM_KEYUP, key, 0);
  }
  application.ProcessPendingEvents();
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_FALSE(label.Visited());

  Click(window, inside, inside);
  EXPECT_EQ(shell.calls.size(), 1u);
  EXPECT_TRUE(label.Visited());
  EXPECT_EQ(GetCapture(), nullptr);
  // The second press of a double click is no new click: the target opens once.
  PostMessageA(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(inside.x, inside.y));
  PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
  application.ProcessPendingEvents();
  EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(LinkLabel, KeepsItsColourUnderTheMouseWhereAPlainLabelWithFlyByChangesIt) {
  SendMessageA(label.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(label.ShownColor(), Highlight());

  app::TVtLabel plain;
  plain.SetFlyByEnabled(true);
  plain.SetFlyByColor(RGB(200, 0, 0));
  plain.Create(page.Handle(), 2, "plain", {4, 30}, font_.Get());
  SendMessageA(plain.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(plain.ShownColor(), RGB(200, 0, 0));
  SendMessageA(plain.Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(plain.ShownColor(), plain.FontColor());
}

// Marks a file type as a text document for the test's length, so that the shell opens it
// with the system's text editor. Windows reads the per-user classes through HKCR; Wine 8 does
// not, so there the type goes into HKCR itself (the test prefix's machine classes).
class TextDocumentType {
 public:
  explicit TextDocumentType(const std::string& extension)
      : extension_(extension), userKey_("Software\\Classes\\" + extension) {
    Register(HKEY_CURRENT_USER, userKey_);
    HKEY seen = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, extension_.c_str(), 0, KEY_READ, &seen) == ERROR_SUCCESS) {
      RegCloseKey(seen);
    } else {
      inClassesRoot_ = Register(HKEY_CLASSES_ROOT, extension_);
    }
  }
  ~TextDocumentType() {
    RegDeleteKeyA(HKEY_CURRENT_USER, userKey_.c_str());
    if (inClassesRoot_) RegDeleteKeyA(HKEY_CLASSES_ROOT, extension_.c_str());
  }
  TextDocumentType(const TextDocumentType&) = delete;
  TextDocumentType& operator=(const TextDocumentType&) = delete;

 private:
  static bool Register(HKEY root, const std::string& key) {
    return RegSetKeyValueA(root, key.c_str(), nullptr, REG_SZ, "txtfile", 8) == ERROR_SUCCESS;
  }

  std::string extension_;
  std::string userKey_;
  bool inClassesRoot_ = false;
};

// The processes of that name but for those listed.
std::vector<DWORD> ProcessesNamed(const char* name, const std::vector<DWORD>& except = {}) {
  std::vector<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, name) == 0 &&
        std::find(except.begin(), except.end(), entry.th32ProcessID) == except.end()) {
      found.push_back(entry.th32ProcessID);
    }
  }
  CloseHandle(snapshot);
  return found;
}

// Ends the processes of that name that were not there before, once they have come up.
int EndNewProcesses(const char* name, const std::vector<DWORD>& before, size_t expected) {
  std::vector<DWORD> started;
  for (int tries = 0; tries < 100 && started.size() < expected; ++tries) {
    Sleep(50);
    started = ProcessesNamed(name, before);
  }
  for (DWORD id : started) {
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }
  return static_cast<int>(started.size());
}

class AboutPageLinks : public testing::Test {
 protected:
  ui::Application& application = gui_test::TestApplication();  // before the window
  ShellRecord shell;
  app::TForm1 form;
};

TEST_F(AboutPageLinks, CarryTheAddressesAndTurnPurpleOnceTheShellHasOpenedThem) {
  EXPECT_EQ(form.VtURLLabel1.Caption(), "Email: veritally@example.org");
  EXPECT_EQ(form.VtURLLabel1.URL(), kMailUrl);
  EXPECT_EQ(form.VtURLLabel2.Caption(), std::string("Website: ") + kWebUrl);
  EXPECT_EQ(form.VtURLLabel2.URL(), kWebUrl);
  EXPECT_TRUE(form.VtURLLabel1.Transparent());
  EXPECT_TRUE(form.VtURLLabel2.Transparent());

  // Their own targets would start a mail program and a browser: the shell only says yes.
  for (app::TVtURLLabel* link : {&form.VtURLLabel1, &form.VtURLLabel2}) {
    link->SetShell(RecordingShell(shell, ShellOpens));
    ClickButton(link->Handle());
    EXPECT_TRUE(link->Visited());
    EXPECT_EQ(link->ShownColor(), kPurple);
  }
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[0].file, kMailUrl);
  EXPECT_EQ(shell.calls[1].file, kWebUrl);
  ClickButton(form.VtURLLabel1.Handle());
  EXPECT_TRUE(form.VtURLLabel1.Visited());
}

TEST_F(AboutPageLinks, ADocumentTheShellOpensInTheTextEditorTurnsTheLinkPurple) {
  // The shell of the test prefix opens neither mail nor web addresses for real: a local
  // text document stands in for the web page.
  ShowWindow(form.Handle(), SW_SHOW);
  testing_support::TempDir folder;
  const std::string document = folder / "readme.vrtlytxt";
  testing_support::WriteFile(document, "Veritally\r\n");
  TextDocumentType textType(".vrtlytxt");
  const std::vector<DWORD> before = ProcessesNamed("notepad.exe");

  form.VtURLLabel2.SetURL(document);
  ClickButton(form.VtURLLabel2.Handle());
  const bool visited = form.VtURLLabel2.Visited();
  EXPECT_EQ(EndNewProcesses("notepad.exe", before, 1), 1) << "the editor came up";
  EXPECT_TRUE(visited);
  EXPECT_EQ(form.VtURLLabel2.ShownColor(), kPurple);
  EXPECT_FALSE(form.VtURLLabel1.Visited());
}

TEST_F(AboutPageLinks, NeitherAClickNorTabNorSetFocusLeavesTheFocusOnALink) {
  ShowWindow(form.Handle(), SW_SHOW);
  application.ProcessPendingEvents();
  HWND links[] = {form.VtURLLabel1.Handle(), form.VtURLLabel2.Handle()};
  form.VtURLLabel1.SetShell(RecordingShell(shell, NoShell));
  form.VtURLLabel2.SetShell(RecordingShell(shell, NoShell));

  SetFocus(form.Memo1.Handle());
  for (HWND link : links) {
    EXPECT_FALSE(gui_test::HasStyle(link, WS_TABSTOP));
    ClickButton(link);
    EXPECT_EQ(GetFocus(), form.Memo1.Handle());
    SetFocus(link);
    EXPECT_EQ(GetFocus(), form.Memo1.Handle()) << "handed back";
  }
  EXPECT_EQ(shell.calls.size(), 2u) << "both were clicked";

  SetFocus(form.PageControl1.Handle());
  for (int press = 0; press < 6; ++press) {
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    application.ProcessPendingEvents();
    for (HWND link : links)
      EXPECT_NE(GetFocus(), link);
  }
}

}  // namespace
