/* Keeps one Wine process with a message-only window alive for a whole test run, so Wine's
   desktop and service processes start once, outside ctest, and stay up between tests. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)previous;
  (void)commandLine;
  (void)show;
  HWND window = CreateWindowExA(0, "STATIC", "wine-keeper", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                instance, NULL);
  MSG message;
  while (window != NULL && GetMessageA(&message, NULL, 0, 0) > 0)
    DispatchMessageA(&message);
  return 0;
}
