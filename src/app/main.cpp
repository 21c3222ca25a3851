// Quillmarch: a top-down stealth game. The entry point hands over to the application.
#include "app/Application.h"

#if defined(QM_WITH_EDITOR)
#include "editor/Editor.h"
#endif

int main(int argc, char** argv) {
#if defined(QM_WITH_EDITOR)
  // The level editor fills the application's editor hooks; the configuration decides whether it runs.
  InstallEditor();
#endif
  return RunGame(argc, argv);
}
