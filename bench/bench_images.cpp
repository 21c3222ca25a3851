// The picture decoder on PNG files written here: a 17,000 x 17,000 grey picture (322 KB of file,
// 1.16 GB of pixels; shrunk to the decoder's limits as it is read), a full-screen 1920 x 1080 RGBA
// picture, and the 1024 x 1024 kind the game ships. Time only; the memory a decode needs shows in
// the largest resident size of the whole run, e.g.
//   /usr/bin/time -v build/release/bench_images --benchmark_filter=Huge 2>&1 | grep Maximum
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "../tests/support/PngWriter.h"
#include "platform/ImageDecoder.h"

namespace {

std::string WritePicture(const std::string& name, uint32_t width, uint32_t height, int colourType,
                         const std::function<void(uint32_t, std::string*)>& row) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("bench_images-" + std::to_string(std::random_device{}()) + "-" + name))
                               .string();
  std::ofstream(path, std::ios::binary) << testing_support::PngBytes(width, height, colourType, 8, row);
  return path;
}

void Decode(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    std::optional<platform::Image> image = platform::DecodeImageFile(path);
    if (!image) state.SkipWithError("the picture did not decode");
    benchmark::DoNotOptimize(image);
  }
  std::filesystem::remove(path);
}

void BM_HugeGreyPicture(benchmark::State& state) {
  const uint32_t side = 17000;
  Decode(state, WritePicture("huge.png", side, side, 0, [](uint32_t y, std::string* row) {
           row->assign(side, static_cast<char>(y < side / 2 ? 200 : 40));
         }));
}

// A noisy picture: little to compress, as photographs and painted backdrops are.
void NoisyRows(uint32_t width, uint32_t, std::string* row, std::minstd_rand* random) {
  row->resize(width * 4);
  for (char& c : *row) c = static_cast<char>((*random)() & 0xFF);
}

void BM_FullScreenPicture(benchmark::State& state) {
  std::minstd_rand random(7);
  Decode(state, WritePicture("screen.png", 1920, 1080, 6, [&](uint32_t y, std::string* row) {
           NoisyRows(1920, y, row, &random);
         }));
}

void BM_ShippedSizePicture(benchmark::State& state) {
  std::minstd_rand random(9);
  Decode(state, WritePicture("sheet.png", 1024, 1024, 6, [&](uint32_t y, std::string* row) {
           NoisyRows(1024, y, row, &random);
         }));
}

}  // namespace

BENCHMARK(BM_HugeGreyPicture)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FullScreenPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShippedSizePicture)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
