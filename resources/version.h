#pragma once

// The program's identity and version strings. A Windows build compiles the same values into
// its version resource (glimmer.rc beside this file).
#define GLIMMER_TITLE "Glimmer"
#define GLIMMER_PROJECT_NAME "Project1"
#define GLIMMER_DESCRIPTION "Glimmer"
#define GLIMMER_COMMENTS "Glimmer"
#define GLIMMER_COMPANY_NAME "Brindle"
#define GLIMMER_FILE_DESCRIPTION "Glimmer"
#define GLIMMER_LEGAL_TRADEMARKS "Brindle"
#define GLIMMER_LEGAL_COPYRIGHT "Copyright (C) Brindle. All rights reserved."
#define GLIMMER_PRODUCT_NAME "Glimmer"
#define GLIMMER_FILE_VERSION "1.00"
#define GLIMMER_PRODUCT_VERSION "1.00"
#define GLIMMER_INTERNAL_NAME "Glimmer"
#define GLIMMER_ORIGINAL_FILENAME "Glimmer.exe"
#define GLIMMER_VERSION_NUMBERS 1, 0, 0, 0
