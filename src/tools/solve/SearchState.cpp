#include "tools/solve/SearchState.h"

namespace solve {

bool gLetGlimpsesGo = false;
int gRound = 0;
std::string gLegWhy;
std::chrono::steady_clock::time_point gDeadline = std::chrono::steady_clock::time_point::max();
bool PastDeadline() { return std::chrono::steady_clock::now() > gDeadline; }

}  // namespace solve
