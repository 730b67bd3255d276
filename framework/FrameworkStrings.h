#pragma once
// The framework's standard texts ("For Help, press F1", "Failed to save document." ...).

// Adds them to the program's string table. The application object does it at start.
void RegisterFrameworkStrings();
