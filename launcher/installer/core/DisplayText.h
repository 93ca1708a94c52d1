#pragma once
// Bytes from outside (a package path, a line of another program's output) as
// text the window can show.
#include <string>
#include <string_view>

namespace installer {

// The bytes as UTF-8: unchanged when they are UTF-8, else converted from code
// page 932 when they are that, else with U+FFFD for every byte that belongs
// to no UTF-8 character. Control characters other than tab are left out.
std::string DisplayText(std::string_view bytes);

}  // namespace installer
