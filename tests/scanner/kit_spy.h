// The installed virtual digitizer behind a table that records, with their
// arguments, the calls tests look at, and forwards every call to the DLL.
#ifndef FILMCORE_TEST_KIT_SPY_H
#define FILMCORE_TEST_KIT_SPY_H

#include <string>
#include <vector>

// Writes `config` where SCANKIT_CONFIG points and forgets the calls so far;
// returns the file's path.
std::string UseDigitizerConfig(const std::string& config);
// A toolkit loader: binds the installed DLL and puts the spy in front.
int SpyLoader(void);
// Puts the spy in front of the table in force.
void PutSpyInFront(void);
// Calls whose text starts with `prefix`, e.g. "setOffset(301,150)".
std::vector<std::string> CallsStartingWith(const std::string& prefix);
int CallCount(const std::string& prefix);
void ClearCalls(void);

#endif
