// Shortening the folder dialog's status-bar path, with one pixel per character as the font.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/PathFit.h"

namespace {

using app::CutLeadingFolder;
using app::FitPathToWidth;

int OnePerCharacter(const std::string& text) {
  return static_cast<int>(text.size());
}

std::string Fit(const std::string& path, int maxWidth) {
  return FitPathToWidth(path, OnePerCharacter, maxWidth);
}

std::string Cut(std::string directory) {
  CutLeadingFolder(directory);
  return directory;
}

TEST(CutLeadingFolder, ReplacesOneLeadingFolderAtATimeByTheCutMark) {
  EXPECT_EQ(Cut("\\Program Files\\Common\\Tools\\"), "\\...\\Common\\Tools\\");
  EXPECT_EQ(Cut("\\...\\Common\\Tools\\"), "\\...\\Tools\\");
  EXPECT_EQ(Cut("\\...\\Tools\\"), "\\...\\");
  EXPECT_EQ(Cut("\\...\\"), "\\");
  EXPECT_EQ(Cut("\\"), "");
}

TEST(CutLeadingFolder, UnrootedDirectoriesLoseTheirFirstFolderAndTheMark) {
  EXPECT_EQ(Cut("Program Files\\Common\\"), "...\\Common\\");
  EXPECT_EQ(Cut("...\\Common\\"), "...\\");
  EXPECT_EQ(Cut("...\\"), "");
  EXPECT_EQ(Cut("Tools"), "");  // no separator at all
}

TEST(FitPathToWidth, APathThatFitsIsUnchanged) {
  const std::string path = "C:\\Program Files\\Common\\Tools\\Name";
  EXPECT_EQ(Fit(path, static_cast<int>(path.size())), path);
  EXPECT_EQ(Fit(path, 1000), path);
  EXPECT_EQ(Fit("", 0), "");
}

TEST(FitPathToWidth, DropsLeadingFoldersThenTheDriveThenTheDirectory) {
  const std::string path = "C:\\Program Files\\Common\\Tools\\Name";
  // Each limit is the width of one step of the sequence, so that step is the first that fits.
  const std::vector<std::string> steps = {"C:\\...\\Common\\Tools\\Name", "C:\\...\\Tools\\Name",
                                          "C:\\...\\Name", "...\\Name", "Name"};
  for (const std::string& step : steps) {
    EXPECT_EQ(Fit(path, static_cast<int>(step.size())), step);
  }
  // The name is never shortened, so a limit below it leaves the bare name.
  EXPECT_EQ(Fit(path, 2), "Name");
  EXPECT_EQ(Fit(path, 0), "Name");
}

TEST(FitPathToWidth, PathsWithoutDriveOrDirectory) {
  EXPECT_EQ(Fit("LongFileName.txt", 3), "LongFileName.txt");  // no directory part
  EXPECT_EQ(Fit("\\Share\\Folder\\Name", 12), "\\...\\Name");
  EXPECT_EQ(Fit("\\Share\\Folder\\Name", 8), "...\\Name");
  EXPECT_EQ(Fit("\\Share\\Folder\\Name", 4), "Name");
  EXPECT_EQ(Fit("Folder\\Sub\\Name", 9), "...\\Name");
}

TEST(FitPathToWidth, DriveOnlyPaths) {
  EXPECT_EQ(Fit("C:\\", 3), "C:\\");
  EXPECT_EQ(Fit("C:\\", 2), "C:");  // the root's "\" goes first
  EXPECT_EQ(Fit("C:\\", 1), "");    // then the drive: nothing is left
  EXPECT_EQ(Fit("C:Name", 5), "Name");
}

TEST(FitPathToWidth, ANameWiderThanTheLimitKeepsOnlyTheName) {
  const std::string name = "AVeryLongFolderNameIndeed";
  EXPECT_EQ(Fit("D:\\Data\\" + name, 10), name);
  // A path that ends in "\" has an empty name part: it shrinks to the mark, then to nothing.
  EXPECT_EQ(Fit("D:\\Data\\Archive\\", 8), "D:\\...\\");
  EXPECT_EQ(Fit("D:\\Data\\Archive\\", 4), "...\\");
  EXPECT_EQ(Fit("D:\\Data\\Archive\\", 3), "");
}

TEST(FitPathToWidth, MeasuresWithTheGivenFont) {
  // A font where only the dots are wide: the cut mark itself costs space.
  const auto wideDots = [](const std::string& text) {
    int width = 0;
    for (char c : text)
      width += c == '.' ? 10 : 1;
    return width;
  };
  const std::string path = "C:\\A\\B\\Name";
  EXPECT_EQ(FitPathToWidth(path, wideDots, 11), path);
  EXPECT_EQ(FitPathToWidth(path, wideDots, 10), "Name");
}

}  // namespace
