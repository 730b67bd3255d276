#include "document/TitrationSystem.h"

#include "resources/Texts.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vexa {

void PointArray::Allocate(int capacity) {
  data_ = std::make_unique<double[]>(static_cast<std::size_t>(capacity));
  capacity_ = capacity;
}

void PointArray::Reallocate(int capacity, int keep) {
  auto fresh = std::make_unique<double[]>(static_cast<std::size_t>(capacity));
  if (data_) std::copy_n(data_.get(), std::min({keep, capacity_, capacity}), fresh.get());
  data_ = std::move(fresh);
  capacity_ = capacity;
}

void PointArray::Release() noexcept {
  data_.reset();
  capacity_ = 0;
}

namespace {

void CopyText(char* buffer, std::size_t size, const char* text) {
  std::memset(buffer, 0, size);
  std::strncpy(buffer, text, size - 1);
}

} // namespace

TitrationSystem::TitrationSystem() {
  CopyText(quantityLabels[0], kLabelBytes, "V_{tit}");
  CopyText(quantityLabels[1], kLabelBytes, "pH");
  CopyText(quantityLabels[2], kLabelBytes, "F_{Vexa}");
  ResetToNew(0);
  CopyText(title, kTitleBytes, "Untitled system");
  lineCount = 1;
  lines[0].status = kLineFewPoints; // a new system's line is not fitted
}

TitrationSystem::~TitrationSystem() = default;

void TitrationSystem::ResetToNew(int stringId) {
  defaultTitleId = stringId;
  if (stringId != 0) CopyText(title, kTitleBytes, ProgramString(stringId));
  pointCount = 1;
  AllocatePointArrays();
  volume[0] = 0;
  pH[0] = 0;
  g[0] = LinearisedValue(0, 0);
  lines[0].firstPoint = 0;
  lines[0].endPoint = 0;
}

void TitrationSystem::Clear() {
  reservedWord = 0;
  CopyText(title, kTitleBytes, "Untitled system");
  if (defaultTitleId != 0) CopyText(title, kTitleBytes, ProgramString(defaultTitleId));
  pointCount = 0;
  volume.Release();
  pH.Release();
  g.Release();
  dpHdV.Release();
  lineCount = 1;
  lines[0].firstPoint = 0;
  lines[0].endPoint = 0;
  lines[0].status = kLineFewPoints;
}

void TitrationSystem::AllocatePointArrays() {
  const int capacity = std::max(pointCount, 0) + 10;
  volume.Allocate(capacity);
  pH.Allocate(capacity);
  g.Allocate(capacity);
  dpHdV.Allocate(capacity);
}

void TitrationSystem::SetPointCount(int n) {
  for (PointArray* a : {&volume, &pH, &g, &dpHdV})
    if (!a->present() || a->capacity() <= n) a->Reallocate(n + 1, std::max(pointCount, 0));
  pointCount = n;
}

bool TitrationSystem::InsertPoint(int index) {
  const int old = pointCount;
  index = std::clamp(index, 0, old);
  SetPointCount(old + 1);
  for (PointArray* a : {&volume, &pH, &g, &dpHdV})
    std::copy_backward(a->data() + index, a->data() + old, a->data() + old + 1);
  volume[index] = 0;
  pH[index] = 0;
  g[index] = LinearisedValue(0, 0);
  return true;
}

bool TitrationSystem::DeletePoint(int index) {
  if (pointCount < 2) return false;
  index = std::clamp(index, 0, pointCount - 1);
  if (index < pointCount - 1) {
    // The derivative scratch array is not moved: the graph refills it.
    for (PointArray* a : {&volume, &pH, &g})
      std::copy(a->data() + index + 1, a->data() + pointCount, a->data() + index);
  }
  --pointCount;
  return true;
}

double TitrationSystem::LinearisedValue(double v, double ph) const {
  return (initialVolume + v) * (std::pow(10.0, -ph) - std::pow(10.0, ph - pKw));
}

void TitrationSystem::RecomputeLinearised() {
  for (int i = 0; i < pointCount; ++i) g[i] = LinearisedValue(volume[i], pH[i]);
}

std::string TitrationSystem::Title() const {
  return std::string(title, strnlen(title, kTitleBytes));
}

void TitrationSystem::SetTitle(const std::string& ansi) {
  std::memset(title, 0, kTitleBytes);
  std::memcpy(title, ansi.data(), std::min<std::size_t>(ansi.size(), kTitleBytes - 1));
}

void TitrationSystem::CopyFrom(const TitrationSystem& other) {
  if (this == &other) return;
  cTit = other.cTit;
  initialVolume = other.initialVolume;
  pKw = other.pKw;
  defaultTitleId = other.defaultTitleId;
  reservedWord = other.reservedWord;
  std::copy(std::begin(other.title), std::end(other.title), std::begin(title));
  for (int k = 0; k < 3; ++k)
    std::copy(std::begin(other.quantityLabels[k]), std::end(other.quantityLabels[k]),
              std::begin(quantityLabels[k]));
  const int n = std::max(other.pointCount, 0);
  pointCount = n;
  AllocatePointArrays();
  const PointArray* from[] = {&other.volume, &other.pH, &other.g, &other.dpHdV};
  PointArray* to[] = {&volume, &pH, &g, &dpHdV};
  for (int a = 0; a < 4; ++a)
    if (from[a]->present()) std::copy(from[a]->data(), from[a]->data() + std::min(n, from[a]->capacity()), to[a]->data());
  lineCount = other.lineCount;
  lines = other.lines;
}

} // namespace vexa
