#include "core/ReplayHooks.h"

ReplayHooks& GetReplayHooks() {
  static ReplayHooks hooks;
  return hooks;
}
