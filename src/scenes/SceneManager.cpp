#include "scenes/SceneManager.h"

void BuildSceneList() {}
bool UpdateScenes(float) { return true; }
void DestroySceneList() {}
bool CurrentSceneIsLevel() { return false; }
void RequestSceneById(int) {}
