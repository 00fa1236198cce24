// Reading the job settings: the values of the main dialog's controls, by key.
#pragma once

#include <string>
#include <vector>

namespace tavrin {

// "TAVRIN-DIALOG-" + key: a text control gives its trimmed text ("" when empty), a toggle
// "1" or "0".
std::string tv_read_value(const std::string& key);
bool tv_set_nil_or_t(const std::string& text);

// The names of the files marked in the file table, in table order.
std::vector<std::string> create_filelist();

}  // namespace tavrin
