#include "animation/gif_writer.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <new>
#include <random>
#include <system_error>

#include "platform/x32base/buf32_guards.h"
#include "platform/x32cvt/x32cvt.h"

namespace {

// Data of the loop block: sub-block 1, loop count 0 (for ever).
constexpr uint8_t kLoopForEver[3] = {0x01, 0x00, 0x00};

// Colour reduction parameters: 24-bit source, reduction to 256 colours.
constexpr int32_t kReduceParams[6] = {24, 1, 0, 0, 256, 0};

class PaletteOwner {
 public:
  PaletteOwner() = default;
  PaletteOwner(const PaletteOwner&) = delete;
  PaletteOwner& operator=(const PaletteOwner&) = delete;
  ~PaletteOwner() { cvt32FreePalette(palette); }
  Cvt32Palette* palette = nullptr;
};

class ListOwner {
 public:
  explicit ListOwner(int32_t capacity) : list_(ChunkAction(0, kChunkCreate, capacity, nullptr)) {}
  ListOwner(const ListOwner&) = delete;
  ListOwner& operator=(const ListOwner&) = delete;
  ~ListOwner() {
    if (list_ != 0) ChunkAction(list_, kChunkRelease, 0, nullptr);
  }
  uint32_t get() const { return list_; }
  template <typename Record>
  bool Append(const Record& record) {
    return ChunkAction(list_, kChunkAppend, static_cast<int32_t>(sizeof record), &record) != 0;
  }

 private:
  uint32_t list_;
};

// Creates a new, empty temporary file "ang<hex>.tmp", open for reading and
// writing; the name is stored in the job.
bool CreateTempFile(GifJob& job) {
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
  if (ec || folder.empty()) folder = std::filesystem::current_path(ec);
  if (ec) return false;
  static std::atomic<uint32_t> counter{0};
  std::random_device device;
  for (int attempt = 0; attempt < 32; ++attempt) {
    const auto now =
        static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    char name[32];
    std::snprintf(name, sizeof name, "ang%08x.tmp",
                  static_cast<unsigned>(device() ^ now ^ (++counter * 0x9E3779B9u)));
    const std::string path = (folder / name).string();
    // "x": only a new file, so another run's file is never taken over.
    std::FILE* f = std::fopen(path.c_str(), "w+bx");
    if (f != nullptr) {
      job.tempFile.reset(f);
      job.tempName = path;
      return true;
    }
    if (!std::filesystem::exists(path, ec)) return false;  // the folder refuses files
  }
  return false;
}

bool WriteBytes(std::FILE* f, const void* data, size_t size) {
  return std::fwrite(data, 1, size, f) == size;
}

bool ReadBytes(std::FILE* f, void* data, size_t size) {
  return std::fread(data, 1, size, f) == size;
}

// Writes a reduced frame to the temporary file (at its current position);
// false on any failure.
bool WriteFrame(GifJob& job, int32_t frameIndex, const GifFrameColours& frame) {
  if (frame.width != job.width || frame.height != job.height || frame.count < 1 ||
      frame.count > 256 || frame.indices.size() != job.pixels.size())
    return false;
  if (!WriteBytes(job.tempFile.get(), frame.indices.data(), frame.indices.size())) return false;
  const int32_t tableSize = GifTableSize(frame.count);
  job.palette.fill(0);  // entries beyond the count are black
  std::memcpy(job.palette.data(), frame.table.data(), static_cast<size_t>(frame.count) * 4);
  if (!WriteBytes(job.tempFile.get(), job.palette.data(), static_cast<size_t>(tableSize) * 4))
    return false;
  job.tableSizes[static_cast<size_t>(frameIndex)] = tableSize;
  return true;
}

// Supplies the data of each record as the GIF library reaches it: a white
// global table for the header, and for each frame, in order, its pixels and
// its colour table from the temporary file. A frame that cannot be read in
// full refuses the record (0), which ends the write.
int32_t ReadRecord(int32_t, int32_t request, void* record, void* user) {
  if (request != kGifReadData || record == nullptr || user == nullptr) return 1;
  GifJob& job = *static_cast<GifJob*>(user);
  int32_t type = 0;
  std::memcpy(&type, record, sizeof type);
  if (type == kGifRecordHeader) {
    auto* header = static_cast<GifHeaderRecord*>(record);
    job.palette.fill(0xFF);
    header->globalTable = job.palette.data();
  } else if (type == kGifRecordFrame) {
    if (job.stopWriting && job.stopWriting()) return 0;
    auto* frame = static_cast<GifFrameRecord*>(record);
    const int32_t tableSize = frame->localTableSize;
    if (tableSize < 0 || tableSize > 256 || !job.tempFile ||
        !ReadBytes(job.tempFile.get(), job.pixels.data(), job.pixels.size()) ||
        !ReadBytes(job.tempFile.get(), job.palette.data(), static_cast<size_t>(tableSize) * 4))
      return 0;
    frame->localTable = job.palette.data();
    frame->pixels = job.pixels.data();
  }
  return 1;
}

}  // namespace

GifJob::~GifJob() {
  tempFile.reset();
  if (!tempName.empty()) {
    std::error_code ec;
    std::filesystem::remove(tempName, ec);
  }
}

int32_t GifTableSize(int32_t colours) {
  int32_t size = 2;
  while (size < colours && size < 256) size *= 2;
  return size;
}

int32_t GifTableBits(int32_t tableSize) {
  int32_t bits = 1;
  while ((1 << bits) < tableSize && bits < 8) ++bits;
  return bits;
}

GifJobPtr CreateGifJob(int32_t frameCount, Buf32Handle firstImage) {
  if (frameCount < 1 || frameCount > kChunkMaxCapacity - 4) return nullptr;
  uint32_t width = 0, height = 0;
  if (!buf32GetWHU(firstImage, &width, &height, nullptr)) return nullptr;
  if (width < 1 || height < 1 || width > 65535 || height > 65535) return nullptr;
  try {
    auto job = std::make_unique<GifJob>();
    job->frameCount = frameCount;
    job->width = static_cast<int32_t>(width);
    job->height = static_cast<int32_t>(height);
    job->tableSizes.assign(static_cast<size_t>(frameCount), 0);
    job->pixels.assign(static_cast<size_t>(width) * height, 0);
    if (!CreateTempFile(*job)) return nullptr;
    if (!AddGifFrame(job.get(), 0, firstImage)) return nullptr;
    return job;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

int SetGifOutputName(GifJob& job, const char* name) {
  if (name == nullptr || name[0] == '\0') return 0;
  const size_t length = std::strlen(name);
  if (length >= sizeof job.outputName) return 0;
  std::memcpy(job.outputName, name, length + 1);
  return 1;
}

bool ReduceGifFrame(Buf32Handle image, GifFrameColours& frame) {
  Buf32Owner reduced;
  PaletteOwner palette;
  if (!cvt32BufType(2, 0, 2, 4, image, &reduced.handle, kReduceParams, 0, &palette.palette, 0, 0) ||
      palette.palette == nullptr)
    return false;
  uint32_t width = 0, height = 0;
  const int32_t count = palette.palette->count;
  if (!buf32GetWHU(reduced.handle, &width, &height, nullptr) || count < 1 || count > 256)
    return false;
  try {
    frame.width = static_cast<int32_t>(width);
    frame.height = static_cast<int32_t>(height);
    frame.count = count;
    frame.indices.resize(size_t{width} * height);
    frame.table.assign(&palette.palette->entries[0][0],
                       &palette.palette->entries[0][0] + static_cast<size_t>(count) * 4);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const Buf32Lock lock(reduced.handle, kBuf32Read);
  if (!lock) return false;
  for (uint32_t y = 0; y < height; ++y)
    if (!buf32Line(reduced.handle, static_cast<int>(y), kBuf32Read,
                   frame.indices.data() + size_t{y} * width))
      return false;
  return true;
}

int AddGifFrame(GifJob* job, int32_t frameIndex, Buf32Handle image) {
  if (!buf32GetInfo(image, nullptr)) return 0;
  GifFrameColours frame;
  if (!ReduceGifFrame(image, frame)) return 0;
  return AppendGifFrame(job, frameIndex, frame);
}

int AppendGifFrame(GifJob* job, int32_t frameIndex, const GifFrameColours& frame) {
  if (job == nullptr || !job->tempFile || job->tableSizes.empty() || job->pixels.empty()) return 0;
  if (frameIndex != job->framesAdded || frameIndex >= job->frameCount) return 0;
  std::fpos_t start;
  if (std::fgetpos(job->tempFile.get(), &start) != 0) return 0;
  const bool ok = WriteFrame(*job, frameIndex, frame);
  if (!ok) {
    // The next attempt overwrites whatever part of this frame was written.
    std::clearerr(job->tempFile.get());
    std::fsetpos(job->tempFile.get(), &start);
    return 0;
  }
  ++job->framesAdded;
  return 1;
}

GifHeaderRecord MakeGifHeaderRecord(const GifJob& job) {
  GifHeaderRecord h{};
  h.type = kGifRecordHeader;
  h.width = job.width;
  h.height = job.height;
  h.hasGlobalTable = 1;
  h.globalTableSize = 16;
  h.globalTableBits = 4;
  return h;
}

GifAppExtensionRecord MakeGifLoopRecord() {
  GifAppExtensionRecord a{};
  a.type = kGifRecordAppExtension;
  std::memcpy(a.identifier, "NETSCAPE", 9);
  std::memcpy(a.authentication, "2.0", 4);
  a.data = kLoopForEver;
  a.dataLength = 3;
  return a;
}

GifFrameRecord MakeGifFrameRecord(const GifJob& job, int32_t frame) {
  GifFrameRecord f{};
  const int32_t tableSize = frame >= 0 && frame < static_cast<int32_t>(job.tableSizes.size())
                                ? job.tableSizes[static_cast<size_t>(frame)]
                                : 0;
  f.type = kGifRecordFrame;
  f.left = 0;
  f.top = 0;
  f.width = job.width;
  f.height = job.height;
  f.delay = job.frameDelay;
  f.flags = tableSize == 2 ? kGifFrameInterlaced : kGifFrameKeep;
  f.hasLocalTable = 1;
  f.localTableSize = tableSize;
  f.localTableBits = GifTableBits(tableSize);
  f.bytesPerPixel = 1;
  f.rowBytes = job.width;
  return f;
}

int WriteGifFile(GifJob* job) {
  if (job == nullptr || !job->tempFile || job->framesAdded != job->frameCount) return 0;
  if (std::memchr(job->outputName, 0, sizeof job->outputName) == nullptr ||
      job->outputName[0] == '\0')
    return 0;
  ListOwner list(job->frameCount + 4);
  if (list.get() == 0) return 0;
  if (!list.Append(MakeGifHeaderRecord(*job)) || !list.Append(MakeGifLoopRecord())) return 0;
  for (int32_t i = 0; i < job->frameCount; ++i)
    if (!list.Append(MakeGifFrameRecord(*job, i))) return 0;
  if (!list.Append(GifEndRecord{kGifRecordEnd})) return 0;

  AniGifParams params{};
  std::memcpy(params.fileName, job->outputName, sizeof params.fileName);
  params.recordList = list.get();
  std::rewind(job->tempFile.get());
  const int32_t result = AniGifAction(&params, kAniGifWrite, ReadRecord, job);
  // Back to the end, so that the file stays consistent for the job.
  std::fseek(job->tempFile.get(), 0, SEEK_END);
  return result > 0 ? 1 : 0;
}

void ReleaseGifJob(GifJobPtr job) { job.reset(); }
