#include "graphics/Filter.h"

Filter::Filter(FilterType type, float saturationValue, Vector4 filterColor)
    : Component(ComponentType::Filter), filterType(type), saturation(saturationValue), color(filterColor) {}
