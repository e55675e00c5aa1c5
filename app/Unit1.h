// The main window: three pages (make a checkfile, check files, about), the log, the status
// line, the Abort button and the logo, and the services the two tasks use.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "app/VtSelectFolderDialog.h"
#include "app/VtURLLabel.h"
#include "app/VtVersionInfo.h"
#include "checkfile/TaskWindow.h"
#include "ui/Controls.h"
#include "ui/Form.h"
#include "ui/Gdi.h"
#include "ui/OpenDialog.h"
#include "ui/Window.h"

namespace app {

// Puts the themed-controls manifest into the executable (the resource script does) and
// registers the common control classes it selects before the first of them is created.
class XPManifest {
 public:
  XPManifest();
};

class TForm1 : public ui::Form, public checkfile::TaskWindow {
 public:
  // Creates the window from its stored layout, hidden, and runs FormCreate.
  TForm1();
  ~TForm1() override;

  // Members of the stored layout, in its order.
  ui::Picture Image1;
  ui::PageControl PageControl1;
  XPManifest XPManifest1;
  ui::Container TabSheetMake;
  ui::Container TabSheetCheck;
  ui::Label Label1;
  TVtSelectFolderDialog VtSelectFolderDialog1;
  ui::Button ButtonGo;
  ui::Memo Memo1;
  ui::Button ButtonScanFolder;
  ui::Label LabelStatus;
  ui::Button ButtonAbort;
  TVtVersionInfo VtVersionInfo1;
  ui::Button ButtonFindCheckFile;
  ui::OpenDialog OpenDialog1;
  ui::Container TabSheet1;
  ui::Label Label2;
  ui::Label Label3;
  ui::Label Label4;
  ui::Label Label5;
  TVtURLLabel VtURLLabel1;
  TVtURLLabel VtURLLabel2;

  // Event handlers.
  void FormCreate();
  void ButtonScanFolderClick();
  void ButtonAbortClick();
  void ButtonGoClick();
  void ButtonFindCheckFileClick();

  // The services of the tasks.
  void AppendLog(const std::string& line) override;
  void ClearLog() override;
  void SetStatus(const std::string& text) override;
  std::string StatusBanner() override;
  void ProcessPendingEvents() override;
  void ShowMessageBox(const std::string& text) override;
  void ShowErrorBox(const std::string& message) override;
  void ShowStatusNow() override { FlushStatus(); }
  void EnterState(checkfile::TaskState state) override;
  bool IsAbortRequested() override { return abortRequested_; }
  void SetAbortRequested(bool requested) override { abortRequested_ = requested; }
  std::string GetSelectedFolder() override { return selectedFolder_; }
  void SetSelectedFolder(const std::string& folder) override { selectedFolder_ = folder; }
  std::string VersionText() override;
  bool RunOpenDialog(const std::string& initialFolder, std::string& fileName) override;

  // The log's whole text and the status line's text, each brought up to date first.
  std::string LogText();
  std::string StatusText();
  // Shows every line appended so far and the last status text.
  void FlushDisplay();

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(const NMHDR& header, LRESULT& result) override;
  void OnIdle() override { FlushDisplay(); }

 private:
  void CreateFormWindow();
  void CreateMakePage();
  void CreateCheckPage();
  void CreateAboutPage();
  void CreateLinkLabels();
  void CreateLogAndStatus();
  void ShowPage(int index);
  void RunHandler(void (TForm1::*handler)());
  void FlushStatus();

  struct ControlSwitch {
    ui::Control& control;
    bool enabled;
  };
  // Enables or disables the controls one after the other, in the order given.
  static void SwitchControls(std::initializer_list<ControlSwitch> switches);

  // The window's fonts and its logo; the destructor destroys the window before them.
  ui::Font font_;
  ui::Font memoFont_;
  ui::Bitmap logo_;

  std::string selectedFolder_;
  bool abortRequested_ = false;
  checkfile::TaskState state_ = checkfile::TaskState::Idle;

  // Lines appended but not yet shown, each followed by CR LF, and the status text not yet
  // shown. Appending one line at a time to the edit control costs time that grows with its
  // text, so lines reach it in batches, a fifth of a second apart while a task runs, and
  // whenever a task ends or the log is read. The status line is shown at the same pace, and
  // for every item while items are slow.
  std::string pendingLog_;
  std::string status_;
  bool statusPending_ = false;
  DWORD lastFlushTick_ = 0;
  DWORD lastPumpTick_ = 0;
};

// The program's main window, from its creation to its destruction.
extern TForm1* Form1;

}  // namespace app
