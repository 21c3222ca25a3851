// Feeds arbitrary bytes to the bank manifest parser: it must accept or reject, never crash, and what
// it accepts must satisfy the limits the event layer relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "audio/BankManifest.h"

namespace {

// Every accepted sound file must stay inside the bank's folder: relative, no empty, "." or ".."
// component, no backslash or drive colon.
bool StaysInside(const std::string& file) {
  if (file.empty() || file[0] == '/' || file.find_first_of("\\:") != std::string::npos) return false;
  size_t start = 0;
  while (true) {
    size_t end = file.find('/', start);
    std::string part = file.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  BankManifest manifest;
  std::string error;
  bool ok = ParseBankManifest(text, &manifest, &error);
  if (ok != error.empty()) std::abort();
  if (!ok && (!manifest.events.empty() || !manifest.buses.empty())) std::abort();
  if (manifest.events.size() > kMaxBankEvents || manifest.buses.size() > kMaxBankBuses) std::abort();
  for (const BankEvent& e : manifest.events) {
    if (!IsEventPath(e.path) || e.sounds.empty() || e.sounds.size() > kMaxEventSounds) std::abort();
    if (e.layers.size() > kMaxEventLayers || !(e.volume >= 0.0f && e.volume <= 1.0f)) std::abort();
    if (!(e.pitch >= 0.0f && e.pitch <= 12.0f)) std::abort();
    for (const std::string& s : e.sounds) {
      if (!StaysInside(s)) std::abort();
    }
    for (const BankLayer& l : e.layers) {
      if (!StaysInside(l.file) || !IsParameterPath(l.parameter)) std::abort();
    }
  }
  return 0;
}
