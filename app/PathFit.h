// Shortening a path so that it fits a width in pixels, for the folder dialog's status bar.
// Portable: the caller passes the text-width measure of its font.
#pragma once

#include <functional>
#include <string>

namespace app {

// The width of a text in the drawing font, in pixels.
using TextWidthMeasure = std::function<int(const std::string& text)>;

// Removes the leading folder of a non-empty directory part in place, marking the cut with
// "...\": \Program Files\Common\Tools\ becomes \...\Common\Tools\, then \...\Tools\, then
// \...\; a directory part of one folder, or "\" alone, becomes empty.
void CutLeadingFolder(std::string& directory);

// The path shortened until its width is at most maxWidth: leading folders are replaced by
// "...\" one at a time, then the drive goes, and finally the directory part; the name part
// is never shortened, so the result can still be too wide.
std::string FitPathToWidth(const std::string& path, const TextWidthMeasure& width, int maxWidth);

}  // namespace app
