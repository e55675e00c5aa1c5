// Reads the string table of a file's version resource and hands out its ten standard fields
// by index. The main window's reader reads the running executable's own resource.
#pragma once

#include <string>
#include <vector>

namespace app {

// The index order of the fields.
enum VtVersionField {
  vfCompanyName,
  vfFileDescription,
  vfFileVersion,
  vfInternalName,
  vfLegalCopyright,
  vfLegalTrademarks,
  vfOriginalFilename,
  vfProductName,
  vfProductVersion,
  vfComments,
};

inline constexpr int kVtVersionFieldCount = 10;

// The text of every field when the file has no version resource or cannot be read.
inline constexpr char kValueNotAvailable[] = "Value Not Available";

class TVtVersionInfo {
 public:
  // Reads at once. ownerLoading: the owning window is still loading its stored layout; it
  // calls Loaded when it has, and writes to FilePath wait until then.
  explicit TVtVersionInfo(bool ownerLoading = false);
  virtual ~TVtVersionInfo() = default;
  TVtVersionInfo(const TVtVersionInfo&) = delete;
  TVtVersionInfo& operator=(const TVtVersionInfo&) = delete;

  // The owning window has finished loading: read again.
  virtual void Loaded();

  const std::string& FilePath() const { return filePath_; }
  // A new path is read at once (unless the owner is still loading); the same path, byte for
  // byte, changes nothing. An empty path makes the next read use the executable's.
  virtual void SetFilePath(const std::string& path);

  // The field at index 0 to 9, as last read; any other index raises
  // "List index out of bounds (%d)".
  const std::string& FieldValue(int index) const;

  void ReadVersionInfo();

 private:
  std::string filePath_;
  std::vector<std::string> fieldTexts_;
  bool loading_;
};

}  // namespace app
