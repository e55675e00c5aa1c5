// What a link label's click opens, and when a failed open offers the "Open with" dialog.
#include <gtest/gtest.h>

#include <string>

#include "app/LinkTarget.h"

namespace {

using app::ClickTarget;
using app::Trimmed;
using app::UpperExtension;
using app::WantsOpenWithDialog;

const std::string kMailUrl = "mailto:veritally@example.org?subject=Veritally";
const std::string kWebCaption = "Website: https://www.example.org/veritally/";

TEST(LinkTarget, AUrlWithTextIsOpenedExactlyAsStored) {
  EXPECT_EQ(ClickTarget(kMailUrl, "Email: veritally@example.org"), kMailUrl);
  EXPECT_EQ(ClickTarget("  https://www.example.org/ \t", kWebCaption),
            "  https://www.example.org/ \t");
  // Upper-half characters of the code page are text.
  EXPECT_EQ(ClickTarget("\xE9", kWebCaption), "\xE9");
  EXPECT_EQ(ClickTarget("\xA0", kWebCaption), "\xA0");
}

TEST(LinkTarget, AnEmptyOrBlankUrlHandsTheWholeCaptionToTheShell) {
  EXPECT_EQ(ClickTarget("", kWebCaption), kWebCaption);
  EXPECT_EQ(ClickTarget("   ", kWebCaption), kWebCaption);
  EXPECT_EQ(ClickTarget(" \t\r\n\x01\x1F", kWebCaption), kWebCaption);
  EXPECT_EQ(ClickTarget(std::string("\0 ", 2), " x "), " x ");  // the caption untrimmed
}

TEST(LinkTarget, NothingButBlanksAndControlCharactersOpensNothing) {
  EXPECT_EQ(ClickTarget("", ""), "");
  EXPECT_EQ(ClickTarget(" ", " \t "), "");
  EXPECT_EQ(ClickTarget("\r\n", "\x7F"), "\x7F");  // DEL is above the space
}

TEST(LinkTarget, TrimmingTakesBlanksAndControlCharactersFromBothEndsOnly) {
  EXPECT_EQ(Trimmed(" \x01 a b \x1F\t"), "a b");
  EXPECT_EQ(Trimmed("\xE9 \xE9"), "\xE9 \xE9");
  EXPECT_EQ(Trimmed(""), "");
  EXPECT_EQ(Trimmed(" \t "), "");
}

TEST(LinkExtension, RunsFromTheLastDotInUpperCaseUnlessAFolderOrDrivePartFollows) {
  EXPECT_EQ(UpperExtension("https://www.example.org/veritally/index.html"), ".HTML");
  EXPECT_EQ(UpperExtension("C:\\Pages\\Read Me.HtM"), ".HTM");
  EXPECT_EQ(UpperExtension(kMailUrl), ".ORG?SUBJECT=VERITALLY");
  EXPECT_EQ(UpperExtension("C:\\site.v2\\readme"), "");
  EXPECT_EQ(UpperExtension("http://www.example.org:8080"), "");
  EXPECT_EQ(UpperExtension("readme"), "");
  EXPECT_EQ(UpperExtension("readme."), ".");
  EXPECT_EQ(UpperExtension("a.b.c\xE9"), ".C\xE9");  // only ASCII letters change case
}

TEST(LinkExtension, OnlyAnHtmTargetInAnyCaseOffersTheOpenWithDialog) {
  for (const char* target : {"C:\\no\\page.htm", "C:\\no\\PAGE.HTM",
                             "https://www.example.org/a.Htm", "www.example.org/index.hTm"}) {
    EXPECT_TRUE(WantsOpenWithDialog(target)) << target;
  }
  for (const char* target :
       {"https://www.example.org/veritally/index.html", "C:\\no\\page.htm\\", "C:\\no.htm\\page",
        "page.htmx", "page.ht", "page.htm ", "mailto:veritally@example.org?subject=Veritally",
        "mailto:pages@example.htm?subject=Veritally", "Email: veritally@example.org", ""}) {
    EXPECT_FALSE(WantsOpenWithDialog(target)) << target;
  }
}

}  // namespace
