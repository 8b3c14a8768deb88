#pragma once

// Texts that name the product wherever it speaks of itself.
#define QUILLMERE_SUPPORT_ADDRESS "support@quillmere.example"
