// A top-level form shown modally: while it is up the program's other windows are disabled,
// Enter and Escape click its default and cancel buttons, Tab moves the focus, and the loop
// ends as soon as a modal result is set (a button, or the close box, which means Cancel).
#pragma once

#include <windows.h>

#include <string>

#include "ui/Form.h"

namespace ui {

enum class WindowState { Normal, Minimized, Maximized };

class ModalForm : public Form {
 public:
  static constexpr int kNoResult = 0;

  // Shows the form centred on the screen in its window state, runs the modal loop until a
  // modal result is set, hides the form again and returns the result.
  int ShowModal();

  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  bool IsShowingModal() const { return showingModal_; }

  // The state the form is shown in, and the state it is in while shown.
  WindowState State() const { return state_; }
  void SetState(WindowState state);

  // The outer size, frame and caption included.
  int OuterWidth() const;
  int OuterHeight() const;
  void SetOuterSize(int width, int height);
  // The restored (normal) rectangle, also while the form is maximized or minimized.
  RECT NormalBounds() const;

  std::string Caption() const { return WindowText(Handle()); }
  void SetCaption(const std::string& caption) { SetWindowTextA(Handle(), caption.c_str()); }

 protected:
  // Creates the form hidden, with the given client size.
  void CreateForm(const char* className, HWND owner, const std::string& caption, DWORD style,
                  SIZE clientSize);
  // The push buttons that Enter (unless another push button has the focus) and Escape click.
  void SetDialogButtons(HWND defaultButton, HWND cancelButton) {
    defaultButton_ = defaultButton;
    cancelButton_ = cancelButton;
  }

  // The show hook, run before the form becomes visible; the hide hook, after it was hidden.
  virtual void DoShow() {}
  virtual void DoHide() {}
  // After every change of the client size, and once when the form is shown.
  virtual void DoResize() {}
  virtual void DoGetMinMaxInfo(MINMAXINFO&) {}
  // True when the focused control handles Enter, Escape and Tab itself (an in-place editor).
  virtual bool FocusWantsAllKeys(HWND focus) const;
  // The modal form has always left activation to the system.
  bool RestoresFocus() const override { return false; }

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  class DisabledWindows;

  void Reveal();
  void RunLoop();
  bool HandleDialogKey(const MSG& message);
  void TrackState(WPARAM sizeType);

  int modalResult_ = kNoResult;
  bool showingModal_ = false;
  WindowState state_ = WindowState::Normal;
  HWND defaultButton_ = nullptr;
  HWND cancelButton_ = nullptr;
};

}  // namespace ui
