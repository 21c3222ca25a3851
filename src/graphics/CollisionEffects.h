// What a contact does to the graphics components of the two objects: food that strikes a wall or a
// pane restarts its emitters named "collision", and a cover shades its filter while something is
// under it. The collision rules (objects/Collision.h) decide when; these hooks do it.
#pragma once

// Fills the collision rules' effect hooks. The graphics start calls it; a program or test that runs
// the object pass with emitters or filters but never starts graphics calls it itself.
void InstallCollisionEffects();
