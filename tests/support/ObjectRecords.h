// Object records built in code, for tests and benchmarks that make levels of their own. Needs only
// the game's record type: the benchmarks link it without GoogleTest.
#pragma once

#include <string>

#include "objects/LevelRecords.h"
#include "objects/ObjectType.h"

namespace testing_support {

// An object record at a place and size, turned by `rotation`; `next` links a patrol path.
ObjectRecord Record(ObjectType type, const std::string& id, float x, float y, float sx = 100.0f, float sy = 100.0f,
                    float rotation = 0.0f, const std::string& next = "");

}  // namespace testing_support
