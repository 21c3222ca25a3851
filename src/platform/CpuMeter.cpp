#include <fstream>
#include <sstream>
#include <string>

#include "platform/Platform.h"

namespace platform {

bool CpuMeter::ReadTotals(uint64_t* busy, uint64_t* total) const {
  std::ifstream stat("/proc/stat");
  std::string line;
  if (!stat || !std::getline(stat, line) || line.rfind("cpu ", 0) != 0) return false;
  std::istringstream fields(line.substr(4));
  uint64_t value = 0, sum = 0, idle = 0;
  for (int i = 0; fields >> value; ++i) {
    sum += value;
    if (i == 3 || i == 4) idle += value;  // idle and iowait
  }
  if (sum == 0) return false;
  *busy = sum - idle;
  *total = sum;
  return true;
}

bool CpuMeter::Open() {
  open_ = ReadTotals(&lastBusy_, &lastTotal_);
  return open_;
}

int CpuMeter::Sample() {
  uint64_t busy = 0, total = 0;
  if (!open_ || !ReadTotals(&busy, &total)) return 0;
  uint64_t dBusy = busy - lastBusy_;
  uint64_t dTotal = total - lastTotal_;
  lastBusy_ = busy;
  lastTotal_ = total;
  if (dTotal == 0) return 0;
  return static_cast<int>((dBusy * 100 + dTotal / 2) / dTotal);
}

void CpuMeter::Close() { open_ = false; }

}  // namespace platform
