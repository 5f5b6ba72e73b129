// Game: the 3D gem board over its small engine.
//
// The modules' start-up actions open the log and empty the engine's routine
// slots; the engine brings up the window and OpenGL; the scene loads its
// pictures, fills the board and takes over the slots; the main loop then
// runs until the window is closed, which ends the process from inside it.
#include <windows.h>

#include "Cp1251.h"
#include "GameEngine.h"
#include "Logger.h"
#include "MainUnit.h"
#include "ProgramUnits.h"

int main() {
  InitializeUnits();
  if (InitGameEngine() != 0) {
    // No window: nothing to show and nothing to loop for.
    AppLog->WriteError("GameEngine не инициализирован"_cp, "Game");
    FinalizeUnits();
    ExitProcess(0);
  }
  SetupScene();
  RunMessageLoop();
}
