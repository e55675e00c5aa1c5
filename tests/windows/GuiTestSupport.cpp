#include "tests/windows/GuiTestSupport.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include "platform/win32/TextConversion.h"
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

std::string DialogItemText(HWND dialog, int id) {
  char text[MAX_PATH] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

bool IsOpenDialog(HWND box) {
  return GetDlgItem(box, cmb13) != nullptr || GetDlgItem(box, edt1) != nullptr;
}

int FileNameBox(HWND dialog) {
  return GetDlgItem(dialog, cmb13) != nullptr ? cmb13 : edt1;
}

// Enabled itself and through every window above it up to the main window, whose own state a
// modal box changes while it is up.
bool ReachableInForm(app::TForm1& form, HWND control) {
  for (HWND at = control; at != nullptr && at != form.Handle(); at = GetParent(at)) {
    if (!IsWindowEnabled(at)) return false;
  }
  return true;
}

// The centre of a tab, in the page control's client area.
POINT TabPoint(app::TForm1& form, int index) {
  RECT tab{};
  SendMessageA(form.PageControl1.Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&tab));
  return {(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2};
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

POINT TabCentre(app::TForm1& form, int index) {
  POINT centre = TabPoint(form, index);
  ClientToScreen(form.PageControl1.Handle(), &centre);
  return centre;
}

void MouseClickAt(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  INPUT input[2] = {};
  input[0].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].type = INPUT_MOUSE;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(SendInput(2, input, sizeof(INPUT)), 2u);
  // The input reaches the queue a moment later (under Wine by way of the X server).
  MSG message;
  for (int waited = 0; waited < 5000; ++waited) {
    if (PeekMessageA(&message, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE)) return;
    Sleep(1);
  }
  ADD_FAILURE() << "the click did not arrive";
}

void MouseClick(HWND window) {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  MouseClickAt({(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2});
}

void ClickPageTab(app::TForm1& form, int index) {
  const POINT tab = TabPoint(form, index);
  const LPARAM at = MAKELPARAM(tab.x, tab.y);
  PostMessageA(form.PageControl1.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(form.PageControl1.Handle(), WM_LBUTTONUP, 0, at);
  ui::Application::Current().ProcessPendingEvents();
  EXPECT_EQ(form.PageControl1.Selected(), index);
}

std::string ControlState(app::TForm1& form) {
  const bool pages = IsWindowEnabled(form.PageControl1.Handle()) != FALSE;
  const bool scan = IsWindowEnabled(form.ButtonScanFolder.Handle()) != FALSE;
  const bool go = IsWindowEnabled(form.ButtonGo.Handle()) != FALSE;
  const bool find = IsWindowEnabled(form.ButtonFindCheckFile.Handle()) != FALSE;
  const bool abort = ReachableInForm(form, form.ButtonAbort.Handle());
  if (!ReachableInForm(form, form.Memo1.Handle())) return "mixed";
  if (pages && scan && go && find && !abort && ReachableInForm(form, form.ButtonGo.Handle()) &&
      ReachableInForm(form, form.ButtonFindCheckFile.Handle())) {
    return "idle";
  }
  if (!pages && !scan && !go && find && abort) return "generating";
  if (!pages && scan && go && !find && abort) return "verifying";
  return "mixed";
}

std::vector<std::string> LogLines(app::TForm1& form) {
  const std::string text = form.LogText();
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start) + " <no line break>");
  return lines;
}

OpenDialogScript::OpenDialogScript(app::TForm1& form, std::vector<std::string> names)
    : form_(form),
      names_(std::move(names)),
      catcher_([this](HWND box) { Answer(box); }, form.Memo1.Handle()) {}

void OpenDialogScript::Answer(HWND box) {
  if (!IsOpenDialog(box)) {
    otherBoxes_.push_back(catcher_.Boxes().back());
    otherStates_.push_back(ControlState(form_));
    BoxCatcher::PressOk(box);
    return;
  }
  Showing showing;
  // The dialog answers in its own character set: the program's is a Unicode dialog.
  wchar_t folder[MAX_PATH] = {};
  if (SendMessageW(box, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder)) > 0)
    showing.folder = platform::Narrowed(folder, platform::Unmappable::LookAlike);
  showing.shownName = DialogItemText(box, FileNameBox(box));
  showing.filter = DialogItemText(box, cmb1);
  HWND readOnly = GetDlgItem(box, chx1);
  showing.readOnlyBoxShown = readOnly != nullptr && IsWindowVisible(readOnly);
  showing.sizable = HasStyle(box, WS_THICKFRAME);
  dialogs_.push_back(showing);
  const std::string name = next_ < names_.size() ? names_[next_] : std::string();
  ++next_;
  if (name.empty()) {
    BoxCatcher::PressCancel(box);
    return;
  }
  if (name != kAsOffered)
    SetDlgItemTextW(box, FileNameBox(box), platform::Widened(name, CP_UTF8).c_str());
  BoxCatcher::PressOk(box);
}

MainWindowTask::MainWindowTask() {
  application.SetMainWindow(&form);
  ShowWindow(form.Handle(), SW_SHOW);
}

MainWindowTask::~MainWindowTask() {
  application.SetMainWindow(nullptr);
}

void MainWindowTask::ClickGo(const std::string& folder) {
  ClickPageTab(form, kPageMake);
  form.SetSelectedFolder(folder);
  ClickButton(form.ButtonGo.Handle());
}

void MainWindowTask::ClickOpenCheckfile() {
  ClickPageTab(form, kPageCheck);
  ClickButton(form.ButtonFindCheckFile.Handle());
}

}  // namespace gui_test
