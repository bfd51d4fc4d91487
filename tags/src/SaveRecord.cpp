#include "SaveRecord.h"

#include "ByteOrder.h"
#include "TagCheck.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace {

using Part = CSaveRecord::Part;
constexpr unsigned char kMagic[4] = {'Q', 'T', 'U', 1};
constexpr std::size_t kV1Size = 128;
// A frame found again only in part (its header changed, or its data moved
// into another kind of frame) is referenced from this many bytes on.
constexpr std::size_t kMinSharedTail = 32;
// Pairs of frames compared for a shared tail, at most.
constexpr std::size_t kTailBudget = 20000;
// A run of zeros in literal bytes becomes a length from this many on.
constexpr std::size_t kMinZeros = 16;

struct Span {
  std::size_t nAt, nSize;
};

// Where a region's frames lie in its bytes; none when the frames are not
// stored as they are read (a tag unsynchronised as a whole).
std::vector<Span> FrameSpans(const unsigned char* region, std::size_t size) {
  CTagFrames walked;
  if (size < 10 || !WalkTagFrames(region, size, &walked) || (walked.nMajor <= 3 && (walked.nFlags & 0x80))) return {};
  const std::size_t bodyStart = 10 + Syncsafe(region + 6) - walked.body.size();
  std::vector<Span> spans;
  for (const CTagFrames::Span& f : walked.frames) spans.push_back({bodyStart + f.nPos, f.nSize});
  return spans;
}

class CPartList {
 public:
  void Copy(std::size_t at, std::size_t n) {
    if (n == 0) return;
    if (!m_parts.empty() && m_parts.back().eKind == Part::Copy && m_parts.back().nAt + m_parts.back().nSize == at)
      m_parts.back().nSize += static_cast<std::uint32_t>(n);
    else
      m_parts.push_back({Part::Copy, static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(n), {}});
  }
  // Literal bytes, their long runs of zeros (padding) as lengths.
  void Bytes(const unsigned char* p, std::size_t n) {
    std::size_t literal = 0;  // where the literal bytes being gathered start
    for (std::size_t i = 0; i < n;) {
      if (p[i] != 0) {
        ++i;
        continue;
      }
      std::size_t run = i;
      while (run < n && p[run] == 0) ++run;
      if (run - i >= kMinZeros) {
        Add(Part::Literal, p + literal, i - literal);
        Add(Part::Zeros, nullptr, run - i);
        literal = run;
      }
      i = run;
    }
    Add(Part::Literal, p + literal, n - literal);
  }
  std::vector<Part> Take() { return std::move(m_parts); }

 private:
  void Add(Part::Kind kind, const unsigned char* p, std::size_t n) {
    if (n == 0) return;
    if (!m_parts.empty() && m_parts.back().eKind == kind) {
      m_parts.back().nSize += static_cast<std::uint32_t>(n);
      if (p) m_parts.back().strBytes.append(reinterpret_cast<const char*>(p), n);
      return;
    }
    std::string bytes = p ? std::string(reinterpret_cast<const char*>(p), n) : std::string();
    m_parts.push_back({kind, 0, static_cast<std::uint32_t>(n), std::move(bytes)});
  }
  std::vector<Part> m_parts;
};

std::size_t SharedTail(const unsigned char* a, std::size_t an, const unsigned char* b, std::size_t bn) {
  std::size_t n = 0;
  while (n < an && n < bn && a[an - 1 - n] == b[bn - 1 - n]) ++n;
  return n;
}

// The old region as parts of the new one (see SaveRecord.h).
std::vector<Part> Difference(const unsigned char* old, std::size_t oldSize, const std::string& now) {
  const auto* nowBytes = reinterpret_cast<const unsigned char*>(now.data());
  const std::vector<Span> nowFrames = FrameSpans(nowBytes, now.size());
  std::unordered_map<std::string_view, std::size_t> whole;
  for (const Span& f : nowFrames) whole.emplace(std::string_view(now.data() + f.nAt, f.nSize), f.nAt);
  const std::vector<Span> oldFrames = FrameSpans(old, oldSize);
  const bool tails = oldFrames.size() * nowFrames.size() <= kTailBudget;

  CPartList parts;
  std::size_t pos = 0;
  for (const Span& f : oldFrames) {
    parts.Bytes(old + pos, f.nAt - pos);
    const unsigned char* frame = old + f.nAt;
    const auto found = whole.find(std::string_view(reinterpret_cast<const char*>(frame), f.nSize));
    std::size_t tail = 0, tailAt = 0;
    if (found == whole.end() && tails)
      for (const Span& n : nowFrames) {
        const std::size_t shared = SharedTail(frame, f.nSize, nowBytes + n.nAt, n.nSize);
        if (shared > tail) tail = shared, tailAt = n.nAt + n.nSize - shared;
      }
    if (found != whole.end()) {
      parts.Copy(found->second, f.nSize);
    } else if (tail >= kMinSharedTail) {
      parts.Bytes(frame, f.nSize - tail);
      parts.Copy(tailAt, tail);
    } else {
      parts.Bytes(frame, f.nSize);
    }
    pos = f.nAt + f.nSize;
  }
  parts.Bytes(old + pos, oldSize - pos);
  return parts.Take();
}

bool Rebuild(const std::vector<Part>& parts, const unsigned char* now, std::size_t nowSize, std::size_t size,
             std::string* out) {
  out->clear();
  out->reserve(size);
  for (const Part& p : parts) {
    if (p.nSize > size - out->size()) return false;
    if (p.eKind == Part::Literal) out->append(p.strBytes);
    if (p.eKind == Part::Zeros) out->append(p.nSize, '\0');
    if (p.eKind == Part::Copy) {
      if (p.nAt > nowSize || p.nSize > nowSize - p.nAt) return false;
      out->append(reinterpret_cast<const char*>(now) + p.nAt, p.nSize);
    }
  }
  return out->size() == size;
}

// The record's bytes, written and read.
class CWriter {
 public:
  void Put(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    m_bytes.insert(m_bytes.end(), b, b + n);
  }
  void U8(unsigned v) { m_bytes.push_back(static_cast<unsigned char>(v)); }
  void U32(std::uint64_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<unsigned>((v >> (8 * i)) & 0xFF));
  }
  void U64(std::uint64_t v) {
    U32(v & 0xFFFFFFFFu);
    U32(v >> 32);
  }
  void Side(const CFileSide& side) {
    U64(side.nSize);
    U32(side.nRegion);
    Put(side.region.data(), side.region.size());
    Put(side.v1.data(), side.v1.size());
  }
  std::vector<unsigned char> m_bytes;
};

class CReader {
 public:
  explicit CReader(const std::vector<unsigned char>& bytes) : m_bytes(bytes) {}
  bool Get(void* p, std::size_t n) {
    if (n > m_bytes.size() - m_pos) return false;
    std::memcpy(p, m_bytes.data() + m_pos, n);
    m_pos += n;
    return true;
  }
  bool U8(unsigned* v) {
    unsigned char b = 0;
    if (!Get(&b, 1)) return false;
    *v = b;
    return true;
  }
  bool U32(std::uint32_t* v) {
    unsigned char b[4];
    if (!Get(b, 4)) return false;
    *v = static_cast<std::uint32_t>(Le32(b));
    return true;
  }
  bool U64(std::uint64_t* v) {
    std::uint32_t lo = 0, hi = 0;
    if (!U32(&lo) || !U32(&hi)) return false;
    *v = std::uint64_t{hi} << 32 | lo;
    return true;
  }
  bool Side(CFileSide* side) {
    return U64(&side->nSize) && U32(&side->nRegion) && Get(side->region.data(), 32) && Get(side->v1.data(), 32);
  }
  std::size_t Left() const { return m_bytes.size() - m_pos; }

 private:
  const std::vector<unsigned char>& m_bytes;
  std::size_t m_pos = 0;
};

bool Fail(const char** reason, const char* why) {
  *reason = why;
  return false;
}

}  // namespace

CDigest AudioSample(const unsigned char* file, std::size_t size, std::size_t regionSize, bool v1) {
  const std::size_t end = size - (v1 ? kV1Size : 0);
  const std::size_t n = regionSize < end ? std::min(kAudioSample, end - regionSize) : 0;
  return Sha256(file + regionSize, n);
}

std::vector<unsigned char> MakeSaveRecord(const unsigned char* file, std::size_t size, std::size_t oldRegion, bool v1,
                                          const std::string& newRegion, const unsigned char* newV1,
                                          CDigest* oldDigest) {
  return MakeSaveRecordV1(file, size, oldRegion, v1, newRegion, v1 ? newV1 : nullptr, oldDigest);
}

std::vector<unsigned char> MakeSaveRecordV1(const unsigned char* file, std::size_t size, std::size_t oldRegion,
                                            bool v1, const std::string& newRegion, const unsigned char* newV1,
                                            CDigest* oldDigest) {
  const auto* now = reinterpret_cast<const unsigned char*>(newRegion.data());
  std::vector<Part> parts = Difference(file, oldRegion, newRegion);
  std::string check;
  if (!Rebuild(parts, now, newRegion.size(), oldRegion, &check) || std::memcmp(check.data(), file, oldRegion) != 0) {
    parts.clear();  // never expected; the old region is then kept whole
    CPartList whole;
    whole.Bytes(file, oldRegion);
    parts = whole.Take();
  }
  const unsigned char* oldV1 = v1 ? file + size - kV1Size : nullptr;
  const bool both = v1 && newV1, added = !v1 && newV1, removed = v1 && !newV1;
  const bool v1Changed = (both && std::memcmp(oldV1, newV1, kV1Size) != 0) || removed;
  CWriter out;
  out.Put(kMagic, sizeof kMagic);
  out.U8((both ? 1 : 0) | (v1Changed ? 2 : 0) | (added ? 4 : 0) | (removed ? 8 : 0));
  const CDigest before = Sha256(file, oldRegion);
  if (oldDigest) *oldDigest = before;
  out.Side({size, static_cast<std::uint32_t>(oldRegion), before, v1 ? Sha256(oldV1, kV1Size) : CDigest{}});
  const std::size_t newSize = size - oldRegion + newRegion.size() + (added ? kV1Size : 0) - (removed ? kV1Size : 0);
  out.Side({newSize, static_cast<std::uint32_t>(newRegion.size()), Sha256(now, newRegion.size()),
            newV1 ? Sha256(newV1, kV1Size) : CDigest{}});
  out.Put(AudioSample(file, size, oldRegion, v1).data(), 32);
  if (v1Changed) out.Put(oldV1, kV1Size);
  out.U32(parts.size());
  for (const Part& p : parts) {
    out.U8(p.eKind);
    if (p.eKind == Part::Copy) out.U32(p.nAt);
    out.U32(p.nSize);
    if (p.eKind == Part::Literal) out.Put(p.strBytes.data(), p.strBytes.size());
  }
  return std::move(out.m_bytes);
}

bool ParseSaveRecord(const std::vector<unsigned char>& bytes, CSaveRecord* out, const char** reason) {
  const char* damaged = "The undo record is damaged";
  CReader in(bytes);
  unsigned char magic[4] = {};
  if (!in.Get(magic, 4) || std::memcmp(magic, kMagic, 3) != 0) return Fail(reason, damaged);
  if (magic[3] != kMagic[3]) return Fail(reason, "The undo record was made by another version of the program");
  CSaveRecord r;
  unsigned flags = 0;
  // One of: the block on both sides (1, changed: 2), added (4), removed (8 with 2), none.
  if (!in.U8(&flags) || (flags & ~15u) || (flags != 0 && flags != 1 && flags != 3 && flags != 4 && flags != 10) ||
      !in.Side(&r.before) || !in.Side(&r.after) || !in.Get(r.audio.data(), 32))
    return Fail(reason, damaged);
  r.bV1 = flags & 1;
  r.bV1Before = flags & (1 | 8);
  r.bV1After = flags & (1 | 4);
  r.bV1Changed = flags & 2;
  if (r.bV1 && r.bV1Changed != (r.before.v1 != r.after.v1)) return Fail(reason, damaged);
  if (r.bV1Changed && (!in.Get(r.oldV1.data(), kV1Size) || Sha256(r.oldV1.data(), kV1Size) != r.before.v1))
    return Fail(reason, damaged);
  // Both sides hold the same audio after their regions (and the ID3v1 block each has).
  const std::uint64_t tailBefore = r.bV1Before ? kV1Size : 0, tailAfter = r.bV1After ? kV1Size : 0;
  for (const auto& [side, tail] : {std::pair{&r.before, tailBefore}, std::pair{&r.after, tailAfter}})
    if (side->nSize < tail || side->nRegion > side->nSize - tail) return Fail(reason, damaged);
  if (r.before.nSize - r.before.nRegion - tailBefore != r.after.nSize - r.after.nRegion - tailAfter)
    return Fail(reason, damaged);
  std::uint32_t count = 0;
  if (!in.U32(&count)) return Fail(reason, damaged);
  std::uint64_t total = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    unsigned kind = 0;
    Part p{Part::Literal, 0, 0, {}};
    if (!in.U8(&kind) || kind < Part::Literal || kind > Part::Zeros) return Fail(reason, damaged);
    p.eKind = static_cast<Part::Kind>(kind);
    if (p.eKind == Part::Copy && !in.U32(&p.nAt)) return Fail(reason, damaged);
    if (!in.U32(&p.nSize) || p.nSize == 0) return Fail(reason, damaged);
    if (p.eKind == Part::Copy && (p.nAt > r.after.nRegion || p.nSize > r.after.nRegion - p.nAt))
      return Fail(reason, damaged);
    if (p.eKind == Part::Literal) {
      if (p.nSize > in.Left()) return Fail(reason, damaged);
      p.strBytes.resize(p.nSize);
      in.Get(p.strBytes.data(), p.nSize);
    }
    if ((total += p.nSize) > r.before.nRegion) return Fail(reason, damaged);
    r.parts.push_back(std::move(p));
  }
  if (total != r.before.nRegion || in.Left() != 0) return Fail(reason, damaged);
  *out = std::move(r);
  return true;
}

bool RebuildOldRegion(const CSaveRecord& record, const unsigned char* newRegion, std::string* out) {
  return Rebuild(record.parts, newRegion, record.after.nRegion, record.before.nRegion, out) &&
         Sha256(reinterpret_cast<const unsigned char*>(out->data()), out->size()) == record.before.region;
}
