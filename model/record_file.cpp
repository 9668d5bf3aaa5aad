#include "model/record_file.h"

#include <system_error>

TextRecordReader::TextRecordReader(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec) || ec) return;
  file_.open(path, std::ios::binary | std::ios::in);
}

bool TextRecordReader::next(TextRecord& record) {
  if (ended_ || !file_.is_open()) return false;
  file_.read(reinterpret_cast<char*>(record.b.data()), kTextRecordBytes);
  if (file_.gcount() != kTextRecordBytes) {
    ended_ = true;
    return false;
  }
  return true;
}
