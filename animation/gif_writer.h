// Animated GIF output of an animation run: every frame is reduced to at most
// 256 colours and kept in a temporary file; at the end the GIF library reads
// the frames back, in order, and writes the animation, which loops for ever.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/x32base/buf32.h"
#include "platform/x32gifsa/x32gifsa.h"

inline constexpr int kGifFileNameChars = 260;

struct GifJob {
  GifJob() = default;
  GifJob(const GifJob&) = delete;
  GifJob& operator=(const GifJob&) = delete;
  // Closes the temporary file and deletes it.
  ~GifJob();

  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };

  char outputName[kGifFileNameChars] = {};  // set by the caller after creation
  std::string tempName;                     // the temporary file of frames
  std::array<uint8_t, 256 * 4> palette{};   // red, green, blue, flags per entry
  int32_t frameCount = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::unique_ptr<std::FILE, FileCloser> tempFile;
  std::vector<int32_t> tableSizes;  // colour table size of each frame
  std::vector<uint8_t> pixels;      // width x height palette indices
  int32_t framesAdded = 0;          // frames in the temporary file so far
  int32_t frameDelay = 0;           // hundredths of a second; 0: the library's
  // Asked before each frame is written out; true abandons the file.
  std::function<bool()> stopWriting;
};

using GifJobPtr = std::unique_ptr<GifJob>;

// The colour table size for a frame of `colours` colours: the next power of
// two from 2 to 256. Bits: its base-2 logarithm.
int32_t GifTableSize(int32_t colours);
int32_t GifTableBits(int32_t tableSize);

// Starts a run of `frameCount` frames of the first image's size: creates the
// temporary file ("ang..." in the system's temporary folder) and adds the
// first image as frame 0. Null on any failure, with nothing left behind.
GifJobPtr CreateGifJob(int32_t frameCount, Buf32Handle firstImage);

// Copies the output file name into the job; 0 when it is missing or too long.
int SetGifOutputName(GifJob& job, const char* name);

// A frame reduced to at most 256 colours.
struct GifFrameColours {
  int32_t width = 0;
  int32_t height = 0;
  int32_t count = 0;             // colours in the table
  std::vector<uint8_t> indices;  // width x height palette indices
  std::vector<uint8_t> table;    // red, green, blue, flags per colour
};

// Reduces the image to at most 256 colours; false on failure. Several threads
// may reduce different images at once.
bool ReduceGifFrame(Buf32Handle image, GifFrameColours& frame);
// Appends a reduced frame, under the rules of AddGifFrame.
int AppendGifFrame(GifJob* job, int32_t frameIndex, const GifFrameColours& frame);

// Reduces the image to at most 256 colours and appends its indices and colour
// table to the temporary file. Frames must come in order (index = frames added
// so far) and have the job's size. 1 on success, 0 otherwise; a failed frame
// leaves the temporary file as it was before it.
int AddGifFrame(GifJob* job, int32_t frameIndex, Buf32Handle image);

// Writes the GIF file named in the job from all its frames. 1 on success, 0
// when frames are missing, the name is not set, or the GIF library fails.
int WriteGifFile(GifJob* job);

// Ends the run: the temporary file is closed and deleted. Accepts null.
void ReleaseGifJob(GifJobPtr job);

// The records handed to the GIF library, with the table and pixel pointers
// still empty (the read callback fills them).
GifHeaderRecord MakeGifHeaderRecord(const GifJob& job);
GifAppExtensionRecord MakeGifLoopRecord();
GifFrameRecord MakeGifFrameRecord(const GifJob& job, int32_t frame);
