// The program's version, read by the code and by qrvl.rc (so it holds only preprocessor lines).
#pragma once

#define QRVL_VERSION_MAJOR 1
#define QRVL_VERSION_MINOR 0
#define QRVL_VERSION_TEXT "1.00"
#define QRVL_PRODUCT_NAME "Quorvel picker"
#define QRVL_INTERNAL_NAME "qrvl"
#define QRVL_ORIGINAL_FILENAME "qrvl.exe"
#define QRVL_COMMENTS "Selects randomly a map from a directory"
// French (France), ANSI Latin-1: the language the version record has always been filed under.
#define QRVL_VERSION_LANGUAGE 0x040C
#define QRVL_VERSION_CODEPAGE 1252
#define QRVL_VERSION_BLOCK "040C04E4"
