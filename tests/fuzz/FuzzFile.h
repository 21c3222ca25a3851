// For the fuzz targets that read through a file as a texture load does: the input's bytes written
// to a scratch file of this process's own, removed when the process ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

// Writes the bytes to the scratch file named for `name` (e.g. "fuzz_png_file.png") and returns its
// path; aborts when the file cannot be written.
inline const std::string& WriteFuzzFile(const std::string& name, const uint8_t* data, size_t size) {
  static const std::string path = [&name] {
    const std::string unique = std::to_string(std::random_device{}()) + "-" + name;
    std::atexit([] { std::remove(path.c_str()); });
    return (std::filesystem::temp_directory_path() / unique).string();
  }();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
  return path;
}
