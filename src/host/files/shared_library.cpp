// Opening libraries on first use.
#include "host/files/shared_library.h"

#include <dlfcn.h>

#include "host/api/error.h"

namespace host {

void* open_library(const char* soname, const char* purpose) {
  void* lib = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
  if (lib == nullptr) {
    const char* why = dlerror();
    throw Error(std::string(purpose) + ": cannot load " + soname + " (" + (why ? why : "?") + ")");
  }
  return lib;
}

void* library_function(void* library, const char* soname, const char* name) {
  void* f = dlsym(library, name);
  if (f == nullptr) throw Error(std::string(soname) + " has no function " + name);
  return f;
}

}  // namespace host
