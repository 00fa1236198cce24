// Picture sizes: PNG through cairo, JPEG through libjpeg's header reader.
#include "host/formats/raster_size.h"

#include <cairo.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>

#include "host/files/jpeg_error.h"

namespace host {
namespace {

// libjpeg reports errors by a jump, so nothing here owns C++ objects across the calls.
std::optional<std::pair<int, int>> jpeg_size(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  jpeg_decompress_struct info{};
  JpegError error{};
  info.err = jpeg_std_error(&error.mgr);
  error.mgr.error_exit = on_jpeg_error;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return std::nullopt;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  const std::pair<int, int> size{static_cast<int>(info.image_width),
                                 static_cast<int>(info.image_height)};
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return size;
}

}  // namespace

std::optional<std::pair<int, int>> raster_size(const std::string& path) {
  cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
  const bool read = cairo_surface_status(png) == CAIRO_STATUS_SUCCESS;
  const std::pair<int, int> size{cairo_image_surface_get_width(png),
                                 cairo_image_surface_get_height(png)};
  cairo_surface_destroy(png);
  if (read && size.first > 0 && size.second > 0) return size;
  auto jpeg = jpeg_size(path);
  if (jpeg && jpeg->first > 0 && jpeg->second > 0) return jpeg;
  return std::nullopt;
}

}  // namespace host
