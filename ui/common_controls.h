// The common controls library, loaded when the first window that uses it opens rather than
// at every start: most runs open no window at all. Also the widening of the dialog templates'
// texts, which both windows need before they open.
#pragma once

#include <cstddef>
#include <cstdint>

// Loads the library (version 6, as the manifest asks) and registers its window classes; safe
// to call at every opening. False when the library could not be loaded.
bool EnsureCommonControls();

// The windows' template converter (a WideTextConverter): the program's UTF-8 text as UTF-16.
size_t WidenTemplateText(const char* text, uint16_t* output, size_t capacity);
