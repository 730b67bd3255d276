#pragma once
// The titration system: title, parameters, the table of points (V, pH, G, dpH/dV) and the
// table of approximating lines. One of these is the whole content of a document.
#include "analysis/ApproxLine.h"
#include "analysis/TitrationData.h"
#include "analysis/AutoPlacement.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vexa {

class Archive;

// One heap block of doubles with its capacity. The record owns four of these in parallel.
class PointArray {
public:
  bool present() const noexcept { return data_ != nullptr; }
  int capacity() const noexcept { return capacity_; }
  double* data() noexcept { return data_.get(); }
  const double* data() const noexcept { return data_.get(); }
  double& operator[](int i) noexcept { return data_[static_cast<std::size_t>(i)]; }
  double operator[](int i) const noexcept { return data_[static_cast<std::size_t>(i)]; }

  void Allocate(int capacity);              // a fresh block; contents zero
  void Reallocate(int capacity, int keep);  // a new block keeping the first `keep` values
  void Release() noexcept;

private:
  std::unique_ptr<double[]> data_;
  int capacity_ = 0;
};

class TitrationSystem {
public:
  static constexpr int kMaxLines = 10;
  static constexpr int kTitleBytes = 200;
  static constexpr int kLabelBytes = 100;
  static constexpr std::int32_t kNewTitleId = 57645; // "Untitled system"

  TitrationSystem();
  virtual ~TitrationSystem();
  TitrationSystem(const TitrationSystem&) = delete;
  TitrationSystem& operator=(const TitrationSystem&) = delete;

  // --- fields, in the order of the record ---
  double cTit = 0.01;         // titrant concentration, mol/l
  double initialVolume = 50.0; // V0, ml
  double pKw = 14.0;
  std::int32_t defaultTitleId = 0;
  std::int32_t reservedWord = 0;
  char title[kTitleBytes] = {};           // NUL-terminated, Windows-1251
  std::int32_t pointCount = 1;
  char quantityLabels[3][kLabelBytes] = {}; // "V_{tit}", "pH", "F_{Vexa}"
  PointArray volume;
  PointArray pH;
  PointArray g;
  PointArray dpHdV; // scratch for the graph: entry i-1 holds the slope between points i-1 and i
  std::int32_t lineCount = 1;
  std::array<ApproxLine, kMaxLines> lines{};

  // --- the record's operations ---
  void ResetToNew(int stringId);
  void Clear();
  // Becomes a copy of `other`: parameters, title, points (with G) and the whole line table. A
  // copy is what long work runs on, away from the window's thread.
  void CopyFrom(const TitrationSystem& other);
  void AllocatePointArrays();
  void SetPointCount(int n);
  bool InsertPoint(int index);
  bool DeletePoint(int index);
  void RecomputeLinearised();

  // The linearised value G = (V0 + V)·(10^-pH − 10^(pH − pKw)) with this system's V0 and pKw.
  double LinearisedValue(double v, double ph) const;

  // --- the lines ---
  void AddLine();
  int DeleteLine(int index);
  void ClampLinePoints(int index);
  int FitLine(int index); // returns the result code; the caller stores it in status
  // Replaces the line table by at most two automatically placed lines: one from the first
  // point and one to the last, each as long as gives the smallest relative error of Veq and
  // kept only below 10 %. Says what it did; AutoLinesMessage words it for the user.
  AutoLinesOutcome SetAutoLines();
  // Every line in use: clamp its point numbers, fit it and keep the code in its status.
  void RefitAllLines();
  // The status text of line `index` as the graph shows it (UTF-8: it holds a "±").
  std::string StatusText(int index) const;
  // ΔV/Veq × 100 of a line, in per cent (signed).
  static double RelativeError(const ApproxLine& line);

  // --- the file ---
  void WriteTo(Archive& ar) const;
  // Reads a whole file. On a file it cannot accept it throws ArchiveException (badSchema, or
  // endOfFile from the archive) and leaves the record as a new, untitled system.
  void ReadFrom(Archive& ar);

  // The points and parameters as the analysis reads them (valid while the record is unchanged).
  TitrationData Data() const;

  // The title as a string (the bytes before the terminator, at most 200).
  std::string Title() const;
  // Stores a title of Windows-1251 bytes, cut to 199 bytes.
  void SetTitle(const std::string& ansi);

  // Bytes of a stored file holding n points.
  static constexpr std::int64_t FileSize(std::int64_t n) { return 1284 + 16 * n; }
};

// Writes a system to a .vexa file atomically. Returns false and fills *error on failure.
bool SaveSystemFile(const TitrationSystem& sys, const std::string& path, std::string* error);
// Reads a .vexa file. On failure returns false with *error filled (the reason the file cannot
// be read, or "PATH: not a VEXA file, or a damaged one (bad header)") and the system left new
// and untitled.
bool LoadSystemFile(TitrationSystem& sys, const std::string& path, std::string* error);
// The same from the bytes of a file; name is the file's name for the message.
bool LoadSystemBytes(TitrationSystem& sys, std::string_view bytes, const std::string& name,
                     std::string* error);
// The bytes of a .vexa file holding the system.
std::string StoredSystem(const TitrationSystem& sys);

} // namespace vexa
