// Quillmarch: a top-down stealth game. The entry point hands over to the application.
#include "app/Application.h"

int main(int argc, char** argv) { return RunGame(argc, argv); }
