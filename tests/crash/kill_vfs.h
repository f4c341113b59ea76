#pragma once
// A wrapper around SQLite's default file layer that counts the writes and syncs made to database
// files (the database itself, its rollback journal, its write-ahead log) and ends the process at
// a chosen one, before it reaches the disk: what a power cut or a killed process leaves behind.
// Temporary files (temp tables, sort files) are not counted.

namespace crashtest {

// Exit status of a process ended by the wrapper.
constexpr int KilledExitCode = 86;

// Installs the wrapper as the default file layer of this process. Call before the first
// database is opened; once per process.
void installKillingVfs();
// From now on count writes and syncs; the `killAt`-th (1 = the first) ends the process with
// KilledExitCode. 0 counts without ending.
void armKill(int killAt);
// Writes and syncs counted since armKill.
int countedCalls();

} // namespace crashtest
