// Reading DWG files: the converter writes a DXF file into the host's private temporary
// directory (never beside the drawing), which loads through the DXF reader, so both kinds of
// drawing share one import.
#include "host/formats/dwg.h"

#include <filesystem>

#include "host/api/error.h"
#include "host/api/files.h"
#include "host/formats/dwg_converter.h"
#include "host/formats/dxf.h"

namespace fs = std::filesystem;

namespace host {

namespace {

// The converted file's path in a text becomes the DWG's, so that notes and errors name
// the file the user gave.
std::string naming_the_dwg(std::string text, const std::string& dxf, const std::string& dwg) {
  for (std::size_t at = text.find(dxf); at != std::string::npos; at = text.find(dxf, at))
    text.replace(at, dxf.size(), dwg), at += dwg.size();
  return text;
}

// The last DWG that failed, by path and state. A caller that tries another way to load a
// file that failed (a run falls back to loading it as a part) meets the same failure again at
// once: a file that hangs the converter costs its time limit once, not twice.
struct LastFailure {
  std::string path;
  fs::file_time_type time;
  std::uintmax_t size = 0;
  std::string message, keyword;
};

LastFailure& last_failure() {
  static LastFailure last;
  return last;
}

bool same_file(const LastFailure& f, const std::string& path) {
  std::error_code ec;
  return f.path == path && fs::last_write_time(path, ec) == f.time && !ec &&
         fs::file_size(path, ec) == f.size && !ec;
}

Drawing convert_and_read(const std::string& path);

}  // namespace

Drawing read_dwg_file(const std::string& path) {
  LastFailure& last = last_failure();
  if (same_file(last, path)) throw Error(last.message, last.keyword);
  try {
    return convert_and_read(path);
  } catch (const Error& e) {
    std::error_code ec;
    last = {path, fs::last_write_time(path, ec), fs::file_size(path, ec), e.what(), e.keyword()};
    throw;
  }
}

namespace {

Drawing convert_and_read(const std::string& path) {
  const std::string dir = sd_gen_unique_filename(sd_inq_temp_dir());
  fs::create_directory(dir);
  struct Cleanup {
    std::string dir;
    ~Cleanup() {
      std::error_code ignored;
      fs::remove_all(dir, ignored);
    }
  } cleanup{dir};
  // The converter sees plain names only: a link to the drawing, and its own output name; the
  // DXF then takes the drawing's base name, which becomes its drawing number as for a twin.
  std::error_code ec;
  const fs::path source = fs::absolute(path, ec);
  const std::string link = dir + "/in.dwg";
  fs::create_symlink(source, link, ec);
  if (ec) throw Error("Cannot load " + path + ": " + ec.message());
  const std::string converted = dir + "/out.dxf";
  dwg::Result result;
  try {
    result = dwg::convert(link, converted);
  } catch (const dwg::Failure& failure) {
    throw Error(path + ": the DWG reader failed: " + failure.why);
  }
  const std::string dxf = dir + "/" + fs::path(path).stem().string() + ".dxf";
  fs::rename(converted, dxf, ec);
  if (ec || fs::file_size(dxf, ec) == 0 || ec)
    throw Error(path + ": the DWG reader failed: the converter wrote no DXF");
  Drawing drawing;
  try {
    drawing = read_dxf_file(dxf);
  } catch (const Error& e) {
    throw Error(naming_the_dwg(e.what(), dxf, path + " (converted to DXF)"), e.keyword());
  }
  for (std::string& note : drawing.notes) note = naming_the_dwg(note, dxf, path);
  if (result.code != 0)
    drawing.notes.insert(drawing.notes.begin(), path + ": LibreDWG reported " +
                                                    dwg::describe_code(result.code) + " (code " +
                                                    std::to_string(result.code) +
                                                    "); parts of the drawing may be missing");
  return drawing;
}

}  // namespace

}  // namespace host
