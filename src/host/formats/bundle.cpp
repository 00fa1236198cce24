// Reading bundles with libarchive: the first drawing member is read by its extension, a DXF
// member from a copy in the host's temporary directory.
#include "host/formats/bundle.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "host/api/error.h"
#include "host/api/files.h"
#include "host/files/shared_library.h"
#include "host/formats/dxf.h"
#include "host/formats/mi.h"
#include "host/value/text.h"
#include "host/value/language.h"

namespace host {

namespace {

// The functions of libarchive this file calls, from the library opened on first use.
// clang-format off
#define TAVRIN_ARCHIVE_FUNCTIONS(X)                                                        \
  X(archive_entry_filetype) X(archive_entry_pathname) X(archive_error_string)              \
  X(archive_read_data) X(archive_read_free) X(archive_read_new) X(archive_read_next_header) \
  X(archive_read_open_filename) X(archive_read_support_format_zip)
// clang-format on

struct ArchiveApi {
  TAVRIN_ARCHIVE_FUNCTIONS(TAVRIN_LIBRARY_MEMBER)
};

const ArchiveApi& libarchive() {
  static const ArchiveApi loaded = [] {
    const char* soname = "libarchive.so.13";
    void* lib = open_library(soname, "bundles");
    ArchiveApi api;
    TAVRIN_ARCHIVE_FUNCTIONS(TAVRIN_LIBRARY_LOAD)
    return api;
  }();
  return loaded;
}

// Members larger than this are refused rather than filling the temporary directory.
constexpr std::int64_t kMaxMemberSize = std::int64_t{1} << 30;

using ArchivePtr = std::unique_ptr<archive, decltype(&archive_read_free)>;

// Only the member's base name is used, so "../x.mi" cannot reach outside the directory.
std::string base_name(const char* member) {
  return std::filesystem::path(member ? member : "").filename().string();
}

bool is_drawing_name(const std::string& name) {
  const std::string ext = lower_extension(name);
  return ext == ".mi" || ext == ".dxf";
}

// libarchive may have no text for an error (a damaged header of some kinds): never null.
std::string why(archive* a) {
  const char* text = libarchive().archive_error_string(a);
  return text ? text : _("unknown damage");
}

std::string read_member(archive* a, const std::string& bundle, const std::string& member) {
  std::string content;
  char buffer[1 << 16];
  for (;;) {
    const la_ssize_t n = libarchive().archive_read_data(a, buffer, sizeof buffer);
    if (n < 0)
      throw Error(translate_format("Cannot load {}: member {} is damaged ({})", bundle, member, why(a)));
    if (n == 0) return content;
    if (static_cast<std::int64_t>(content.size()) + n > kMaxMemberSize)
      throw Error(translate_format("Cannot load {}: member {} is too large", bundle, member));
    content.append(buffer, static_cast<std::size_t>(n));
  }
}

Drawing read_member_drawing(const std::string& bundle, const std::string& member,
                            const std::string& content) {
  const std::string source = bundle + "(" + member + ")";
  if (content.empty()) throw Error(translate_format("Cannot load {}: the drawing file is empty", source));
  // The text of an .mi member is read where it is; DXF is read by dxflib from a file.
  if (lower_extension(member) == ".mi") return read_mi_text(content, source);
  const std::string dir = sd_gen_unique_filename(sd_inq_temp_dir());
  std::filesystem::create_directory(dir);
  struct Cleanup {
    std::string dir;
    ~Cleanup() {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    }
  } cleanup{dir};
  const std::string path = dir + "/" + member;
  write_file_atomically(path, content);
  try {
    return read_dxf_file(path);
  } catch (const Error& e) {
    throw Error(source + ": " + e.what());
  }
}

}  // namespace

Drawing read_bundle_file(const std::string& path) {
  ArchivePtr a(libarchive().archive_read_new(), libarchive().archive_read_free);
  if (!a) throw Error(translate_format("Cannot load {}: out of memory", path));
  libarchive().archive_read_support_format_zip(a.get());
  if (libarchive().archive_read_open_filename(a.get(), path.c_str(), 1 << 16) != ARCHIVE_OK)
    throw Error(translate_format("Cannot load {}: not a readable bundle ({})", path, why(a.get())));
  archive_entry* entry = nullptr;
  for (;;) {
    const int status = libarchive().archive_read_next_header(a.get(), &entry);
    if (status == ARCHIVE_EOF) break;
    if (status != ARCHIVE_OK && status != ARCHIVE_WARN)
      throw Error(translate_format("Cannot load {}: not a readable bundle ({})", path, why(a.get())));
    if (libarchive().archive_entry_filetype(entry) != AE_IFREG) continue;
    const std::string member = base_name(libarchive().archive_entry_pathname(entry));
    if (!is_drawing_name(member)) continue;
    return read_member_drawing(path, member, read_member(a.get(), path, member));
  }
  throw Error(translate_format("Cannot load {}: the bundle holds no drawing (.mi or .dxf)", path));
}

}  // namespace host
