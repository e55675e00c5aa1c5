// The main window's stored texts: the help text of the log, the About page, the status
// banner's notice and the program's addresses.
#pragma once

namespace app {

// The log's text at start: 66 lines, each followed by CR LF.
extern const char kHelpText[];

extern const char kCopyrightLine[];   // About page, Label3
extern const char kLicenceLine[];     // About page, Label4
extern const char kNoWarrantyLine[];  // About page, Label5
// The banner's one-line notice after the version line; no line break in it.
extern const char kBannerNotice[];

extern const char kEmailAddress[];
extern const char kWebAddress[];

}  // namespace app
