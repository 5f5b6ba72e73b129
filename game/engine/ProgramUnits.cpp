#include "ProgramUnits.h"

#include "FloatControl.h"
#include "GameEngine.h"
#include "Logger.h"

void InitializeUnits() {
  MaskFloatingPointExceptions();
  StartLogger();
  ClearRoutineSlots();
}

void FinalizeUnits() {
  // GameEngine has no end action of its own.
  FinishLogger();
}
