// Saving lists to files and loading them again.
#include "platform/x32clips/iio_file.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/x32clips/iio_store.h"
#include "platform/x32file/byte_order.h"
#include "platform/x32file/replacing_file.h"

namespace {

constexpr int32_t kSourceFile = 82;  // locates failures recorded from this file

void Fail(int32_t code, int32_t line) { iio::RecordFailure(code, kSourceFile, line); }

constexpr std::array<uint32_t, 256> kCrcTable = [] {
  std::array<uint32_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}();

// ---------------------------------------------------------------------------
// Reading

struct Header {
  uint32_t count = 0;
  uint32_t payloadBytes = 0;
  uint32_t payloadCrc = 0;
};

bool CheckHeader(const uint8_t* h, Header* out) {
  if (std::memcmp(h, kIioFileMagic, sizeof kIioFileMagic) != 0) return false;
  if (LoadLe32(h + 28) != IioCrc32(h, 28)) return false;
  if (LoadLe16(h + 8) != kIioFileVersion || LoadLe16(h + 10) != kIioHeaderBytes ||
      LoadLe32(h + 24) != 0)
    return false;
  out->count = LoadLe32(h + 12);
  out->payloadBytes = LoadLe32(h + 16);
  out->payloadCrc = LoadLe32(h + 20);
  return out->count <= static_cast<uint32_t>(kIIOMaxItems) &&
         out->payloadBytes <= kIioMaxPayloadBytes;
}

// One item record; the pointers point into the payload.
struct ParsedItem {
  std::string label;
  int32_t flags = 0;
  uint32_t width = 0, height = 0;
  const uint8_t* pixels = nullptr;
  uint32_t blockBytes = 0;
  const uint8_t* block = nullptr;
};

// The smallest record: label length, flags, width and height, block size.
constexpr uint32_t kMinRecordBytes = 2 + 4 + 4 + 4;

bool ParsePayload(const Header& header, const uint8_t* payload, std::vector<ParsedItem>* items) {
  const size_t size = header.payloadBytes;
  if (static_cast<uint64_t>(header.count) * kMinRecordBytes > size) return false;
  items->reserve(header.count);
  size_t at = 0;
  auto has = [&](uint64_t n) { return n <= size - at; };
  for (uint32_t i = 0; i < header.count; ++i) {
    ParsedItem item;
    if (!has(2)) return false;
    const uint32_t labelBytes = LoadLe16(payload + at);
    at += 2;
    if (labelBytes > kIioMaxLabelBytes || !has(labelBytes)) return false;
    const auto* label = reinterpret_cast<const char*>(payload + at);
    if (std::memchr(label, 0, labelBytes) != nullptr) return false;
    item.label.assign(label, labelBytes);
    at += labelBytes;
    if (!has(8)) return false;
    item.flags = static_cast<int32_t>(LoadLe32(payload + at));
    item.width = LoadLe16(payload + at + 4);
    item.height = LoadLe16(payload + at + 6);
    at += 8;
    if ((item.width == 0) != (item.height == 0)) return false;
    if (item.width > static_cast<uint32_t>(kIIOMaxThumbnailSide) ||
        item.height > static_cast<uint32_t>(kIIOMaxThumbnailSide))
      return false;
    const uint64_t pixelBytes = uint64_t{item.width} * item.height * 3;
    if (!has(pixelBytes)) return false;
    item.pixels = payload + at;
    at += static_cast<size_t>(pixelBytes);
    if (!has(4)) return false;
    item.blockBytes = LoadLe32(payload + at);
    at += 4;
    if (item.blockBytes > kIioMaxBlockBytes || !has(item.blockBytes)) return false;
    item.block = payload + at;
    at += item.blockBytes;
    items->push_back(std::move(item));
  }
  return at == size;
}

// Destroys a list that is not handed out.
class ListGuard {
 public:
  explicit ListGuard(IIOHandle h) : h_(h) {}
  ListGuard(const ListGuard&) = delete;
  ListGuard& operator=(const ListGuard&) = delete;
  ~ListGuard() {
    if (h_ != 0) x32DestroyIIO(h_);
  }
  IIOHandle release() { return std::exchange(h_, 0); }

 private:
  IIOHandle h_;
};

Buf32Handle MakeImage(const ParsedItem& item) {
  Buf32Handle image = 0;
  if (!buf32Alloc(&image, 24, static_cast<int>(item.width), static_cast<int>(item.height), 0,
                  nullptr))
    return 0;
  const size_t rowBytes = size_t{item.width} * 3;
  const bool locked = buf32Lock(image, kBuf32Write, nullptr) != 0;
  bool ok = locked;
  for (uint32_t y = 0; ok && y < item.height; ++y)
    ok = buf32Line(image, static_cast<int>(y), kBuf32Write,
                   const_cast<uint8_t*>(item.pixels + y * rowBytes)) != 0;
  if (locked) buf32Unlock(image);
  if (!ok) {
    buf32Free(image);
    return 0;
  }
  return image;
}

// Builds the list from checked records; blocks reach the owner only when
// everything else has succeeded.
IIOHandle BuildList(const std::vector<ParsedItem>& items, IIOCallback callback) {
  const IIOHandle h = x32CreateIIO(0);
  if (h == 0) return 0;
  ListGuard list(h);
  iio::Find(h)->definition.callback = callback;
  std::vector<int32_t> ids;
  ids.reserve(items.size());
  for (const ParsedItem& item : items) {
    Buf32Handle image = 0;
    if (item.width != 0) {
      image = MakeImage(item);
      if (image == 0) {
        Fail(kIIOErrorMemory, __LINE__);
        return 0;
      }
    }
    const int32_t id = iio::AddOwnedImage(h, item.label, item.flags, image);
    if (id < 0) {
      if (image != 0) buf32Free(image);
      Fail(kIIOErrorMemory, __LINE__);
      return 0;
    }
    ids.push_back(id);
  }
  if (callback == nullptr) return list.release();
  // The owner's idea of its blocks' size must match the file's.
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].blockBytes == 0) continue;
    iio::List* l = iio::Find(h);
    if (l == nullptr) return 0;
    l->callbackItem = ids[i];
    const int32_t expected = callback(h, kIIOMsgSave, ids[i], nullptr);
    if ((l = iio::Find(h)) == nullptr) return 0;
    l->callbackItem = -1;
    if (expected > 0 && static_cast<uint32_t>(expected) != items[i].blockBytes) {
      Fail(kIIOErrorRead, __LINE__);
      return 0;
    }
  }
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].blockBytes == 0) continue;
    // An aligned copy, so that the owner may read it as words.
    std::unique_ptr<std::byte[]> block(new (std::nothrow) std::byte[items[i].blockBytes]);
    iio::List* l = iio::Find(h);
    if (l == nullptr) return 0;
    if (!block) {
      Fail(kIIOErrorMemory, __LINE__);
      return 0;
    }
    std::memcpy(block.get(), items[i].block, items[i].blockBytes);
    l->callbackItem = ids[i];
    callback(h, kIIOMsgLoad, ids[i], block.get());
    if ((l = iio::Find(h)) == nullptr) return 0;
    l->callbackItem = -1;
  }
  return list.release();
}

IIOHandle LoadChecked(const Header& header, const uint8_t* payload, IIOCallback callback) {
  if (IioCrc32(payload, header.payloadBytes) != header.payloadCrc) {
    Fail(kIIOErrorRead, __LINE__);
    return 0;
  }
  std::vector<ParsedItem> items;
  if (!ParsePayload(header, payload, &items)) {
    Fail(kIIOErrorRead, __LINE__);
    return 0;
  }
  return BuildList(items, callback);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// ---------------------------------------------------------------------------
// Writing

struct SavedItem {
  int32_t id = 0;
  std::string label;
  int32_t flags = 0;
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> pixels;
  bool holdsBlock = false;  // the item had a block when the save began
  uint32_t blockBytes = 0;
  std::unique_ptr<std::byte[]> block;
  bool handedOver = false;  // the owner released its block into `block`
};

bool ReadPixels(Buf32Handle image, SavedItem* item) {
  uint32_t w = 0, h = 0, bpp = 0;
  if (image == 0 || !buf32GetWHU(image, &w, &h, &bpp) || bpp != 3) return true;  // no thumbnail
  if (w > static_cast<uint32_t>(kIIOMaxThumbnailSide) ||
      h > static_cast<uint32_t>(kIIOMaxThumbnailSide))
    return false;
  item->pixels.resize(size_t{w} * h * 3);
  if (!buf32Lock(image, kBuf32Read, nullptr)) return false;
  bool ok = true;
  for (uint32_t y = 0; ok && y < h; ++y)
    ok = buf32Line(image, static_cast<int>(y), kBuf32Read, item->pixels.data() + size_t{w} * 3 * y);
  buf32Unlock(image);
  item->width = w;
  item->height = h;
  return ok;
}

std::vector<uint8_t> Serialize(const std::vector<SavedItem>& items) {
  std::vector<uint8_t> out(kIioHeaderBytes, 0);
  for (const SavedItem& it : items) {
    AppendLe16(out, static_cast<uint32_t>(it.label.size()));
    out.insert(out.end(), it.label.begin(), it.label.end());
    AppendLe32(out, static_cast<uint32_t>(it.flags));
    AppendLe16(out, it.width);
    AppendLe16(out, it.height);
    out.insert(out.end(), it.pixels.begin(), it.pixels.end());
    AppendLe32(out, it.blockBytes);
    const auto* b = reinterpret_cast<const uint8_t*>(it.block.get());
    if (it.blockBytes != 0) out.insert(out.end(), b, b + it.blockBytes);
  }
  const size_t payload = out.size() - kIioHeaderBytes;
  uint8_t* h = out.data();
  std::memcpy(h, kIioFileMagic, sizeof kIioFileMagic);
  h[8] = static_cast<uint8_t>(kIioFileVersion);
  h[9] = static_cast<uint8_t>(kIioFileVersion >> 8);
  h[10] = static_cast<uint8_t>(kIioHeaderBytes);
  h[11] = 0;
  StoreLe32(h + 12, static_cast<uint32_t>(items.size()));
  StoreLe32(h + 16, static_cast<uint32_t>(payload));
  StoreLe32(h + 20, IioCrc32(h + kIioHeaderBytes, payload));
  StoreLe32(h + 24, 0);
  StoreLe32(h + 28, IioCrc32(h, 28));
  return out;
}

// Gives the blocks taken by a failed save back to their items (message 5).
void HandBack(IIOHandle h, std::vector<SavedItem>& items) {
  for (SavedItem& it : items) {
    if (!it.handedOver) continue;
    iio::List* l = iio::Find(h);
    if (l == nullptr) return;
    if (iio::PositionOf(*l, static_cast<uint32_t>(it.id)) < 0) continue;
    l->callbackItem = it.id;
    iio::Notify(h, kIIOMsgLoad, it.id, it.block.get());
    if ((l = iio::Find(h)) != nullptr) l->callbackItem = -1;
  }
}

// Collects the items and their blocks and hands the file's bytes to `write`.
int32_t Save(IIOHandle h, const std::function<bool(const std::vector<uint8_t>&)>& write) {
  iio::List* l = iio::Find(h);
  if (l == nullptr) {
    Fail(kIIOErrorWrite, __LINE__);
    return 0;
  }
  // Everything of the items but the blocks, before the owner is called.
  std::vector<SavedItem> items(l->items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    const iio::Item& src = l->items[i];
    items[i].id = src.id;
    items[i].label = src.label;
    items[i].flags = src.flags;
    if (!ReadPixels(src.image, &items[i])) {
      Fail(kIIOErrorWrite, __LINE__);
      return 0;
    }
    items[i].holdsBlock = src.data != nullptr;
  }
  const bool owner = l->definition.callback != nullptr;
  // The sizes, then room for every block: nothing can fail once blocks move.
  for (SavedItem& it : items) {
    if (!it.holdsBlock || !owner) continue;
    l->callbackItem = it.id;
    const int32_t size = iio::Notify(h, kIIOMsgSave, it.id, nullptr);
    if ((l = iio::Find(h)) == nullptr) return 0;
    l->callbackItem = -1;
    if (size < 0 || static_cast<uint32_t>(size) > kIioMaxBlockBytes) {
      Fail(kIIOErrorWrite, __LINE__);
      return 0;
    }
    it.blockBytes = static_cast<uint32_t>(size);
    if (size == 0) continue;
    it.block.reset(new (std::nothrow) std::byte[it.blockBytes]());
    if (!it.block) {
      Fail(kIIOErrorMemory, __LINE__);
      return 0;
    }
  }
  // The blocks: the owner copies each and releases it.
  for (SavedItem& it : items) {
    if (it.blockBytes == 0) continue;
    const int32_t pos = iio::PositionOf(*l, static_cast<uint32_t>(it.id));
    if (pos < 0 || l->items[static_cast<size_t>(pos)].data == nullptr) {
      it.blockBytes = 0;
      continue;
    }
    l->callbackItem = it.id;
    const int32_t copied = iio::Notify(h, kIIOMsgSave, it.id, it.block.get());
    if ((l = iio::Find(h)) == nullptr) return 0;
    l->callbackItem = -1;
    if (copied <= 0) {
      it.blockBytes = 0;  // kept by the owner
      continue;
    }
    it.handedOver = true;
    const int32_t now = iio::PositionOf(*l, static_cast<uint32_t>(it.id));
    if (now >= 0) l->items[static_cast<size_t>(now)].data = nullptr;
  }
  bool written = false;
  try {
    const std::vector<uint8_t> bytes = Serialize(items);
    written = bytes.size() - kIioHeaderBytes <= kIioMaxPayloadBytes && write(bytes);
    if (!written) Fail(kIIOErrorWrite, __LINE__);
  } catch (const std::bad_alloc&) {
    Fail(kIIOErrorMemory, __LINE__);
  } catch (const std::filesystem::filesystem_error&) {
    Fail(kIIOErrorWrite, __LINE__);
  }
  if (!written) HandBack(h, items);
  return written ? 1 : 0;
}

}  // namespace

uint32_t IioCrc32(const void* data, size_t size, uint32_t crc) {
  const auto* p = static_cast<const uint8_t*>(data);
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = kCrcTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

IIOHandle IioLoadBytes(const uint8_t* data, size_t size, IIOCallback callback) {
  Header header;
  if (data == nullptr || size < kIioHeaderBytes || !CheckHeader(data, &header) ||
      size - kIioHeaderBytes != header.payloadBytes) {
    Fail(kIIOErrorRead, __LINE__);
    return 0;
  }
  try {
    return LoadChecked(header, data + kIioHeaderBytes, callback);
  } catch (const std::bad_alloc&) {
    Fail(kIIOErrorMemory, __LINE__);
    return 0;
  }
}

IIOHandle x32LoadIIO(const char* path, IIOCallback callback) {
  if (path == nullptr || *path == '\0') {
    Fail(kIIOErrorRead, __LINE__);
    return 0;
  }
  try {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path), ec)) {
      Fail(kIIOErrorRead, __LINE__);
      return 0;
    }
    File f(std::fopen(path, "rb"));
    uint8_t head[kIioHeaderBytes];
    Header header;
    if (!f || std::fread(head, 1, sizeof head, f.get()) != sizeof head ||
        !CheckHeader(head, &header)) {
      Fail(kIIOErrorRead, __LINE__);
      return 0;
    }
    // The payload, only as far as the file really has it.
    std::vector<uint8_t> payload;
    constexpr size_t kChunk = 64 * 1024;
    while (payload.size() < header.payloadBytes) {
      const size_t want = std::min<size_t>(kChunk, header.payloadBytes - payload.size());
      const size_t at = payload.size();
      payload.resize(at + want);
      const size_t got = std::fread(payload.data() + at, 1, want, f.get());
      if (got != want) {
        Fail(kIIOErrorRead, __LINE__);
        return 0;
      }
    }
    uint8_t extra = 0;
    if (std::fread(&extra, 1, 1, f.get()) != 0) {  // the file must end with the payload
      Fail(kIIOErrorRead, __LINE__);
      return 0;
    }
    f.reset();
    return LoadChecked(header, payload.data(), callback);
  } catch (const std::bad_alloc&) {
    Fail(kIIOErrorMemory, __LINE__);
    return 0;
  }
}

int32_t IioSaveBytes(IIOHandle list, std::vector<uint8_t>* bytes) {
  if (bytes == nullptr) return 0;
  try {
    return Save(list, [bytes](const std::vector<uint8_t>& b) {
      *bytes = b;
      return true;
    });
  } catch (const std::bad_alloc&) {
    Fail(kIIOErrorMemory, __LINE__);
    return 0;
  }
}

int32_t x32SaveIIO(const char* path, IIOHandle list, int32_t) {
  if (path == nullptr || *path == '\0') {
    Fail(kIIOErrorWrite, __LINE__);
    return 0;
  }
  try {
    const std::filesystem::path target(path);
    return Save(list, [&target](const std::vector<uint8_t>& b) {
      return WriteFileAtomically(target, b, nullptr);
    });
  } catch (const std::bad_alloc&) {
    Fail(kIIOErrorMemory, __LINE__);
    return 0;
  } catch (const std::filesystem::filesystem_error&) {
    Fail(kIIOErrorWrite, __LINE__);
    return 0;
  }
}
