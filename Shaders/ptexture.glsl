#version 330 core
// Texture program, pixel stage: sample, filter, light.
//
// 1. Sample the texture (unit 0: linear with mips, wrapping). A quad without a texture samples
//    transparent black and so shows nothing.
// 2. Filters (FilterBuffer, slot 1): the drawn object's filters, folded on the processor into
//    one step per object (16 sets of three rows; the quad's set comes with its kind):
//        rgb' = M rgb, alpha' = alpha x alphaScale
//    which is the same as applying them in component order:
//    - saturation: mixes toward the pixel's grey (luma 0.299 R + 0.587 G + 0.114 B); saturation 1
//      keeps the colour, 0 gives grey, values between blend.
//    - colour: tints toward the filter's colour and always multiplies alpha by the filter's
//      alpha. The tint's strength is its brightest channel: the colour is mixed from itself
//      toward itself times the filter colour by max(r, g, b). So a full colour such as red
//      (1, 0, 0) multiplies outright, while black (0, 0, 0) carries no tint at all - vents and
//      covers use black filters only to fade (alpha 0.5 while the player is under a cover). A
//      red of -1 also means "no tint".
//    A quad without filters uses the identity.
// 3. Lighting (LightBuffer, slot 2), for level objects only. Screen furniture - object kinds Text
//    (10), UI (16) and Transition (17) - is not lit, so a dark level never darkens menus, text or
//    the screen fade. For every other kind the light reaching the pixel is
//        ambient.rgb * ambient.intensity
//      + for each light: light.rgb * light.intensity * falloff(distance)
//    where distance is measured in world units from the pixel's world position to the light's
//    position (which sits 10 units nearer the camera than the light's owner), and falloff is 1 up
//    to the fall-off start, fades smoothly (smoothstep) to 0 at the fall-off end and stays 0
//    beyond; with an end not past the start the light simply stops at the start. The texture
//    colour is multiplied by that light; the sum may exceed 1, which brightens up to white.
//    A light whose reach ends short of the whole quad adds exactly nothing to any of its pixels:
//    the sprite batch marks such lights in the quad's `unreached` bits and the loop visits only
//    the others, in the same order, so the sum is the same to the last bit. On a software
//    renderer the loop over every light for every pixel was most of the frame.
// Variants: the device compiles this file twelve times. A draw none of whose quads is filtered is
// drawn by a variant built with NO_FILTERS, one none of whose quads any light reaches by a variant
// built with NO_LIGHTS (ambient only); each gives exactly the picture of the full program for such
// a draw, since it only leaves out steps that would multiply by the identity or add exact zeros.
// A draw none of whose quads more than 1, 2 or 3 lights reach is drawn by a variant built with
// LIGHT_SLOTS 1, 2 or 3: the vertex stage picks the quad's lights and hands them over in
// that many flat slots (a light that adds +0 fills a slot the quad does not need), and the sum is
// formed in the loop's order with the loop's expression, so it is the same to the last bit; on a
// software renderer the loop's per-pixel control and its light block reads by a varying index
// (a gather for every pixel) cost more than the light's own arithmetic. A
// software renderer runs every step of a shader for every pixel (a loop's body at least once,
// both sides of a branch), so leaving a step out is the only way not to pay for it. For the same
// reason the NO_LIGHTS variant does not test the kind per pixel: the vertex stage hands it the
// quad's ambient factor (1 for screen furniture) as a flat tint, and the variant without either
// step is a texture sample, one multiply and the test below. A draw whose every quad has a tint of
// exactly 1 (screen furniture, or level objects under an ambient colour times intensity of exactly
// 1 in each channel) and no light goes to a variant built with NO_LIGHTS and NO_TINT: the texture
// sample and the test, nothing else (multiplying by 1 changes no bit, so leaving it out neither).
//
// 4. Pixels left with almost no coverage (alpha below 0.01) are dropped, so that transparent
//    corners of sprites write no depth and never hide what is drawn behind them later.

struct LightEntry {
  vec4 position;      // bytes 0-15: x, y, z - 10, 0
  vec3 color;         // bytes 16-27
  float intensity;    // byte 28
  vec4 falloffStart;  // byte 32 (x)
  vec4 falloffEnd;    // byte 48 (x)
};

layout(std140) uniform FilterBuffer {
  // Set s: rows 3s .. 3s + 2; row 0's w is the alpha scale.
  vec4 filterRows[48];
};

layout(std140) uniform LightBuffer {
  vec3 cameraPosition;
  uint lightCount;
  vec4 ambient;  // red, green, blue, intensity
  LightEntry lights[128];
};

uniform sampler2D shaderTexture;

in vec2 uv;
in vec3 worldPosition;
flat in uint kind;
flat in vec4 filterRow0;  // the quad's filter set (vtexture.glsl)
flat in vec4 filterRow1;
flat in vec4 filterRow2;
flat in uvec4 unreached;
flat in vec3 tint;
#ifdef LIGHT_SLOTS
flat in vec4 slotPlace[LIGHT_SLOTS];  // the quad's first reached lights (vtexture.glsl)
flat in vec4 slotShade[LIGHT_SLOTS];
#endif

out vec4 fragColor;

const uint kKindText = 10u;
const uint kKindUI = 16u;
const uint kKindTransition = 17u;

float Falloff(float distanceToLight, float start, float end) {
  if (end <= start) return distanceToLight <= start ? 1.0 : 0.0;
  return 1.0 - smoothstep(start, end, distanceToLight);
}

#ifdef LIGHT_SLOTS
// What slot s adds: the loop's term, with the colour times the intensity formed per corner.
vec3 SlotLight(int s) {
  float d = distance(worldPosition, slotPlace[s].xyz);
  return slotShade[s].rgb * Falloff(d, slotPlace[s].w, slotShade[s].w);
}
#endif

void main() {
  vec4 color = texture(shaderTexture, uv);

#ifndef NO_FILTERS
  color.rgb = vec3(dot(filterRow0.xyz, color.rgb), dot(filterRow1.xyz, color.rgb),
                   dot(filterRow2.xyz, color.rgb));
  color.a *= filterRow0.w;
#endif

#ifdef NO_LIGHTS
  // Ambient only: the quad's flat tint (vtexture.glsl) is that product for a level object and 1
  // for screen furniture, so this is the full program's multiply, or one by exactly 1. A variant
  // built with NO_TINT as well draws quads whose tint is exactly 1, and leaves the multiply out.
#ifndef NO_TINT
  color.rgb *= tint;
#endif
#elif defined(LIGHT_SLOTS)
  // The slots in order, as the loop below adds the same lights (furniture: 1 plus zeros).
  vec3 light = tint;
  light += SlotLight(0);
#if LIGHT_SLOTS > 1
  light += SlotLight(1);
#endif
#if LIGHT_SLOTS > 2
  light += SlotLight(2);
#endif
  color.rgb *= light;
#else
  if (kind != kKindText && kind != kKindUI && kind != kKindTransition) {
    vec3 light = ambient.rgb * ambient.a;
    uint count = min(lightCount, 128u);
    // The lights to visit, 32 to a word: those the light block holds, less the unreached ones.
    uvec4 visit = ~unreached;
    for (uint w = 0u; w < 4u; ++w) {
      uint first = w * 32u;
      if (count <= first) visit[w] = 0u;
      else if (count - first < 32u) visit[w] &= (1u << (count - first)) - 1u;
    }
    // Words past the light count hold nothing: with up to 32 lights the loop runs once per light
    // visited (a software renderer runs a loop's body at least once, so no empty words are walked).
    uint words = (count + 31u) / 32u;
    uint word = 0u;
    uint bits = visit.x;
    while (bits != 0u || word + 1u < words) {
      if (bits == 0u) {
        ++word;
        bits = visit[word];
        continue;
      }
      // The lowest bit left, and its number from the exponent of its exact float value.
      uint lowest = bits & (~bits + 1u);
      bits ^= lowest;
      uint i = word * 32u + ((floatBitsToUint(float(lowest)) >> 23) - 127u);
      float d = distance(worldPosition, lights[i].position.xyz);
      light += lights[i].color * lights[i].intensity * Falloff(d, lights[i].falloffStart.x, lights[i].falloffEnd.x);
    }
    color.rgb *= light;
  }
#endif

  if (color.a < 0.01) discard;
  fragColor = color;
}
