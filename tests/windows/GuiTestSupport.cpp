#include "tests/windows/GuiTestSupport.h"

#include <gtest/gtest.h>

#include "ui/Path.h"

namespace gui_test {

namespace {

BoxCatcher* activeCatcher = nullptr;

// A box's buttons, and the first icon it shows.
BOOL CALLBACK CollectButtonsAndIcon(HWND child, LPARAM caught) {
  auto& box = *reinterpret_cast<CaughtBox*>(caught);
  if (ClassName(child) == "Button") box.buttons.push_back(WindowText(child));
  if (box.icon == nullptr && ClassName(child) == "Static" &&
      (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    box.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
  }
  return TRUE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  if (ClassName(window) == "#32770" && IsWindowVisible(window)) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  }
  return TRUE;
}

}  // namespace

ui::Application& TestApplication() {
  static ui::OleSession ole;
  static ui::Application application;
  application.SetTitle("Veritally");
  application.ResetTerminated();
  return application;
}

BoxCatcher::BoxCatcher(Answer answer, HWND logOwnerMemo)
    : answer_(std::move(answer)), memo_(logOwnerMemo) {
  activeCatcher = this;
  timer_ = SetTimer(nullptr, 0, 20, &OnTimer);
}

BoxCatcher::~BoxCatcher() {
  KillTimer(nullptr, timer_);
  activeCatcher = nullptr;
}

void BoxCatcher::PressOk(HWND box) {
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

void BoxCatcher::PressCancel(HWND box) {
  PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
}

BoxCatcher::Answer BoxCatcher::Press(int button) {
  return [button](HWND box) { PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0); };
}

void CALLBACK BoxCatcher::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (activeCatcher == nullptr) return;
  std::vector<HWND> dialogs;
  EnumThreadWindows(GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialogs));
  for (HWND box : dialogs)
    activeCatcher->Inspect(box);
}

void BoxCatcher::Inspect(HWND box) {
  for (HWND seen : seen_) {
    if (seen == box) return;
  }
  seen_.push_back(box);
  CaughtBox caught;
  caught.caption = WindowText(box);
  char text[4096] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  caught.text = text;
  EnumChildWindows(box, &CollectButtonsAndIcon, reinterpret_cast<LPARAM>(&caught));
  GetWindowRect(box, &caught.bounds);
  HWND owner = GetWindow(box, GW_OWNER);
  caught.ownerEnabled = owner == nullptr || IsWindowEnabled(owner);
  if (memo_ != nullptr) caught.logWhenShown = WindowText(memo_);
  boxes_.push_back(caught);
  answer_(box);
}

BoxLook LookOf(const CaughtBox& box) {
  return {box.caption, box.text, box.icon, box.buttons};
}

BoxLook ErrorBox(const std::string& text) {
  return {"Veritally", text, LoadIconA(nullptr, IDI_HAND), {"OK"}};
}

BoxLook NoticeBox(const std::string& text) {
  return {"Veritally", text, nullptr, {"OK"}};
}

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

bool Reachable(HWND window) {
  for (HWND at = window; at != nullptr; at = GetParent(at)) {
    if (!IsWindowEnabled(at)) return false;
  }
  return true;
}

bool HasStyle(HWND window, DWORD style) {
  return (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & style) == style;
}

LOGFONTA FontOf(HWND window) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

std::string TestFolder() {
  return ui::FolderPart(ui::ExecutablePath());
}

ProgramImage::ProgramImage()
    : module_(LoadLibraryExA(Path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}

ProgramImage::~ProgramImage() {
  if (module_ != nullptr) FreeLibrary(module_);
}

std::string ProgramImage::Path() {
  return TestFolder() + "..\\..\\app\\Veritally.exe";
}

std::string ProgramImage::Bytes(const char* type, const char* name, WORD language) const {
  HRSRC resource = FindResourceExA(module_, type, name, language);
  if (resource == nullptr) return {};
  const char* data = static_cast<const char*>(LockResource(LoadResource(module_, resource)));
  return std::string(data, SizeofResource(module_, resource));
}

std::string SystemText(DWORD code) {
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                 sizeof text, nullptr);
  std::string trimmed = text;
  while (!trimmed.empty() && std::string(" \r\n.").find(trimmed.back()) != std::string::npos)
    trimmed.pop_back();
  return trimmed;
}

void PostClick(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  const LPARAM at = MAKELPARAM(client.right / 2, client.bottom / 2);
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(window, WM_LBUTTONUP, 0, at);
}

void ClickButton(HWND button) {
  ASSERT_TRUE(Reachable(button)) << WindowText(button) << " cannot take a click";
  PostClick(button);
  ui::Application::Current().ProcessPendingEvents();
}

}  // namespace gui_test
