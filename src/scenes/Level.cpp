#include "scenes/Level.h"

void Level::ResetSceneState() {
  time = 0.0f;
  exitStarted = false;
  followLimit = 1.0f;
  exitDelay = 3.0f;
  exitTimer = 0.0f;
  exitStartTime = 0.0f;
  exitTimeTaken = false;
  fadeTimer = 0.0f;
  skipFadeTimer = 0.0f;
  fadeDuration = 1.0f;
  fadeInDone = false;
  leaveRequested = false;
  gameOver = false;
  splashSkipped = false;
  isSplash = false;
}
