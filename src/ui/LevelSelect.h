// The level select: a picture per level (alley, villa, market) that starts it, and "back" to the
// main menu. Built by the scene start of the level-select scene.
#pragma once

void BuildLevelSelect();
