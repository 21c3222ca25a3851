// The sprite batch's held frame: the analysis of its draws (quads a later opaque quad hides, draws
// without blending or the depth test, draws that sample the nearest texel, the pixels each draw can
// still show, the frame's count) and their sending through the streams.

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/ColorShader.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/SpriteBatchState.h"
#include "graphics/TextureShader.h"

namespace sprite_batch {

namespace {

// Reserves `count` vertices in a stream; returns the first one's index.
size_t Reserve(Stream& stream, size_t count, bool* wrapped) {
  *wrapped = stream.cursor + count > stream.capacity;
  if (*wrapped) stream.cursor = 0;
  size_t first = stream.cursor;
  stream.cursor += count;
  return first;
}

// The vertices of a batch's quads that are not hidden: the batch's own when none is.
template <class Vertex>
const std::vector<Vertex>& Kept(const BatchModule& m, const Batch& b, const std::vector<Vertex>& all,
                                std::vector<Vertex>& kept) {
  const auto hidden = m.hidden.begin() + static_cast<std::ptrdiff_t>(b.first);
  const size_t quads = b.analysed.size();
  if (std::find(hidden, hidden + static_cast<std::ptrdiff_t>(quads), uint8_t{1}) == hidden + static_cast<std::ptrdiff_t>(quads)) {
    return all;
  }
  kept.clear();
  for (size_t i = 0; i < quads; ++i) {
    if (hidden[static_cast<std::ptrdiff_t>(i)] == 0) kept.insert(kept.end(), all.begin() + 4 * i, all.begin() + 4 * i + 4);
  }
  return kept;
}

// Runs `draw` once limited to each of `limits`, or once unlimited when there are none.
template <class Draw>
void DrawLimited(const PixelParts& limits, Draw draw) {
  if (limits.count == 0) {
    Gpu().UseScissor(0, 0, 0, 0);
    draw();
  }
  for (int k = 0; k < limits.count; ++k) {
    const PixelRect& r = limits.part[k];
    Gpu().UseScissor(r.x0, r.y0, r.x1 - r.x0 + 1, r.y1 - r.y0 + 1);
    draw();
  }
}

void SendTextured(BatchModule& m, const Batch& b, bool nearest, const PixelParts& limits) {
  TextureShader* shader = GetTextureShader();
  const std::vector<TextureVertex>& vertices = Kept(m, b, b.textureVertices, m.keptTexture);
  const size_t count = vertices.size();
  if (shader == nullptr || count == 0) return;
  bool wrapped = false;
  const size_t first = Reserve(m.textured, count, &wrapped);
  if (!Gpu().WriteBufferAt(m.textured.buffer, first * sizeof(TextureVertex), vertices.data(),
                           count * sizeof(TextureVertex), wrapped)) {
    return;
  }
  uint8_t filterBlock[platform::kFilterBlockBytes] = {};
  std::memcpy(filterBlock, b.filters, static_cast<size_t>(b.filterSets) * 12 * sizeof(float));
  // The lit program's shape follows the most lights on one quad that is drawn (a hidden or
  // off-screen quad's lights cost no pixel).
  const auto hidden = m.hidden.begin() + static_cast<std::ptrdiff_t>(b.first);
  int mostLights = 0;
  for (size_t q = 0; q < b.quadLights.size(); ++q) {
    if (hidden[static_cast<std::ptrdiff_t>(q)] == 0) mostLights = std::max<int>(mostLights, b.quadLights[q]);
  }
  const uint32_t skip = (b.filterSets > 1 ? 0u : kNoFilters) | (b.lightsReach ? 0u : kNoLights) |
                        (b.shrinks ? 0u : kNoMipmaps) | (nearest ? kNearestTexel : 0u) | (b.tinted ? 0u : kNoTint);
  DrawLimited(limits, [&] {
    shader->RenderBatch(m.textured.buffer, m.quadIndices, static_cast<int>(count / 4 * 6), static_cast<int>(first),
                        b.matrices, filterBlock, b.lights.data(), b.lights.size(), b.textureObject, skip, mostLights);
  });
  if (mostLights > 0) ++(mostLights <= kLightSlots ? m.stats.drawsLitBySlots : m.stats.drawsLitByLoop);
  if (mostLights == 0 && !b.tinted) ++m.stats.drawsUntinted;
}

void SendColored(BatchModule& m, const Batch& b, const PixelParts& limits) {
  ColorShader* shader = GetColorShader();
  const std::vector<ColorVertex>& vertices = Kept(m, b, b.colorVertices, m.keptColor);
  const size_t count = vertices.size();
  if (shader == nullptr || count == 0) return;
  bool wrapped = false;
  const size_t first = Reserve(m.colored, count, &wrapped);
  if (!Gpu().WriteBufferAt(m.colored.buffer, first * sizeof(ColorVertex), vertices.data(),
                           count * sizeof(ColorVertex), wrapped)) {
    return;
  }
  DrawLimited(limits, [&] {
    shader->RenderBatch(m.colored.buffer, m.quadIndices, static_cast<int>(count / 4 * 6), static_cast<int>(first),
                        b.matrices);
  });
}

// A draw limited to the pixels its quads can still show, when later opaque quads cover much of
// them (a level's backdrop under the floor drawn over it, at the same depth): those pixels would
// be shaded only to be painted over. The limit is a few rectangles sharing no pixel, and the draw
// goes out once limited to each: every pixel inside one is drawn exactly once, by all of the
// draw's quads in their order, and pixels outside them are left as they are, so the picture is
// the same. Each rectangle past the first must save this many pixels, and this many more for
// each quad drawn again (its vertices are set up once for each rectangle); draws of more quads
// get one rectangle.
constexpr double kPixelsPerLimit = 16384.0;
constexpr double kPixelsPerQuadRepeated = 256.0;
constexpr size_t kQuadsRepeated = 64;

// The rectangles a draw goes out limited to, one draw each; none: one draw, unlimited.
PixelParts LimitToVisible(BatchModule& m, const Batch& b) {
  PixelRect drawn, shown;
  size_t quads = 0;
  double all = 0.0;
  bool trimmed = false;  // some quad can show less than all of it
  m.pieces.clear();
  for (size_t i = 0; i < b.analysed.size(); ++i) {
    if (m.hidden[b.first + i] != 0) continue;
    ++quads;
    const PixelRect& pixels = b.analysed[i].pixels;
    drawn = Around(drawn, pixels);
    all += pixels.Area();
    const PixelParts& visible = m.visible[b.first + i];
    trimmed = trimmed || visible.count != 1 || std::memcmp(&visible.part[0], &pixels, sizeof(pixels)) != 0;
    for (int k = 0; k < visible.count; ++k) {
      shown = Around(shown, visible.part[k]);
      m.pieces.push_back(visible.part[k]);
    }
  }
  if (!trimmed || shown.Empty() || !Contains(drawn, shown)) return {};
  // What limiting saves: the pixels of the draw's quads (their rectangles) outside the limit, less
  // the cost of drawing again for each rectangle past the first.
  const double perLimit = kPixelsPerLimit + kPixelsPerQuadRepeated * static_cast<double>(quads);
  const auto saves = [&](const PixelParts& limits) {
    double inside = 0.0;
    for (size_t i = 0; i < b.analysed.size(); ++i) {
      if (m.hidden[b.first + i] != 0) continue;
      const PixelRect& q = b.analysed[i].pixels;
      for (int k = 0; k < limits.count; ++k) {
        const PixelRect& r = limits.part[k];
        inside += PixelRect{std::max(q.x0, r.x0), std::max(q.y0, r.y0), std::min(q.x1, r.x1), std::min(q.y1, r.y1)}.Area();
      }
    }
    return all - inside - perLimit * (limits.count - 1);
  };
  // One rectangle around all that can show, where it leaves out a good share of the draw (a row
  // or column of a small sprite is not worth it); or a few, where they save more.
  PixelParts best;
  double bestSaves = 0.0;
  if (shown.Area() <= 0.75 * drawn.Area()) {
    best.part[best.count++] = shown;
    bestSaves = saves(best);
  }
  for (int most = PixelParts::kMost; most >= 2 && quads <= kQuadsRepeated; --most) {
    const PixelParts parts = PartsHolding(m.pieces, most, perLimit);
    const double partsSave = parts.count >= 2 ? saves(parts) : 0.0;
    if (partsSave > bestSaves) {
      best = parts;
      bestSaves = partsSave;
    }
    if (parts.count < most) break;  // fewer allowed would give the same
  }
  return best;
}

// `limit`: the draw may be limited to the pixels it can still show (LimitToVisible).
void Send(BatchModule& m, const Batch& b, bool depthTest, bool blend, bool nearest, bool limit = true) {
  Gpu().UseDepthTest(depthTest);
  Gpu().UseBlending(blend);
  const PixelParts limits = limit ? LimitToVisible(m, b) : PixelParts{};
  if (b.mode == Mode::Textured) SendTextured(m, b, nearest, limits);
  if (b.mode == Mode::Colored) SendColored(m, b, limits);
}

// Whether a batch paints every pixel of the window: some quad it draws hides the whole window.
bool PaintsWholeWindow(const BatchModule& m, const Batch& b, const Screen& screen) {
  for (size_t i = 0; i < b.analysed.size(); ++i) {
    const PixelRect& r = b.analysed[i].inner;
    if (m.hidden[b.first + i] == 0 && b.analysed[i].hides && r.x0 <= 0 && r.y0 <= 0 && r.x1 >= screen.width - 1 &&
        r.y1 >= screen.height - 1) {
      return true;
    }
  }
  return false;
}

// Every input of a textured batch's draw, as bytes: the texture (a view's pixels never change;
// handles are not reused), the window size, the blocks, the vertices and which quads are left out
// (with the quads' light counts and the batch's flags, they choose the program and the sampler).
void DrawInputs(const BatchModule& m, const Batch& b, const Screen& screen, std::vector<uint8_t>* out) {
  out->clear();
  auto add = [out](const void* bytes, size_t size) {
    const auto* at = static_cast<const uint8_t*>(bytes);
    out->insert(out->end(), at, at + size);
  };
  const int header[6] = {static_cast<int>(b.texture.id), static_cast<int>(b.texture.device), screen.width, screen.height,
                         b.filterSets, (b.lightsReach ? 1 : 0) | (b.shrinks ? 2 : 0)};
  add(header, sizeof(header));
  add(b.matrices, sizeof(b.matrices));
  add(b.filters, static_cast<size_t>(b.filterSets) * 12 * sizeof(float));
  add(b.lights.data(), b.lights.size());
  add(b.quadLights.data(), b.quadLights.size());
  add(m.hidden.data() + b.first, b.analysed.size());
  add(b.textureVertices.data(), b.textureVertices.size() * sizeof(TextureVertex));
}

// Sends the frame's first draw. When it paints every pixel of the window opaque, without blending
// and without the depth test (a menu's or a splash screen's backdrop), its pixels follow from what
// it reads alone, and it writes no depth: if all of that is byte for byte what the draw the device
// keeps a copy of read, the copy is put back instead of shading the same pixels again; otherwise
// the draw goes out, and once it has read the same twice in a row the device copies its pixels
// for the frames to come (a copy costs a blit, not worth paying in every frame of a backdrop that
// changes every frame).
void SendFirst(BatchModule& m) {
  platform::GpuDevice& gpu = Gpu();
  const Batch& b = m.pending[0];
  const Screen screen = CurrentScreen();
  const bool whole = m.withoutDepth[0] != 0 && m.withoutBlending[0] != 0 && b.mode == Mode::Textured && screen.device &&
                     PaintsWholeWindow(m, b, screen);
  if (whole) {
    DrawInputs(m, b, screen, &m.firstDraw);
    if (m.firstDraw == m.copiedDraw && gpu.RestoreBackBuffer()) return;
  }
  const uint64_t draws = gpu.Stats().drawCalls;
  // A draw to be copied paints the whole window, not only what later quads leave showing.
  Send(m, b, m.withoutDepth[0] == 0, m.withoutBlending[0] == 0, m.nearest[0] != 0, !whole);
  if (!whole || gpu.Stats().drawCalls == draws) return;
  if (m.firstDraw == m.lastFirstDraw) {
    gpu.KeepBackBuffer();
    m.copiedDraw = m.firstDraw;
  }
  m.lastFirstDraw.swap(m.firstDraw);
}

// The pixels a box covers on the screen (clipped to it), for the frame's statistics.
double BoxPixels(const Box& box, const Screen& screen) {
  const double width = screen.width;
  const double height = screen.height;
  const double x = std::clamp<double>(box.x1, -1.0, 1.0) - std::clamp<double>(box.x0, -1.0, 1.0);
  const double y = std::clamp<double>(box.y1, -1.0, 1.0) - std::clamp<double>(box.y0, -1.0, 1.0);
  return x > 0 && y > 0 ? x * 0.5 * width * y * 0.5 * height : 0.0;
}

void CountFrame(BatchModule& m, bool frameEnds) {
  SpriteFrameStats& s = m.stats;
  if (frameEnds) ++s.frames;
  s.quads += m.frame.size();
  const Screen screen = CurrentScreen();
  for (size_t i = 0; i < m.frame.size(); ++i) {
    const double pixels = BoxPixels(m.frame[i].box, screen);
    s.pixels += pixels;
    if (m.hidden[i] != 0) {
      ++s.hiddenQuads;
      if (m.frame[i].pixels.Empty()) ++s.offScreenQuads;
      s.hiddenPixels += pixels;
    } else {
      if (m.withoutDepth[m.frame[i].draw] != 0) s.pixelsWithoutDepth += pixels;
      if (m.withoutBlending[m.frame[i].draw] != 0) s.pixelsWithoutBlending += pixels;
      if (m.nearest[m.frame[i].draw] != 0) s.pixelsNearest += pixels;
    }
  }
  for (size_t d = 0; d < m.held; ++d) {
    const Batch& b = m.pending[d];
    bool sent = false;
    for (size_t i = 0; i < b.analysed.size(); ++i) sent = sent || m.hidden[b.first + i] == 0;
    if (!sent) continue;
    ++s.draws;
    if (m.withoutDepth[d] != 0) ++s.drawsWithoutDepth;
    if (m.withoutBlending[d] != 0) ++s.drawsWithoutBlending;
    if (m.nearest[d] != 0) ++s.drawsNearest;
  }
}

void LayOutFrame(BatchModule& m) {
  m.frame.clear();
  for (size_t d = 0; d < m.held; ++d) {
    Batch& b = m.pending[d];
    b.first = m.frame.size();
    for (FrameQuad quad : b.analysed) {
      quad.draw = static_cast<uint32_t>(d);
      m.frame.push_back(quad);
    }
  }
}

// Marks each held batch whose quads left to draw (the hidden ones are not) all draw opaque pixels
// only: blending cannot change what they paint.
void FindDrawsWithoutBlending(BatchModule& m) {
  m.withoutBlending.assign(m.held, 0);
  for (size_t d = 0; d < m.held; ++d) {
    const Batch& b = m.pending[d];
    bool opaque = true;
    if (b.seeThrough > 0) {
      for (size_t i = 0; i < b.opaque.size() && opaque; ++i) opaque = b.opaque[i] != 0 || m.hidden[b.first + i] != 0;
    }
    m.withoutBlending[d] = opaque ? 1 : 0;
  }
}

// Marks each held textured batch whose quads left to draw all have their pixel centres on texel
// centres (TexelsOnPixels): the nearest texel is what linear filtering would give them.
void FindNearestDraws(BatchModule& m) {
  m.nearest.assign(m.held, 0);
  for (size_t d = 0; d < m.held; ++d) {
    const Batch& b = m.pending[d];
    if (b.mode != Mode::Textured) continue;
    bool onTexels = true;
    for (size_t i = 0; i < b.onTexels.size() && onTexels && b.offTexels > 0; ++i) {
      onTexels = b.onTexels[i] != 0 || m.hidden[b.first + i] != 0;
    }
    m.nearest[d] = onTexels ? 1 : 0;
  }
}

}  // namespace

// Sends every held batch: quads a later quad hides are left out, draws of opaque pixels go
// without blending, draws whose pixels each take one texel sample the nearest one, and, when
// this is the frame's end, draws that cannot be told from draws without depth go without it.
void SendHeld(BatchModule& m, bool frameEnds) {
  platform::GpuDevice& gpu = Gpu();
  // 1. The held quads in the order they will be drawn.
  LayOutFrame(m);
  // 2. Quads a later opaque quad covers completely.
  FindHiddenQuads(m.frame, &m.hidden, &m.visible);
  // 3. Draws that need neither the depth test nor their depth writes. Anything drawn since the
  //    last clear that the batch did not see, or a flush before the frame's end (whatever draws
  //    next may read the depth), keeps the test everywhere.
  const bool depthClean = frameEnds && gpu.Stats().clears > m.clearsSeen && gpu.Stats().drawCalls == m.drawsSeen;
  if (depthClean) {
    FindDrawsWithoutDepth(m.frame, m.hidden, m.held, &m.withoutDepth);
  } else {
    m.withoutDepth.assign(m.held, 0);
  }
  // 4. Draws whose every pixel is opaque, which blending cannot change.
  FindDrawsWithoutBlending(m);
  // 5. Draws whose every pixel centre falls on a texel centre, which sample the nearest texel.
  FindNearestDraws(m);
  CountFrame(m, frameEnds);
  // 6. The draws, in order (the first may come from a copy), each limited to the pixels it can
  //    still show; the depth test and blending are back on, and the limit off, for whatever
  //    draws next.
  if (m.held > 0) SendFirst(m);
  for (size_t i = 1; i < m.held; ++i) {
    Send(m, m.pending[i], m.withoutDepth[i] == 0, m.withoutBlending[i] == 0, m.nearest[i] != 0);
  }
  gpu.UseDepthTest(true);
  gpu.UseBlending(true);
  gpu.UseScissor(0, 0, 0, 0);
  // 7. An empty frame for the next quads.
  m.held = 0;
  m.heldTextureVertices = m.heldColorVertices = 0;
  m.frame.clear();
  m.planes.clear();
  m.clearsSeen = gpu.Stats().clears;
  m.drawsSeen = gpu.Stats().drawCalls;
}

}  // namespace sprite_batch
