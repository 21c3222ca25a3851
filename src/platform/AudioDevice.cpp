// The silent audio device, and the header probe it uses to know how long each sound would play.
#include <cstring>
#include <fstream>
#include <map>

#include "platform/AudioDevice.h"

namespace platform {
namespace {

constexpr size_t kMaxProbeBytes = 64u << 20;

uint32_t ReadU32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

int64_t ReadI64(const unsigned char* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
  return static_cast<int64_t>(v);
}

// Size of the Ogg page starting at `at`, or 0 when no whole page starts there.
size_t OggPageSize(const std::string& data, size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  if (at + 27 > data.size() || std::memcmp(p + at, "OggS", 4) != 0 || p[at + 4] != 0) return 0;
  size_t segments = p[at + 26];
  if (at + 27 + segments > data.size()) return 0;
  size_t body = 0;
  for (size_t i = 0; i < segments; ++i) body += p[at + 27 + i];
  size_t size = 27 + segments + body;
  return at + size <= data.size() ? size : 0;
}

// Length of an Ogg Vorbis stream: the sample rate from the identification header, the sample count
// from the granule position of the last complete page.
bool ProbeOgg(const std::string& data, double* seconds) {
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  size_t first = OggPageSize(data, 0);
  if (first == 0) return false;
  size_t payload = 27 + p[26];
  if (first < payload + 16 || p[payload] != 1 || std::memcmp(p + payload + 1, "vorbis", 6) != 0) return false;
  uint32_t channels = p[payload + 11];
  uint32_t rate = ReadU32(p + payload + 12);
  if (channels == 0 || rate == 0) return false;
  for (size_t at = data.size() >= 27 ? data.size() - 27 : 0;; --at) {
    if (OggPageSize(data, at) != 0) {
      int64_t granule = ReadI64(p + at + 6);
      if (granule >= 0) {
        *seconds = static_cast<double>(granule) / rate;
        return true;
      }
    }
    if (at == 0) return false;
  }
}

bool ProbeWav(const std::string& data, double* seconds) {
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  if (data.size() < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0) return false;
  uint32_t bytesPerSecond = 0;
  for (size_t at = 12; at + 8 <= data.size();) {
    uint32_t size = ReadU32(p + at + 4);
    if (std::memcmp(p + at, "fmt ", 4) == 0 && size >= 16 && at + 8 + 16 <= data.size()) {
      uint32_t channels = ReadU16(p + at + 10);
      uint32_t rate = ReadU32(p + at + 12);
      uint32_t bits = ReadU16(p + at + 22);
      bytesPerSecond = channels * rate * ((bits + 7) / 8);
    } else if (std::memcmp(p + at, "data", 4) == 0) {
      if (bytesPerSecond == 0) return false;
      *seconds = static_cast<double>(size) / bytesPerSecond;
      return true;
    }
    if (size > data.size()) return false;
    at += 8 + static_cast<size_t>(size) + (size & 1);
  }
  return false;
}

SoundLoadStatus ProbeSoundFile(const std::string& path, double* seconds) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return SoundLoadStatus::FileNotFound;
  std::streamoff size = in.tellg();
  if (size <= 0 || static_cast<uint64_t>(size) > kMaxProbeBytes) return SoundLoadStatus::FileBad;
  std::string data(static_cast<size_t>(size), '\0');
  in.seekg(0);
  in.read(data.data(), size);
  data.resize(static_cast<size_t>(in.gcount()));
  if (ProbeOgg(data, seconds) || ProbeWav(data, seconds)) return SoundLoadStatus::Ok;
  return SoundLoadStatus::FileBad;
}

class NullAudioDevice final : public AudioDevice {
 public:
  bool IsAudible() const override { return false; }
  int VoiceCount() const override { return 0; }

  SoundId LoadSound(const std::string& path, float, SoundLoadStatus* status) override {
    double seconds = 0.0;
    *status = ProbeSoundFile(path, &seconds);
    if (*status != SoundLoadStatus::Ok) return 0;
    SoundId id = nextId_++;
    if (nextId_ == 0) nextId_ = 1;
    lengths_[id] = seconds;
    return id;
  }
  void FreeSound(SoundId sound) override { lengths_.erase(sound); }
  double SoundSeconds(SoundId sound) const override {
    auto it = lengths_.find(sound);
    return it == lengths_.end() ? 0.0 : it->second;
  }

  VoiceId Play(const VoiceStart&) override { return 0; }
  void SetVoiceGain(VoiceId, float, float) override {}
  void SetLayerGain(VoiceId, int, float, float) override {}
  void StopVoice(VoiceId) override {}
  void CollectFinished(std::vector<VoiceId>*) override {}

 private:
  std::map<SoundId, double> lengths_;
  SoundId nextId_ = 1;
};

}  // namespace

std::unique_ptr<AudioDevice> CreateNullAudioDevice() { return std::make_unique<NullAudioDevice>(); }

}  // namespace platform
