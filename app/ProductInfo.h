#pragma once

// Texts that name the product wherever it speaks of itself: the banner, the
// registry record and the version resource. Plain macros, so that the
// resource compiler reads them too.
#define QUILLMERE_SUPPORT_ADDRESS "support@quillmere.example"
#define QUILLMERE_PRODUCT_NAME "Quillmere"
// The version is set here alone: CMake and scripts/release.sh read the text,
// and the numbers, for the version resource, must say the same.
#define QUILLMERE_VERSION_TEXT "5.1.0.11"
#define QUILLMERE_VERSION_NUMBERS 5, 1, 0, 11
#define QUILLMERE_COPYRIGHT "Copyright (C) 2026 The Quillmere developers"
