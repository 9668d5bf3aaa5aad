#include "platform/x32gifsa/x32gifsa.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "platform/x32file/replacing_file.h"

namespace {

// ---------------------------------------------------------------------------
// Record lists

struct StoredRecord {
  // Byte arrays from new[] are aligned for any record, and the callback writes
  // through the record in place.
  std::unique_ptr<std::byte[]> bytes;
  int32_t size = 0;
};

struct RecordList {
  int32_t capacity = 0;
  std::vector<StoredRecord> records;
};

class ListStore {
 public:
  uint32_t Create(int32_t capacity) {
    if (capacity <= 0 || capacity > kChunkMaxCapacity || next_ == 0) return 0;
    RecordList list;
    try {
      list.records.reserve(static_cast<size_t>(capacity));
      lists_.emplace(next_, std::move(list)).first->second.capacity = capacity;
    } catch (const std::bad_alloc&) {
      return 0;
    }
    return next_++;
  }
  RecordList* Find(uint32_t handle) {
    auto it = lists_.find(handle);
    return it == lists_.end() ? nullptr : &it->second;
  }
  bool Release(uint32_t handle) { return lists_.erase(handle) == 1; }

 private:
  std::map<uint32_t, RecordList> lists_;
  uint32_t next_ = 1;  // handles are never reused
};

ListStore& Lists() {
  static ListStore store;
  return store;
}

uint32_t AppendRecord(uint32_t handle, int32_t size, const void* record) {
  RecordList* list = Lists().Find(handle);
  if (list == nullptr || record == nullptr || size < 4 || size > kChunkMaxRecordBytes) return 0;
  if (static_cast<int32_t>(list->records.size()) >= list->capacity) return 0;
  StoredRecord stored;
  stored.bytes.reset(new (std::nothrow) std::byte[static_cast<size_t>(size)]);
  if (!stored.bytes) return 0;
  std::memcpy(stored.bytes.get(), record, static_cast<size_t>(size));
  stored.size = size;
  list->records.push_back(std::move(stored));  // capacity reserved: cannot throw
  return 1;
}

// ---------------------------------------------------------------------------
// Output under a temporary name, renamed when complete

class OutputFile {
 public:
  bool Open(const std::filesystem::path& destination) { return file_.Open(destination); }
  void Put(const void* data, size_t size) { file_.Write(data, size); }
  void Byte(uint8_t b) { Put(&b, 1); }
  void Word(int32_t v) {
    const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    Put(b, 2);
  }
  // Renames over the destination; false (and no temporary file) when any
  // write failed.
  bool Publish() { return file_.Publish(); }

 private:
  ReplacingFile file_;
};

// ---------------------------------------------------------------------------
// LZW compression of the pixel data

// Collects bytes into data sub-blocks of at most 255 bytes.
class SubBlockWriter {
 public:
  explicit SubBlockWriter(OutputFile& out) : out_(out) {}
  void Byte(uint8_t b) {
    block_[1 + used_++] = b;
    if (used_ == 255) Flush();
  }
  // Writes the last, partial sub-block and the block terminator.
  void Finish() {
    Flush();
    out_.Byte(0);
  }

 private:
  void Flush() {
    if (used_ == 0) return;
    block_[0] = static_cast<uint8_t>(used_);
    out_.Put(block_.data(), static_cast<size_t>(used_) + 1);
    used_ = 0;
  }
  OutputFile& out_;
  std::array<uint8_t, 256> block_{};
  int used_ = 0;
};

// Packs variable-size codes, least significant bit first.
class CodeWriter {
 public:
  explicit CodeWriter(SubBlockWriter& blocks) : blocks_(blocks) {}
  void Put(int code, int size) {
    bits_ |= static_cast<uint32_t>(code) << count_;
    count_ += size;
    while (count_ >= 8) {
      blocks_.Byte(static_cast<uint8_t>(bits_));
      bits_ >>= 8;
      count_ -= 8;
    }
  }
  void Finish() {
    if (count_ > 0) blocks_.Byte(static_cast<uint8_t>(bits_));
    bits_ = 0;
    count_ = 0;
    blocks_.Finish();
  }

 private:
  SubBlockWriter& blocks_;
  uint32_t bits_ = 0;
  int count_ = 0;
};

// The string table: (prefix code, next index) -> code, by open addressing.
class StringTable {
 public:
  StringTable() : keys_(kSlots), codes_(kSlots) { Clear(); }
  void Clear() { std::fill(keys_.begin(), keys_.end(), -1); }
  int Find(int32_t key) const {
    for (size_t slot = Hash(key);; slot = (slot + 1) & (kSlots - 1)) {
      if (keys_[slot] == key) return codes_[slot];
      if (keys_[slot] < 0) return -1;
    }
  }
  void Add(int32_t key, int code) {
    size_t slot = Hash(key);
    while (keys_[slot] >= 0) slot = (slot + 1) & (kSlots - 1);
    keys_[slot] = key;
    codes_[slot] = static_cast<int16_t>(code);
  }

 private:
  // Twice the 4096 codes, so the table is never more than half full.
  static constexpr size_t kSlots = 8192;
  static size_t Hash(int32_t key) {
    return (static_cast<uint32_t>(key) * 2654435761u >> 19) & (kSlots - 1);
  }
  std::vector<int32_t> keys_;
  std::vector<int16_t> codes_;
};

constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;

// Compresses the pixels given row by row in `rows`. The code size starts at
// minCodeSize + 1 and grows as the table fills; when the last of the 4096
// codes has been assigned a clear code is sent and the table starts afresh.
void CompressPixels(OutputFile& out, int minCodeSize, const std::vector<const uint8_t*>& rows,
                    int width) {
  const int clearCode = 1 << minCodeSize;
  const int endCode = clearCode + 1;
  out.Byte(static_cast<uint8_t>(minCodeSize));
  SubBlockWriter blocks(out);
  CodeWriter codes(blocks);
  StringTable table;
  int codeSize = minCodeSize + 1;
  int nextCode = endCode + 1;
  codes.Put(clearCode, codeSize);

  int prefix = -1;
  for (const uint8_t* row : rows) {
    for (int x = 0; x < width; ++x) {
      const int k = row[x];
      if (prefix < 0) {
        prefix = k;
        continue;
      }
      const int32_t key = (prefix << 8) | k;
      const int found = table.Find(key);
      if (found >= 0) {
        prefix = found;
        continue;
      }
      codes.Put(prefix, codeSize);
      const int added = nextCode++;
      table.Add(key, added);
      // A reader assigns each code one step later than this writer; it widens
      // its codes after assigning code 2^size - 1, which it does on reading
      // the code sent just before this one is assigned here.
      if (added == (1 << codeSize) && codeSize < kMaxCodeBits) ++codeSize;
      if (added == kMaxCodes - 1) {
        codes.Put(clearCode, codeSize);
        table.Clear();
        codeSize = minCodeSize + 1;
        nextCode = endCode + 1;
      }
      prefix = k;
    }
  }
  if (prefix >= 0) {
    codes.Put(prefix, codeSize);
    // Reading that last code, a reader assigns one more code and may widen.
    if (nextCode == (1 << codeSize) && codeSize < kMaxCodeBits) ++codeSize;
  }
  codes.Put(endCode, codeSize);
  codes.Finish();
}

// ---------------------------------------------------------------------------
// Record checks and GIF blocks

// Bits for a table size that is a power of two 2..256; 0 otherwise.
int TableBits(int32_t size) {
  for (int bits = 1; bits <= 8; ++bits)
    if (size == (1 << bits)) return bits;
  return 0;
}

bool ValidTable(int32_t size, int32_t bits, const uint8_t* entries) {
  return TableBits(size) != 0 && TableBits(size) == bits && entries != nullptr;
}

void PutColourTable(OutputFile& out, const uint8_t* entries, int32_t size) {
  for (int32_t i = 0; i < size; ++i) out.Put(entries + 4 * i, 3);
}

// A NUL-terminated text of at most `maxLength` characters within `field`.
bool FieldText(const char* field, size_t fieldSize, size_t maxLength, size_t* length) {
  const void* nul = std::memchr(field, 0, fieldSize);
  if (nul == nullptr) return false;
  *length = static_cast<size_t>(static_cast<const char*>(nul) - field);
  return *length <= maxLength;
}

struct Screen {
  int32_t width = 0;
  int32_t height = 0;
  int32_t globalTableSize = 0;  // 0: none
};

bool WriteHeader(OutputFile& out, const GifHeaderRecord& h, Screen& screen) {
  if (h.width < 1 || h.width > 65535 || h.height < 1 || h.height > 65535) return false;
  if (h.hasGlobalTable != 0 && h.hasGlobalTable != 1) return false;
  const bool global = h.hasGlobalTable == 1;
  if (global && !ValidTable(h.globalTableSize, h.globalTableBits, h.globalTable)) return false;
  out.Put("GIF89a", 6);
  out.Word(h.width);
  out.Word(h.height);
  // Colour resolution 8 bits; global table flag and size.
  out.Byte(static_cast<uint8_t>(0x70 | (global ? 0x80 | (h.globalTableBits - 1) : 0)));
  out.Byte(0);  // background colour index
  out.Byte(0);  // no pixel aspect ratio given
  if (global) PutColourTable(out, h.globalTable, h.globalTableSize);
  screen = Screen{h.width, h.height, global ? h.globalTableSize : 0};
  return true;
}

bool WriteAppExtension(OutputFile& out, const GifAppExtensionRecord& a) {
  size_t idLength = 0, authLength = 0;
  if (!FieldText(a.identifier, sizeof a.identifier, 8, &idLength) ||
      !FieldText(a.authentication, sizeof a.authentication, 3, &authLength))
    return false;
  if (a.dataLength < 0 || a.dataLength > 65535 || (a.dataLength > 0 && a.data == nullptr))
    return false;
  std::array<uint8_t, 11> name{};  // identifier and code, padded with NULs
  std::memcpy(name.data(), a.identifier, idLength);
  std::memcpy(name.data() + 8, a.authentication, authLength);
  out.Byte(0x21);
  out.Byte(0xFF);
  out.Byte(11);
  out.Put(name.data(), name.size());
  for (int32_t at = 0; at < a.dataLength; at += 255) {
    const int32_t n = std::min<int32_t>(255, a.dataLength - at);
    out.Byte(static_cast<uint8_t>(n));
    out.Put(a.data + at, static_cast<size_t>(n));
  }
  out.Byte(0);
  return true;
}

bool WriteFrame(OutputFile& out, const GifFrameRecord& f, const Screen& screen) {
  if (f.left < 0 || f.top < 0 || f.width < 1 || f.height < 1) return false;
  if (f.width > screen.width - f.left || f.height > screen.height - f.top) return false;
  if ((f.flags & ~(kGifFrameDisposalMask | kGifFrameInterlaced)) != 0) return false;
  const int disposal = (f.flags & kGifFrameDisposalMask) >> 2;
  if (disposal > 3) return false;
  if (f.hasLocalTable != 0 && f.hasLocalTable != 1) return false;
  const bool local = f.hasLocalTable == 1;
  if (local && !ValidTable(f.localTableSize, f.localTableBits, f.localTable)) return false;
  const int32_t tableSize = local ? f.localTableSize : screen.globalTableSize;
  if (tableSize == 0) return false;  // no colours at all
  if (f.bytesPerPixel != 1 || f.rowBytes < f.width || f.pixels == nullptr) return false;

  // Rows in the order they are stored: top to bottom, or the four passes of
  // interlaced order (every 8th row from 0, every 8th from 4, every 4th from 2,
  // every 2nd from 1).
  const bool interlaced = (f.flags & kGifFrameInterlaced) != 0;
  std::vector<const uint8_t*> rows;
  rows.reserve(static_cast<size_t>(f.height));
  const auto rowAt = [&](int32_t y) { return f.pixels + static_cast<ptrdiff_t>(y) * f.rowBytes; };
  if (interlaced) {
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (int32_t y = kStart[pass]; y < f.height; y += kStep[pass]) rows.push_back(rowAt(y));
  } else {
    for (int32_t y = 0; y < f.height; ++y) rows.push_back(rowAt(y));
  }
  for (const uint8_t* row : rows)
    for (int32_t x = 0; x < f.width; ++x)
      if (row[x] >= tableSize) return false;  // an index outside the frame's colours

  // Graphic control: disposal, delay, no transparent colour.
  out.Byte(0x21);
  out.Byte(0xF9);
  out.Byte(4);
  out.Byte(static_cast<uint8_t>(disposal << 2));
  out.Word(f.delay > 0 && f.delay <= 0xFFFF ? f.delay : kGifFrameDelay);
  out.Byte(0);
  out.Byte(0);
  // Image descriptor and local colour table.
  out.Byte(0x2C);
  out.Word(f.left);
  out.Word(f.top);
  out.Word(f.width);
  out.Word(f.height);
  out.Byte(
      static_cast<uint8_t>((local ? 0x80 | (f.localTableBits - 1) : 0) | (interlaced ? 0x40 : 0)));
  if (local) PutColourTable(out, f.localTable, f.localTableSize);
  CompressPixels(out, std::max(2, TableBits(tableSize)), rows, f.width);
  return true;
}

int32_t WriteAnimation(const AniGifParams& params, AniGifReadFn read, void* user) {
  RecordList* list = Lists().Find(params.recordList);
  size_t nameLength = 0;
  if (list == nullptr ||
      !FieldText(params.fileName, sizeof params.fileName, sizeof params.fileName - 1,
                 &nameLength) ||
      nameLength == 0)
    return 0;
  const auto& records = list->records;
  if (records.empty()) return 0;

  OutputFile out;
  if (!out.Open(std::filesystem::path(params.fileName))) return 0;
  Screen screen;
  int frames = 0;
  bool ended = false;
  for (size_t i = 0; i < records.size() && !ended; ++i) {
    std::byte* bytes = records[i].bytes.get();
    const int32_t size = records[i].size;
    int32_t type = 0;
    std::memcpy(&type, bytes, sizeof type);
    const int32_t position = static_cast<int32_t>(i);
    switch (type) {
      case kGifRecordHeader: {
        if (i != 0 || size != static_cast<int32_t>(sizeof(GifHeaderRecord))) return 0;
        auto* h = reinterpret_cast<GifHeaderRecord*>(bytes);
        if (read(position, kGifReadData, h, user) != 1 || !WriteHeader(out, *h, screen)) return 0;
        break;
      }
      case kGifRecordAppExtension: {
        if (i == 0 || size != static_cast<int32_t>(sizeof(GifAppExtensionRecord))) return 0;
        if (!WriteAppExtension(out, *reinterpret_cast<GifAppExtensionRecord*>(bytes))) return 0;
        break;
      }
      case kGifRecordFrame: {
        if (i == 0 || size != static_cast<int32_t>(sizeof(GifFrameRecord))) return 0;
        auto* f = reinterpret_cast<GifFrameRecord*>(bytes);
        if (read(position, kGifReadData, f, user) != 1 || !WriteFrame(out, *f, screen)) return 0;
        ++frames;
        break;
      }
      case kGifRecordEnd: {
        if (i == 0 || i + 1 != records.size() || frames == 0) return 0;
        out.Byte(0x3B);  // trailer
        ended = true;
        break;
      }
      default: return 0;
    }
  }
  if (!ended) return 0;
  return out.Publish() ? 1 : 0;
}

}  // namespace

uint32_t ChunkAction(uint32_t list, int32_t operation, int32_t size, const void* record) {
  switch (operation) {
    case kChunkCreate: return list == 0 ? Lists().Create(size) : 0;
    case kChunkRelease: return Lists().Release(list) ? 1 : 0;
    case kChunkAppend: return AppendRecord(list, size, record);
    default: return 0;
  }
}

int32_t AniGifAction(const AniGifParams* params, int32_t operation, AniGifReadFn read, void* user) {
  if (params == nullptr || operation != kAniGifWrite || read == nullptr) return 0;
  try {
    return WriteAnimation(*params, read, user);
  } catch (const std::bad_alloc&) {
    return 0;
  }
}
