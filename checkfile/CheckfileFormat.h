// The checkfile "VRTLY-sums.MD5": single-byte text, CR LF after every line, two header lines
// that begin with ";", then one entry line per file: 32 digest digits, "|", the path relative
// to the checkfile's folder with "\" between its components.
//
// The reader accepts more than the writer produces: any of CR LF, LF and CR ends a line, a zero
// byte ends the text, and every line that is not an entry is skipped without a trace.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checkfile/MD5Node.h"
#include "platform/File.h"

namespace checkfile {

inline constexpr char kCheckfileName[] = "VRTLY-sums.MD5";
// The new checkfile while it is written, beside the old one (hidden from every walk); one that
// a crash left behind is taken over by the next write.
inline constexpr char kTemporaryCheckfileName[] = ".VRTLY-sums.MD5.tmp";
// A relative path is read and written with at most this many characters.
inline constexpr size_t kMaxRelativePath = 10000;

// Where the generation writes the checkfile of a folder (given without trailing separator).
std::string CheckfilePath(const std::string& folder);

// The path of a scanned file relative to the selected folder, in the checkfile's form.
std::string StoredRelativePath(const std::string& selectedFolder, const std::string& fullPath);

// The whole checkfile text: both header lines, then one entry line per node in order.
std::string CheckfileText(const std::string& versionText, const std::string& timestamp,
                          const std::string& selectedFolder, const TMD5NodeArray& nodes);

// Replaces the file with the text so that the previous one is never lost: the text goes in one
// write to the temporary beside it, is flushed to the medium (with the modification time set
// first, when one is given), and the temporary is moved over path in one step. Throws
// TaskError "Cannot create file "path". <system text>" when the file cannot be replaced (it is
// held elsewhere, read-only, a folder, or the folder cannot be written), and "Stream write
// error" when the text cannot all be written and flushed. On every failure before the move the
// previous file stays as it was and no temporary is left behind.
void WriteCheckfile(const std::string& path, const std::string& text,
                    std::optional<platform::FileTime> modified = std::nullopt);

// The full name under which the verification opens the file an entry lists: the checkfile's
// folder part (with its separator), then the stored relative path in the platform's form.
std::string ListedPath(const std::string& baseFolder, std::string storedRelativePath);

// Splits loaded bytes into lines: each runs up to the next CR, LF or zero byte, after which one
// CR and then one LF are skipped; nothing after the first zero byte counts; a break at the very
// end adds no empty line.
std::vector<std::string> SplitLines(std::string_view bytes);

// Loads the whole file, with others allowed to read it but not to write it, as lines. Throws
// TaskError "Cannot open file "path". <system text>" when it cannot be opened, "Stream read
// error" when reading it fails, and "Out of memory" when it does not fit.
std::vector<std::string> LoadCheckfileLines(const std::string& path);

struct CheckfileEntry {
  std::string DigestText;    // characters 1 to 32, as they stand
  std::string RelativePath;  // characters 34 on, at most kMaxRelativePath, in the stored form
};

// The entry an entry line holds; nothing for an empty line, a line starting with ";", a line
// of 33 characters or fewer, and a line whose 33rd character is not "|".
std::optional<CheckfileEntry> ParseEntryLine(const std::string& line);
// The same into entry, whose buffers a caller reading many lines reuses; false, with entry
// unchanged, where the other gives nothing.
bool ParseEntryLine(const std::string& line, CheckfileEntry& entry);

}  // namespace checkfile
