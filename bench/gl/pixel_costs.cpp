// What each piece of GL state and of the texture program costs per pixel on this machine's GL (a
// software renderer: every pixel is the processor's work). Opens a 1280 x 720 GL 3.3 core window
// the way the game does (SDL_VIDEODRIVER=offscreen works), and draws three scenes of textured,
// alpha-blended quads from one picture, each frame finished by a one-pixel read-back:
//   small  2000 quads of 20 x 20, unrotated
//   turned  500 quads of 43 x 116, rotated
//   screen    1 quad over the whole window
// under a list of configurations. "ours" is the game's state and program for an unlit, unfiltered
// draw; each row below it changes one thing toward a plain 2-D renderer (a trivial `texture`
// program, no depth or stencil, no discard, one blend function, no mipmaps); the "+" rows add the
// changes up one by one; the "peer -" rows take one change back from the plainest setup.
// For each: wall-clock and processor time (user + system of every thread, so the renderer's own
// threads count) per frame, in ms.
//
// Built and run by bench/pixel_costs.sh (not part of the game's build: it talks to GL directly;
// under valgrind it dumps callgrind counts per cell instead of timing, see the script).
//   pixel_costs SHADER_FOLDER PICTURE [FRAMES [ROUNDS]]
// LP_PERF=no_rast_linear switches off llvmpipe's fast rasteriser for simple 2-D work (rows that
// slow down under it were taking it); LP_PERF=no_linear is no such switch: it makes every texture
// sample nearest, another picture. Needs valgrind's headers (Debian's valgrind).
//
// What it showed on the 2-core machine with Mesa 22.3 llvmpipe (processor ms per frame, one
// renderer thread, small / turned / screen; a shared machine, so a few tenths are noise):
//   ours (depth, stencil, discard, mip sampler)          25.0 / 49.6 / 11.7
//   without the mip sampler (LINEAR)                     15.4 / 27.3 /  8.9
//   without the depth test                               27.1 / 51.2 / 11.7 (instructions: -8/-6/-3%)
//   without the stencil test, the discard, or with one blend function: within the noise
//   with a plain `texture` program                       18.7 / 39.6 /  9.4
//   the plainest setup (no depth, stencil, discard or mips, plain program and blend)
//                                                        10.9 / 21.2 /  6.9
// Under callgrind the unlit, unfiltered program went from 167 / 346 / 92 million instructions a
// frame to 139 / 280 / 70 once it stopped testing the kind per pixel (the flat tint). The fast
// rasteriser for simple 2-D work made no difference to any row (LP_PERF=no_rast_linear).
// The "opaque" rows draw the picture as the game draws an opaque one (no stencil test, no mip
// sampler), then without blending, then also without the discard (processor ms, one renderer
// thread, 20 frames best of 5 / callgrind million instructions a frame):
//   opaque as drawn                                       9.2 / 19.1 / 6.0    115.4 / 191.0 / 59.6
//   without blending                                      7.9 / 16.0 / 5.2     88.5 / 162.1 / 50.4
//   without blending or the discard                       7.9 / 15.8 / 5.1     87.9 / 160.2 / 49.9
// Blending off saves 15-23%; the discard is worth about 1% more, which the game's frame times do
// not show, so opaque draws keep the program with the discard.
// The "lit" rows draw the same quads as level objects that 1-3 lights reach, with our program
// looping over the lights or taking them in slots from the vertex stage. Processor ms per frame
// (same sitting, one renderer thread, small / turned / screen; "ours" unlit 17-19 / 37-38 / 9):
//   lit 1: loop 30-34 / 68-72 / 20     slots 17-22 / 38-42 / 9-10
//   lit 2: loop 36    / 81    / 24     slots 18    / 41    / 10
//   lit 3: loop 40    / 92    / 28     slots 25    / 42    / 11
// The loop's first light doubled a pixel's cost (its control, and the light block read by an
// index from a varying, per pixel); a light in a slot costs a few per cent.
#include <SDL.h>
#include <SDL_image.h>
#include <epoxy/gl.h>
#include <sys/resource.h>
#include <valgrind/callgrind.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// One setup: each flag says "as the game does it" when true.
struct Config {
  const char* name;
  bool stencil = true;     // stencil test on, always passing, incr/decr on depth failure
  bool depth = true;       // depth test LEQUAL with writes
  bool discard = true;     // the program drops alpha < 0.01
  bool separate = true;    // glBlendFuncSeparate(SRC_ALPHA, ONE_MINUS_SRC_ALPHA, ONE, ZERO)
  bool mipSampler = true;  // LINEAR_MIPMAP_LINEAR (else LINEAR)
  bool mipTexture = true;  // the texture has its mip chain (else base level only)
  bool srgb = false;       // the texture is SRGB8_ALPHA8 (the game's pictures are not)
  bool blend = true;       // blending on (the game switches it off for draws of opaque pixels)
  int program = 0;  // 0 ours (no filters, no lights), 1 fewer varyings, 2 trivial, 3 our vertex stage
                   // + trivial pixel stage, 4 the same times a flat tint
  int lights = 0;      // 1-3: ours lit (level objects, not furniture), this many lights reach every
                       // quad, drawn by ...
  bool slots = false;  // ... the variant with that many light slots (else the loop over the lights)
};

struct Vertex {
  float position[3];
  float texcoord[2];
  uint32_t kind;
  uint32_t lightsOut[4];
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string WithDefines(const std::string& source, const std::string& defines) {
  size_t end = source.find('\n');
  return source.substr(0, end + 1) + defines + "#line 2\n" + source.substr(end + 1);
}

GLuint Compile(GLenum stage, const std::string& text) {
  GLuint s = glCreateShader(stage);
  const char* chars = text.c_str();
  glShaderSource(s, 1, &chars, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048];
    glGetShaderInfoLog(s, sizeof log, nullptr, log);
    std::fprintf(stderr, "compile: %s\n", log);
    std::exit(1);
  }
  return s;
}

GLuint Link(const std::string& vs, const std::string& fs) {
  GLuint p = glCreateProgram();
  glAttachShader(p, Compile(GL_VERTEX_SHADER, vs));
  glAttachShader(p, Compile(GL_FRAGMENT_SHADER, fs));
  glLinkProgram(p);
  GLint ok = 0;
  glGetProgramiv(p, GL_LINK_STATUS, &ok);
  if (!ok) {
    std::fprintf(stderr, "link failed\n");
    std::exit(1);
  }
  const char* blocks[3] = {"MatrixBuffer", "FilterBuffer", "LightBuffer"};
  for (GLuint b = 0; b < 3; ++b) {
    GLuint index = glGetUniformBlockIndex(p, blocks[b]);
    if (index != GL_INVALID_INDEX) glUniformBlockBinding(p, index, b);
  }
  glUseProgram(p);
  glUniform1i(glGetUniformLocation(p, "shaderTexture"), 0);
  return p;
}

const char* kFewVertex = R"(#version 330 core
layout(std140) uniform MatrixBuffer { mat4 worldMatrix; mat4 viewMatrix; mat4 projectionMatrix; };
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texcoord;
layout(location = 2) in uint objectKind;
out vec2 uv;
flat out uint kind;
void main() {
  gl_Position = projectionMatrix * (viewMatrix * (worldMatrix * vec4(position, 1.0)));
  uv = texcoord;
  kind = objectKind & 0xFFFFu;
}
)";
const char* kFewPixel = R"(#version 330 core
uniform sampler2D shaderTexture;
in vec2 uv;
flat in uint kind;
out vec4 fragColor;
void main() {
  vec4 color = texture(shaderTexture, uv);
  if (kind != 10u && kind != 16u && kind != 17u) color.rgb *= 0.5;
#ifndef NO_DISCARD
  if (color.a < 0.01) discard;
#endif
  fragColor = color;
}
)";
const char* kTrivialVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 texcoord;
out vec2 uv;
void main() { gl_Position = vec4(position, 1.0); uv = texcoord; }
)";
const char* kTrivialPixel = R"(#version 330 core
uniform sampler2D shaderTexture;
in vec2 uv;
out vec4 fragColor;
void main() {
  fragColor = texture(shaderTexture, uv);
#ifndef NO_DISCARD
  if (fragColor.a < 0.01) discard;
#endif
}
)";

const char* kTintPixel = R"(#version 330 core
uniform sampler2D shaderTexture;
in vec2 uv;
flat in vec3 tint;
out vec4 fragColor;
void main() {
  fragColor = texture(shaderTexture, uv);
  fragColor.rgb *= tint;
#ifndef NO_DISCARD
  if (fragColor.a < 0.01) discard;
#endif
}
)";

// Quads in pixels (centre, size, angle) as the peers place them, into clip space.
void AddQuad(std::vector<Vertex>& out, float cx, float cy, float w, float h, float degrees) {
  const float a = degrees * 3.14159265f / 180.0f, c = std::cos(a), s = std::sin(a);
  const float corner[4][2] = {{-w / 2, -h / 2}, {-w / 2, h / 2}, {w / 2, h / 2}, {w / 2, -h / 2}};
  const float uv[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
  for (int k = 0; k < 4; ++k) {
    const float x = cx + c * corner[k][0] - s * corner[k][1];
    const float y = cy + s * corner[k][0] + c * corner[k][1];
    Vertex v{};
    v.position[0] = x / 640.0f - 1.0f;
    v.position[1] = y / 360.0f - 1.0f;
    v.position[2] = 0.5f;
    v.texcoord[0] = uv[k][0];
    v.texcoord[1] = uv[k][1];
    v.kind = 16;  // screen furniture: unlit
    out.push_back(v);
  }
}

struct Scene {
  const char* name;
  std::vector<Vertex> vertices;
};

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: pixel_costs SHADER_FOLDER PICTURE [FRAMES [ROUNDS]]\n");
    return 2;
  }
  const std::string shaders = argv[1];
  const int frames = argc > 3 ? std::atoi(argv[3]) : 10;
  const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_Window* window = SDL_CreateWindow("pixel costs", 0, 0, 1280, 720, SDL_WINDOW_OPENGL);
  if (window == nullptr || SDL_GL_CreateContext(window) == nullptr) {
    std::fprintf(stderr, "%s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetSwapInterval(0);
  SDL_Surface* loaded = IMG_Load(argv[2]);
  if (loaded == nullptr) return 1;
  SDL_Surface* picture = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);

  // Programs: ours for an unlit, unfiltered draw (with and without its discard), fewer varyings,
  // trivial.
  const std::string vtexture = ReadFile(shaders + "/vtexture.glsl");
  const std::string ptexture = ReadFile(shaders + "/ptexture.glsl");
  std::string ptextureNoDiscard = ptexture;
  const std::string discardLine = "if (color.a < 0.01) discard;";
  if (size_t at = ptextureNoDiscard.find(discardLine); at != std::string::npos) {
    ptextureNoDiscard.erase(at, discardLine.size());
  }
  const std::string ours = "#define NO_FILTERS 1\n#define NO_LIGHTS 1\n";
  GLuint programs[5][2];  // [program][discard]
  programs[0][1] = Link(vtexture, WithDefines(ptexture, ours));
  programs[0][0] = Link(vtexture, WithDefines(ptextureNoDiscard, ours));
  programs[1][1] = Link(kFewVertex, kFewPixel);
  programs[1][0] = Link(kFewVertex, WithDefines(kFewPixel, "#define NO_DISCARD 1\n"));
  programs[2][1] = Link(kTrivialVertex, kTrivialPixel);
  programs[2][0] = Link(kTrivialVertex, WithDefines(kTrivialPixel, "#define NO_DISCARD 1\n"));
  // Our vertex stage with the trivial pixel stage, and the trivial pair with a flat tint.
  programs[3][1] = Link(vtexture, kTrivialPixel);
  programs[3][0] = Link(vtexture, WithDefines(kTrivialPixel, "#define NO_DISCARD 1\n"));
  programs[4][1] = Link(vtexture, kTintPixel);
  programs[4][0] = Link(vtexture, WithDefines(kTintPixel, "#define NO_DISCARD 1\n"));

  // Uniform blocks: identity matrices, empty filters and lights.
  // Lit rows: our program without filters, looping or with 1-3 light slots ([lights][slots]).
  GLuint litPrograms[4][2] = {};
  for (int n = 1; n <= 3; ++n) {
    for (int slots = 0; slots < 2; ++slots) {
      std::string defines = "#define NO_FILTERS 1\n";
      if (slots) {
        defines += "#define LIGHT_SLOTS ";
        defines += static_cast<char>('0' + n);
        defines += "\n";
      }
      litPrograms[n][slots] = Link(WithDefines(vtexture, defines), WithDefines(ptexture, defines));
    }
  }

  GLuint blocks[3];
  glGenBuffers(3, blocks);
  float matrices[48] = {};
  for (int m = 0; m < 3; ++m) {
    for (int d = 0; d < 4; ++d) matrices[m * 16 + d * 5] = 1.0f;
  }
  std::vector<uint8_t> zeros(8224, 0);
  const size_t sizes[3] = {192, 768, 8224};
  for (GLuint b = 0; b < 3; ++b) {
    glBindBuffer(GL_UNIFORM_BUFFER, blocks[b]);
    glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(sizes[b]), b == 0 ? static_cast<const void*>(matrices) : zeros.data(),
                 GL_STATIC_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, b, blocks[b]);
  }
  // Light blocks of 1-3 lights over the screen's middle that fade out across it, a dim ambient.
  GLuint lightBlocks[4] = {};
  glGenBuffers(3, lightBlocks + 1);
  for (uint32_t n = 1; n <= 3; ++n) {
    std::vector<float> block(8 + 16 * n, 0.0f);
    std::memcpy(&block[3], &n, 4);
    block[4] = block[5] = block[6] = 1.0f;
    block[7] = 0.25f;
    for (uint32_t i = 0; i < n; ++i) {
      float* at = &block[8 + 16 * i];
      at[0] = 0.25f * static_cast<float>(i);
      at[2] = -0.5f;
      at[4] = at[5] = at[6] = at[7] = 1.0f;
      at[8] = 0.25f;
      at[12] = 1.5f;
    }
    glBindBuffer(GL_UNIFORM_BUFFER, lightBlocks[n]);
    glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(block.size() * 4), block.data(), GL_STATIC_DRAW);
  }

  // Textures: [srgb][mips].
  GLuint textures[2][2];
  for (int srgb = 0; srgb < 2; ++srgb) {
    for (int mips = 0; mips < 2; ++mips) {
      glGenTextures(1, &textures[srgb][mips]);
      glBindTexture(GL_TEXTURE_2D, textures[srgb][mips]);
      glTexImage2D(GL_TEXTURE_2D, 0, srgb ? GL_SRGB8_ALPHA8 : GL_RGBA8, picture->w, picture->h, 0, GL_RGBA,
                   GL_UNSIGNED_BYTE, picture->pixels);
      if (mips) glGenerateMipmap(GL_TEXTURE_2D);
      else glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    }
  }
  GLuint samplers[2];  // [mip]
  glGenSamplers(2, samplers);
  for (int mip = 0; mip < 2; ++mip) {
    glSamplerParameteri(samplers[mip], GL_TEXTURE_MIN_FILTER, mip ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glSamplerParameteri(samplers[mip], GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glSamplerParameteri(samplers[mip], GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(samplers[mip], GL_TEXTURE_WRAP_T, GL_REPEAT);
  }

  // Scenes, each in a vertex buffer of the game's layout, with a shared quad index buffer.
  Scene scenes[3] = {{"small", {}}, {"turned", {}}, {"screen", {}}};
  for (int i = 0; i < 2000; ++i) AddQuad(scenes[0].vertices, static_cast<float>((i * 37) % 1280), static_cast<float>((i * 53) % 720), 20, 20, 0);
  for (int i = 0; i < 500; ++i) {
    AddQuad(scenes[1].vertices, static_cast<float>((i * 37) % 1280), static_cast<float>((i * 53) % 720), 43, 116,
            static_cast<float>((i * 7) % 360));
  }
  AddQuad(scenes[2].vertices, 640, 360, 1280, 720, 0);
  std::vector<uint32_t> indices;
  for (uint32_t q = 0; q < 2000; ++q) {
    for (uint32_t k : {0u, 1u, 2u, 2u, 3u, 0u}) indices.push_back(q * 4 + k);
  }
  GLuint ib = 0;
  glGenBuffers(1, &ib);
  // Arrays 0-2: the scenes as screen furniture; 3-5: the same quads as lit level objects.
  GLuint arrays[6], vbs[6];
  glGenVertexArrays(6, arrays);
  glGenBuffers(6, vbs);
  for (int s = 0; s < 6; ++s) {
    std::vector<Vertex> vertices = scenes[s % 3].vertices;
    if (s >= 3) {
      for (Vertex& v : vertices) v.kind = 0;
    }
    glBindVertexArray(arrays[s]);
    glBindBuffer(GL_ARRAY_BUFFER, vbs[s]);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(0));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(12));
    glEnableVertexAttribArray(2);
    glVertexAttribIPointer(2, 1, GL_UNSIGNED_INT, sizeof(Vertex), reinterpret_cast<void*>(20));
    glEnableVertexAttribArray(3);
    glVertexAttribIPointer(3, 4, GL_UNSIGNED_INT, sizeof(Vertex), reinterpret_cast<void*>(24));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib);
    if (s == 0) {
      glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * 4), indices.data(), GL_STATIC_DRAW);
    }
  }

  // The fixed state the game sets once.
  if (epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control")) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CW);
  glEnable(GL_BLEND);
  glActiveTexture(GL_TEXTURE0);

  std::vector<Config> configs;
  Config ours_;
  ours_.name = "ours";
  configs.push_back(ours_);
  auto one = [&](const char* name, auto change) {
    Config c = ours_;
    c.name = name;
    change(c);
    configs.push_back(c);
  };
  one("ours - stencil", [](Config& c) { c.stencil = false; });
  one("ours - depth", [](Config& c) { c.depth = false; });
  one("ours - discard", [](Config& c) { c.discard = false; });
  one("ours - separate blend", [](Config& c) { c.separate = false; });
  one("ours - mip sampler", [](Config& c) { c.mipSampler = false; });
  one("ours - mip sampler/texture", [](Config& c) { c.mipSampler = c.mipTexture = false; });
  one("ours + srgb texture", [](Config& c) { c.srgb = true; });
  one("ours, fewer varyings", [](Config& c) { c.program = 1; });
  one("ours, trivial program", [](Config& c) { c.program = 2; });
  one("ours, our vertex + trivial", [](Config& c) { c.program = 3; });
  one("ours, our vertex + tint", [](Config& c) { c.program = 4; });
  Config sum = ours_;
  auto add = [&](const char* name, auto change) {
    change(sum);
    sum.name = name;
    configs.push_back(sum);
  };
  add("+ stencil off", [](Config& c) { c.stencil = false; });
  add("+ depth off", [](Config& c) { c.depth = false; });
  add("+ discard off", [](Config& c) { c.discard = false; });
  add("+ fewer varyings", [](Config& c) { c.program = 1; });
  add("+ trivial program", [](Config& c) { c.program = 2; });
  add("+ plain blend", [](Config& c) { c.separate = false; });
  add("+ no mips (= peer)", [](Config& c) { c.mipSampler = c.mipTexture = false; });
  const Config peer = sum;
  auto back = [&](const char* name, auto change) {
    Config c = peer;
    c.name = name;
    change(c);
    configs.push_back(c);
  };
  back("peer + mips", [](Config& c) { c.mipSampler = c.mipTexture = true; });
  back("peer + mip chain, linear samp", [](Config& c) { c.mipTexture = true; });
  back("peer + separate blend", [](Config& c) { c.separate = true; });
  back("peer + discard", [](Config& c) { c.discard = true; });
  back("peer + depth", [](Config& c) { c.depth = true; });
  back("peer + stencil", [](Config& c) { c.stencil = true; });
  back("peer + depth + stencil", [](Config& c) { c.depth = c.stencil = true; });
  back("peer, our program -discard", [](Config& c) { c.program = 0; });
  back("peer, fewer varyings", [](Config& c) { c.program = 1; });
  back("peer + srgb texture", [](Config& c) { c.srgb = true; });
  // An opaque picture as the game draws it today (no stencil test; a backdrop never shrinks, so
  // no mip sampler), then without blending, then without blending or the discard.
  Config opaque = ours_;
  opaque.stencil = opaque.mipSampler = false;
  auto drop = [&](const char* name, auto change) {
    change(opaque);
    opaque.name = name;
    configs.push_back(opaque);
  };
  drop("opaque as drawn", [](Config&) {});
  drop("opaque - blend", [](Config& c) { c.blend = false; });
  drop("opaque - blend - discard", [](Config& c) { c.discard = false; });
  for (int n = 1; n <= 3; ++n) {
    static const char* names[4][2] = {{}, {"lit 1: loop", "lit 1: slots"}, {"lit 2: loop", "lit 2: slots"},
                                      {"lit 3: loop", "lit 3: slots"}};
    for (int slots = 0; slots < 2; ++slots) {
      one(names[n][slots], [&](Config& c) {
        c.lights = n;
        c.slots = slots != 0;
      });
    }
  }

  // QM_ONLY=TEXT keeps the rows whose name contains TEXT (=TEXT: the row named TEXT).
  if (const char* only = std::getenv("QM_ONLY")) {
    std::vector<Config> kept;
    for (const Config& c : configs) {
      const bool keep = only[0] == '=' ? std::strcmp(c.name, only + 1) == 0 : std::strstr(c.name, only) != nullptr;
      if (keep) kept.push_back(c);
    }
    configs = kept;
  }
  const char* perf = std::getenv("LP_PERF");
  std::printf("LP_PERF=%s, %d frames per cell, best of %d; ms per frame, wall / cpu (user+sys, all threads)\n",
              perf != nullptr ? perf : "", frames, rounds);
  auto Measure = [&](const Config& c, int s, double* wallOut, double* cpuOut) {
      if (c.stencil) {
        glEnable(GL_STENCIL_TEST);
        glStencilMask(0xFF);
        glStencilFuncSeparate(GL_FRONT_AND_BACK, GL_ALWAYS, 1, 0xFF);
        glStencilOpSeparate(GL_FRONT, GL_KEEP, GL_INCR, GL_KEEP);
        glStencilOpSeparate(GL_BACK, GL_KEEP, GL_DECR, GL_KEEP);
      } else {
        glDisable(GL_STENCIL_TEST);
      }
      if (c.depth) {
        glEnable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        glDepthFunc(GL_LEQUAL);
      } else {
        glDisable(GL_DEPTH_TEST);
      }
      if (c.blend) glEnable(GL_BLEND);
      else glDisable(GL_BLEND);
      if (c.separate) glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO);
      else glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      glUseProgram(c.lights > 0 ? litPrograms[c.lights][c.slots ? 1 : 0] : programs[c.program][c.discard ? 1 : 0]);
      glBindBufferBase(GL_UNIFORM_BUFFER, 2, c.lights > 0 ? lightBlocks[c.lights] : blocks[2]);
      glBindTexture(GL_TEXTURE_2D, textures[c.srgb ? 1 : 0][c.mipTexture ? 1 : 0]);
      glBindSampler(0, samplers[c.mipSampler ? 1 : 0]);
      glBindVertexArray(arrays[c.lights > 0 ? s + 3 : s]);
      const GLsizei count = static_cast<GLsizei>(scenes[s].vertices.size() / 4 * 6);
      auto frame = [&] {
        glDepthMask(GL_TRUE);
        glStencilMask(0xFF);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | (c.depth ? GL_DEPTH_BUFFER_BIT : 0) | (c.stencil ? GL_STENCIL_BUFFER_BIT : 0));
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, nullptr);
        uint8_t pixel[4];
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        SDL_GL_SwapWindow(window);
      };
      for (int i = 0; i < (RUNNING_ON_VALGRIND ? 1 : 3); ++i) frame();
      if (RUNNING_ON_VALGRIND) {
        // Under callgrind: the instructions of these frames alone, dumped under the cell's name.
        CALLGRIND_ZERO_STATS;
        for (int i = 0; i < frames; ++i) frame();
        const std::string cell = std::string(c.name) + " | " + scenes[s].name;
        CALLGRIND_DUMP_STATS_AT(cell.c_str());
        return;
      }
      const double cpu0 = CpuSeconds();
      const auto wall0 = std::chrono::steady_clock::now();
      for (int i = 0; i < frames; ++i) frame();
      *wallOut = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall0).count() / frames;
      *cpuOut = (CpuSeconds() - cpu0) * 1000.0 / frames;
  };
  // Each cell is the smallest of `rounds` runs, the rounds interleaved, so a burst of other work
  // on a shared machine spoils one run, not the table.
  std::vector<double> wallBest(configs.size() * 3, 1e9), cpuBest(configs.size() * 3, 1e9);
  for (int round = 0; round < rounds; ++round) {
    for (size_t k = 0; k < configs.size(); ++k) {
      const Config& c = configs[k];
      for (int s = 0; s < 3; ++s) {
        double wall = 0, cpu = 0;
        Measure(c, s, &wall, &cpu);
        wallBest[k * 3 + s] = std::min(wallBest[k * 3 + s], wall);
        cpuBest[k * 3 + s] = std::min(cpuBest[k * 3 + s], cpu);
      }
    }
  }
  std::printf("%-30s %15s %15s %15s\n", "config", "small 2000", "turned 500", "screen 1");
  for (size_t k = 0; k < configs.size(); ++k) {
    std::printf("%-30s", configs[k].name);
    for (int s = 0; s < 3; ++s) std::printf(" %7.2f/%7.2f", wallBest[k * 3 + s], cpuBest[k * 3 + s]);
    std::printf("\n");
  }
  SDL_Quit();
  return 0;
}
