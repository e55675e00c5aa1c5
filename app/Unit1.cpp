#include "app/Unit1.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "app/Unit1Texts.h"
#include "app/resources/resource.h"
#include "checkfile/Tasks.h"
#include "ui/Application.h"
#include "ui/Path.h"

namespace app {

TForm1* Form1 = nullptr;

namespace {

using checkfile::TaskState;
using ui::Bounds;

constexpr char kWindowClass[] = "TForm1";
constexpr char kCaption[] = "Veritally";
constexpr int kClientWidth = 524;
constexpr int kClientHeight = 371;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;

constexpr int kPageAbout = 2;

// The time from one batch of log lines to the next. The edit control's cost of taking a batch
// grows with the batch, so a fixed pace keeps both the batches and the lag small; each batch
// also costs a repaint of the log and the status line, which at five a second is a small part
// of a run over many small files and still looks live.
constexpr DWORD kFlushInterval = 200;
// Items that take this long (milliseconds) get the status line shown for each of them: its
// cost is then small beside theirs.
constexpr DWORD kSlowItem = 10;

constexpr char kLineBreak[] = "\r\n";

}  // namespace

XPManifest::XPManifest() {
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof classes;
  classes.dwICC = ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES;
  InitCommonControlsEx(&classes);
}

TForm1::TForm1() : VtVersionInfo1(true) {
  font_ = ui::CreatePointFont("MS Sans Serif", 8, DEFAULT_CHARSET);
  memoFont_ = ui::CreatePointFont("Courier New", 8, ANSI_CHARSET);
  CreateFormWindow();
  // Siblings are created in tab order.
  CreateMakePage();
  CreateCheckPage();
  CreateAboutPage();
  ShowPage(kPageAbout);
  CreateLogAndStatus();
  VtVersionInfo1.Loaded();
  FormCreate();
  FlushDisplay();
}

TForm1::~TForm1() {
  DestroyHandle();
}

void TForm1::CreateFormWindow() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  RegisterWindowClass(kWindowClass, LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAINICON)),
                      COLOR_BTNFACE);
  CreateHandle(kWindowExStyle, kWindowClass, kCaption, kWindowStyle,
               FrameForClientSize(kClientWidth, kClientHeight, kWindowStyle, kWindowExStyle),
               nullptr, 0);
  CenterOnDesktop();

  PageControl1.Create(Handle(), IDC_PAGES, Bounds(8, 8, 505, 113), font_.Get());
  PageControl1.AddTab("Make checkfile");
  PageControl1.AddTab("Check files");
  PageControl1.AddTab("About");
  const RECT pageArea = PageControl1.PageArea();
  TabSheetMake.Create(*this, PageControl1.Handle(), pageArea, IDC_MAKE_PAGE);
  TabSheetCheck.Create(*this, PageControl1.Handle(), pageArea, IDC_CHECK_PAGE);
  TabSheet1.Create(*this, PageControl1.Handle(), pageArea, IDC_ABOUT_PAGE);
}

void TForm1::CreateMakePage() {
  HWND page = TabSheetMake.Handle();
  ButtonScanFolder.Create(page, IDC_FOLDER_BUTTON, "Click to select folder to scan",
                          Bounds(8, 24, 481, 25), font_.Get());
  ButtonGo.Create(page, IDC_GO_BUTTON, "Go!", Bounds(8, 56, 75, 25), font_.Get());
  Label1.Create(page, IDC_FOLDER_PROMPT, "", Bounds(8, 8, 321, 13), font_.Get());
  Label1.SetTextAutoSize("Select folder to be recursively scanned by clicking the button below:");
  // The folder dialog as stored: rooted at the drives folder, no title of its own, the default
  // options, its design size and the normal window state.
  VtSelectFolderDialog1.SetBaseFolder(TVtShellLocator::FromSpecialFolder(CSIDL_DRIVES));
  VtSelectFolderDialog1.SetTitle("");
  VtSelectFolderDialog1.SetFormWidth(-1);
  VtSelectFolderDialog1.SetFormHeight(-1);
  VtSelectFolderDialog1.SetFormWindowState(ui::WindowState::Normal);
}

void TForm1::CreateCheckPage() {
  ButtonFindCheckFile.Create(TabSheetCheck.Handle(), IDC_OPEN_CHECKFILE_BUTTON, "Open Checkfile...",
                             Bounds(8, 8, 97, 25), font_.Get());
  OpenDialog1.SetFilter("Veritally checkfiles|*.MD5");
  OpenDialog1.SetDefaultExt(".txt");
  OpenDialog1.SetTitle("");
}

void TForm1::CreateAboutPage() {
  HWND page = TabSheet1.Handle();
  const struct {
    ui::Label& label;
    int id;
    RECT bounds;
    std::string caption;
  } labels[] = {
      {Label2, IDC_VERSION_LINE, Bounds(8, 8, 110, 13), "Veritally version "},
      {Label3, IDC_COPYRIGHT_LINE, Bounds(8, 24, 115, 13), kCopyrightLine},
      {Label4, IDC_LICENCE_LINE, Bounds(128, 24, 306, 13), kLicenceLine},
      {Label5, IDC_NO_WARRANTY_LINE, Bounds(8, 40, 355, 13), kNoWarrantyLine},
  };
  for (const auto& entry : labels) {
    entry.label.Create(page, entry.id, "", entry.bounds, font_.Get());
    entry.label.SetTextAutoSize(entry.caption);
  }
  CreateLinkLabels();
}

void TForm1::CreateLinkLabels() {
  const std::string email = kEmailAddress;
  const std::string web = kWebAddress;
  VtURLLabel1.SetTransparent(true);
  VtURLLabel1.SetURL("mailto:" + email + "?subject=Veritally");
  VtURLLabel1.Create(TabSheet1.Handle(), IDC_EMAIL_LINK, "Email: " + email, {8, 56}, font_.Get());
  VtURLLabel2.SetTransparent(true);
  VtURLLabel2.SetURL(web);
  VtURLLabel2.Create(TabSheet1.Handle(), IDC_WEB_LINK, "Website: " + web, {200, 56}, font_.Get());
}

void TForm1::CreateLogAndStatus() {
  Memo1.Create(Handle(), IDC_LOG, Bounds(8, 128, 505, 185), memoFont_.Get());
  Memo1.SetNoTextLimit();
  Memo1.SetText(kHelpText);
  ButtonAbort.Create(Handle(), IDC_ABORT_BUTTON, "Abort", Bounds(344, 320, 59, 42), font_.Get());
  ButtonAbort.SetEnabled(false);
  // Word-wrapped; what does not fit in its three lines is cut off.
  LabelStatus.Create(Handle(), IDC_STATUS_LINE, "", Bounds(8, 320, 321, 41), font_.Get());
  Image1.Create(Handle(), IDC_LOGO, Bounds(408, 320, 105, 44));
  logo_.Attach(static_cast<HBITMAP>(LoadImageA(
      GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_LOGO), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  Image1.SetBitmap(logo_.Get());
}

void TForm1::ShowPage(int index) {
  PageControl1.Select(index);
  const ui::Container* pages[] = {&TabSheetMake, &TabSheetCheck, &TabSheet1};
  for (int page = 0; page < 3; ++page) {
    ShowWindow(pages[page]->Handle(), page == index ? SW_SHOW : SW_HIDE);
  }
}

void TForm1::FormCreate() {
  ui::Application::Current().SetCurrentDirFallback(true);
  SetStatus(StatusBanner());
  Label2.SetTextAutoSize(Label2.Text() + VersionText());
  selectedFolder_ = ui::FolderPart(ui::ExecutablePath());
  ButtonScanFolder.SetText(selectedFolder_);
}

// The dialog preselects the folder last confirmed in it, not SelectedFolder.
void TForm1::ButtonScanFolderClick() {
  if (!VtSelectFolderDialog1.RunModal()) return;
  ButtonScanFolder.SetText(VtSelectFolderDialog1.ChosenPath());
  selectedFolder_ = VtSelectFolderDialog1.ChosenPath();
}

void TForm1::ButtonAbortClick() {
  abortRequested_ = true;
}

// Each task runs to its end here; an error that ends it is thrown after the window is idle
// again and reaches the error box through RunHandler.
void TForm1::ButtonGoClick() {
  checkfile::RunGeneration(*this);
}

void TForm1::ButtonFindCheckFileClick() {
  checkfile::RunVerification(*this);
}

void TForm1::AppendLog(const std::string& line) {
  pendingLog_ += line;
  pendingLog_ += kLineBreak;
}

void TForm1::ClearLog() {
  pendingLog_.clear();
  Memo1.SetText("");
}

void TForm1::SetStatus(const std::string& text) {
  status_ = text;
  statusPending_ = true;
}

std::string TForm1::StatusBanner() {
  char versionLine[128];
  std::snprintf(versionLine, sizeof versionLine, "Veritally version %s%s", VersionText().c_str(),
                "\n");
  return versionLine + std::string(kBannerNotice);
}

void TForm1::FlushStatus() {
  if (!statusPending_) return;
  LabelStatus.SetText(status_);
  statusPending_ = false;
}

void TForm1::FlushDisplay() {
  if (Handle() == nullptr) return;
  FlushStatus();
  if (!pendingLog_.empty()) {
    // A line the user typed at the end without a line break keeps its own line.
    if (Memo1.LastLineLength() > 0) {
      pendingLog_.insert(0, kLineBreak);
    }
    Memo1.AppendAtEnd(pendingLog_);
    pendingLog_.clear();
  }
  lastFlushTick_ = GetTickCount();
}

void TForm1::ProcessPendingEvents() {
  const DWORD now = GetTickCount();
  const bool slowItems = now - lastPumpTick_ >= kSlowItem;
  lastPumpTick_ = now;
  if (now - lastFlushTick_ >= kFlushInterval) {
    FlushDisplay();
  } else if (slowItems) {
    FlushStatus();  // the next item may well be slow too: show what it works on
  }
  ui::Application::Current().ProcessPendingEvents();
}

void TForm1::ShowMessageBox(const std::string& text) {
  FlushDisplay();
  ui::Application::Current().ShowMessageBox(text);
}

void TForm1::ShowErrorBox(const std::string& message) {
  FlushDisplay();
  ui::Application::Current().ShowErrorBox(message);
}

// The control states and the order in which each transition switches its controls. A busy
// state is only ever entered from idle; going from one busy state to the other passes
// through idle.
void TForm1::EnterState(TaskState next) {
  if (next == state_) return;
  if (next != TaskState::Idle && state_ != TaskState::Idle) EnterState(TaskState::Idle);
  const TaskState busy = next == TaskState::Idle ? state_ : next;
  const bool entering = next != TaskState::Idle;
  if (busy == TaskState::Generating && entering) {
    SwitchControls(
        {{ButtonGo, false}, {ButtonScanFolder, false}, {PageControl1, false}, {ButtonAbort, true}});
  } else if (busy == TaskState::Generating) {
    SwitchControls(
        {{ButtonGo, true}, {ButtonAbort, false}, {ButtonScanFolder, true}, {PageControl1, true}});
  } else if (entering) {
    SwitchControls({{PageControl1, false}, {ButtonFindCheckFile, false}, {ButtonAbort, true}});
  } else {
    SwitchControls({{PageControl1, true}, {ButtonFindCheckFile, true}, {ButtonAbort, false}});
  }
  state_ = next;
}

void TForm1::SwitchControls(std::initializer_list<ControlSwitch> switches) {
  for (const ControlSwitch& change : switches)
    change.control.SetEnabled(change.enabled);
}

std::string TForm1::VersionText() {
  return VtVersionInfo1.FieldValue(vfFileVersion);
}

bool TForm1::RunOpenDialog(const std::string& initialFolder, std::string& fileName) {
  FlushDisplay();
  OpenDialog1.SetInitialDir(initialFolder);
  if (!OpenDialog1.Execute(Handle())) return false;
  fileName = OpenDialog1.FileName();
  return true;
}

std::string TForm1::LogText() {
  FlushDisplay();
  return Memo1.Text();
}

std::string TForm1::StatusText() {
  FlushDisplay();
  return LabelStatus.Text();
}

LRESULT TForm1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    // Only asks the program to end: a running task goes on, and the window stays until it
    // has returned to the event loop.
    ui::Application::Current().Terminate();
    return 0;
  }
  return Form::OnMessage(message, wParam, lParam);
}

bool TForm1::OnCommand(int id, int code, HWND control) {
  if (code != BN_CLICKED) return Form::OnCommand(id, code, control);
  switch (id) {
    case IDC_FOLDER_BUTTON:
      RunHandler(&TForm1::ButtonScanFolderClick);
      return true;
    case IDC_GO_BUTTON:
      RunHandler(&TForm1::ButtonGoClick);
      return true;
    case IDC_OPEN_CHECKFILE_BUTTON:
      RunHandler(&TForm1::ButtonFindCheckFileClick);
      return true;
    case IDC_ABORT_BUTTON:
      RunHandler(&TForm1::ButtonAbortClick);
      return true;
    default:
      return Form::OnCommand(id, code, control);
  }
}

bool TForm1::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.idFrom == IDC_PAGES && header.code == static_cast<UINT>(TCN_SELCHANGE)) {
    ShowPage(PageControl1.Selected());
    result = 0;
    return true;
  }
  return Form::OnNotify(header, result);
}

// A handler's error ends at the error box, after the log has caught up; the log is also
// complete whenever a handler, and with it a task, has returned.
void TForm1::RunHandler(void (TForm1::*handler)()) {
  try {
    (this->*handler)();
  } catch (const std::exception& error) {
    ShowErrorBox(error.what());
  }
  FlushDisplay();
}

}  // namespace app
