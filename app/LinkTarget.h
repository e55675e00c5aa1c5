// What a click on a link label opens, and when the shell's failure to open it calls for the
// system's "Open with" dialog instead. Plain text rules, free of any system call, so that they
// run on every platform the tests run on.
#pragma once

#include <string>

namespace app {

// The text without leading and trailing blanks and control characters (every character
// up to and including the space); characters above the space, the code page's upper half
// among them, stay.
std::string Trimmed(const std::string& text);

// The target a click opens: the URL exactly as stored when it holds more than blanks and
// control characters, else the caption. Empty when that holds nothing else either: the
// click then opens nothing.
std::string ClickTarget(const std::string& url, const std::string& caption);

// The extension in upper case: the text from the last "." to the end, or empty when a "\" or
// a ":" follows that "." (the dot belongs to a folder or a drive part) or there is none.
std::string UpperExtension(const std::string& target);

// A target the shell could not open that names an .htm page: the user is offered the
// system's dialog for choosing the program that opens .htm files.
bool WantsOpenWithDialog(const std::string& target);

// The command line that shows that dialog.
inline constexpr char kOpenWithHtmCommand[] = "RunDLL32.exe Shell32.dll,OpenAs_RunDLL *.htm";

}  // namespace app
