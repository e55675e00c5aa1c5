// The scan list: the files that the folder walk has digested, in the order it found them.
#pragma once

#include <string>
#include <vector>

namespace checkfile {

struct TMD5Node {
  std::string FullPath;    // the folder walked, the separator, the name as the search gave it
  std::string DigestText;  // 32 lowercase hexadecimal digits
};

using TMD5NodeArray = std::vector<TMD5Node>;

}  // namespace checkfile
