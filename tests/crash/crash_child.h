#pragma once
// The side of the crash test that runs in a child process: the test program started again with
// a filter that picks one of the CrashChild scenarios, on the database file named by the
// environment. The child installs the killing file layer, prepares the edit as a user does
// and arms the kill just before the command that writes, so that kill number N is the N-th
// write or sync of that command.

namespace crashtest {

// Environment of a child run: the database file, and the write or sync that ends the process
// (0 or absent: none, the command runs to its end).
inline const char *const DatabaseVariable = "CAUSALI_CRASH_DB";
inline const char *const KillAtVariable = "CAUSALI_CRASH_KILL_AT";
// A child that was not killed prints this, then the number of writes and syncs the command made.
inline const char *const CountedPrefix = "crash-test-counted=";

// The code every scenario works on: a labour movement, so the search-sequence tab is open, with
// rows in every table of a code.
inline const char *const ScenarioCode = "MOD1";

// Test names (for --gtest_filter) of the scenarios.
inline const char *const ConfermaScenario = "CrashChild.DISABLED_EditEverythingAndConfirm";
inline const char *const EliminaScenario = "CrashChild.DISABLED_DeleteTheCode";
inline const char *const OneTransactionScenario =
    "CrashChild.DISABLED_ChangeEveryTableInOneTransaction";

} // namespace crashtest
