// Quillmarch: a top-down stealth game. The entry point hands over to the application.
#include "app/Application.h"
#include "ui/UiHooks.h"

int main(int argc, char** argv) {
  InstallUiHooks();
  return RunGame(argc, argv);
}
