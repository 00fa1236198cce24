// The job settings: the values of the main dialog's controls, read by key, and the stored
// standard settings that fill them.
#pragma once

#include <string>
#include <vector>

namespace tavrin {

// "TAVRIN-DIALOG-" + key: a text control gives its trimmed text ("" when empty), a toggle
// "1" or "0".
std::string tv_read_value(const std::string& key);
bool tv_set_nil_or_t(const std::string& text);

// The 19 keys of "TavrinStandard.dat", in file order.
const std::vector<std::string>& standard_keys();
// Writes the user copy of "TavrinStandard.dat" (an administrator: the shared copy) and
// tells the user where.
void tv_store_standard();
// Fills the main dialog from the user copy, or from the shared copy when there is none or
// for an administrator. Lines that name no setting are reported in the output box.
void tv_load_standard();

// The names of the files marked in the file table, in table order.
std::vector<std::string> create_filelist();

}  // namespace tavrin
