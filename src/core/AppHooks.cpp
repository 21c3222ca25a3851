#include "core/AppHooks.h"

namespace {

struct AppHooksModule {
  ApplicationHooks hooks;
  bool quitRequested = false;
};

AppHooksModule& Module() {
  static AppHooksModule module;
  return module;
}

}  // namespace

ApplicationHooks& GetApplicationHooks() { return Module().hooks; }
void RequestQuit() { Module().quitRequested = true; }
bool QuitRequested() { return Module().quitRequested; }
void ClearQuitRequest() { Module().quitRequested = false; }
