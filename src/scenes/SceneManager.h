// The scene list and scene switching. Placeholder until the scene manager lands: an empty list.
#pragma once

void BuildSceneList();
// False ends the main loop (the scene list is empty).
bool UpdateScenes(float dt);
void DestroySceneList();
// True while the current scene is one of the three levels.
bool CurrentSceneIsLevel();
// RequestScene(FindSceneById(id)).
void RequestSceneById(int id);
