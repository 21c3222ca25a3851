#include "support/ObjectRecords.h"

namespace testing_support {

ObjectRecord Record(ObjectType type, const std::string& id, float x, float y, float sx, float sy, float rotation,
                    const std::string& next) {
  ObjectRecord r;
  r.id = id;
  r.type = static_cast<int32_t>(type);
  r.translationX = x;
  r.translationY = y;
  r.scaleX = sx;
  r.scaleY = sy;
  r.rotation = rotation;
  r.nextId = next;
  return r;
}

}  // namespace testing_support
