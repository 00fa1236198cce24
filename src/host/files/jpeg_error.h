// libjpeg's error hook for readers of JPEG files: libjpeg reports an error by calling a
// function that must not return, so the reader jumps back to where it set `jump` and gives
// up on the file. Nothing between the two may own C++ objects.
#pragma once

#include <jpeglib.h>

#include <csetjmp>

namespace host {

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
};

[[noreturn]] inline void on_jpeg_error(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

}  // namespace host
