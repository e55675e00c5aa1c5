// The program's version, in the one place the version resource is made from.
#pragma once

#define VRTLY_FILE_VERSION_NUMBERS 0, 1, 1, 3
#define VRTLY_FILE_VERSION_TEXT "0.1.1.3"
#define VRTLY_PRODUCT_VERSION_NUMBERS 0, 1, 1, 3
#define VRTLY_PRODUCT_VERSION_TEXT "1.0.0.0"
