// Drives the folder selection dialog from inside its modal loop: steps run one after another
// from a thread timer while the form is up.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/VtSelectFolderDialog.h"
#include "app/VtShellLocator.h"

namespace folder_testing {

using Step = std::function<void(app::TVtSelectFolderForm& form)>;

// Calls start, which runs the dialog; each step runs once the modal loop has dispatched
// everything the step before it caused. The last step must close the form. A form still up
// 20 s after the last step is cancelled and the test fails.
void DriveRun(app::TVtCustomSelectFolderDialog& dialog, const std::function<void()>& start,
              std::vector<Step> steps);
// Runs the dialog with the steps; returns what RunModal returned.
bool RunWithSteps(app::TVtCustomSelectFolderDialog& dialog, app::TVtShellDialog& runner,
                  std::vector<Step> steps);
inline bool RunWithSteps(app::TVtSelectFolderDialog& dialog, std::vector<Step> steps) {
  return RunWithSteps(dialog, dialog, std::move(steps));
}

// Steps that end the run.
Step ClickOk();
Step ClickCancel();

// A run with one step that looks at the form as it comes up, then Cancel; returns what RunModal
// returned.
inline bool Inspect(app::TVtSelectFolderDialog& dialog, Step look) {
  return RunWithSteps(dialog, {std::move(look), ClickCancel()});
}

// The tree's children of an item, and the first child whose label contains the text.
std::vector<HTREEITEM> Children(const ui::TreeView& view, HTREEITEM parent);
HTREEITEM ChildContaining(const ui::TreeView& view, HTREEITEM parent, const std::string& text);
// The tree's item of a drive, below its root, and a step that selects it.
HTREEITEM Drive(app::TVtSelectFolderForm& form, char letter);
Step SelectDrive(char letter);

// The locator of a folder given by its path.
app::TVtShellLocator LocatorOf(const std::string& path);

// The form's client rectangle.
RECT ClientOf(HWND window);

// A click of the left mouse button at the middle of a tool button; returns once the click's
// command has run.
void ClickToolButton(const ui::ToolButton& button);
// A key pressed and released in the window.
void PressKey(HWND window, WPARAM key);

}  // namespace folder_testing
