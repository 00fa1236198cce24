// Libraries opened on first use instead of at start-up. A plot job that neither prints nor
// reads a bundle never loads the print system's library (with its TLS, Kerberos, D-Bus and
// Avahi libraries) nor the archive library (with libxml2 and ICU): together they cost a
// process about 6 ms of its start, a quarter of plotting a small drawing.
#pragma once

#include <string>

namespace host {

// The library of that name (its soname), opened once; throws host::Error naming it and
// `purpose` when it cannot be opened.
void* open_library(const char* soname, const char* purpose);
// A function of an opened library; throws host::Error naming it when it is missing.
void* library_function(void* library, const char* soname, const char* name);

}  // namespace host

// Declares a member `name` of the type of the function `name` and loads it from `lib`.
#define TAVRIN_LIBRARY_MEMBER(name) decltype(&::name) name = nullptr;
#define TAVRIN_LIBRARY_LOAD(name) \
  api.name = reinterpret_cast<decltype(&::name)>(library_function(lib, soname, #name));
