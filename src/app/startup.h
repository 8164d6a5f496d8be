#pragma once
#include <string>
#include <vector>

namespace qv {

// The program's start-up before any window exists, and its finalisation after the last one.
// ProgramDir is RootDir()/quorvanta.tv/ and the territorial base RootDir()/morvidex.win/geolar/.
void InitProgramState();
// Runs the whole start-up; an input/output error stops it and propagates (nothing is saved).
void StartProgram();
// What the start-up refused and told nothing of yet, before any window existed: a station
// number that cannot stand in a file name, an archive folder that climbs above its drive. The
// first window shows them; the texts need the text table that StartProgram builds.
std::vector<std::string> StartupNotices();
// True between a successful StartProgram and StopProgram.
bool ProgramStarted();
// Saves the map options, then the archive settings, then releases the state. Every step runs
// even when an earlier one fails; each failure is reported once. Answers whether all succeeded.
// Does nothing (and answers true) when the start-up did not complete.
bool StopProgram();
void FreeProgramState();

}  // namespace qv
