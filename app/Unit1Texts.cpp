#include "app/Unit1Texts.h"

namespace app {

const char kHelpText[] =
    "Veritally is a simple tool to test the integrity of files in a\r\n"
    "folder.\r\n"
    "\r\n"
    "The first step is to create a checkfile. Click the Make Checkfile\r\n"
    "tab.  The first button here allows you to select the folder that\r\n"
    "will be scanned.  Once you have your folder selected, click GO.\r\n"
    "\r\n"
    "The folder will be scanned recursively so that all files in\r\n"
    "subfolders will also be able to be tested.\r\n"
    "\r\n"
    "The scanning process calculates an MD5 sum for each file and will\r\n"
    "save these values in a file (VRTLY-sums.MD5) in the folder you\r\n"
    "selected.  How long this takes depends on how many files are\r\n"
    "being scanned and the speed of your computer.\r\n"
    "\r\n"
    "Once an MD5 checkfile is created, you should leave it where it is\r\n"
    "saved.  You can then copy the Veritally.exe program file to\r\n"
    "the same location so that someone can easily test the integrity\r\n"
    "of the files.\r\n"
    "\r\n"
    "For example, suppose you are about to burn a CD-ROM or DVD-ROM\r\n"
    "and want to be able to determine if a disc is defective after it\r\n"
    "has been burned or mass-produced. If your files and folders for\r\n"
    "the CD-ROM are located in C:\\temp\\cds\\new-cd\\, you would select\r\n"
    "this folder for making a checkfile with Veritally.\r\n"
    "Veritally will save the Veritally data file in\r\n"
    "C:\\temp\\cds\\new-cd\\. If you like, you can copy the\r\n"
    "Veritally.exe program file there too. Now burn your CD. Now\r\n"
    "the CD should have the Veritally.exe and VRTLY-sums.MD5 in the\r\n"
    "root folder. Running Veritally and testing the VRTLY-sums.MD5\r\n"
    "should allow someone to quickly determine of the CD-ROM is\r\n"
    "defective.\r\n"
    "\r\n"
    "Testing is easy.  Select the \"Check files\" tab and then click\r\n"
    "\"Open Checkfile...\" and find the .MD5 file you want to test.  The\r\n"
    "files' MD5 sums will be compared.  If the files have changed\r\n"
    "(such as if there was data corruption), the test will show that\r\n"
    "the MD5 sums do not match.\r\n"
    "\r\n"
    "INSTALLATION:\r\n"
    "Veritally does not come with an installer.  Just put the\r\n"
    "Veritally.exe file where you need it and run it from there.\r\n"
    "\r\n"
    "Copyright (C) 2026 the Veritally authors.  Veritally is free: you\r\n"
    "may use it and copy it as you like, but you may not sell it.  You\r\n"
    "may put the Veritally.exe program file on commercial CDs and DVDs\r\n"
    "so that the people who get them can test them.\r\n"
    "\r\n"
    "https://www.example.org/veritally/\r\n"
    "\r\n"
    "\r\n"
    "Veritally was made for its authors' own needs and has not been\r\n"
    "tested widely.  It costs nothing, and it is provided as is: it\r\n"
    "does what it does, and nobody promises that it does more than\r\n"
    "that.\r\n"
    "\r\n"
    "WARRANTY DISCLAIMER\r\n"
    "\r\n"
    "THIS SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND,\r\n"
    "EXPRESSED OR IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES\r\n"
    "OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND\r\n"
    "NONINFRINGEMENT.  IN NO EVENT SHALL THE AUTHORS BE LIABLE FOR ANY\r\n"
    "CLAIM, DAMAGES OR OTHER LIABILITY, WHETHER IN AN ACTION OF\r\n"
    "CONTRACT, TORT OR OTHERWISE, ARISING FROM, OUT OF OR IN CONNECTION\r\n"
    "WITH THE SOFTWARE OR THE USE OF IT.  THE WHOLE RISK OF USING IT\r\n"
    "LIES WITH YOU.\r\n";

// "\xA9" is the copyright sign in the ANSI code page the program's texts are written in.
const char kCopyrightLine[] = "\xA9 2026 Veritally authors";  // fits before the licence line
const char kLicenceLine[] = "You may use and copy this program freely, but you may not sell it.";
const char kNoWarrantyLine[] = "NO WARRANTY EXPRESSED OR IMPLIED. USE AT YOUR OWN RISK.";
const char kBannerNotice[] =
    "Copyright \xA9 2026 the Veritally authors. Free for any use, not for sale. Provided as "
    "is, without warranty: use it at your own risk.";

const char kEmailAddress[] = "veritally@example.org";
const char kWebAddress[] = "https://www.example.org/veritally/";

}  // namespace app
