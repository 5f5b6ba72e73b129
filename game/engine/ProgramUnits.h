// The modules' start-up and end actions, in the one order that works: the
// log is open before any other engine code runs and closed after
// everything else has finished.
#pragma once

// The start-up actions: masks the floating-point exceptions, opens the log
// with its first line, empties the routine slots. The program's entry calls
// it before anything else.
void InitializeUnits();

// The end actions in reverse order: the log's last line, then the log is
// closed. Called on every orderly end of the program (by
// ShutdownGameEngine, or by the entry when the engine did not come up),
// right before ExitProcess(0).
void FinalizeUnits();
