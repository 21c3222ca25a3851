#version 330 core
// Texture program, vertex stage. Position through the world, view and projection matrices
// (MatrixBuffer, slot 0), depth 0..w (remapped to -w..w only where the device defines
// DEPTH_MINUS_ONE_TO_ONE, see vcolor.glsl); the texture coordinates
// pass through; the object kind ("TEXCOORD 1", the ObjectType number of the quad's owner) goes to
// the pixel stage as a flat integer, never interpolated; the quad's filter set, which rides in the
// same word above bit 16, is looked up here and its three rows (FilterBuffer) go on flat; the world
// position goes along so the pixel stage can measure its distance to each light, and so does the
// quad's set of lights that cannot reach it (flat, one bit per light).
// The ambient light's share of a pixel's colour is the same for every pixel of a quad: the ambient
// colour times its intensity for level objects, 1 for screen furniture - kinds Text (10), UI (16)
// and Transition (17), which are not lit. It is worked out here, once per corner, and reaches the
// pixel stage flat (never interpolated, so bit for bit the product the pixel stage would form);
// a variant built with NO_LIGHTS multiplies by it instead of testing the kind and reading the
// light block for every pixel (a software renderer does both for every pixel). The filter rows
// come the same way: read per pixel with an index from a varying, a software renderer fetches
// them once for each pixel it shades; per corner they cost nothing, and a flat value reaches the
// pixel stage bit for bit.
// A variant built with LIGHT_SLOTS 1, 2 or 3 (a draw none of whose quads more lights reach)
// picks the quad's reached lights here, once per corner, lowest number first, and hands each one's
// position, fall-off and colour times intensity to the pixel stage flat, in as many light slots as
// the variant has. Slots the quad's lights do not fill carry a light that adds exactly nothing
// (colour 0, a fall-off that is 0 at every distance); so do all the slots of screen furniture, whose
// tint is 1. The pixel stage then adds the slots in order with no loop and no light block reads.

layout(std140) uniform MatrixBuffer {
  mat4 worldMatrix;
  mat4 viewMatrix;
  mat4 projectionMatrix;
};

// As declared in ptexture.glsl (a block shared by two stages must be declared the same in both).
struct LightEntry {
  vec4 position;
  vec3 color;
  float intensity;
  vec4 falloffStart;
  vec4 falloffEnd;
};

layout(std140) uniform FilterBuffer {
  vec4 filterRows[48];
};

layout(std140) uniform LightBuffer {
  vec3 cameraPosition;
  uint lightCount;
  vec4 ambient;
  LightEntry lights[128];
};

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texcoord;
layout(location = 2) in uint objectKind;
layout(location = 3) in uvec4 lightsOut;

out vec2 uv;
out vec3 worldPosition;
flat out uint kind;
flat out vec4 filterRow0;
flat out vec4 filterRow1;
flat out vec4 filterRow2;
flat out uvec4 unreached;
flat out vec3 tint;
#ifdef LIGHT_SLOTS
// Slot s: the light's position (xyz) and fall-off start (w); its colour times its intensity (rgb)
// and fall-off end (w).
flat out vec4 slotPlace[LIGHT_SLOTS];
flat out vec4 slotShade[LIGHT_SLOTS];
#endif

const uint kKindText = 10u;
const uint kKindUI = 16u;
const uint kKindTransition = 17u;

void main() {
  vec4 world = worldMatrix * vec4(position, 1.0);
  vec4 p = projectionMatrix * (viewMatrix * world);
#ifdef DEPTH_MINUS_ONE_TO_ONE
  p.z = p.z * 2.0 - p.w;
#endif
  // Keeps the filter and light blocks in use in the variants that read no filter rows and no tint
  // (the device checks each program's blocks), at the cost of a test per corner, not per pixel: no
  // quad has this kind word (kinds and filter sets are small numbers).
  if (objectKind == 0xFFFFFFFFu) p = filterRows[0] + ambient;
  gl_Position = p;
  uv = texcoord;
  worldPosition = world.xyz;
  kind = objectKind & 0xFFFFu;
  int row = int(min(objectKind >> 16, 15u)) * 3;
  filterRow0 = filterRows[row];
  filterRow1 = filterRows[row + 1];
  filterRow2 = filterRows[row + 2];
  unreached = lightsOut;
  bool furniture = kind == kKindText || kind == kKindUI || kind == kKindTransition;
  tint = furniture ? vec3(1.0) : ambient.rgb * ambient.a;
#ifdef LIGHT_SLOTS
  // The padding light: black, and its fall-off (end not past start) is 1 only within a distance
  // of -1, which no distance is.
  vec4 place[LIGHT_SLOTS];
  vec4 shade[LIGHT_SLOTS];
  for (int s = 0; s < LIGHT_SLOTS; ++s) {
    place[s] = vec4(0.0, 0.0, 0.0, -1.0);
    shade[s] = vec4(0.0, 0.0, 0.0, -1.0);
  }
  // The lights the block holds less the unreached ones, as the looping variant visits them.
  uint count = furniture ? 0u : min(lightCount, 128u);
  int filled = 0;
  for (uint w = 0u; w < 4u && w * 32u < count && filled < LIGHT_SLOTS; ++w) {
    uint bits = ~lightsOut[w];
    if (count - w * 32u < 32u) bits &= (1u << (count - w * 32u)) - 1u;
    while (bits != 0u && filled < LIGHT_SLOTS) {
      uint lowest = bits & (~bits + 1u);
      bits ^= lowest;
      uint i = w * 32u + ((floatBitsToUint(float(lowest)) >> 23) - 127u);
      place[filled] = vec4(lights[i].position.xyz, lights[i].falloffStart.x);
      shade[filled] = vec4(lights[i].color * lights[i].intensity, lights[i].falloffEnd.x);
      ++filled;
    }
  }
  slotPlace = place;
  slotShade = shade;
#endif
}
