// Scanner start-up: InitializeScanner and DeinitializeScanner are exported
// (FilmCore.h); this is the seam tests use to stand in for the DLL.
#ifndef FILMCORE_SCANNER_INIT_H
#define FILMCORE_SCANNER_INIT_H

// Loads and binds the toolkit; 1 when the library was loaded. Start-up uses
// ToolkitBind (the DLL under the Windows folder) unless one is set here.
typedef int (*ToolkitLoader)(void);
void SetToolkitLoader(ToolkitLoader loader);  // null: ToolkitBind again

#endif
