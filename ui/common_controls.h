// The common controls library, loaded when the first window that uses it opens rather than
// at every start: most runs open no window at all.
#pragma once

// Loads the library (version 6, as the manifest asks) and registers its window classes; safe
// to call at every opening. False when the library could not be loaded.
bool EnsureCommonControls();
