// quillan library: lists, renders, adds, exports and imports the patterns of
// the pattern library file the module's library dialogs keep.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "commands.h"
#include "engine/script.h"
#include "image_files.h"
#include "library/pattern_library.h"
#include "options.h"
#include "platform/x32base/buf32_guards.h"
#include "platform/x32file/replacing_file.h"
#include "plugin/plugin_info.h"

namespace fs = std::filesystem;

namespace {

// The library named on the command line, opened; a message when it is
// missing (unless `create`) or cannot be read as a pattern library.
std::optional<std::string> openLibrary(const fs::path& file, bool create,
                                       std::unique_ptr<PatternLibrary>& library) {
  std::error_code ec;
  if (!create && !fs::exists(file, ec)) return "no pattern library " + file.string();
  library = PatternLibrary::Open(file);
  if (!library) return std::string("not enough memory for a list");
  if (library->source() == PatternLibrary::Source::kUnreadable)
    return file.string() + " is damaged or is not a pattern library; it was left as it is";
  return std::nullopt;
}

std::optional<std::string> saveLibrary(PatternLibrary& library, const fs::path& file) {
  std::error_code ec;
  if (!file.parent_path().empty()) fs::create_directories(file.parent_path(), ec);
  if (!library.Save(file)) return WriteFailure(file);
  return std::nullopt;
}

// The record a pattern renders as: the module's default with the pattern in.
ParamRecord patternRecord(const PatternEntry& entry) {
  ParamRecord record = HostDefaultRecord();
  ApplyPatternEntry(entry, record);
  return record;
}

// Adds the pattern of a stored record under `name`: its script (or, without
// one, its template and sample as one operation), numbered as the next item.
std::optional<std::string> addRecord(PatternLibrary& library, const ParamRecord& record,
                                     const std::string& name) {
  if (name.empty() || name.size() > static_cast<size_t>(kPatternLabelLimit))
    return "a pattern name has 1 to 50 characters: '" + name + "'";
  std::vector<StoryboardOp> ops = ScriptOperations(record.scriptText, kScriptTextBytes);
  if (ops.empty()) ops.push_back({TemplateNumberOf(record.templateIndex), record.sampleNumber, 1});
  const int count = static_cast<int>(ops.size());
  const std::string script = BuildScriptText(library.Count() + 1, ops.data(), count);
  const PatternEntry entry = PatternEntryFromRecord(record, count, script);
  const Buf32Owner thumb(
      RenderPatternImage(patternRecord(entry), kPatternThumbSize, kPatternThumbSize));
  if (thumb.get() == 0 || library.Add(name, thumb.get(), entry) == -1)
    return std::string("not enough memory to add the pattern");
  return std::nullopt;
}

// An item by its name or its number in the list (from 1).
int32_t findPattern(const PatternLibrary& library, const std::string& key) {
  const std::vector<int32_t> ids = library.Ids();
  for (const int32_t id : ids)
    if (library.Label(id) == key) return id;
  int n = 0;
  if (!ParseInt("", key, 1, static_cast<int>(ids.size()), n))
    return ids[static_cast<size_t>(n - 1)];
  return -1;
}

// A label as a file name: characters no file system takes become "_".
std::string fileName(int number, const std::string& label) {
  char head[16];
  std::snprintf(head, sizeof head, "%03d-", number);
  std::string name = head + label;
  for (char& c : name)
    if (static_cast<unsigned char>(c) < 32 ||
        std::string("/\\:*?\"<>|").find(c) != std::string::npos)
      c = '_';
  return name;
}

int list(const fs::path& file) {
  std::unique_ptr<PatternLibrary> library;
  if (auto e = openLibrary(file, false, library)) return Fail(kExitFailure, *e);
  std::printf("%s: %d patterns\n  #  name                  ops  script\n", file.string().c_str(),
              library->Count());
  int n = 0;
  for (const int32_t id : library->Ids()) {
    const PatternEntry* entry = library->Entry(id);
    std::printf("%3d  %-20s  %3d  %s\n", ++n, library->Label(id).c_str(),
                entry ? entry->operationCount : 0, entry ? PatternScriptText(*entry).c_str() : "");
  }
  return FinishStandardOutput();
}

int render(const fs::path& file, const std::vector<std::string>& args) {
  CommandOptions a;
  std::string key;
  for (size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if ((args[i] == "-o" || args[i] == "--size") && !hasValue)
      return Fail(kExitUsage, args[i] + " needs a value");
    if (args[i] == "-o") {
      a.output = args[++i];
    } else if (args[i] == "--size") {
      if (auto e = ParseSize(args[++i], a.width, a.height)) return Fail(kExitUsage, *e);
    } else if (key.empty() && args[i].rfind("-", 0) != 0) {
      key = args[i];
    } else {
      return Fail(kExitUsage, "library render: unexpected '" + args[i] + "'");
    }
  }
  if (key.empty() || a.output.empty())
    return Fail(kExitUsage, "library render needs a pattern NAME or NUMBER and -o OUT");
  std::string ext = fs::path(a.output).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  if (ext != ".png" && ext != ".bmp")
    return Fail(kExitUsage, "the output must end in .png or .bmp: " + a.output);
  std::unique_ptr<PatternLibrary> library;
  if (auto e = openLibrary(file, false, library)) return Fail(kExitFailure, *e);
  const int32_t id = findPattern(*library, key);
  if (id < 0) return Fail(kExitFailure, "no pattern '" + key + "' in " + file.string());
  const PatternEntry* entry = library->Entry(id);
  if (entry == nullptr) return Fail(kExitFailure, "pattern '" + key + "' has no settings");
  return RenderToFile(a, patternRecord(*entry));
}

int add(const fs::path& file, const std::vector<std::string>& args) {
  std::string recordFile, name;
  for (size_t i = 0; i + 1 < args.size(); i += 2) {
    if (args[i] == "--record")
      recordFile = args[i + 1];
    else if (args[i] == "--name")
      name = args[i + 1];
    else
      return Fail(kExitUsage, "library add: unexpected '" + args[i] + "'");
  }
  if (args.size() % 2 != 0 || recordFile.empty() || name.empty())
    return Fail(kExitUsage, "library add needs --record FILE and --name NAME");
  ParamRecord record{};
  if (auto e = ReadRecordFile(recordFile, record)) return Fail(kExitFailure, *e);
  std::unique_ptr<PatternLibrary> library;
  if (auto e = openLibrary(file, true, library)) return Fail(kExitFailure, *e);
  if (auto e = addRecord(*library, record, name)) return Fail(kExitUsage, *e);
  if (auto e = saveLibrary(*library, file)) return Fail(kExitFailure, *e);
  return 0;
}

int exportTo(const fs::path& file, const fs::path& dir) {
  std::unique_ptr<PatternLibrary> library;
  if (auto e = openLibrary(file, false, library)) return Fail(kExitFailure, *e);
  const std::vector<int32_t> ids = library->Ids();
  for (const int32_t id : ids)
    if (library->Entry(id) == nullptr || library->Image(id) == 0)
      return Fail(kExitFailure, "pattern '" + library->Label(id) + "' of " + file.string() +
                                    " has no settings or no thumbnail");
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (!fs::is_directory(dir)) return Fail(kExitFailure, "cannot make the folder " + dir.string());
  for (size_t i = 0; i < ids.size(); ++i) {
    const fs::path base = dir / fileName(static_cast<int>(i) + 1, library->Label(ids[i]));
    std::string error;
    const auto bytes = SerializeRecord(patternRecord(*library->Entry(ids[i])));
    if (!WriteFileAtomically(fs::path(base).concat(".rec"), bytes, &error))
      return Fail(kExitFailure, error);
    if (auto e = WritePngImage(fs::path(base).concat(".png"), library->Image(ids[i])); !e.empty())
      return Fail(kExitFailure, e);
  }
  std::printf("%zu patterns written to %s\n", ids.size(), dir.string().c_str());
  return 0;
}

int importFrom(const fs::path& file, const fs::path& dir) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return Fail(kExitFailure, "no folder " + dir.string());
  std::vector<fs::path> records;
  for (const auto& e : fs::directory_iterator(dir, ec))
    if (e.path().extension() == ".rec") records.push_back(e.path());
  std::sort(records.begin(), records.end());
  if (records.empty()) return Fail(kExitFailure, "no .rec files in " + dir.string());
  std::unique_ptr<PatternLibrary> library;
  if (auto e = openLibrary(file, true, library)) return Fail(kExitFailure, *e);
  for (const fs::path& path : records) {
    ParamRecord record{};
    if (auto e = ReadRecordFile(path.string(), record)) return Fail(kExitFailure, *e);
    // "012-Name.rec" is named "Name".
    std::string name = path.stem().string();
    if (name.size() > 4 && std::all_of(name.begin(), name.begin() + 3, ::isdigit) && name[3] == '-')
      name.erase(0, 4);
    name.resize(std::min(name.size(), static_cast<size_t>(kPatternLabelLimit)));
    if (auto e = addRecord(*library, record, name))
      return Fail(kExitFailure, path.string() + ": " + *e);
  }
  if (auto e = saveLibrary(*library, file)) return Fail(kExitFailure, *e);
  std::printf("%zu patterns added to %s\n", records.size(), file.string().c_str());
  return 0;
}

}  // namespace

int RunLibrary(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  fs::path file = PatternLibraryFile();
  const auto at = std::find(args.begin(), args.end(), "--library");
  if (at != args.end()) {
    if (at + 1 == args.end()) return Fail(kExitUsage, "--library needs a file");
    file = *(at + 1);
    args.erase(at, at + 2);
  }
  if (args.empty()) return Fail(kExitUsage, "library needs list, render, add, export or import");
  const std::string sub = args[0];
  args.erase(args.begin());
  if (sub == "list" && args.empty()) return list(file);
  if (sub == "render") return render(file, args);
  if (sub == "add") return add(file, args);
  if ((sub == "export" || sub == "import") && args.size() == 1)
    return sub == "export" ? exportTo(file, args[0]) : importFrom(file, args[0]);
  if (sub == "list" || sub == "export" || sub == "import")
    return Fail(kExitUsage,
                "library " + sub + (sub == "list" ? " takes no arguments" : " takes one folder"));
  return Fail(kExitUsage, "unknown library command '" + sub + "' (try quillan help library)");
}
