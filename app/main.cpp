// Program entry: start-up and shutdown of the user-interface thread.
#include <windows.h>

#include <memory>

#include "app/Unit1.h"
#include "ui/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ui::OleSession ole;  // the folder selection dialog needs OLE on this thread
  {
    ui::Application application;  // and with it COM
    application.SetTitle("Veritally");
    {
      auto form = std::make_unique<app::TForm1>();
      app::Form1 = form.get();
      application.SetMainWindow(form.get());
      application.Run();
      application.SetMainWindow(nullptr);
      app::Form1 = nullptr;
    }
  }
  return 0;
}
