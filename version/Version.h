// The program's version, in the one place it is kept: the version resources of Veritally.exe
// and vrtly.exe, vrtly's --version, the packages, and the build's project version (the
// top-level CMakeLists.txt reads it from here) all take it from this header.
#pragma once

#define VRTLY_FILE_VERSION_NUMBERS 0, 1, 1, 3
#define VRTLY_FILE_VERSION_TEXT "0.1.1.3"
#define VRTLY_PRODUCT_VERSION_NUMBERS 0, 1, 1, 3
#define VRTLY_PRODUCT_VERSION_TEXT "1.0.0.0"
