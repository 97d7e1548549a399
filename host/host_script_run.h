// Runs an operator script against the main dialog through real window
// messages. Steps run from a thread timer, so they go on while a scan or a
// modal dialog runs its own message loop; a step that waits has a time-out,
// and a failed step ends the process with exit code 3 and the reason logged.
#ifndef FILMHOST_SCRIPT_RUN_H
#define FILMHOST_SCRIPT_RUN_H

#include <vector>

#include "host_script.h"

struct HostSession;

// `runSeconds` bounds the whole run.
void StartScript(HostSession* s, const std::vector<ScriptStep>& steps, double runSeconds);
// A file scan has just ended (command 1099, before the dialog handles it):
// logs `mark scan-finished at SECONDS s` in a scripted run.
void OnScriptScanFinished(void);
// The main dialog has just repainted its progress panel (command 2001).
void OnScriptProgress(HostSession* s);

#endif
